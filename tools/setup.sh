#!/usr/bin/env bash
# Installs every missing Debian package the build, the programs and the tests need, then
# configures and builds (Release) into ./build. Shared by run.sh and test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-webengine-dev libqt6opengl6-dev
    libsqlite3-dev libcurl4-openssl-dev libgumbo-dev libcpp-httplib-dev libssl-dev libminizip-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth fonts-noto-cjk clang-format python3 epubcheck desktop-file-utils
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The format check runs before the build, so a badly formatted tree fails at once.
if [ "${1:-}" = "--check-format" ]; then
    tools/check-format.sh
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
cmake --build build -j"$(nproc)"
