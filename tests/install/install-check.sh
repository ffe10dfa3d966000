#!/bin/sh
# Installs the build into a scratch prefix and checks what a desktop sees: the
# program folder, the launchers, a valid desktop entry, the icon; then starts the
# program the way the desktop entry does and the converter from another folder.
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "install-check: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
folder=$prefix/lib/tabloria
for f in tabloria tabloria-convert Kelvane pellucor QuirrelAddonExcel.so PrinterXP.bat PrinterVista.bat \
         "Tabloria 5.0 Help.html" "Tabloria Home.html" image/Top.bmp image/AboutTop.bmp; do
    [ -e "$folder/$f" ] || fail "missing in the program folder: $f"
done
[ -x "$prefix/bin/tabloria" ] && [ -x "$prefix/bin/tabloria-convert" ] || fail "launchers missing"
[ -f "$prefix/share/icons/hicolor/64x64/apps/tabloria.png" ] || fail "icon missing"
entry=$prefix/share/applications/tabloria.desktop
desktop-file-validate "$entry" || fail "the desktop entry does not validate"
grep -qx "Path=$folder" "$entry" || fail "the desktop entry does not start in the program folder"
exec_line=$(sed -n 's/^Exec=//p' "$entry")

# The converter through its launcher, from a folder that is not the program folder.
cd /
version=$("$prefix/bin/tabloria-convert" --version)
[ "$version" = "tabloria-convert 5.0.0" ] || fail "tabloria-convert --version said: $version"

# The program as the desktop starts it: its command, in its folder. It must still be
# running (showing its window) after a while.
cd "$folder"
QT_QPA_PLATFORM=offscreen $exec_line >/dev/null 2>&1 &
pid=$!
sleep 2
kill -0 "$pid" 2>/dev/null || fail "tabloria ended at once when started from its desktop entry"
kill "$pid"
wait "$pid" 2>/dev/null || true
echo "install-check: ok"
