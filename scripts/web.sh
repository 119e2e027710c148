#!/usr/bin/env bash
# Builds the web edition (Emscripten) in build-web/ and serves its pages on
# 127.0.0.1 (port 8000, or the first free one above it).  build-web/site/ is
# the whole site: copy it to any static web host.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
emxx=$(readlink -f "$(command -v em++)")
toolchain="$(dirname "$emxx")/cmake/Modules/Platform/Emscripten.cmake"
# Debian's emscripten runs its JavaScript tools with the first node on PATH,
# which must see Debian's node modules.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
cmake -S . -B build-web -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-web -j"$(nproc)"
exec python3 web/serve.py build-web/site "${1:-8000}"
