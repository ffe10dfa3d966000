#!/bin/sh
# Wall time of tabloria-convert on ten small workbooks against LibreOffice's own
# PDF export of the same ten, one after the other on this machine. Needs a ci
# build and the printer (sh scripts/demo.sh sets both up). Prints both figures.
set -eu
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 - "$work" <<'PY'
import sys, openpyxl
for i in range(10):
    wb = openpyxl.Workbook(); ws = wb.active; ws.title = "Sheet %d" % i
    ws["A1"] = "Workbook %d" % i
    for r in range(2, 40):
        for c in range(1, 8):
            ws.cell(row=r, column=c, value=r * c + i)
    wb.save("%s/book%02d.xlsx" % (sys.argv[1], i))
PY
mkdir -p "$work/tabloria" "$work/export" "$work/profile" "$work/warm"

# Both start warm: the export gets one untimed run to create its profile, as
# tabloria-convert's own profile exists after its first conversion.
soffice -env:UserInstallation="file://$work/profile" --headless --norestore \
    --convert-to pdf --outdir "$work/warm" "$work/book00.xlsx" >/dev/null 2>&1
./build/ci/bin/tabloria-convert --quiet -o "$work/warm" --overwrite "$work/book00.xlsx"

start=$(date +%s.%N)
./build/ci/bin/tabloria-convert --quiet -o "$work/tabloria" "$work"/book*.xlsx
middle=$(date +%s.%N)
soffice -env:UserInstallation="file://$work/profile" --headless --norestore \
    --convert-to pdf --outdir "$work/export" "$work"/book*.xlsx >/dev/null 2>&1
end=$(date +%s.%N)

seconds() { awk "BEGIN { printf \"%.1f\", $2 - $1 }"; }
echo "tabloria-convert, 10 workbooks: $(seconds "$start" "$middle") s ($(ls "$work/tabloria" | wc -l) PDFs)"
echo "soffice --convert-to pdf, same 10: $(seconds "$middle" "$end") s ($(ls "$work/export" | wc -l) PDFs)"
