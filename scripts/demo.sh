#!/bin/sh
# The main job: sets up the machine (packages, CUPS, the printer "Pellucor"), builds
# the programs and starts Tabloria on the desktop, from its program folder (where it
# finds its skin). On a machine without a display it says so and converts a sample
# workbook with tabloria-convert instead; the PDF lands in the folder given, or
# build/demo.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
sh scripts/start-services.sh
cmake --preset ci >/dev/null
cmake --build --preset ci -j "$(nproc)"
sh scripts/setup-printer.sh

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    cd build/ci/bin
    exec ./tabloria
fi

echo "demo: no display here (DISPLAY and WAYLAND_DISPLAY are unset); converting a sample workbook with tabloria-convert instead"
out="${1:-$PWD/build/demo}"
mkdir -p "$out"
./build/ci/bin/tabloria-convert --overwrite -o "$out" --title "Tabloria sample" tests/data/budget.xls
pdfinfo "$out/budget.pdf"
