#!/bin/sh
# Sets up the PostScript printer "Pellucor": installs its CUPS backend from the
# folder of this script and creates (or updates) the queue. Run it as root. Safe
# to run again: every step only puts things the way they must be.
set -u

me=$(basename -- "$0")
here=$(CDPATH='' cd -- "$(dirname -- "$0")" && pwd)
queue=Pellucor
uri=pellucor:/
driver=drv:///sample.drv/generic.ppd

say() { echo "$me: $*"; }
fail() {
    echo "$me: $*" >&2
    exit 1
}

if ! command -v lpadmin >/dev/null 2>&1 || ! command -v lpstat >/dev/null 2>&1; then
    fail "CUPS is missing (no lpadmin or lpstat): install the Debian packages cups and cups-filters, then run this again"
fi
if ! lpstat -r 2>/dev/null | grep -q 'scheduler is running'; then
    fail "the CUPS scheduler is not running: start it (systemctl start cups, or cupsd) and run this again"
fi
if [ "$(id -u)" -ne 0 ]; then
    fail "only root can set up the printer: run this again as root"
fi

source="$here/pellucor"
[ -f "$source" ] || fail "the backend $source is missing: build the program first"

backends=""
for folder in /usr/lib/cups/backend /usr/libexec/cups/backend; do
    if [ -d "$folder" ]; then
        backends=$folder
        break
    fi
done
[ -n "$backends" ] || fail "CUPS is missing (no backend folder in /usr/lib/cups or /usr/libexec/cups): install the Debian package cups"

# Mode 0700 and owner root: CUPS runs such a backend as root, which it needs to
# take on the identity of each job's user.
target="$backends/pellucor"
if [ -f "$target" ] && [ ! -L "$target" ] && cmp -s "$source" "$target" &&
    [ "$(stat -c '%a %u %g' "$target")" = "700 0 0" ]; then
    say "backend $target is up to date"
else
    install -m 0700 -o root -g root "$source" "$target.new" && mv -f "$target.new" "$target" ||
        fail "cannot install the backend into $target"
    say "installed the backend $target"
fi

if ! lpinfo -m 2>/dev/null | grep -q "^$driver "; then
    fail "the generic PostScript driver ($driver) is missing: install the Debian packages cups and cups-filters"
fi

# The queue's PPD is the generic PostScript driver's own, with one change: a PDF
# job (what LibreOffice and Qt send) goes straight to the pdftops filter, which
# writes every page on paper of that page's own size and orientation. The normal
# PDF road first puts all pages on the job's one paper size, turning landscape
# pages by a quarter onto portrait paper, and the PostScript then says portrait.
# PostScript jobs keep their road through pstops (cost 66, below the 100 of going
# through PDF).
daemons=""
for folder in /usr/lib/cups/daemon /usr/libexec/cups/daemon; do
    if [ -x "$folder/cups-driverd" ]; then
        daemons=$folder
        break
    fi
done
[ -n "$daemons" ] || fail "CUPS is missing (no cups-driverd in /usr/lib/cups/daemon or /usr/libexec/cups/daemon): install the Debian package cups"
ppd=$(mktemp "${TMPDIR:-/tmp}/pellucor-ppd.XXXXXX") || fail "cannot create a temporary file for the queue's PPD"
trap 'rm -f "$ppd"' EXIT
if ! "$daemons/cups-driverd" cat "$driver" 2>/dev/null |
    awk '{ print } /^\*PCFileName:/ {
        print "*cupsFilter2: \"application/vnd.cups-postscript application/postscript 0 -\""
        print "*cupsFilter2: \"application/pdf application/postscript 100 pdftops\""
        added = 1
    } END { exit added ? 0 : 1 }' >"$ppd"; then
    fail "cannot read the generic PostScript driver ($driver) from CUPS"
fi

if lpstat -v "$queue" >/dev/null 2>&1; then
    action="updated"
else
    action="created"
fi
# Not shared; a job that fails is dropped instead of stopping the queue; PDF input
# is rendered with pdftocairo (the other renderers lose the text); and only an
# authenticated local user may create a job (CUPS checks local users by their
# socket credentials without asking), so nobody can send a job in another user's
# name into that user's work folder.
if ! output=$(lpadmin -p "$queue" -E -v "$uri" -P "$ppd" \
    -D "Tabloria PostScript printer" \
    -o printer-is-shared=false \
    -o printer-error-policy=abort-job \
    -o pdftops-renderer-default=pdftocairo \
    -o printer-op-policy=authenticated 2>&1); then
    echo "$output" >&2
    fail "cannot set up the queue $queue (the CUPS policy \"authenticated\" must exist in cupsd.conf)"
fi
say "$action the queue $queue ($uri, generic PostScript driver, pages of their own size, not shared, abort-job, pdftocairo, authenticated users only)"
