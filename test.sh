#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test headless through CTest.
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh --check-format

export QT_QPA_PLATFORM=offscreen
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
cd build
ctest --output-on-failure -j"$(nproc)" "$@"
