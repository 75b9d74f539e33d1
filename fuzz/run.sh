#!/bin/bash
# Builds the importer's fuzz target with clang's libFuzzer and runs it.
#   fuzz/run.sh [SECONDS]   (default 60; CI may give it a few)
# The corpus grows in build/fuzz/corpus; crashes land in build/fuzz/.
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/build/fuzz"
seconds="${1:-60}"
mkdir -p "$out/corpus"
cxx=$(command -v clang++-14 || command -v clang++)
sources=(
  "$root/fuzz/import_fuzzer.cpp"
  "$root/clean/reg_import.cpp" "$root/clean/reg_parse.cpp" "$root/clean/reg_verify.cpp"
  "$root/clean/import_journal.cpp" "$root/clean/reg_export.cpp" "$root/clean/reg_format.cpp"
  "$root/clean/whole_file.cpp" "$root/clean/reg_lines.cpp" "$root/clean/file_error.cpp"
  "$root/clean/import_undo.cpp" "$root/clean/undo_file.cpp"
  "$root/registry/tregistry.cpp" "$root/registry/memory_registry.cpp"
  "$root/registry/typed_value.cpp" "$root/registry/value_delivery.cpp"
  "$root/base/text.cpp" "$root/base/names.cpp" "$root/base/unicode_tables.cpp"
)
binary="$out/import_fuzzer"
newest=$(ls -t "${sources[@]}" "$root"/clean/*.h "$root"/registry/*.h "$root"/base/*.h | head -1)
if [ ! -x "$binary" ] || [ "$newest" -nt "$binary" ]; then
  "$cxx" -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root" "${sources[@]}" -o "$binary"
fi
cp -n "$root"/tests/clean/golden/*.reg "$root"/fuzz/seeds/* "$out/corpus/" 2>/dev/null || true
cd "$out"
"$binary" -max_total_time="$seconds" -dict="$root/fuzz/reg.dict" -max_len=4096 \
  -print_final_stats=1 corpus
