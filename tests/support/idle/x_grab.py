# x_grab.py SECONDS: an X client that holds the keyboard grabbed for that
# long (as a screen lock does once it has locked), then leaves.
import ctypes
import sys
import time

x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XDefaultRootWindow.restype = ctypes.c_ulong
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
display = x.XOpenDisplay(None)
if not display:
    sys.exit("no X display")
root = x.XDefaultRootWindow(display)
# owner_events False, both modes asynchronous, CurrentTime.
status = x.XGrabKeyboard(ctypes.c_void_p(display), ctypes.c_ulong(root), 0, 1, 1, 0)
x.XFlush(ctypes.c_void_p(display))
print("grabbed" if status == 0 else "grab failed: %d" % status, flush=True)
time.sleep(float(sys.argv[1]))
