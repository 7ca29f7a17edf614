#!/usr/bin/env bash
# The layer check must fail on a tree with an upward include or a third-party header
# outside platform/, and name the file: planted in a copy of the layers, one at a time.
# Usage: check_catches_plant.sh SOURCE_DIR
set -u
source_dir="$1"
check="$(dirname "$0")/check_layers.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

plant() {   # plant FILE LINE: copy the layers, add LINE at the top of FILE, run the check
  rm -rf "$work/tree" && mkdir "$work/tree"
  cp -r "$source_dir"/{platform,book,page,markup,shell,driver} "$work/tree/"
  sed -i "1i $2" "$work/tree/$1"
  if out=$(bash "$check" "$work/tree"); then
    echo "FAILED: the check passed with $2 in $1"; failures=$((failures + 1))
  elif ! grep -q "$1" <<< "$out"; then
    echo "FAILED: the check did not name $1"; failures=$((failures + 1))
  fi
}

bash "$check" "$source_dir" > /dev/null || { echo "FAILED: the tree itself does not pass"; exit 1; }
plant page/layout.cpp '#include "shell/navigation.h"'
plant book/save_file.cpp '#include "page/page_items.h"'
plant markup/scanner.cpp '#include "platform/window_system.h"'
plant book/save_file.cpp '#include "platform/backend.h"'
plant book/story_state.cpp '#include "markup/scanner.h"'
plant shell/startup.cpp '#include <SDL2/SDL.h>'
plant shell/navigation.cpp '#include "driver/page_dump.h"'
plant driver/player.cpp '#include "tools/bookc/in_memory.h"'
echo "$((8 - failures)) passed, $failures failed"
[ "$failures" = 0 ]
