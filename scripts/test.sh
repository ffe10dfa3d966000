#!/bin/sh
# Builds everything and runs every test: once in the CI build (warnings are errors)
# and once with AddressSanitizer and UndefinedBehaviorSanitizer; then makes the
# Debian package from the CI build and tries it on this machine. Installs what is
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

# Last, so that no test above ever meets the package's printer instead of the ci
# build's, and a fault in the package hides no other test's result. The package
# test puts the ci build's printer back when it ends.
echo "== package"
sh scripts/package-test.sh build/ci
