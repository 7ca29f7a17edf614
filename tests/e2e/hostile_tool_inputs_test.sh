#!/usr/bin/env bash
# The tools against inputs no book should hold: each is refused quickly, with a message
# that says what is wrong, and nothing is read without a bound. A broken picture or
# recording fails when the book is checked and when it is packed, not while reading;
# files are opened by the names written in the book, whatever their letters.
# Usage: hostile_tool_inputs_test.sh QH_BOOKC QH_ART QH_RESPACK SOURCE_DIR
set -u
bookc="$1"; art="$2"; respack="$3"; src="$4"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
passed=0
check() {
  local name="$1"; shift
  if "$@"; then passed=$((passed + 1)); else echo "FAILED: $name"; failures=$((failures + 1)); fi
}
said() { grep -q -- "$1" "$dir/err" || { echo "  (said: $(head -c 400 "$dir/err"))"; return 1; }; }
# refused NAME PATTERN COMMAND...: exit 1 within 20 seconds, saying PATTERN.
refused() {
  local name="$1" pattern="$2"; shift 2
  timeout 20 "$@" > /dev/null 2> "$dir/err"
  local code=$?
  check "$name: exit 1 (not $code)" [ "$code" = 1 ]
  check "$name: says so" said "$pattern"
}

cp -r "$src/books/examples/starter" "$dir/book"
book="$dir/book/starter.book"

# --- The book file itself.
refused "a device as the book" "is a device" "$bookc" --check /dev/zero
refused "a folder as the book" "is a folder" "$bookc" --check "$dir/book"
: > "$dir/empty.book"
refused "an empty book" "is empty" "$bookc" --check "$dir/empty.book"
head -c $((17 * 1024 * 1024)) /dev/zero | tr '\0' 'a' > "$dir/huge.book"
refused "a book past the size bound" "longer than" "$bookc" --check "$dir/huge.book"

# --- Texts longer than the reader's buffers are errors under --check.
sed "s/^title: .*/title: $(head -c 5000 /dev/zero | tr '\0' 'T')/" "$book" > "$dir/book/long_title.book"
refused "a title longer than a page holds" "title has 5000 characters" "$bookc" --check "$dir/book/long_title.book"
{ cat "$book"; printf '\nparagraph 300:\n'; for _ in $(seq 600); do printf 'word '; done; printf '<G>\n'; } > "$dir/book/long_paragraph.book"
refused "a paragraph longer than the reader's buffer" "paragraph 300 has" "$bookc" --check "$dir/book/long_paragraph.book"
{ cat "$book"; printf '\nparagraph 301:\n<E %s>{x} <G>\n' "$(head -c 450 /dev/zero | tr '\0' '1')"; } > "$dir/book/long_command.book"
refused "a command longer than the reader's buffer" "this command has" "$bookc" --check "$dir/book/long_command.book"

# --- Pictures: a strip that names a device, too many points, too much drawing.
printf 'canvas 40 40\nstrip 0 0 #000000 "../../../../../../dev/zero" 0\n' > "$dir/book/art/strip.pic"
refused "a strip naming a device" "is a device" "$art" "$dir/book/art/strip.pic" --png "$dir/out.png"
{ printf 'canvas 240 320\npolygon #102030'; for i in $(seq 20000); do printf ' %d %d' $((i % 240)) $((i % 320)); done; echo; } > "$dir/book/art/points.pic"
refused "a polygon of 20,000 points" "at most 10000" "$art" "$dir/book/art/points.pic" --png "$dir/out.png"
{ printf 'canvas 4096 4096\npolygon #102030'; for i in $(seq 5000); do printf ' %d %d' $((i % 4096)) $(((i * 7) % 4096)); done; echo; } > "$dir/book/art/work.pic"
refused "a polygon that would take minutes to draw" "too much work to draw" "$art" "$dir/book/art/work.pic" --png "$dir/out.png"
printf 'canvas 40 40\ntext 0 20 5000 #000000 "big"\n' > "$dir/book/art/text.pic"
refused "text of 5000 pixels" "a text size is at most" "$art" "$dir/book/art/text.pic" --png "$dir/out.png"

# --- Broken pictures and recordings, each named by a book and by a manifest.
python3 - "$dir/book/art" <<'EOF'
import struct, sys, zlib
art = sys.argv[1]
def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
with open(art + '/huge.png', 'wb') as f:
    f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', 60000, 60000, 8, 2, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(b'\0' * 64)) + chunk(b'IEND', b''))
header = lambda width, height: (b'BM' + struct.pack('<IHHI', 0, 0, 0, 54) +
                                struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, 0, 0, 0, 0, 0))
with open(art + '/negative.bmp', 'wb') as f: f.write(header(-10, 10) + b'\0' * 400)
with open(art + '/tiny.bmp', 'wb') as f: f.write(b'BM\0\0')
with open(art + '/noformat.wav', 'wb') as f: f.write(b'RIFF' + struct.pack('<I', 12) + b'WAVE' + b'data' + struct.pack('<I', 4) + b'\0' * 4)
EOF
for picture in huge.png negative.bmp tiny.bmp; do
  sed "s|^picture 2: 1702 .*|picture 2: 1702 art/$picture|" "$book" > "$dir/book/broken.book"
  refused "$picture when checking" "cannot use the picture file" "$bookc" --check "$dir/book/broken.book"
  printf 'bitmap 1702 %s\n' "$dir/book/art/$picture" > "$dir/broken.manifest"
  refused "$picture when packing" "$picture" "$respack" --symbol gTest --output "$dir/packed.cpp" "$dir/broken.manifest"
done
sed "s|^sound 0: BELL .*|sound 0: BELL art/noformat.wav|" "$book" > "$dir/book/broken.book"
refused "a recording without a format when checking" "it has no format chunk" "$bookc" --check "$dir/book/broken.book"
printf 'wave BELL %s\n' "$dir/book/art/noformat.wav" > "$dir/broken.manifest"
refused "a recording without a format when packing" "it has no format chunk" "$respack" --symbol gTest --output "$dir/packed.cpp" "$dir/broken.manifest"

# --- Names with letters beyond ASCII, and beyond Latin-1, are opened as written.
cp "$dir/book/art/lantern.pic" "$dir/book/art/p$(printf '\xc3\xb6')int.pic"
cp "$dir/book/art/lantern.pic" "$dir/book/art/$(printf '\xe7\x81\xaf').pic"
cp "$dir/book/cues/bell.wav" "$dir/book/cues/b$(printf '\xc3\xa9')ll.wav"
sed -e "s|^picture 1: 1701 .*|picture 1: 1701 art/p$(printf '\xc3\xb6')int.pic|" \
    -e "s|^picture 2: 1702 .*|picture 2: 1702 art/$(printf '\xe7\x81\xaf').pic|" \
    -e "s|^sound 0: BELL .*|sound 0: BELL cues/b$(printf '\xc3\xa9')ll.wav|" "$book" > "$dir/book/names.book"
"$bookc" --check "$dir/book/names.book" 2> "$dir/err"
check "non-ASCII names check cleanly" [ $? = 0 ]
"$bookc" "$dir/book/names.book" --manifest "$dir/names.manifest" 2> "$dir/err"
check "the manifest names the files as written" grep -q "art/$(printf '\xe7\x81\xaf').pic" "$dir/names.manifest"
"$respack" --symbol gTest --output "$dir/names.cpp" "$dir/names.manifest" 2> "$dir/err"
check "the files so named are packed" [ $? = 0 ]

echo "$passed passed, $failures failed"
[ "$failures" = 0 ]
