#!/usr/bin/env bash
# Builds everything and runs every test.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/build.sh"
cd "${NANDBRIDGE_BUILD_DIR:-$top/build}"
ctest --output-on-failure -j2 --timeout 1500
