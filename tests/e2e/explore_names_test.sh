#!/usr/bin/env bash
# qh-play explore names a book's paragraphs beside their numbers: the page with no way
# on, the visits table and the coverage blocks.
set -euo pipefail
play="$1" book="$2"
out="$("$play" --book "$book" explore --runs 3 --coverage 2>/dev/null)"
grep -qx 'no way on: paragraph 8 (quay)' <<<"$out" || { echo "$out"; exit 1; }
grep -Eq '^ +8  [0-9]+ \(quay\)$' <<<"$out" || { echo "$out"; exit 1; }
grep -Eq '^ +2  [0-9]+ \(start\)$' <<<"$out" || { echo "$out"; exit 1; }
echo "explore names: ok"
