#!/usr/bin/env bash
# Starts the sample forum on loopback and the reader with a demo home pointed at it.
# The demo home is $QUILLMERE_DEMO_HOME, else ~/.local/share/Quillmere-demo.
set -euo pipefail
cd "$(dirname "$0")/.."
home="${QUILLMERE_DEMO_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/Quillmere-demo}"
mkdir -p "$home"
port="${QUILLMERE_DEMO_PORT:-18080}"
log="$home/demo-forum.log"
: >"$log"
build/bin/QuillmereDemoForum --port "$port" --write-hosts "$home/Quillmere.ini" >>"$log" 2>&1 &
forum=$!
trap 'kill $forum 2>/dev/null || true' EXIT
# The forum says "ready <port>" once it listens.
for _ in $(seq 100); do
    grep -q '^ready' "$log" && break
    kill -0 $forum 2>/dev/null || break
    sleep 0.1
done
if ! grep -q '^ready' "$log"; then
    echo "The sample forum did not start; see $log" >&2
    exit 1
fi
echo "Sample forum on port $port; demo home $home"
build/bin/Quillmere --home "$home" "$@"
