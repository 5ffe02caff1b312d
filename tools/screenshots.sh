#!/usr/bin/env bash
# Takes screenshots of the skinned windows under a virtual X server, at 1x and at 2x device
# pixel ratio, into OUTDIR (default build/screenshots). Each program listed in `shots` shows
# its windows and captures them itself; add a line for each program that should be captured.
#   tools/screenshots.sh [OUTDIR]
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build/screenshots}")
bin=build/bin
mkdir -p "$out"
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (apt-get install xvfb)" >&2; exit 1; }

# name | program and arguments (OUT is replaced by the output folder of the pass)
shots=(
    "skin|$bin/SkinGallery --screenshots OUT"
    "reader|tools/reader-shots.sh OUT"
)

export QTWEBENGINE_DISABLE_SANDBOX=1
for scale in 1 2; do
    pass="$out/${scale}x"
    mkdir -p "$pass"
    for entry in "${shots[@]}"; do
        name=${entry%%|*}
        command=${entry#*|}
        command=${command//OUT/$pass}
        echo "== $name at ${scale}x"
        # One X server per program; 1x and 2x screens of the same logical size.
        QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale \
            xvfb-run -a -s "-screen 0 $((1280 * scale))x$((860 * scale))x24" \
            bash -c "$command"
    done
done
echo "screenshots in $out"
