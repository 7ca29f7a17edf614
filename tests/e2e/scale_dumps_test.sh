#!/usr/bin/env bash
# Every qh-play script test played at device scale 1 and at 3: the page dumps must be
# the same, since the reader's layout and figures are logical at every scale; and a
# screenshot at 3 is three times as large. Usage: scale_dumps_test.sh QH_PLAY BOOK SCRIPT...
set -u
play="$1"; book="$2"; shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
for script in "$@"; do
  one=$("$play" --book "$book" --scale 1 "$script") || { echo "FAILED: $script at scale 1 exited with $?"; failures=$((failures + 1)); continue; }
  three=$("$play" --book "$book" --scale 3 "$script") || { echo "FAILED: $script at scale 3 exited with $?"; failures=$((failures + 1)); continue; }
  if [ -z "$one" ] || ! diff -u <(printf '%s\n' "$one") <(printf '%s\n' "$three"); then
    echo "FAILED: the dumps of $script differ between scale 1 and 3 (or are empty)"
    failures=$((failures + 1))
  fi
done
printf 'goto 8\nscreenshot %s\nexit\n' "$work/shot.png" > "$work/shot.play"
"$play" --book "$book" --scale 3 "$work/shot.play" > /dev/null 2> "$work/err"
# The book's own pictures are drawn, not the built-in book's renderings of the same ids.
if [ -s "$work/err" ]; then
  echo "FAILED: a book's own pictures at scale 3 gave: $(head -n 2 "$work/err")"; failures=$((failures + 1))
fi
size=$(od -An -tu1 -j16 -N8 "$work/shot.png" 2>/dev/null | awk '{print $3*256+$4, $7*256+$8}')
[ "$size" = "720 960" ] || { echo "FAILED: a screenshot at scale 3 is '$size', not 720 x 960"; failures=$((failures + 1)); }
"$play" --book "$book" --scale 5 "$work/shot.play" > /dev/null 2> "$work/err"
[ $? = 2 ] && grep -q -- "--scale takes a whole number from 1 to 4" "$work/err" || { echo "FAILED: --scale 5 is not refused"; failures=$((failures + 1)); }
echo "$# scripts, $failures failures"
[ "$failures" = 0 ]
