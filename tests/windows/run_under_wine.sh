#!/usr/bin/env bash
# Runs the cross-built nandbridge.exe under wine.
#   no-bridge: no driver is there, so it looks for the device, prints its usage on standard
#              error and exits with 2.
#   sim:       on the simulated bridge it reaches the command screen, reads the flash ID
#              through the firmware (key 4) and exits 0 on ESC.
#   file-requester, console: build and run the checks of the Windows platform code
#              (file_requester_check.cpp, console_check.cpp); they need the source tree as a
#              fourth argument. The console check runs on a terminal (script), where wine gives
#              the program a real console.
# Exit 77 (skipped) when wine is not installed.
set -euo pipefail
exe=$1
mode=$2
work=$3

wine=""
for candidate in wine wine64 /usr/lib/wine/wine64; do
  if command -v "$candidate" >/dev/null; then wine=$(command -v "$candidate"); break; fi
done
[ -n "$wine" ] || { echo "wine is not installed: not running the Windows exe"; exit 77; }
[ -f "$exe" ] || { echo "FAIL: $exe missing (the cross build failed?)"; exit 1; }

mkdir -p "$work"
export WINEPREFIX=$work/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
out=$work/$mode.stdout
err=$work/$mode.stderr
fail() { echo "FAIL: $*"; echo "--- stdout"; cat "$out"; echo "--- stderr"; cat "$err"; exit 1; }

# Builds a check program from tests/windows and the named sources of the tool.
build_check() {
  local name=$1; shift
  local compiler
  compiler=$(command -v x86_64-w64-mingw32-g++-posix || command -v x86_64-w64-mingw32-g++ || true)
  [ -n "$compiler" ] || { echo "mingw-w64 is not installed"; exit 77; }
  local sources=()
  for s in "$@"; do sources+=("$source_dir/$s"); done
  "$compiler" -std=c++20 -static -I"$source_dir" -o "$work/$name.exe" \
    "$source_dir/tests/windows/$name.cpp" "${sources[@]}" -lcomdlg32
}
source_dir=${4:-}

case $mode in
  no-bridge)
    unset NANDBRIDGE_SIM
    set +e
    "$wine" "$exe" </dev/null >"$out" 2>"$err"
    status=$?
    set -e
    [ "$status" = 2 ] || fail "exit status $status, expected 2"
    [ "$(head -n 1 "$out" | tr -d '\r')" = "looking for device" ] || fail "no \"looking for device\""
    grep -qi usage "$err" || fail "no usage lines on standard error"
    ! grep -qi usage "$out" || fail "usage lines on standard output"
    ;;
  sim)
    flash=$work/sim-flash.bin
    rm -f "$flash"
    set +e
    printf '4\033' | NANDBRIDGE_SIM="Z:${flash//\//\\}" "$wine" "$exe" >"$out" 2>"$err"
    status=$?
    set -e
    [ "$status" = 0 ] || fail "exit status $status, expected 0"
    grep -q "found device:0" "$out" || fail "the simulated bridge was not found"
    grep -q "F1 for help" "$out" || fail "no command screen"
    # Maker and device code of the simulated 64 MiB flash, first in the view after key 4.
    grep -q "^0000:  EC 76" "$out" || fail "the flash ID did not come through the bridge"
    [ "$(stat -c %s "$flash")" = 69206016 ] || fail "the simulated flash image was not created"
    ;;
  file-requester)
    build_check file_requester_check host/platform/win32/file_requester.cpp
    check=$work/file_requester_check.exe
    # No display: the dialog cannot open a window and returns at once instead of waiting.
    set +e
    env -u DISPLAY -u WAYLAND_DISPLAY "$wine" "$check" </dev/null >"$out" 2>"$err"
    status=$?
    set -e
    [ "$status" = 0 ] || fail "requester check exited with $status"
    ;;
  console)
    command -v script >/dev/null || { echo "script (util-linux) is not installed"; exit 77; }
    build_check console_check host/platform/win32/console_key_reader.cpp \
      host/platform/win32/console_key_translation.cpp host/platform/win32/console_screen_clear.cpp
    log=$work/console_check.log
    rm -f "$log"
    (cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY \
       script -qec "\"$wine\" console_check.exe console_check.log" /dev/null) </dev/null >"$out" 2>"$err" || true
    [ -f "$log" ] || fail "the console check wrote no log"
    findings=$(tr -d '\r' <"$log")
    echo "$findings"
    [ "$findings" != "no console here" ] || { echo "wine gave no console"; exit 77; }
    [ "$(echo "$findings" | tail -n 1)" = "console check passed" ] || fail "console check failed"
    ;;
  *) echo "unknown mode $mode"; exit 1 ;;
esac
echo "ok: $mode"
