#!/usr/bin/env bash
# The save file when things go wrong: real qh-play runs on real files. Every cause is
# said on standard error with the path; nothing the reader cannot use is written over
# unkept; a reading that cannot be kept says so once in the window (a message box,
# shown in the dump) and on standard error. Permissions are tried as an ordinary user
# (nobody), since root may write anywhere.
# Usage: save_troubles_test.sh QH_PLAY TEST_BOOK
set -u
source "$(dirname "$0")/lock_wait.sh"
play="$1"
book="$2"
work=$(mktemp -d)
chmod 755 "$work"
trap 'chmod -R u+w "$work" 2> /dev/null; rm -rf "$work"' EXIT
failures=0
passed=0

check() {   # check NAME CONDITION...
  local name="$1"; shift
  if "$@"; then passed=$((passed + 1)); else echo "FAILED: $name"; failures=$((failures + 1)); fi
}
has() { grep -q -- "$2" <<< "$1"; }
count() { grep -c -- "$2" <<< "$1"; }
# run STATE LINES...: plays the lines with the save in STATE; standard error goes to $work/err.
run() { local state="$1"; shift; printf '%s\n' "$@" | timeout 20 "$play" --book "$book" --state "$state" - 2> "$work/err"; }

# --- Unusable saves are kept aside, the newest one, and do not decide the sound.
state="$work/unusable"; save="$state/quietharbour/QTL2quietharbour.dat"
run "$state" "goto 8" "exit" > /dev/null
printf '\000' | dd of="$save" bs=1 seek=2 conv=notrunc status=none       # sound off
head -c 2543 "$save" > "$work/short" && cp "$work/short" "$save"
out=$(run "$state" dump state "exit")
check "a short save is kept aside" cmp -s "$work/short" "$save.unreadable"
check "a short save is reported" has "$(cat "$work/err")" "(it holds 2543 bytes, not 2544); it is kept as '$save.unreadable'"
check "a short save starts at 2" has "$out" "^page paragraph=2 "
check "a short save does not decide the sound" has "$out" "^sound 1$"
check "the reading after it is saved whole" [ "$(stat -c %s "$save")" = 2544 ]
run "$state" "goto 8" "exit" > /dev/null
printf '\261' | dd of="$save" bs=1 seek=28 conv=notrunc status=none      # version 177: a newer reader's
cp "$save" "$work/newer"
out=$(run "$state" dump state "goto 10" "exit")
check "a newer version is kept aside, the newest kept" cmp -s "$work/newer" "$save.unreadable"
check "a newer version is reported" has "$(cat "$work/err")" "its version is 177, not 176"
printf '\240' | dd of="$save" bs=1 seek=28 conv=notrunc status=none      # 176 with a bit flipped: 160
out=$(run "$state" dump state)
check "a flipped version bit is reported" has "$(cat "$work/err")" "its version is 160, not 176"
check "a flipped version bit starts at 2" has "$out" "^page paragraph=2 "
: > "$save"
out=$(run "$state" state)
check "an empty save starts with sound on" has "$out" "^sound 1$"

# --- What a power cut can leave: the save empty or spoilt, with beside it the copy a flush
# carried to the disk (its name a temporary file's). The reading goes on from the newest
# whole copy, which is put in the save before the copies go; a spoilt save is kept aside.
state="$work/cut"; folder="$state/quietharbour"; save="$folder/QTL2quietharbour.dat"
run "$state" "goto 8" "exit" > /dev/null
cp "$save" "$work/at8"
run "$state" "goto 10" "exit" > /dev/null
cp "$save" "$folder/.QTL2quietharbour.dat.Ab12Cd"
cp "$work/at8" "$folder/.QTL2quietharbour.dat.Zz99Yy" && touch -d '2001-01-01' "$folder/.QTL2quietharbour.dat.Zz99Yy"
head -c 100 /dev/zero > "$folder/.QTL2quietharbour.dat.Qq00Rr"               # newest, not a record
: > "$save"
out=$(run "$state" dump)
check "an empty save goes on from the newest whole copy" has "$out" "^page paragraph=10 "
check "an empty save with a copy is reported" has "$(cat "$work/err")" "'$save' is empty; this reading goes on from the copy"
check "the copy is put in the save" [ "$(od -An -t d2 -N 2 "$save" | tr -d ' ')" = 10 ]
check "the copies are gone once it is" [ -z "$(find "$folder" -name '.QTL2quietharbour.dat.??????')" ]
cp "$save" "$folder/.QTL2quietharbour.dat.Ab12Cd"
printf 'spoilt' | dd of="$save" bs=1 seek=26 conv=notrunc status=none
cp "$save" "$work/spoilt"
out=$(run "$state" dump)
check "a spoilt save goes on from the copy" has "$out" "^page paragraph=10 "
check "a spoilt save is kept aside" cmp -s "$work/spoilt" "$save.unreadable"
check "a spoilt save with a copy is reported" has "$(cat "$work/err")" "kept as '$save.unreadable' and this reading goes on from the copy"

