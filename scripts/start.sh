#!/bin/sh
# Installs what is missing, builds the program and starts it.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-deps.sh"
build="$root/build-run"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMF_BUILD_TESTS=OFF \
    -DMF_BUILD_BENCH=OFF -DMF_WERROR=OFF -DMF_SANITIZE= >/dev/null
cmake --build "$build" --target MirvexOggVorbisFrontend

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display to show the window on: start it under X with 'xvfb-run -a $build/src/MirvexOggVorbisFrontend', or set DISPLAY." >&2
    exit 1
fi
exec "$build/src/MirvexOggVorbisFrontend" "$@"
