#!/usr/bin/env bash
# Cross-builds the Windows tool with mingw-w64 in its own build directory and checks that
# nandbridge.exe came out as a Windows executable carrying the firmware image.
# Exit 77 (skipped) when mingw-w64 is not installed.
set -euo pipefail
source_dir=$1
build_dir=$2

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null &&
   ! command -v x86_64-w64-mingw32-g++ >/dev/null; then
  echo "mingw-w64 is not installed: no Windows build (scripts/install-deps.sh with NANDBRIDGE_WINDOWS=1)"
  exit 77
fi

cmake -S "$source_dir" -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-w64.cmake" \
      -DCMAKE_BUILD_TYPE=Release >"$build_dir.configure.log" 2>&1 ||
  { cat "$build_dir.configure.log"; exit 1; }
cmake --build "$build_dir" -j2

exe=$build_dir/host/nandbridge.exe
[ -f "$exe" ] || { echo "FAIL: $exe was not built"; exit 1; }
[ "$(head -c 2 "$exe")" = MZ ] || { echo "FAIL: $exe is not a Windows executable"; exit 1; }

# The firmware text is compiled into the exe: its first record must be in there.
image_cpp=$(find "$build_dir/firmware" -name 'firmware_hex_text.cpp' | head -n 1)
[ -n "$image_cpp" ] || { echo "FAIL: no generated firmware text in $build_dir/firmware"; exit 1; }
record=$(grep -o -m 1 '":[0-9A-F]*' "$image_cpp" | tr -d '"')
[ -n "$record" ] || { echo "FAIL: no record in $image_cpp"; exit 1; }
grep -qaF "$record" "$exe" || { echo "FAIL: $exe does not carry the firmware record $record"; exit 1; }
echo "built $exe ($(stat -c %s "$exe") bytes)"
