#!/bin/sh
# Formats every C++ file of the repository with the checked-in .clang-format, or,
# with --check, lists the files that differ from it and fails.
set -eu
cd "$(dirname "$0")/.."
files=$(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--check" ]; then
    # shellcheck disable=SC2086
    if ! clang-format --dry-run --Werror $files 2>/tmp/format-check.$$; then
        grep -o '^[^:]*\.\(cpp\|h\):' /tmp/format-check.$$ | sort -u | sed 's/:$//; s/^/format-check: differs from .clang-format: /'
        rm -f /tmp/format-check.$$
        echo "format-check: run 'sh scripts/format.sh' (or 'cmake --build --preset dev --target format')" >&2
        exit 1
    fi
    rm -f /tmp/format-check.$$
    echo "format-check: every C++ file follows .clang-format"
else
    # shellcheck disable=SC2086
    clang-format -i $files
fi
