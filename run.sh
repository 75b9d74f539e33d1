#!/bin/bash
# Builds Veltrane and starts it under Wine in your own prefix (WINEPREFIX,
# else ~/.wine), on your display, from its copy in the prefix's C:\Veltrane. Without a display it runs a scan on the
# command line instead. With arguments it runs veltrane-cli with them, and
# exits with its exit status:
#   ./run.sh scan --json --drive-root 'C:\'
set -eu
caller=$PWD
cd "$(dirname "$0")"
. scripts/install-deps.sh
# Only the program writes to stdout, which scripts may read.
veltrane_install_deps >&2

cmake --preset windows >/dev/null
cmake --build --preset windows --target veltrane veltrane-cli -j "$(nproc)" >/dev/null

export WINEPREFIX="${WINEPREFIX:-$HOME/.wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# The programs run from a copy inside the prefix, C:\Veltrane, so that the
# backup and the undo files written beside them belong to that prefix.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1 || true
fi
bin="$WINEPREFIX/drive_c/Veltrane"
mkdir -p "$bin"
cp -f build/windows/bin/veltrane.exe build/windows/bin/veltrane-cli.exe "$bin/"
if [ $# -gt 0 ]; then
  # File names on the command line are the caller's.
  cd "$caller"
  exec wine "$bin/veltrane-cli.exe" "$@"
fi
if [ -z "${DISPLAY:-}" ]; then
  echo "No display (DISPLAY is not set): running a command-line scan instead." >&2
  exec wine "$bin/veltrane-cli.exe" scan
fi
exec wine "$bin/veltrane.exe"
