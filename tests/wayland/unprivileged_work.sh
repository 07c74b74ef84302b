# Sourced by the Wayland tests: a work folder for a compositor and its
# clients, which run as nobody when the tests run as root (compositors refuse
# root). Sets WORK (with run/, home/, config/ and shots/) and as_user.
WORK=$(mktemp -d)
chmod 755 "$WORK"
as_user=()
[ "$(id -u)" -eq 0 ] && as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
mkdir -p "$WORK/run" "$WORK/home" "$WORK/config" "$WORK/shots"
chmod 700 "$WORK/run"
[ "$(id -u)" -eq 0 ] && chown -R nobody:nogroup "$WORK"
