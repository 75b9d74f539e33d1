#!/bin/bash
# Builds the importer's fuzz target (the fuzz preset: clang's libFuzzer) and
# runs it.
#   fuzz/run.sh [SECONDS]   (default 60; CI may give it a few)
# The corpus grows in build/fuzz/corpus; crashes land in build/fuzz/.
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/build/fuzz"
seconds="${1:-60}"
cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
mkdir -p "$out/corpus"
cp -n "$root"/tests/clean/golden/*.reg "$root"/fuzz/seeds/* "$out/corpus/" 2>/dev/null || true
cd "$out"
./import_fuzzer -max_total_time="$seconds" -dict="$root/fuzz/reg.dict" -max_len=4096 \
  -print_final_stats=1 corpus
