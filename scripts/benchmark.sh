#!/bin/sh
# Wall time of tabloria-convert against LibreOffice's own PDF export of the same
# three-sheet workbooks, for a batch of 6 and a batch of 50, one after the other on
# this machine, and their ratio. Needs a ci build and the printer (sh scripts/demo.sh
# sets both up). Prints the machine's load before each batch.
set -eu
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 - "$work" <<'PY'
import sys, openpyxl
for i in range(50):
    wb = openpyxl.Workbook()
    for s in range(3):
        ws = wb.active if s == 0 else wb.create_sheet()
        ws.title = "Sheet %d" % (s + 1)
        ws["A1"] = "Workbook %d, sheet %d" % (i, s + 1)
        for r in range(2, 40):
            for c in range(1, 8):
                ws.cell(row=r, column=c, value=r * c + i + s)
    wb.save("%s/book%02d.xlsx" % (sys.argv[1], i))
PY
mkdir -p "$work/profile" "$work/warm"

# Both start warm: the export gets one untimed run to create its profile, as
# tabloria-convert's own profile exists after its first conversion.
soffice -env:UserInstallation="file://$work/profile" --headless --norestore \
    --convert-to pdf --outdir "$work/warm" "$work/book00.xlsx" >/dev/null 2>&1
./build/ci/bin/tabloria-convert --quiet -o "$work/warm" --overwrite "$work/book00.xlsx"

now() { date +%s.%N; }
seconds() { awk "BEGIN { printf \"%.1f\", $2 - $1 }"; }

for count in 6 50; do
    books=$(ls "$work"/book*.xlsx | head -n "$count")
    rm -rf "$work/tabloria" "$work/export"
    mkdir -p "$work/tabloria" "$work/export"
    echo "load before $count workbooks: $(cut -d' ' -f1-3 /proc/loadavg)"
    start=$(now)
    # shellcheck disable=SC2086
    ./build/ci/bin/tabloria-convert --quiet -o "$work/tabloria" $books
    middle=$(now)
    # shellcheck disable=SC2086
    soffice -env:UserInstallation="file://$work/profile" --headless --norestore \
        --convert-to pdf --outdir "$work/export" $books >/dev/null 2>&1
    end=$(now)
    ours=$(seconds "$start" "$middle")
    theirs=$(seconds "$middle" "$end")
    echo "tabloria-convert, $count workbooks: $ours s ($(ls "$work/tabloria" | wc -l) PDFs)"
    echo "soffice --convert-to pdf, same $count: $theirs s ($(ls "$work/export" | wc -l) PDFs)"
    echo "ratio, $count workbooks: $(awk "BEGIN { printf \"%.2f\", ($middle - $start) / ($end - $middle) }")"
done
