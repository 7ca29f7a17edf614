#!/usr/bin/env bash
# Every tool that writes a file replaces only a regular file at its output path, and
# never writes through a link, a pipe or a device node: such an output is refused with a
# message naming it and exit code 1, and what stood there is left as it was. A regular
# file is replaced, keeping its permissions, and no temporary file stays behind.
# Usage: tool_outputs_test.sh QH_BOOKC QH_ART QH_RESPACK QH_GLYPHS QH_PLAY SOURCE_DIR
set -u
bookc="$1"; art="$2"; respack="$3"; glyphs="$4"; play="$5"; src="$6"
book="$src/books/examples/starter/starter.book"
pic="$src/resources/icon-48.pic"
fonts=/usr/share/fonts/truetype/dejavu
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

printf 'bitmap 1701 %s\n' "$src/tests/books/art/lamp.bmp" > "$dir/pack.manifest"
printf 'goto 2\nscreenshot %s\n' OUT > "$dir/shot.play"

# write TOOL OUT: runs the tool so that it writes OUT.
write() {
  local tool="$1" out="$2"
  case "$tool" in
    bookc) "$bookc" "$book" -o "$out" ;;
    manifest) "$bookc" "$book" --manifest "$out" ;;
    art) "$art" "$pic" --png "$out" ;;
    respack) "$respack" --symbol gTest --output "$out" "$dir/pack.manifest" ;;
    glyphs) "$glyphs" --regular "$fonts/DejaVuSans.ttf" --bold "$fonts/DejaVuSans-Bold.ttf" --pixels 13 --output "$out" ;;
    play) sed "s|OUT|$out|" "$dir/shot.play" | "$play" --book "$book" - > /dev/null ;;
  esac
}
# The same with a time limit: a tool that opens a pipe to write would wait forever.
export -f write
export bookc art respack glyphs play book pic fonts dir
bounded() { timeout 20 bash -c 'write "$0" "$1"' "$1" "$2"; }

for tool in bookc manifest art respack glyphs play; do
  # A link at the output: refused, the link and its target untouched.
  echo precious > "$dir/target"
  ln -sfn "$dir/target" "$dir/link"
  if bounded "$tool" "$dir/link" 2> "$dir/err"; then
    fail "$tool wrote through a link"
  fi
  grep -q "link" "$dir/err" || fail "$tool: no word of the link: $(cat "$dir/err")"
  [ -L "$dir/link" ] && cmp -s "$dir/target" <(echo precious) || fail "$tool replaced the link or its target"

  # A pipe: refused at once, not waited on, and still a pipe.
  rm -f "$dir/fifo"; mkfifo "$dir/fifo"
  bounded "$tool" "$dir/fifo" 2> "$dir/err"
  code=$?
  [ "$code" = 1 ] || fail "$tool on a pipe ended with $code, not 1"
  [ -p "$dir/fifo" ] || fail "$tool replaced a pipe"

  # A folder: refused.
  mkdir -p "$dir/folder"
  if write "$tool" "$dir/folder" 2> "$dir/err"; then fail "$tool wrote over a folder"; fi
  [ -d "$dir/folder" ] || fail "$tool replaced a folder"

  # A regular file: replaced, its permissions kept, nothing left beside it.
  echo old > "$dir/out"; chmod 0640 "$dir/out"
  write "$tool" "$dir/out" 2> "$dir/err" || fail "$tool could not replace a regular file: $(cat "$dir/err")"
  cmp -s "$dir/out" <(echo old) && fail "$tool left the old content"
  [ "$(stat -c %a "$dir/out")" = 640 ] || fail "$tool changed the file's permissions"
  leftovers=$(find "$dir" -maxdepth 1 -name '.out.*' | wc -l)
  [ "$leftovers" = 0 ] || fail "$tool left a temporary file"
  rm -f "$dir/out"
done

# A device node (only root may make one, and the build here runs as root in CI): the
# compiler refuses it and the node stays a device.
if mknod "$dir/null" c 1 3 2> /dev/null; then
  if "$bookc" "$book" -o "$dir/null" 2> "$dir/err"; then fail "bookc wrote over a device"; fi
  grep -q "a device" "$dir/err" || fail "no word of the device: $(cat "$dir/err")"
  [ -c "$dir/null" ] || fail "bookc replaced a device node"
else
  echo "skipped the device node: mknod is not allowed here"
fi

# A new output gets the permissions an ordinary file would (not mkstemp's 0600).
(umask 022; "$bookc" "$book" -o "$dir/fresh.cpp") || fail "bookc could not write a new file"
[ "$(stat -c %a "$dir/fresh.cpp")" = 644 ] || fail "a new output has mode $(stat -c %a "$dir/fresh.cpp")"

[ "$failures" = 0 ] && echo ok
[ "$failures" = 0 ]
