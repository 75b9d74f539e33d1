#!/bin/bash
# scripts/check-layers.sh on a small tree of its own: the order comes from
# the tree's CMakeLists.txt, an upward include fails with its file and line,
# and tests/ may include anything.
set -u
script="$(cd "$(dirname "$0")/../.." && pwd)/scripts/check-layers.sh"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
failures=0

expect() {  # expect PASS|FAIL DESCRIPTION [TEXT THE OUTPUT MUST HOLD]
  local output rc
  output=$("$script" "$tree" 2>&1)
  rc=$?
  if { [ "$1" = PASS ] && [ $rc -ne 0 ]; } || { [ "$1" = FAIL ] && [ $rc -ne 1 ]; } ||
     { [ $# -gt 2 ] && ! grep -qF -- "$3" <<<"$output"; }; then
    echo "FAILED: $2 (exit $rc)"
    echo "$output"
    failures=$((failures + 1))
  fi
}

mkdir -p "$tree"/{base,registry,app,tests}
echo 'set(VELTRANE_LAYERS base registry app)' >"$tree/CMakeLists.txt"
printf '#include "base/text.h"\n#include "registry/tregistry.h"\n#include <string>\n' \
  >"$tree/registry/tregistry.cpp"
printf '#include "app/form1.h"\n#include "base/text.h"\n' >"$tree/tests/app_test.cpp"
printf '#include "registry/tregistry.h"\n' >"$tree/app/form1.h"
expect PASS "downward and same-folder includes; tests/ including the top"

printf '// the list\n#include "app/form1.h"\n' >"$tree/registry/list.h"
expect FAIL "registry/ including app/" 'registry/list.h:2: registry/ includes "app/form1.h"'

echo 'set(VELTRANE_LAYERS base app registry)' >"$tree/CMakeLists.txt"
expect FAIL "the order read from CMakeLists.txt" 'app/form1.h:1: app/ includes "registry/tregistry.h"'

rm "$tree/registry/list.h" "$tree/app/form1.h"
echo 'set(VELTRANE_LAYERS base registry app)' >"$tree/CMakeLists.txt"
printf '#include "tests/support/files.h"\n' >"$tree/base/text.cpp"
expect FAIL "a layer including tests/" 'base/text.cpp:1:'

echo 'project(x)' >"$tree/CMakeLists.txt"
"$script" "$tree" >/dev/null 2>&1
[ $? -eq 2 ] || { echo "FAILED: no order in CMakeLists.txt is not an error"; failures=$((failures + 1)); }

[ $failures -eq 0 ] && echo "check-layers: all cases pass"
exit $((failures > 0))
