#!/usr/bin/env bash
# The save file end to end: real qh-play runs against real files in a temporary data
# folder. Usage: save_file_test.sh QH_PLAY TEST_BOOK
set -u
source "$(dirname "$0")/lock_wait.sh"
play="$1"
book="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
save="$work/quietharbour/QTL2quietharbour.dat"
failures=0
passed=0

check() {   # check NAME CONDITION...
  local name="$1"; shift
  if "$@"; then passed=$((passed + 1)); else echo "FAILED: $name"; failures=$((failures + 1)); fi
}
byte() { od -An -t u1 -j "$1" -N 1 "$save" | tr -d ' '; }
word16() { od -An -t d2 -j "$1" -N 2 "$save" | tr -d ' '; }
word32() { od -An -t d4 -j "$1" -N 4 "$save" | tr -d ' '; }
zeros() { [ "$(od -An -t u1 -j "$1" -N "$2" "$save" | tr -d ' 0\n')" = "" ]; }
run() { printf '%s\n' "$@" | XDG_DATA_HOME= "$play" --book "$book" --state "$work" -; }
first_page() { run dump | head -n 1; }

# A first run creates the file: 2544 bytes, version 176, sound on, reserved bytes zero,
# and at exit the story position even though a side page is on screen.
run "goto 8" "tool information" "exit" > /dev/null
check "file size" [ "$(stat -c %s "$save")" = 2544 ]
check "version" [ "$(word32 28)" = 176 ]
check "sound on" [ "$(byte 2)" = 1 ]
check "story position, not the side page" [ "$(word16 0)" = 8 ]
check "reserved bytes" zeros 3 25
check "reserved tail" zeros 2542 2
check "resumes at the saved paragraph" [ "$(first_page)" = "page paragraph=8 story=8 in-story=1 mode=0" ]

# Variables are restored with the place; positions 0 and 362 start at 2 but still
# restore the variables.
run "goto 8" "tap \"Hire five sailors\"" "exit" > /dev/null
check "variable saved" [ "$(byte $((32 + 20 + 6)))" = 5 ]
for position in 0 362; do
  printf "$(printf '\\%03o\\%03o' $((position & 255)) $((position >> 8)))" |
    dd of="$save" bs=1 seek=0 conv=notrunc status=none
  out=$(run dump state)
  check "position $position starts at 2" [ "$(echo "$out" | head -n 1 | cut -d' ' -f2)" = "paragraph=2" ]
  check "position $position restores variables" grep -q '^var 1 5 0$' <<< "$out"
done

# Version 175: start at 2, nothing restored, the file kept aside as it was, and a fresh
# record (sound on, reserved bytes zero) written in its place.
run "goto 8" "exit" > /dev/null
printf '\257' | dd of="$save" bs=1 seek=28 conv=notrunc status=none      # 175
printf '\000' | dd of="$save" bs=1 seek=2 conv=notrunc status=none       # sound off
printf '\052' | dd of="$save" bs=1 seek=10 conv=notrunc status=none      # a reserved byte
cp "$save" "$work/old-version"
out=$(run dump state "exit" 2> /dev/null)
check "old version starts at 2" [ "$(echo "$out" | head -n 1 | cut -d' ' -f2)" = "paragraph=2" ]
check "old version restores nothing" bash -c "! grep -q '^var ' <<< \"\$0\"" "$out"
check "old version kept aside" cmp -s "$work/old-version" "$save.unreadable"
check "old version does not decide the sound" [ "$(byte 2)" = 1 ]
check "rewritten as 176" [ "$(word32 28)" = 176 ]

# An empty file: start at 2, as a fresh start, with sound on.
: > "$save"
out=$(run dump state)
check "empty file starts at 2" [ "$(echo "$out" | head -n 1 | cut -d' ' -f2)" = "paragraph=2" ]
check "empty file has sound on" grep -q '^sound 1$' <<< "$out"

# A second reader while one runs: exit code 1, the file untouched.
run "goto 8" "exit" > /dev/null
mkfifo "$work/script"
XDG_DATA_HOME= "$play" --book "$book" --state "$work" - < "$work/script" > "$work/first.out" &
first=$!
exec 3> "$work/script"
printf 'goto 12\ndump\n' >&3
wait_for_lock "$work/quietharbour/.QTL2quietharbour.dat.lock" $first
for _ in $(seq 200); do grep -q '^page' "$work/first.out" && break; sleep 0.05; done
before=$(md5sum < "$save")   # the first reader's page turn is saved by now
# What looks like an interrupted write while a reader runs may be that reader's own:
# a second reader, refused, removes nothing.
folder="$work/quietharbour"
: > "$folder/.QTL2quietharbour.dat.Ab3xYz"
XDG_DATA_HOME= "$play" --book "$book" --state "$work" - < /dev/null > /dev/null 2>&1
check "second reader exits with 1" [ $? = 1 ]
check "second reader leaves the file" [ "$(md5sum < "$save")" = "$before" ]
check "second reader leaves the temporary files" [ -e "$folder/.QTL2quietharbour.dat.Ab3xYz" ]
echo "exit" >&3
exec 3>&-
wait $first
check "the first reader saved its place" [ "$(word16 0)" = 12 ]

# Temporary files that killed writes left beside the save are removed by the next
# reader to hold the lock; the lock file and files of other names stay.
head -c 1000 /dev/zero > "$folder/.QTL2quietharbour.dat.q9Z0aB"
for name in .QTL2quietharbour.dat.keep .QTL2quietharbour.dat.1234567 .QTL2quietharbour.dat.x-y_zz notes.txt; do
  : > "$folder/$name"
done
out=$(run dump)
check "stale temporary files removed" [ ! -e "$folder/.QTL2quietharbour.dat.q9Z0aB" ]
check "every stale temporary file removed" [ ! -e "$folder/.QTL2quietharbour.dat.Ab3xYz" ]
check "the lock file stays" [ -e "$folder/.QTL2quietharbour.dat.lock" ]
all_exist() { for f in "$@"; do [ -e "$folder/$f" ] || return 1; done; }
check "other names stay" all_exist .QTL2quietharbour.dat.keep .QTL2quietharbour.dat.1234567 \
  .QTL2quietharbour.dat.x-y_zz notes.txt
check "the save itself is untouched" [ "$(word16 0)" = 12 ]

# Every story page turn is saved at once: a reader that never reaches its exit keeps
# its place (its pipe is held open, then it is killed).
mkfifo "$work/script2"
XDG_DATA_HOME= "$play" --book "$book" --state "$work" - < "$work/script2" > "$work/out2" &
first=$!
exec 3> "$work/script2"
printf 'goto 10\ndump\ngoto 13\ndump\ntool information\ndump\n' >&3
for _ in $(seq 200); do [ "$(grep -c '^page' "$work/out2")" = 3 ] && break; sleep 0.05; done
kill -KILL $first
wait $first 2> /dev/null
exec 3>&-
check "a killed reader kept its last story page" [ "$(word16 0)" = 13 ]
check "a killed reader's file is whole" [ "$(stat -c %s "$save")" = 2544 ]

# A write that fails at shutdown (here the file size limit) leaves the previous save.
before=$(md5sum < "$save")
errors=$( (trap '' XFSZ; ulimit -f 2; run "goto 8" "exit") 2>&1 > /dev/null)
check "failed write keeps the old save" [ "$(md5sum < "$save")" = "$before" ]
check "failed write is reported" grep -q "could not write the save file" <<< "$errors"

echo "$passed passed, $failures failed"
[ "$failures" = 0 ]
