#!/usr/bin/env bash
# Builds nandbridge and starts it on the simulated bridge. The simulated flash lives in
# sim-flash.bin (created erased on first use) unless NANDBRIDGE_SIM names another image;
# NANDBRIDGE_SIM_BRIDGE=chip runs the FX2 chip model with the real firmware instead of the
# reference bridge. Arguments go to the tool: a file name, or -g.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/build.sh" nandbridge
export NANDBRIDGE_SIM=${NANDBRIDGE_SIM:-$top/sim-flash.bin}
exec "${NANDBRIDGE_BUILD_DIR:-$top/build}/host/nandbridge" "$@"
