#!/usr/bin/env bash
# Starts the sample forum on loopback and the reader with a demo home pointed at it.
# The demo home is $QUILLMERE_DEMO_HOME, else ~/.local/share/Quillmere-demo.
set -euo pipefail
cd "$(dirname "$0")/.."
home="${QUILLMERE_DEMO_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/Quillmere-demo}"
mkdir -p "$home"
port="${QUILLMERE_DEMO_PORT:-18080}"
fifo="$home/demo-forum.ready"
rm -f "$fifo" && mkfifo "$fifo"
build/bin/QuillmereDemoForum --port "$port" --write-hosts "$home/Quillmere.ini" >"$fifo" 2>"$home/demo-forum.log" &
forum=$!
trap 'kill $forum 2>/dev/null || true; rm -f "$fifo"' EXIT
# The forum says "ready <port>" once it listens.
if ! timeout 10 grep -q -m1 '^ready' <"$fifo"; then
    echo "The sample forum did not start; see $home/demo-forum.log" >&2
    exit 1
fi
echo "Sample forum on port $port; demo home $home"
build/bin/Quillmere --home "$home" "$@"