# --- What stands in the save's place: each refused with the path and why, nothing
# hangs, nothing is created through a link.
state="$work/places"; folder="$state/quietharbour"; save="$folder/QTL2quietharbour.dat"
mkdir -p "$folder"
mkdir "$save"
run "$state" dump > /dev/null; code=$?
check "a folder as the save: exit 1" [ "$code" = 1 ]
check "a folder as the save: said" has "$(cat "$work/err")" "cannot open the save file '$save': a folder, not a file"
rmdir "$save"; mkfifo "$save"
run "$state" dump > /dev/null; code=$?
check "a pipe as the save: no hang, exit 1" [ "$code" = 1 ]
check "a pipe as the save: said" has "$(cat "$work/err")" "a pipe, not a file"
rm "$save"; ln -s "$work/nowhere" "$save"
run "$state" dump > /dev/null; code=$?
check "a dangling link as the save: exit 1" [ "$code" = 1 ]
check "a dangling link as the save: said" has "$(cat "$work/err")" "a link to a file that does not exist"
check "a dangling link as the save: nothing made" [ ! -e "$work/nowhere" ]
rm "$save"; rm -f "$folder/.QTL2quietharbour.dat.lock"; ln -s "$work/lock-target" "$folder/.QTL2quietharbour.dat.lock"
run "$state" dump > /dev/null
check "a dangling link as the lock: its target not made" [ ! -e "$work/lock-target" ]
check "a dangling link as the lock: said" has "$(cat "$work/err")" "lock file is a link"
rm "$folder/.QTL2quietharbour.dat.lock"
echo "not a folder" > "$work/afile"
run "$work/afile" dump > /dev/null; code=$?
check "a file as the data folder: exit 1" [ "$code" = 1 ]
check "a file as the data folder: said" has "$(cat "$work/err")" "cannot make the folder for the save file, '$work/afile/quietharbour/': Not a directory"

# --- Any character a path may hold, and a path of over a thousand characters.
long=$(printf 'a-folder-name-of-a-hundred-characters-%.0s' 1 2 3); long=$(for _ in $(seq 12); do printf '%s/' "${long:0:99}"; done)
for name in "home-$(printf '\xf0\x9f\x8c\x8a')-wave" "bytes-$(printf '\xff\xfe')-latin" "$long"; do
  state="$work/$name"
  run "$state" "goto 8" "exit" > /dev/null; code=$?
  check "a folder named ${name:0:20}...: runs" [ "$code" = 0 ]
  check "a folder named ${name:0:20}...: saves there" [ "$(stat -c %s "$state/quietharbour/QTL2quietharbour.dat" 2>&1)" = 2544 ]
  out=$(run "$state" dump)
  check "a folder named ${name:0:20}...: resumes" has "$out" "^page paragraph=8 "
done

