#!/bin/sh
# Runs the end-to-end tests under Xvfb and a private D-Bus session: those of
# desktop_e2e.py, or of the script named in MF_E2E_SCRIPT.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
program=$1
exec xvfb-run -a -s "-screen 0 1024x768x24" \
    dbus-run-session -- /usr/bin/python3 "$here/${MF_E2E_SCRIPT:-desktop_e2e.py}" "$@"
