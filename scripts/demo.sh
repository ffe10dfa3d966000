#!/bin/sh
# The main job on a sample: builds the programs, then turns a small PostScript page
# into a PDF through the PDF step and shows what pdfinfo reads from it.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev
./build/dev/bin/tabloria-pdfstep-sample "${1:-$PWD/build/sample}"
