#!/usr/bin/env bash
# Starts the sample forum on loopback and the reader with a demo home pointed at it.
set -euo pipefail
cd "$(dirname "$0")/.."
home="${QUILLMERE_DEMO_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/Quillmere-demo}"
mkdir -p "$home"
if [ -x build/bin/QuillmereDemoForum ]; then
    port="${QUILLMERE_DEMO_PORT:-18080}"
    build/bin/QuillmereDemoForum --port "$port" >"$home/demo-forum.log" 2>&1 &
    forum=$!
    trap 'kill $forum 2>/dev/null || true' EXIT
    sleep 0.5
    build/bin/QuillmereDemoForum --port "$port" --print-hosts >"$home/hosts.ini"
    build/bin/QuillmereIni "$home/Quillmere.ini" "$home/hosts.ini" 2>/dev/null || true
fi
build/bin/Quillmere --home "$home" "$@"
