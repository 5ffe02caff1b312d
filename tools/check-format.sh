#!/usr/bin/env bash
# Fails with the list of C++ files that differ from the root .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "clang-format is missing" >&2; exit 1; }
off=$(git ls-files '*.cpp' '*.h' | xargs -r -n 50 -P 2 clang-format --dry-run 2>&1 \
    | sed -n 's/^\(.*\):[0-9]*:[0-9]*: warning: code should be clang-formatted.*/\1/p' | sort -u)
if [ -n "$off" ]; then
    echo "These files differ from .clang-format (run: clang-format -i FILE):" >&2
    echo "$off" >&2
    exit 1
fi
