#!/bin/sh
# Takes pictures of every window of the program on a real X server (Xvfb) into
# docs/screenshots, from the ci build's program folder.
set -eu
cd "$(dirname "$0")/.."
out="$PWD/docs/screenshots"
mkdir -p "$out"
cd build/ci/bin
xvfb-run -a -s '-screen 0 1024x768x24' ./tabloria-uishots "$out"
