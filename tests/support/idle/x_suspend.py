# x_suspend.py SECONDS: an X client that holds the screen saver suspended
# (XScreenSaverSuspend) for that long, then leaves, which ends the suspension.
import ctypes
import sys
import time

x = ctypes.CDLL("libX11.so.6")
xss = ctypes.CDLL("libXss.so.1")
x.XOpenDisplay.restype = ctypes.c_void_p
display = x.XOpenDisplay(None)
if not display:
    sys.exit("no X display")
xss.XScreenSaverSuspend(ctypes.c_void_p(display), 1)
x.XFlush(ctypes.c_void_p(display))
print("suspended", flush=True)
time.sleep(float(sys.argv[1]))
