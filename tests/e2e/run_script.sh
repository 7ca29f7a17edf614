#!/usr/bin/env bash
# Plays a qh-play script against a book and compares the output with what was
# expected. Usage: run_script.sh QH_PLAY BOOK SCRIPT EXPECTED
set -u
play="$1"; book="$2"; script="$3"; expected="$4"
actual=$("$play" --book "$book" "$script")
code=$?
if [ $code -ne 0 ]; then
  echo "qh-play exited with $code"
  exit 1
fi
if ! diff -u "$expected" <(printf '%s\n' "$actual"); then
  echo "the page dumps differ from $expected"
  exit 1
fi
