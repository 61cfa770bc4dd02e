#!/usr/bin/env bash
# Builds nandbridge and starts it on the simulated bridge. The simulated flash lives in
# sim-flash.bin (created erased on first use); pass a file name or -g as usual.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/build.sh"
export NANDBRIDGE_SIM=${NANDBRIDGE_SIM:-$top/sim-flash.bin}
exec "${NANDBRIDGE_BUILD_DIR:-$top/build}/host/nandbridge" "$@"
