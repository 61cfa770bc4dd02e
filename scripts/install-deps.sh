#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing.
set -euo pipefail
packages=(cmake g++ make pkg-config googletest libgtest-dev libgmock-dev libbenchmark-dev
          sdcc sdcc-ucsim libusb-1.0-0-dev libedit-dev)
# The Windows cross build and its run under wine: in CI, or on request. wine64 comes without
# its recommended packages, which would pull in a desktop's worth of libraries.
windows_packages=()
if [ "${NANDBRIDGE_WINDOWS:-0}" = 1 ] || [ "${CI:-}" = true ]; then
  packages+=(g++-mingw-w64-x86-64-posix)
  windows_packages+=(wine64)
fi

missing_of() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}
mapfile -t missing < <(missing_of "${packages[@]}")
mapfile -t missing_windows < <(missing_of "${windows_packages[@]}")
if [ ${#missing[@]} -gt 0 ] || [ ${#missing_windows[@]} -gt 0 ]; then
  echo "installing: ${missing[*]} ${missing_windows[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  export DEBIAN_FRONTEND=noninteractive
  [ ${#missing[@]} -eq 0 ] || "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
  [ ${#missing_windows[@]} -eq 0 ] ||
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing_windows[@]}"
fi
