#!/usr/bin/env bash
# Checks every example of the author's guide: each ```book NAME block is part of book
# NAME (the blocks of one name are put together in order), each book is compiled with
# qh-bookc --check --werror, the pieces of "starter" must be exactly the starter book
# kept in books/examples/starter/, and each ```play NAME script is played with qh-play
# against its book and must print exactly the ```output block that follows it.
# Usage: guide_examples.sh QH_BOOKC QH_PLAY GUIDE SOURCE_DIR
set -u
bookc="$1"; play="$2"; guide="$3"; root="$4"
starter="$root/books/examples/starter/starter.book"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
mkdir -p "$work/books" "$work/plays"

# Split the guide: books/NAME.book, plays/K.play with plays/K.name, plays/K.expected.
awk -v dir="$work" '
  /^```(book|play|output)( |$)/ {
    kind = $1; sub(/^```/, "", kind); name = $2
    if (kind == "book") file = dir "/books/" name ".book"
    if (kind == "play") { plays++; file = dir "/plays/" plays ".play"; print name > (dir "/plays/" plays ".name") }
    if (kind == "output") {
      if (plays == 0 || seen[plays]) { print "an output block without its play block at line " NR > "/dev/stderr"; exit 1 }
      seen[plays] = 1; file = dir "/plays/" plays ".expected"
    }
    inside = 1; printf "" >> file; next
  }
  /^```$/ && inside { inside = 0; close(file); next }
  inside { print >> file }
' "$guide" || exit 1

failed=0
fail() { echo "FAIL: $*"; failed=1; }
book_file() { if [ "$1" = starter ]; then echo "$starter"; else echo "$work/books/$1.book"; fi; }

# The guide's other books stand beside the starter's art/, as the tutorial has its
# reader copy it.
cp -r "$(dirname "$starter")/art" "$work/books/"
books=0
for piece in "$work"/books/*.book; do
  [ -e "$piece" ] || break
  name=$(basename "$piece" .book)
  books=$((books + 1))
  if [ "$name" = starter ]; then
    diff -u "$starter" "$piece" >"$work/diff" || fail "the guide's starter book differs from $starter:
$(cat "$work/diff")"
  fi
  "$bookc" --check --werror "$(book_file "$name")" || fail "book example '$name' does not compile cleanly"
done

plays=0
for script in "$work"/plays/*.play; do
  [ -e "$script" ] || break
  k=$(basename "$script" .play)
  name=$(cat "$work/plays/$k.name")
  plays=$((plays + 1))
  book=$(book_file "$name")
  [ -f "$book" ] || { fail "play example $k names book '$name', which the guide does not hold"; continue; }
  [ -f "$work/plays/$k.expected" ] || { fail "play example $k ($name) has no output block"; continue; }
  actual=$("$play" --book "$book" "$script" 2>"$work/stderr"); code=$?
  [ $code -eq 0 ] || fail "play example $k ($name) exited with $code: $(cat "$work/stderr")"
  diff -u "$work/plays/$k.expected" <(printf '%s\n' "$actual") >"$work/diff" ||
    fail "play example $k ($name) prints otherwise than the guide says:
$(cat "$work/diff")"
done

echo "checked $books books and $plays play examples of $(basename "$guide")"
[ $books -ge 2 ] && [ $plays -ge 6 ] || fail "too few examples found: the markers may have changed"
exit $failed
