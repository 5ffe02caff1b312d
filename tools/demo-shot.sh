#!/usr/bin/env bash
# Runs `./run.sh --demo`'s script briefly under a virtual X server in a throw-away demo home
# and saves what the screen shows once the reader is up:
#   tools/demo-shot.sh [OUT.png]   (default build/screenshots/demo.png)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build/screenshots/demo.png}")
mkdir -p "$(dirname "$out")"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export QUILLMERE_DEMO_HOME="$home"
export QUILLMERE_DEMO_PORT="${QUILLMERE_DEMO_PORT:-$((20000 + RANDOM % 20000))}"
[ "$(id -u)" = 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x860x24" bash -c '
    tools/run-demo.sh >"$QUILLMERE_DEMO_HOME/run.log" 2>&1 &
    demo=$!
    # The reader is up once its server has announced itself and the window had time to paint.
    for _ in $(seq 200); do
        pgrep -f "QuillmereServer .*$QUILLMERE_DEMO_HOME" >/dev/null && break
        kill -0 $demo 2>/dev/null || break
        sleep 0.1
    done
    sleep 3
    build/bin/QuillmereScreenGrab "'"$out"'"
    status=0
    kill -0 $demo 2>/dev/null || { echo "the demo ended early:"; cat "$QUILLMERE_DEMO_HOME/run.log"; status=1; }
    kill -TERM $demo 2>/dev/null || true
    pkill -TERM -P $demo 2>/dev/null || true
    wait $demo 2>/dev/null || true
    exit $status
'
echo "$out"
