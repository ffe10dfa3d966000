#!/bin/sh
# Builds everything and runs every test: once in the CI build (warnings are errors)
# and once with AddressSanitizer and UndefinedBehaviorSanitizer. Installs what is
# missing first, so it passes on a machine that has never seen the project.
set -eu
cd "$(dirname "$0")/.."

sh scripts/install-deps.sh
sh scripts/start-services.sh

export LC_ALL=C.UTF-8
jobs=$(nproc)

sh scripts/format.sh --check

for preset in ci sanitizers; do
    echo "== $preset build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    # The printer's backend is installed from the ci build, before any test runs.
    if [ "$preset" = ci ] && [ -x scripts/setup-printer.sh ]; then
        sh scripts/setup-printer.sh
    fi
    echo "== $preset tests"
    ctest --preset "$preset" -j "$jobs" --timeout 900
done
