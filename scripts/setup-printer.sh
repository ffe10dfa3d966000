#!/bin/sh
# Sets up the printer "Pellucor" from the ci build: runs the PrinterXP.bat of its
# program folder as root, which installs the backend beside it into CUPS and
# creates the queue. Safe to run again.
set -eu
cd "$(dirname "$0")/.."
script="$PWD/build/ci/bin/PrinterXP.bat"
if [ ! -f "$script" ]; then
    echo "setup-printer: $script is missing; build it first: cmake --preset ci && cmake --build --preset ci" >&2
    exit 1
fi
if [ "$(id -u)" -eq 0 ]; then
    exec /bin/sh "$script"
fi
if command -v sudo >/dev/null 2>&1; then
    exec sudo /bin/sh "$script"
fi
echo "setup-printer: setting up the printer needs root: run this script as root" >&2
exit 1
