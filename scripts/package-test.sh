#!/bin/sh
# Builds the Debian package from a build folder (the ci build by default) and tries
# it on this machine as a user would: lintian, apt-get install into a clean state
# (no earlier package, queue or backend), a workbook converted with the installed
# tabloria-convert, the installed program started as its desktop entry says under
# Xvfb, a reinstall that keeps the queue, and a removal and purge that take the
# queue and the backend away. Run it as root.
#
# It replaces the machine-wide queue "Pellucor" and its backend while it runs, and
# puts the development printer back at its end (scripts/setup-printer.sh), whether
# it passed or not. Where others use the printer too, run it under their lock:
#   flock /tmp/tabloria-e2e.lock sh scripts/package-test.sh
set -eu
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build/ci}
case $build in /*) ;; *) build=$root/$build ;; esac
queue=Pellucor
backend=/usr/lib/cups/backend/pellucor
folder=/usr/lib/tabloria
started=$(date +%s)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/tabloria-package.XXXXXX")
passed=no

say() { echo "package-test: $*"; }
fail() {
    echo "package-test: $*" >&2
    exit 1
}
# Prints a log kept in the scratch folder, then fails with the message.
fail_with() {
    log=$1
    shift
    cat "$log" >&2
    fail "$@"
}

finish() {
    status=$?
    trap - EXIT INT TERM HUP
    # No package left behind, then the development printer as it was.
    if dpkg -s tabloria >/dev/null 2>&1; then
        apt-get purge -y -q -o DPkg::Lock::Timeout=120 tabloria >/dev/null 2>&1 ||
            dpkg --purge tabloria >/dev/null 2>&1 || true
    fi
    if ! sh scripts/setup-printer.sh >"$scratch/restore.log" 2>&1; then
        cat "$scratch/restore.log" >&2
        echo "package-test: the development printer is not set up again: run sh scripts/setup-printer.sh" >&2
        status=1
    fi
    rm -rf "$scratch"
    seconds=$(($(date +%s) - started))
    if [ "$status" -eq 0 ] && [ "$passed" = yes ]; then
        echo "package-test: PASS (${seconds} s)"
    else
        echo "package-test: FAIL (${seconds} s)"
        status=1
    fi
    exit "$status"
}
trap finish EXIT
trap 'exit 130' INT TERM HUP

[ "$(id -u)" -eq 0 ] || fail "installing the package needs root: run this script as root"
for tool in cpack dpkg-deb dpkg-shlibdeps lintian apt-get lpadmin lpstat xvfb-run xdotool import pdfinfo; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool is missing: run sh scripts/install-deps.sh"
done
[ -f "$build/CPackConfig.cmake" ] ||
    fail "$build has no package configuration: cmake --preset ci && cmake --build --preset ci"
[ -x "$build/bin/tabloria" ] || fail "$build is not built: cmake --build --preset ci"
lpstat -r 2>/dev/null | grep -q 'scheduler is running' || fail "CUPS is not running: sh scripts/start-services.sh"

# --- The package -------------------------------------------------------------
out=$build/package
rm -rf "$out"
cpack --config "$build/CPackConfig.cmake" -B "$out" >"$scratch/cpack.log" 2>&1 ||
    fail_with "$scratch/cpack.log" "cpack could not make the package"
set -- "$out"/tabloria_*_*.deb
if [ "$#" -ne 1 ] || [ ! -f "$1" ]; then
    fail_with "$scratch/cpack.log" "cpack made no tabloria_<version>_<arch>.deb in $out"
fi
deb=$1
say "made $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB)"

dpkg-deb -c "$deb" >"$scratch/contents"
has() { grep -Eq -- "$1" "$scratch/contents" || fail "the package lacks $2"; }
for f in tabloria tabloria-convert Kelvane pellucor QuirrelAddonExcel.so PrinterXP.bat PrinterVista.bat \
    "Tabloria 5.0 Help.html" "Tabloria Home.html" image/Top.bmp; do
    has " \\./usr/lib/tabloria/$f\$" "$folder/$f"
done
has '^-rwxr-xr-x root/root .* \./usr/bin/tabloria$' "the launcher /usr/bin/tabloria"
has '^-rwxr-xr-x root/root .* \./usr/bin/tabloria-convert$' "the launcher /usr/bin/tabloria-convert"
has ' \./usr/share/applications/tabloria\.desktop$' "the desktop entry"
has ' \./usr/share/icons/hicolor/64x64/apps/tabloria\.png$' "the icon"
has ' \./usr/share/man/man1/tabloria-convert\.1\.gz$' "the manual page of tabloria-convert (is help2man installed?)"
# CUPS runs the backend as root only with this mode.
has "^-rwx------ root/root .* \\.$backend\$" "the backend $backend with mode 0700, owner root"

depends=$(dpkg-deb -f "$deb" Depends)
for p in libc6 libstdc++6 libcups2 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 \
    libreoffice-calc libreoffice-writer libreoffice-impress ghostscript cups cups-filters; do
    echo "$depends" | tr ',' '\n' | sed 's/^ *//; s/ .*//' | grep -Fxq "$p" ||
        fail "Depends lacks $p: $depends"
