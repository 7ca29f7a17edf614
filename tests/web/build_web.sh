#!/usr/bin/env bash
# Builds the web edition of a book into its own folder, with the native tools of an
# existing native build. Usage: build_web.sh SOURCE_DIR NATIVE_BUILD WEB_BUILD BOOK
# Nothing is redone when the output is up to date.
set -euo pipefail
source="$1"; native="$2"; web="$3"; book="$4"
command -v emcmake >/dev/null || { echo "emcmake is missing: run scripts/install-deps"; exit 1; }
export NODE_PATH="${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs"
if [ ! -f "$web/CMakeCache.txt" ]; then
  emcmake cmake -S "$source" -B "$web" -DCMAKE_BUILD_TYPE=Release -DQH_HOST_BUILD="$native" -DQH_BOOK="$book" >/dev/null
fi
log="$web/build.log"
if ! cmake --build "$web" --target qh_web -j 2 >"$log" 2>&1; then
  cat "$log"
  exit 1
fi
