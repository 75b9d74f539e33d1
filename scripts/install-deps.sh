#!/bin/bash
# Installs the Debian packages the build and the tests need, if missing.
# Sourced by test.sh and run.sh.
veltrane_install_deps() {
  local packages=(g++ cmake ninja-build googletest libgtest-dev libgmock-dev clang clang-format
                  g++-mingw-w64-x86-64-posix wine wine64 fonts-wine ttf-bitstream-vera
                  xvfb xauth x11-utils imagemagick python3)
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages; run as root to install them: ${missing[*]}" >&2
    return 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || {
    echo "Package installation failed" >&2
    return 1
  }
}
