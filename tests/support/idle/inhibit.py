# inhibit.py SECONDS leave|release: calls org.freedesktop.ScreenSaver.Inhibit
# on the session bus as a browser would, holds it that long, then either
# leaves the bus (the inhibition must end with it) or calls UnInhibit and
# stays on the bus.
import sys
import time

from gi.repository import Gio, GLib

NAME = "org.freedesktop.ScreenSaver"
bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
reply = bus.call_sync(NAME, "/org/freedesktop/ScreenSaver", NAME, "Inhibit",
                      GLib.Variant("(ss)", ("idle-test", "a video plays")),
                      GLib.VariantType("(u)"), Gio.DBusCallFlags.NONE, -1, None)
cookie = reply.unpack()[0]
print("inhibited", cookie, flush=True)
time.sleep(float(sys.argv[1]))
if sys.argv[2] == "release":
    # A cookie that is not ours is refused.
    try:
        bus.call_sync(NAME, "/ScreenSaver", NAME, "UnInhibit", GLib.Variant("(u)", (cookie + 1,)),
                      None, Gio.DBusCallFlags.NONE, -1, None)
        print("a foreign cookie was taken", flush=True)
    except GLib.Error:
        pass
    bus.call_sync(NAME, "/ScreenSaver", NAME, "UnInhibit", GLib.Variant("(u)", (cookie,)),
                  None, Gio.DBusCallFlags.NONE, -1, None)
    print("released", flush=True)
    time.sleep(120)
