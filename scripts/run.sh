#!/usr/bin/env bash
# Builds ZELMOR and starts it in the current working directory, where it
# keeps its point-exchange file ".ZELMOR".
set -euo pipefail
here=$(pwd)
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/build.sh"
cd "$here"
exec "$root/build/zelmor" "$@"
