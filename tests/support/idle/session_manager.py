# session_manager.py: a stand-in for GNOME's session manager on the session
# bus for the idle starter's test. IsInhibited(flags) answers true for
# idleness (flag 8) while it runs: ending it ends the inhibition.
from gi.repository import Gio, GLib

XML = """<node><interface name='org.gnome.SessionManager'>
<method name='IsInhibited'><arg type='u' direction='in'/><arg type='b' direction='out'/></method>
</interface></node>"""


def on_call(connection, sender, path, interface, method, parameters, invocation):
    flags = parameters.unpack()[0]
    invocation.return_value(GLib.Variant("(b)", ((flags & 8) != 0,)))


bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
node = Gio.DBusNodeInfo.new_for_xml(XML)
bus.register_object("/org/gnome/SessionManager", node.interfaces[0], on_call, None, None)
Gio.bus_own_name_on_connection(bus, "org.gnome.SessionManager", Gio.BusNameOwnerFlags.NONE,
                               lambda *a: print("owned", flush=True), None)
GLib.MainLoop().run()
