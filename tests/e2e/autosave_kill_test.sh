#!/usr/bin/env bash
# The place survives a reader killed at any instant: qh-play reads "goto N" and "dump"
# lines from a pipe and is killed with SIGKILL at a random moment after one of them.
# A page counts as reached once its dump has been printed: the turn was built, written
# and reported. The save file must then be 2544 bytes and hold the last page reached,
# or the page after it when the kill came in the middle of that next turn. Whatever a
# kill left beside the file is gone once the next reader has started.
# Usage: autosave_kill_test.sh QH_PLAY TEST_BOOK RUNS [SEED]
set -u
source "$(dirname "$0")/lock_wait.sh"
play="$1"
book="$2"
runs="$3"
RANDOM="${4:-$$}"
work=$(mktemp -d)
trap 'exec 3>&- 2>/dev/null; rm -rf "$work"' EXIT
folder="$work/quietharbour"
save="$folder/QTL2quietharbour.dat"
paragraphs=(8 10 11 12 13 15 17 20 21)
failures=0
turns=0
left=0

word16() { od -An -t d2 -j 0 -N 2 "$save" | tr -d ' '; }
leftovers() { find "$folder" -maxdepth 1 -name '.QTL2quietharbour.dat.??????' -printf '%f\n' | grep -v '\.lock$'; }
fail() { echo "run $run: $*"; failures=$((failures + 1)); }

printf 'goto 8\nexit\n' | XDG_DATA_HOME= "$play" --book "$book" --state "$work" - > /dev/null
previous=$(word16)
mkfifo "$work/in"
stale=""
for run in $(seq "$runs"); do
  XDG_DATA_HOME= "$play" --book "$book" --state "$work" - < "$work/in" > "$work/out" 2> /dev/null &
  reader=$!
  exec 3> "$work/in"
  wait_for_lock "$folder/.QTL2quietharbour.dat.lock" $reader || { fail "reader did not start"; break; }
  sent=()
  for _ in $(seq $((RANDOM % 6 + 1))); do
    p=${paragraphs[$((RANDOM % ${#paragraphs[@]}))]}
    printf 'goto %d\ndump\n' "$p" >&3
    sent+=("$p")
    sleep "$(printf '0.%03d' $((RANDOM % 25)))"
  done
  kill -KILL $reader
  wait $reader 2> /dev/null
  exec 3>&-
  reached=$(grep -c '^page paragraph=' "$work/out")
  turns=$((turns + reached))
  # The last page reached, and the one whose turn may have been under way.
  if [ "$reached" -gt 0 ]; then last=${sent[$((reached - 1))]}; else last=$previous; fi
  next=${sent[$reached]:-$last}
  size=$(stat -c %s "$save")
  value=$(word16)
  [ "$size" = 2544 ] || fail "file is $size bytes"
  [ "$value" = "$last" ] || [ "$value" = "$next" ] ||
    fail "file holds $value; last reached $last, next sent $next (sent ${sent[*]}, $reached reached)"
  for name in $stale; do
    [ -e "$folder/$name" ] && fail "$name from an earlier kill is still there"
  done
  stale=$(leftovers)
  [ -n "$stale" ] && left=$((left + 1))
  previous=$value
done
echo "$runs runs, $turns page turns reached, $left kills left a temporary file, $failures failures"
[ "$failures" = 0 ]
