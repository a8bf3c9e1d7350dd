#!/bin/sh
# Runs the end-to-end tests under Xvfb and a private D-Bus session.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
program=$1
exec xvfb-run -a -s "-screen 0 1024x768x24" \
    dbus-run-session -- /usr/bin/python3 "$here/desktop_e2e.py" "$@"
