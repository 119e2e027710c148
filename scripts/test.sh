#!/usr/bin/env bash
# Builds ZELMOR and runs every test, GUI tests included (each starts a
# private Xvfb of its own; no display is needed), and the web edition with
# its tests in headless Chromium.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh -DZELMOR_WEB=ON
cd build
ctest -j"$(nproc)" --output-on-failure --timeout 600
