#!/usr/bin/env bash
# qh-webart, which draws a book's pictures for the web edition: a PNG picture becomes a
# BMP of the same pixels for the module, every scale file holds every picture at its
# scale's size, and a picture that cannot be read is reported at the book's own line.
# Usage: webart_pictures.sh QH_WEBART BOOK PROGRAM_MANIFEST
set -u
webart="$1"; book="$2"; program="$3"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

"$webart" --book "$book" --program "$program" --manifest "$dir/book.manifest" --web "$dir/web" 2>"$dir/err" ||
  { cat "$dir/err"; echo "FAILED: the test book's pictures were refused"; exit 1; }
# The PNG (picture 6 of the test book) is packed as a BMP, named after the book's line.
grep -q "^#from $book:[0-9]*$" "$dir/book.manifest" || fail "the manifest does not name the book's lines"
png_line=$(grep -n 'dusk.png' "$book" | cut -d: -f1)
grep -A1 "^#from $book:$png_line$" "$dir/book.manifest" | grep -q '^bitmap 1707 .*\.bmp$' ||
  fail "the PNG picture is not packed as a BMP: $(cat "$dir/book.manifest")"
head -c 2 "$(grep '^bitmap 1707 ' "$dir/book.manifest" | cut -d' ' -f3)" | grep -q BM || fail "1707 is not a BMP"

# Each scale file: "QHPX", then id, offset and size per picture; the .pic (1708, 20 x 16)
# is S times as wide and tall in the PNG at offset, its header says so.
for scale in 2 3 4; do
  file="$dir/web/pictures-$scale.bin"
  [ "$(head -c 4 "$file")" = QHPX ] || { fail "pictures-$scale.bin has no QHPX mark"; continue; }
  read -r count < <(od -An -tu4 -j4 -N4 "$file")
  found=0
  for ((i = 0; i < count; i++)); do
    read -r id offset size < <(od -An -tu4 -j$((8 + 12 * i)) -N12 "$file")
    [ "$id" = 1708 ] || continue
    found=1
    read -r w h < <(od -An -tu1 -j$((offset + 16)) -N8 "$file" | awk '{print $3*256+$4, $7*256+$8}')
    [ "$w x $h" = "$((20 * scale)) x $((16 * scale))" ] || fail "1708 at scale $scale is $w x $h"
  done
  [ $found = 1 ] || fail "pictures-$scale.bin lacks 1708"
done
grep -q '"name": "Quiet Harbour Test"' "$dir/web/app.webmanifest" || fail "the app manifest is not named after the book"
[ -s "$dir/web/icon-192.png" ] && [ -s "$dir/web/icon-512.png" ] || fail "no icons from the logo"

# A broken PNG in a book: the message names the book's file and the picture's line.
mkdir -p "$dir/broken"
printf '\x89PNG\r\n\x1a\nnot really a picture' > "$dir/broken/bad.png"
printf 'title: Broken\npicture 0: 1701 bad.png\n\nparagraph 2:\nHello.\n' > "$dir/broken/broken.book"
if "$webart" --book "$dir/broken/broken.book" --program "$program" --manifest "$dir/b.manifest" --web "$dir/bweb" 2>"$dir/err"; then
  fail "a broken PNG was accepted"
fi
grep -q "^$dir/broken/broken.book:2: error: .*bad.png" "$dir/err" || fail "the message does not name the book's line: $(cat "$dir/err")"
[ $failures = 0 ] && echo ok
exit $failures
