#!/bin/sh
# Pictures of the export range dialog, the export progress window and the updater's window,
# taken in a real (virtual) X server. Usage: tools/screenshot-export.sh [build dir] [out dir]
set -e
build=${1:-build}
out=${2:-$build/screens}
cmake --build "$build" -j2 --target export_screens
mkdir -p "$out"
QUILLMERE_SOURCE_DIR=$(pwd) xvfb-run -a -s "-screen 0 1280x800x24" "$build/bin/export_screens" "$out"
