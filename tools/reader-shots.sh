#!/usr/bin/env bash
# The reader's tabs and dialogs against the sample forum in a fresh home, captured into OUTDIR
# (run by tools/screenshots.sh inside its virtual X server).
#   tools/reader-shots.sh OUTDIR
set -euo pipefail
cd "$(dirname "$0")/.."
out=$1
home=$(mktemp -d)
log="$home/demo-forum.log"
build/bin/QuillmereDemoForum --port 0 --write-hosts "$home/Quillmere.ini" >"$log" 2>&1 &
forum=$!
trap 'kill $forum 2>/dev/null || true; rm -rf "$home"' EXIT
for _ in $(seq 100); do
    grep -q '^ready' "$log" && break
    sleep 0.1
done
build/bin/ReaderShots --home "$home" --screenshots "$out"
