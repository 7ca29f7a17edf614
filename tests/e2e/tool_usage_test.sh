#!/usr/bin/env bash
# The tools' own help: qh-play --help prints its usage and script language on standard
# output with exit code 0, and every command it lists is one the script parser knows;
# qh-bookc's usage and its error hints end their last line.
# Usage: tool_usage_test.sh QH_PLAY QH_BOOKC
set -u
play="$1"; bookc="$2"
failed=0
fail() { echo "FAIL: $*"; failed=1; }
scratch=$(mktemp -d); trap 'rm -rf "$scratch"' EXIT

"$play" --help >"$scratch/out" 2>"$scratch/err"; code=$?
[ $code -eq 0 ] || fail "qh-play --help exited with $code"
[ -s "$scratch/err" ] && fail "qh-play --help wrote to standard error: $(cat "$scratch/err")"
head -1 "$scratch/out" | grep -q '^usage: qh-play ' || fail "qh-play --help does not start with its usage"
grep -q -- '--coverage' "$scratch/out" || fail "qh-play --help does not name --coverage"

# Each listed command ("  VERB ..." lines) must parse: a bare verb may lack arguments,
# but it must never be an unknown command.
verbs=$(sed -n 's/^  \([a-z]\+\)\( .*\)\?$/\1/p' "$scratch/out" | sort -u)
[ "$(printf '%s\n' "$verbs" | wc -l)" -ge 14 ] || fail "too few commands listed: $verbs"
for verb in $verbs; do
  printf '%s\n' "$verb" >"$scratch/one.play"
  "$play" "$scratch/one.play" >/dev/null 2>"$scratch/err"
  grep -q "unknown command" "$scratch/err" && fail "--help lists '$verb', which the parser does not know"
done

# Options still refused say so and give the usage, exit 2.
"$play" --nonsense >/dev/null 2>"$scratch/err"; code=$?
[ $code -eq 2 ] && grep -q '^usage: qh-play' "$scratch/err" || fail "a wrong option: exit $code"

ends_with_newline() { [ -s "$1" ] && [ "$(tail -c 1 "$1" | od -An -c | tr -d ' ')" = '\n' ]; }
"$bookc" --help >"$scratch/out"; code=$?
[ $code -eq 0 ] || fail "qh-bookc --help exited with $code"
grep -q '^usage: qh-bookc ' "$scratch/out" || fail "qh-bookc --help prints no usage"
ends_with_newline "$scratch/out" || fail "qh-bookc's usage does not end with a newline"
"$bookc" >/dev/null 2>"$scratch/err"
ends_with_newline "$scratch/err" || fail "qh-bookc without a book: last line unfinished"
exit $failed