# --- A full disk at the first start leaves no empty save, and a failing save is said
# once in the window and every time on standard error.
state="$work/full"; save="$state/quietharbour/QTL2quietharbour.dat"
out=$( (trap '' XFSZ; ulimit -f 2; run "$state" dump "goto 8" dump "exit") )
check "a full disk at the first start leaves no save" [ ! -e "$save" ]
check "a full disk is said each time" [ "$(grep -c "could not write the save file '$save'" "$work/err")" = 3 ]
check "a full disk is said once in the window" [ "$(count "$out" '^message "This reading is not being saved')" = 1 ]
run "$state" "goto 8" "exit" > /dev/null
out=$( (trap '' XFSZ; ulimit -f 2; run "$state" "goto 10" dump "goto 12" dump "exit") )
check "a failing save keeps the previous one" [ "$(od -An -t d2 -N 2 "$save" | tr -d ' ')" = 8 ]
check "a failing save: said once in the window" [ "$(count "$out" '^message ')" = 1 ]
check "a failing save: said each time on standard error" [ "$(grep -c "the previous save is kept" "$work/err")" = 3 ]

# --- A folder deleted while reading is made again by the next save.
state="$work/deleted"; folder="$state/quietharbour"
mkfifo "$work/script"
"$play" --book "$book" --state "$state" - < "$work/script" > "$work/out" 2> "$work/err" &
reader=$!
exec 3> "$work/script"
printf 'goto 8\ndump\n' >&3
wait_for_lock "$folder/.QTL2quietharbour.dat.lock" $reader
for _ in $(seq 200); do grep -q '^page' "$work/out" && break; sleep 0.05; done
rm -rf "$folder"
printf 'goto 12\ndump\n' >&3
for _ in $(seq 200); do [ "$(grep -c '^page' "$work/out")" = 2 ] && break; sleep 0.05; done
check "a deleted folder is made again" [ "$(od -An -t d2 -N 2 "$folder/QTL2quietharbour.dat" 2>&1 | tr -d ' ')" = 12 ]
check "the lock is there again" [ -e "$folder/.QTL2quietharbour.dat.lock" ]
# A second reader meanwhile is refused and says why.
run "$state" dump > /dev/null; code=$?
check "a second reader: exit 1" [ "$code" = 1 ]
check "a second reader: says why" has "$(cat "$work/err")" "is held by another reader"
echo exit >&3
exec 3>&-
wait $reader

# --- As an ordinary user: a read-only save is read and left alone, and the reader is told.
if id nobody > /dev/null 2>&1; then
  as_nobody() { setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups "$@"; }
  state="$work/readonly"; folder="$state/quietharbour"; save="$folder/QTL2quietharbour.dat"
  run "$state" "goto 8" "exit" > /dev/null
  chown -R nobody "$state"
  chmod 444 "$save"
  before=$(md5sum < "$save")
  out=$(printf 'dump\ngoto 10\ndump\nexit\n' | as_nobody timeout 20 "$play" --book "$book" --state "$state" - 2> "$work/err")
  code=$?
  check "a read-only save: runs" [ "$code" = 0 ]
  check "a read-only save: is read" has "$out" "^page paragraph=8 "
  check "a read-only save: said once in the window" [ "$(count "$out" '^message "This reading will not be saved')" = 1 ]
  check "a read-only save: said on standard error" has "$(cat "$work/err")" "'$save' can be read but not written (Permission denied)"
  check "a read-only save: untouched" [ "$(md5sum < "$save")" = "$before" ]
  chmod 644 "$save"; chmod 555 "$folder"
  out=$(printf 'goto 10\ndump\ngoto 12\ndump\nexit\n' | as_nobody timeout 20 "$play" --book "$book" --state "$state" - 2> "$work/err")
  code=$?
  check "a read-only folder: runs" [ "$code" = 0 ]
  check "a read-only folder: said once in the window" [ "$(count "$out" '^message ')" = 1 ]
  check "a read-only folder: the save untouched" [ "$(md5sum < "$save")" = "$before" ]
  check "a read-only folder: said why" has "$(cat "$work/err")" "could not write the save file '$save' (Permission denied)"
  chmod 755 "$folder"
else
  echo "skipped the read-only saves: there is no user 'nobody' to try them as"
fi

echo "$passed passed, $failures failed"
[ "$failures" = 0 ]
