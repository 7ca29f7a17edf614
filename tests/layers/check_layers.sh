#!/usr/bin/env bash
# The layers of the reader, lowest first: platform < book < page < markup < shell.
# A file may include its own layer and the headers that the table below lets it see
# of the layers under it; the third-party libraries belong to platform/ alone.
# Usage: check_layers.sh SOURCE_DIR   (prints every wrong include; exit 1 if any)
set -u
root="${1:-.}"

# allowed LAYER: the include prefixes that files of LAYER may name.
allowed() {
  case "$1" in
    platform) echo "platform/" ;;
    book)     echo "book/ platform/win32.h platform/text_codec.h" ;;
    page)     echo "page/ book/ platform/win32.h platform/text_codec.h" ;;
    markup)   echo "markup/ page/ book/ platform/win32.h platform/text_codec.h" ;;
    shell)    echo "shell/ markup/ page/ book/ platform/" ;;
  esac
}

wrong=0
for layer in platform book page markup shell; do
  prefixes=$(allowed "$layer")
  while IFS= read -r file; do
    while IFS=: read -r line header; do
      ok=false
      for prefix in $prefixes; do
        case "$header" in "$prefix"*) ok=true ;; esac
      done
      if ! $ok; then
        echo "$file:$line: $layer/ may not include \"$header\""
        wrong=$((wrong + 1))
      fi
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
             sed 's/^\([0-9]*\):[^"]*"\([^"]*\)".*/\1:\2/')
    if [ "$layer" != platform ]; then
      while IFS= read -r hit; do
        echo "$file:${hit%%:*}: only platform/ may use SDL2, FreeType, libpng or emscripten"
        wrong=$((wrong + 1))
      done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(SDL|ft2build|freetype|png|emscripten)' "$file")
    fi
  done < <(find "$root/$layer" -maxdepth 1 -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
done

if [ "$wrong" -ne 0 ]; then
  echo "$wrong include(s) against the layers"
  exit 1
fi
echo "layers: every include goes down"
