#!/bin/sh
# Starts the CUPS scheduler when it is not running (CI machines and containers
# have no init system that would). Needs root.
set -eu
if lpstat -r 2>/dev/null | grep -q 'is running'; then
    exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "start-services: the CUPS scheduler is not running; start it (as root: cupsd) and try again" >&2
    exit 1
fi
mkdir -p /run/cups
cupsd
for _ in $(seq 1 50); do
    lpstat -r 2>/dev/null | grep -q 'is running' && exit 0
    sleep 0.1
done
echo "start-services: cupsd did not come up" >&2
exit 1
