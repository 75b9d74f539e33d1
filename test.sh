#!/bin/bash
# Installs what is missing, builds both presets and runs every test of both.
# Exits non-zero when anything fails. The last lines are ctest's summary.
set -u
cd "$(dirname "$0")"

packages=(g++ cmake ninja-build googletest libgtest-dev libgmock-dev clang clang-format
          g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth x11-utils imagemagick)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then echo "test.sh: run as root to install packages" >&2; exit 1; fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null \
    || { echo "test.sh: package installation failed" >&2; exit 1; }
fi

jobs=$(nproc)
status=0

echo "== Format check"
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
if ! clang-format --dry-run --Werror $files; then
  echo "Formatting differs from .clang-format (run: clang-format -i <files>)"
  status=1
fi

for preset in native windows; do
  echo "== Build ($preset)"
  if ! cmake --preset "$preset" >/dev/null || ! cmake --build --preset "$preset" -j "$jobs"; then
    echo "Build failed: $preset"
    status=1
    continue
  fi
done

for preset in native windows; do
  [ -f "build/$preset/CTestTestfile.cmake" ] || continue
  echo "== Tests ($preset)"
  ctest --preset "$preset" -j "$jobs" || status=1
done
exit $status
