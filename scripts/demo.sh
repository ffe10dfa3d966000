#!/bin/sh
# The main job on a sample: sets up the machine (packages, CUPS, the printer
# "Pellucor"), builds the programs, and converts a sample workbook into a PDF with
# tabloria-convert. The PDF lands in the folder given, or build/demo.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
sh scripts/start-services.sh
cmake --preset ci >/dev/null
cmake --build --preset ci -j "$(nproc)"
sh scripts/setup-printer.sh
out="${1:-$PWD/build/demo}"
mkdir -p "$out"
./build/ci/bin/tabloria-convert --overwrite -o "$out" --title "Tabloria sample" tests/data/budget.xls
pdfinfo "$out/budget.pdf"
