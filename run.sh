#!/usr/bin/env bash
# Sets up what is missing, builds, and starts the reader.
#   ./run.sh          the reader on the forum, with the usual home
#   ./run.sh --demo   the reader on the bundled sample forum, with a demo home
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh

if [ "${1:-}" = "--demo" ]; then
    shift
    exec tools/run-demo.sh "$@"
fi
exec build/bin/Quillmere "$@"
