#!/bin/bash
# Builds Veltrane and starts it under Wine in your own prefix (WINEPREFIX,
# else ~/.wine), on your display. Without a display it runs a scan on the
# command line instead.
set -eu
cd "$(dirname "$0")"
. scripts/install-deps.sh
veltrane_install_deps

cmake --preset windows >/dev/null
cmake --build --preset windows --target veltrane veltrane-cli -j "$(nproc)" >/dev/null

export WINEPREFIX="${WINEPREFIX:-$HOME/.wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
bin=build/windows/bin
if [ -z "${DISPLAY:-}" ]; then
  echo "No display (DISPLAY is not set): running a command-line scan instead." >&2
  exec wine "$bin/veltrane-cli.exe" scan
fi
exec wine "$bin/veltrane.exe"
