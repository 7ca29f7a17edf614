#!/usr/bin/env bash
# The web edition's packing: with --no-png a PNG picture is refused with a word on
# what to use instead, and nothing is written; a BMP goes in as a byte array with the
# exact bytes of the file. Usage: respack_no_png.sh QH_RESPACK BMP
set -u
respack="$1"; bmp="$2"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf '\x89PNG\r\n\x1a\n\0\0\0\rIHDR' > "$dir/picture.png"
cp "$bmp" "$dir/picture.bmp"
printf 'bitmap 1701 picture.png\n' > "$dir/png.manifest"
printf 'bitmap 1701 picture.bmp\n' > "$dir/bmp.manifest"

if "$respack" --arrays --no-png --symbol gTest --output "$dir/png.cpp" "$dir/png.manifest" 2>"$dir/err"; then
  echo "a PNG picture was packed for a program without a PNG decoder"; exit 1
fi
grep -q "picture.png: a PNG picture, which this program cannot show; save it as a BMP" "$dir/err" ||
  { echo "unexpected message:"; cat "$dir/err"; exit 1; }
[ ! -e "$dir/png.cpp" ] || { echo "a refused pack left an output behind"; exit 1; }

"$respack" --arrays --no-png --symbol gTest --output "$dir/bmp.cpp" "$dir/bmp.manifest" || exit 1
# the array holds the file's bytes in order, then the end marker the table points before
want=$(od -An -tu1 -v "$bmp" | tr -s ' \n' ',' | sed 's/^,//; s/,$//')
got=$(sed -n '/gTest_0_data\[\] = {/,/};/p' "$dir/bmp.cpp" | tr -d ' \n' | sed 's/.*={//; s/,0};$//')
[ "$want" = "$got" ] || { echo "the packed bytes differ from the file"; exit 1; }
size=$(stat -c %s "$bmp")
grep -q "gTest_0_data + $size}" "$dir/bmp.cpp" || { echo "the table does not end the picture at $size bytes"; exit 1; }
echo "ok"
