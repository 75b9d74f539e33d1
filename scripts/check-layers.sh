#!/bin/bash
# Checks that every folder of the program includes only itself and the
# folders below it, in the order the top CMakeLists.txt gives
# (VELTRANE_LAYERS, lowest first). tests/, bench/ and fuzz/ may include
# anything. Names each file and line that breaks the order; exits 1 then.
#   scripts/check-layers.sh [ROOT]   (the repository by default)
set -u
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
cmakelists="$root/CMakeLists.txt"

# The one statement of the order: set(VELTRANE_LAYERS a b c ...) on one line.
layers=$(sed -n 's/^[[:space:]]*set([[:space:]]*VELTRANE_LAYERS[[:space:]]\+\([^)]*\)).*/\1/p' \
  "$cmakelists" 2>/dev/null | head -1)
read -r -a order <<<"$layers"
if [ ${#order[@]} -eq 0 ]; then
  echo "check-layers: no set(VELTRANE_LAYERS ...) in $cmakelists" >&2
  exit 2
fi

declare -A rank
for i in "${!order[@]}"; do rank[${order[$i]}]=$i; done

status=0
for layer in "${order[@]}"; do
  [ -d "$root/$layer" ] || continue
  # file:line:text of every quoted include naming a folder.
  while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    line=${rest%%:*}
    target=$(sed 's/.*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/' <<<"${rest#*:}")
    folder=${target%%/*}
    if [ -n "${rank[$folder]+set}" ]; then
      [ "${rank[$folder]}" -le "${rank[$layer]}" ] && continue
    elif [ ! -d "$root/$folder" ]; then
      continue  # not one of the repository's folders
    fi
    echo "${file#"$root"/}:$line: $layer/ includes \"$target\"; $layer/ may include only: ${order[*]:0:${rank[$layer]}+1}"
    status=1
  done < <(grep -rn --include='*.h' --include='*.cpp' --include='*.rc' \
             -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' "$root/$layer")
done
[ $status -eq 0 ] && echo "Layers in order: ${order[*]}"
exit $status
