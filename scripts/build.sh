#!/usr/bin/env bash
# Configures and builds into build/ (or $NANDBRIDGE_BUILD_DIR): everything, or the targets
# named as arguments (e.g. scripts/build.sh nandbridge).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${NANDBRIDGE_BUILD_DIR:-$top/build}
"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$build" -j"$(nproc)" "${targets[@]}"
