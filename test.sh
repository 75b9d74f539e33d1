#!/bin/bash
# Installs what is missing, checks the layers, builds both presets and the
# fuzz target, and runs every test of both.
# Exits non-zero when anything fails. The last lines are ctest's summary.
set -u
cd "$(dirname "$0")"

. scripts/install-deps.sh
veltrane_install_deps || exit 1

jobs=$(nproc)
status=0

echo "== Format check"
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
if ! clang-format --dry-run --Werror $files; then
  echo "Formatting differs from .clang-format (run: clang-format -i <files>)"
  status=1
fi

echo "== Layer check"
scripts/check-layers.sh || status=1

# The fuzz preset builds the importer's fuzz target only; the native tests
# run it for a few seconds.
for preset in native fuzz windows; do
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
