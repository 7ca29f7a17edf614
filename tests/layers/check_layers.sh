#!/usr/bin/env bash
# The layers of the reader, lowest first: platform < book < page < markup < shell < driver.
# A file may include its own layer and the headers that the table below lets it see
# of the layers under it; the third-party libraries belong to platform/ alone. Of the
# platform, the layers above it see only the headers meant for them (win32, files, data
# folder, text codec); the window system's and the backends' own headers are the shell's.
# Usage: check_layers.sh SOURCE_DIR   (prints every wrong include; exit 1 if any)
set -u
root="${1:-.}"

platform_headers="platform/win32.h platform/files.h platform/data_folder.h platform/text_codec.h"

# allowed LAYER: the include prefixes that files of LAYER may name.
allowed() {
  case "$1" in
    platform) echo "platform/" ;;
    book)     echo "book/ $platform_headers" ;;
    page)     echo "page/ book/ $platform_headers" ;;
    markup)   echo "markup/ page/ book/ $platform_headers" ;;
    shell)    echo "shell/ markup/ page/ book/ platform/" ;;
    driver)   echo "driver/ shell/ markup/ page/ book/ platform/" ;;
  esac
}

wrong=0
for layer in platform book page markup shell driver; do
  files=$(find "$root/$layer" -maxdepth 1 -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
  [ -n "$files" ] || continue
  # FILE:LINE:"HEADER" for every quoted include, FILE:LINE:<HEADER> for a library's.
  report=$(grep -HnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]' $files |
    awk -v layer="$layer" -v prefixes="$(allowed "$layer")" '
      BEGIN { n = split(prefixes, allow, " ") }
      {
        match($0, /include[[:space:]]*["<][^">]*[">]/)
        written = substr($0, RSTART, RLENGTH); sub(/^include[[:space:]]*/, "", written)
        header = substr(written, 2, length(written) - 2)
        split($0, where, ":"); place = where[1] ":" where[2]
        if (substr(written, 1, 1) == "<") {
          if (layer != "platform" && header ~ /^(SDL|ft2build|freetype|png|emscripten)/)
            print place ": only platform/ may use SDL2, FreeType, libpng or emscripten (<" header ">)"
          next
        }
        for (i = 1; i <= n; i++) if (index(header, allow[i]) == 1) next
        print place ": " layer "/ may not include \"" header "\""
      }')
  if [ -n "$report" ]; then
    echo "$report"
    wrong=$((wrong + $(wc -l <<< "$report")))
  fi
done

if [ "$wrong" -ne 0 ]; then
  echo "$wrong include(s) against the layers"
  exit 1
fi
echo "layers: every include goes down"
