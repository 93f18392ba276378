#!/usr/bin/env bash
# The floors of the game's code, bottom to top. A folder may include from
# its own floor and those below; an include that runs upward is listed and
# fails. Usage: scripts/floors.sh [SOURCE-FOLDER]
set -uo pipefail
cd "${1:-$(dirname "$0")/..}" || exit 2

declare -A floor=(
  [platform]=0 [physics]=1 [controls]=2 [players]=3 [effects]=3 [content]=4
  [match]=5 [replay]=6 [online]=6 [app]=7 [meet]=7 [bench]=8 [tools]=8 [tests]=8
)

status=0
while IFS= read -r line; do
  file=${line%%:*}
  target=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"$line")
  from=${file%%/*}
  to=${target%%/*}
  [ -n "${floor[$to]:-}" ] || continue
  [ "${floor[$to]}" -gt "${floor[$from]}" ] || continue
  echo "$file includes $target: $to is above $from"
  status=1
done < <(grep -rHE '^[[:space:]]*#[[:space:]]*include "' --include='*.h' --include='*.cpp' \
           platform physics controls players effects content match replay online app meet)
[ "$status" -eq 0 ] && echo "every include stays on its floor or below"
exit "$status"
