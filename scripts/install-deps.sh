#!/bin/sh
# Installs every Debian package that building, running and testing Tabloria needs.
# Safe to run again: it only calls apt when a package is missing.
set -eu

packages="
build-essential cmake ninja-build pkg-config clang-format
qt6-base-dev qt6-base-dev-tools libqt6svg6 qt6-qpa-plugins libgl-dev
libgtest-dev libgmock-dev
libcups2-dev cups cups-client cups-bsd cups-filters cups-ipp-utils
ghostscript
libreoffice-calc libreoffice-writer libreoffice-impress libreoffice-core libreoffice-dev
poppler-utils qpdf
fonts-dejavu-core fonts-liberation2
xvfb xauth imagemagick xdotool desktop-file-utils
dpkg-dev file help2man lintian
python3 python3-openpyxl
"

missing=""
for p in $packages; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing="$missing $p"
    fi
done

if [ -z "$missing" ]; then
    echo "install-deps: every package is present"
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: missing packages:$missing" >&2
    echo "install-deps: run this script as root (or with sudo) to install them" >&2
    exit 1
fi

echo "install-deps: installing$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
# shellcheck disable=SC2086
apt-get install -y -q --no-install-recommends $missing
