#!/usr/bin/env bash
# Instruction counts of the reader, which are stable on shared machines where seconds
# are not: callgrind runs qh-play over fixed scripts of the built-in book, and the
# differences between them give the cost of one page turn and one scroll step. Last,
# the one figure that only a clock shows: 200 page turns with the save file on the disk
# (in the build folder) and on tmpfs (/dev/shm), which differ by what the turns wait for
# the disk.
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
  if [ $scale = 1 ]; then turn=600,000; step=200,000; startup=20,000,000; memory=6,144; average=""
  else turn=5,000,000; step=2,000,000; startup=12,000,000; memory=9,216; average=" (target under 2,500,000)"; fi
  echo "device scale $scale:"
  printf '  start-up to the first page and shutdown: %d instructions (target under %s)\n' "$a" "$startup"
  printf '  page turn, average of twenty:            %d instructions%s\n' $(( (b - a) / 20 )) "$average"
  printf '  page turn to the longest (paragraph %s): %d instructions (target under %s)\n' \
    "$longest" $(( (d - e) / 20 + (e - a) / 40 )) "$turn"
  printf '  scroll step, one line down:              %d instructions (target under %s)\n' \
    $(( (c - b - (d - e) / 20 - (e - a) / 40) / 10 )) "$step"
  printf '  peak resident memory of qh-play:         %d KB (target under %s KB)\n' "$rss" "$memory"
done
# Wall clock in milliseconds of one qh-play run over script $1 with its state in $2.
wall() {
  local start end
  start=$(date +%s%N)
  "$play" --state "$2" "$1" > /dev/null
  end=$(date +%s%N)
  echo $(( (end - start) / 1000000 ))
}
median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
{ start; for i in $(seq 200); do echo "goto $((63 + i % 58))"; done; echo exit; } > "$work/turns.play"
disk=$(mktemp -d "$build/turns-XXXXXX")
tmpfs=$(mktemp -d /dev/shm/qh-turns-XXXXXX)
trap 'rm -rf "$work" "$disk" "$tmpfs"' EXIT
for i in $(seq 5); do   # interleaved, so that a busy moment falls on both
  echo "disk $(wall "$work/turns.play" "$disk/$i")"
  echo "tmpfs $(wall "$work/turns.play" "$tmpfs/$i")"
done > "$work/walls"
onDisk=$(awk '$1 == "disk" {print $2}' "$work/walls" | median)
onTmpfs=$(awk '$1 == "tmpfs" {print $2}' "$work/walls" | median)
printf '200 page turns, wall clock (median of 5):  %d ms with the save on the disk, %d ms on tmpfs (target: disk within 1.5 x tmpfs + 50 ms)\n' \
  "$onDisk" "$onTmpfs"
printf 'quietharbour binary:                     %d bytes\n' "$(stat -c %s "$build/quietharbour")"
"$bookc" --stats "$(grep -m1 'QH_BOOK:FILEPATH=' "$build/CMakeCache.txt" | cut -d= -f2)" | tail -n 2
