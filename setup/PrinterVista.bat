#!/bin/sh
# The printer set-up is the same on every system: hand over to PrinterXP.bat
# beside this script.
exec /bin/sh "$(dirname -- "$0")/PrinterXP.bat"
