#!/usr/bin/env bash
# Screenshots of the reading views under a virtual X server, in a throw-away home:
#   tools/screenshot-reading.sh [OUT_DIR]   (default build/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-build/screenshots}"
mkdir -p "$out"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export QUILLMERE_HOME="$home"
[ "$(id -u)" = 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
for mode in highlight filter people; do
    xvfb-run -a -s "-screen 0 920x690x24" \
        build/bin/QuillmereReadingPreview "$out/reading-$mode.png" "$mode"
    echo "$out/reading-$mode.png"
done