done

# Errors and warnings both fail; the warnings kept on purpose are overridden in
# the package itself (dist/deb/lintian-overrides), each with its reason.
lintian --fail-on error,warning "$deb" >"$scratch/lintian.log" 2>&1 ||
    fail_with "$scratch/lintian.log" "lintian found errors or warnings"
say "lintian: no errors, no warnings"

# --- Installing into a clean state -------------------------------------------
if dpkg -s tabloria >/dev/null 2>&1; then
    apt-get purge -y -q -o DPkg::Lock::Timeout=120 tabloria >/dev/null
fi
if lpstat -v "$queue" >/dev/null 2>&1; then
    lpadmin -x "$queue"
fi
rm -f "$backend"

apt_get() { apt-get -y -q --no-install-recommends -o DPkg::Lock::Timeout=120 "$@"; }
apt_get install "$deb" >"$scratch/install.log" 2>&1 || fail_with "$scratch/install.log" "apt-get install $deb failed"
[ "$(dpkg-query -W -f='${Status}' tabloria)" = "install ok installed" ] ||
    fail_with "$scratch/install.log" "the package is not installed after apt-get install"
[ "$(dpkg -S "$backend" 2>/dev/null | cut -d: -f1)" = tabloria ] || fail "$backend does not belong to the package"
[ "$(stat -c '%a %U %G' "$backend")" = "700 root root" ] ||
    fail "$backend has mode and owner $(stat -c '%a %U %G' "$backend"), not 700 root root"
lpstat -v "$queue" 2>/dev/null | grep -q "device for $queue: pellucor:/" ||
    fail_with "$scratch/install.log" "installing did not set up the queue $queue"
say "installed; the queue $queue and its backend are set up"

# Installing again runs the maintainer scripts of an upgrade: the queue stays.
apt_get install --reinstall "$deb" >"$scratch/reinstall.log" 2>&1 ||
    fail_with "$scratch/reinstall.log" "installing the package again failed"
grep -q "updated the queue $queue" "$scratch/reinstall.log" ||
    fail_with "$scratch/reinstall.log" "installing again did not keep and update the queue $queue"

# Without a running CUPS the set-up cannot happen: configuring must still succeed
# and say what to do later. lpstat answers as it does when the scheduler is down.
mkdir "$scratch/nocups"
printf '#!/bin/sh\necho "scheduler is not running"\nexit 1\n' >"$scratch/nocups/lpstat"
chmod +x "$scratch/nocups/lpstat"
PATH="$scratch/nocups:$PATH" sh /var/lib/dpkg/info/tabloria.postinst configure 5.0.0 >"$scratch/nocups.log" 2>&1 ||
    fail_with "$scratch/nocups.log" "configuring the package fails while CUPS is not running"
