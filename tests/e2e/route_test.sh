#!/usr/bin/env bash
# qh-play route N: the script it prints, replayed from a fresh start, ends on paragraph
# N in the story (a chance draw on the way included, so the seed must replay too); a
# paragraph no reading reaches gives exit code 1 and says so; the loops a reading went
# round are not in the route.
set -euo pipefail
play="$1" book="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

for target in 10 15; do
  "$play" --book "$book" route "$target" >"$work/route.play" 2>"$work/route.err"
  grep -Eq "^qh-play: route to paragraph $target: [0-9]+ steps, seed [0-9]+" "$work/route.err" ||
    { echo "route $target: unexpected report: $(cat "$work/route.err")"; exit 1; }
  head -n 2 "$work/route.play" | tr '\n' ' ' | grep -Eq '^seed [0-9]+ goto 2 $' ||
    { echo "route $target: the script does not start from a fresh start"; cat "$work/route.play"; exit 1; }
  echo dump >>"$work/route.play"
  page="$("$play" --book "$book" "$work/route.play" | grep '^page ' | tail -n 1)"
  [ "$page" = "page paragraph=$target story=$target in-story=1 mode=0" ] ||
    { echo "route $target replayed to: $page"; cat "$work/route.play"; exit 1; }
done

if "$play" --book "$book" route 21 --runs 20 >"$work/none.play" 2>"$work/none.err"; then
  echo "route 21 (which nothing reaches) exited 0"; exit 1
fi
grep -q "no reading of 20 from a fresh start reached paragraph 21" "$work/none.err" ||
  { echo "route 21: $(cat "$work/none.err")"; exit 1; }
[ ! -s "$work/none.play" ] || { echo "route 21 printed a script"; exit 1; }
# A reading that goes round a loop (along the wall and back to the quay) comes to the
# same place twice: the route keeps neither the loop nor the place twice, and the rest
# still replays. On this book a page is the whole of where a reading stands.
loops="$(dirname "$0")/../books/loops/loops.book"
cut=0
for seed in $(seq 10); do
  "$play" --book "$loops" route 12 --runs 1 --seed "$seed" >"$work/loop.play" 2>"$work/loop.err"
  if grep -q "before the loops it went round were cut" "$work/loop.err"; then cut=$((cut + 1)); fi
  awk 'NR <= 2 {print; next} {print "dump"; print}' "$work/loop.play" >"$work/walk.play"
  echo dump >>"$work/walk.play"
  pages="$("$play" --book "$loops" "$work/walk.play" | grep '^page ')"
  [ "$(echo "$pages" | tail -n 1)" = "page paragraph=12 story=12 in-story=1 mode=0" ] ||
    { echo "seed $seed: the route does not end at paragraph 12"; cat "$work/loop.play"; exit 1; }
  [ "$(echo "$pages" | sort | uniq -d)" = "" ] ||
    { echo "seed $seed: the route stands on a page twice"; echo "$pages"; exit 1; }
done
[ "$cut" -gt 0 ] || { echo "no reading of the loops book went round a loop: the test shows nothing"; exit 1; }
echo "route: ok"
