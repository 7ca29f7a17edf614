#!/usr/bin/env bash
# Instruction counts of the reader, which are stable on shared machines where seconds
# are not: callgrind runs qh-play over fixed scripts of the built-in book, and the
# differences between them give the cost of one page turn and one scroll step.
# Usage: bench/instructions.sh [BUILD_DIR]   (default: build)
set -euo pipefail
build="${1:-build}"
play="$build/qh-play"
bookc="$build/qh-bookc"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The longest paragraph of the built-in book, and twenty paragraphs to turn through.
longest=$(awk '/^paragraph [0-9]+:/{p=$2; sub(":","",p)} p && !/^paragraph /{n[p]+=NF} END{best=2; for (q in n) if (n[q] > n[best]) best=q; print best}' \
  "$(grep -m1 'QH_BOOK:FILEPATH=' "$build/CMakeCache.txt" | cut -d= -f2)")

start() { echo "goto 2"; }
turns() { for p in $(seq 63 3 120); do echo "goto $p"; done; }
scrolls() { echo "goto $longest"; for i in $(seq 10); do echo "key Down"; done; }

{ start; echo exit; } > "$work/a.play"
{ start; turns; echo exit; } > "$work/b.play"
{ start; turns; scrolls; echo exit; } > "$work/c.play"
{ start; for i in $(seq 20); do echo "goto $longest"; echo "goto 2"; done; echo exit; } > "$work/d.play"
{ start; for i in $(seq 20); do echo "goto 2"; echo "goto 2"; done; echo exit; } > "$work/e.play"

count() {   # instructions of one qh-play run over script $1 at device scale $2
  valgrind --tool=callgrind --callgrind-out-file="$work/out.%p" "$play" --scale "$2" --state "$work/state-$RANDOM" "$1" \
    > /dev/null 2> "$work/log"
  grep -m1 -E 'Collected : [0-9]+' "$work/log" | awk '{print $NF}'
}

# The same figures at device scale 1 (the handheld's own size) and 3 (a desktop window).
for scale in 1 3; do
  a=$(count "$work/a.play" $scale)
  b=$(count "$work/b.play" $scale)
  c=$(count "$work/c.play" $scale)
  d=$(count "$work/d.play" $scale)
  e=$(count "$work/e.play" $scale)
  rss=$(/usr/bin/time -f %M "$play" --scale $scale --state "$work/rss-$scale" "$work/c.play" 2>&1 >/dev/null | tail -n 1)
  if [ $scale = 1 ]; then turn=1,000,000; step=400,000; else turn=5,000,000; step=2,000,000; fi
  echo "device scale $scale:"
  printf '  start-up to the first page and shutdown: %d instructions (target under 20,000,000 at scale 1)\n' "$a"
  printf '  page turn, average of twenty:            %d instructions\n' $(( (b - a) / 20 ))
  printf '  page turn to the longest (paragraph %s): %d instructions (target under %s)\n' \
    "$longest" $(( (d - e) / 20 + (e - a) / 40 )) "$turn"
  printf '  scroll step, one line down:              %d instructions (target under %s)\n' \
    $(( (c - b - (d - e) / 20 - (e - a) / 40) / 10 )) "$step"
  printf '  peak resident memory of qh-play:         %d KB (target under 24,576 KB at scale 1)\n' "$rss"
done
printf 'quietharbour binary:                     %d bytes\n' "$(stat -c %s "$build/quietharbour")"
"$bookc" --stats "$(grep -m1 'QH_BOOK:FILEPATH=' "$build/CMakeCache.txt" | cut -d= -f2)" | tail -n 2