grep -q "$folder/Kelvane" "$scratch/nocups.log" ||
    fail_with "$scratch/nocups.log" "configuring without CUPS does not tell the user to run Kelvane later"
say "installing again keeps the queue; without CUPS the installation still succeeds"

# --- The installed converter, from a folder of the user's ----------------------
mkdir -p "$scratch/work/pdf"
cp tests/data/budget.xls "$scratch/work/"
(cd "$scratch/work" && timeout 300 /usr/bin/tabloria-convert -o pdf budget.xls) >"$scratch/convert.log" 2>&1 ||
    fail_with "$scratch/convert.log" "the installed tabloria-convert failed"
pages=$(pdfinfo "$scratch/work/pdf/budget.pdf" 2>/dev/null | sed -n 's/^Pages: *//p')
[ "${pages:-0}" -ge 1 ] || fail_with "$scratch/convert.log" "the installed tabloria-convert made no readable PDF"
say "the installed tabloria-convert made budget.pdf ($pages pages)"

# --- The installed program, as its desktop entry starts it --------------------
entry=/usr/share/applications/tabloria.desktop
command=$(sed -n 's/^Exec=//p' "$entry")
path=$(sed -n 's/^Path=//p' "$entry")
if [ -z "$command" ] || [ ! -d "$path" ]; then
    fail "the desktop entry has no Exec or no Path folder"
fi
shot=$out/main-window.png
cat >"$scratch/window.sh" <<EOF
cd "$path" || exit 1
$command >"$scratch/window-program.log" 2>&1 &
program=\$!
window=\$(timeout 30 xdotool search --sync --onlyvisible --name '^Tabloria\$' | head -n 1)
if [ -z "\$window" ]; then
    kill \$program 2>/dev/null
    exit 1
fi
sleep 1
xdotool getwindowgeometry "\$window" | sed -n 's/^ *Geometry: *//p'
import -window root "$shot"
kill \$program
wait \$program 2>/dev/null
exit 0
EOF
geometry=$(env -u QT_QPA_PLATFORM xvfb-run -a -s '-screen 0 1024x768x24' sh "$scratch/window.sh" 2>"$scratch/window.log") ||
    fail_with "$scratch/window-program.log" "no window named Tabloria appeared when starting $command in $path"
width=${geometry%x*}
height=${geometry#*x}
case $geometry in
[0-9]*x[0-9]*) ;;
*) fail "the size of the main window is unknown (${geometry:-nothing})" ;;
esac
if [ "$width" -lt 740 ] || [ "$width" -gt 810 ] || [ "$height" -lt 470 ] || [ "$height" -gt 530 ]; then
    fail "the main window is $geometry, not about 774x500"
fi
say "the installed program shows its main window (${geometry}; picture: $shot)"

# --- Removing, then purging -----------------------------------------------------
# Removing already takes the queue and the backend away; purging leaves nothing of
# the package, and nothing of the user's.
apt-get remove -y -q -o DPkg::Lock::Timeout=120 tabloria >"$scratch/remove.log" 2>&1 ||
    fail_with "$scratch/remove.log" "apt-get remove tabloria failed"
lpstat -r 2>/dev/null | grep -q 'scheduler is running' || fail "CUPS stopped running during the removal"
! lpstat -v "$queue" >/dev/null 2>&1 || fail "the queue $queue is still there after removing the package"
[ ! -e "$backend" ] || fail "the backend $backend is still there after removing the package"
[ ! -e "$folder" ] || fail "the program folder $folder is still there after removing the package"
apt-get purge -y -q -o DPkg::Lock::Timeout=120 tabloria >"$scratch/purge.log" 2>&1 ||
    fail_with "$scratch/purge.log" "apt-get purge tabloria failed"
! dpkg -s tabloria >/dev/null 2>&1 || fail "the package is still known to dpkg after purging"
[ -f "$scratch/work/pdf/budget.pdf" ] || fail "taking the package away took a user's PDF with it"
say "removed and purged; the queue, the backend and the program folder are gone, the user's PDF is not"

passed=yes
