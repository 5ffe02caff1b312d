#!/bin/sh
# A picture of the search panel of the follow tab with results, taken in a real (virtual) X
# server. Usage: tools/screenshot-search.sh [build dir] [out dir]
set -e
build=${1:-build}
out=${2:-$build/screens}
cmake --build "$build" -j2 --target search_screens
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1280x800x24" "$build/bin/search_screens" "$out"
