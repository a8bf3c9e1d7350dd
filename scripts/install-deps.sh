#!/bin/sh
# Installs what building, running and testing the program need, from Debian's
# packages, when it is missing. Runs as root, or through sudo.
set -eu

packages="cmake ninja-build g++ clang libclang-rt-14-dev clang-format pkg-config
qt6-base-dev qt6-base-dev-tools libgl-dev zlib1g-dev libgtest-dev fonts-dejavu-core
shared-mime-info desktop-file-utils xdg-utils libglib2.0-bin hicolor-icon-theme
attr vorbis-tools xvfb xauth dbus at-spi2-core python3-pyatspi appstream
qt6-translations-l10n"

missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    as_root=""
elif command -v sudo >/dev/null 2>&1; then
    as_root="sudo"
else
    echo "These packages are missing and neither root nor sudo is at hand:$missing" >&2
    exit 1
fi
echo "Installing:$missing"
$as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
# shellcheck disable=SC2086
$as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing
