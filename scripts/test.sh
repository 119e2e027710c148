#!/usr/bin/env bash
# Builds ZELMOR and runs every test, GUI tests included (each starts a
# private Xvfb of its own; no display is needed).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
cd build
ctest -j"$(nproc)" --output-on-failure --timeout 600
