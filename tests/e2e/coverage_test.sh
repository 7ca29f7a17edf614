#!/usr/bin/env bash
# qh-play explore --coverage on the coverage book: the blocks that cannot be taken and
# the variable that never changes are named, those that are taken are not, and the
# JSON form says the same. Usage: coverage_test.sh QH_PLAY BOOK
set -u
play="$1"; book="$2"
failed=0
fail() { echo "FAIL: $*"; failed=1; }

text=$("$play" --book "$book" explore --runs 20 --seed 1 --coverage) || fail "explore exited with $?"
never=$(printf '%s\n' "$text" | sed -n '/^never taken:/,/^variables never changed:/p')
expected_never='never taken:
  2 #2 <E>: skipped NUMBER times
  2 #3 <O (X %1)>: never decided (an enclosing block was skipped)
  8 #2 <o (%0 x 9)>: skipped NUMBER times
variables never changed:'
actual_never=$(printf '%s\n' "$never" | sed -E 's/skipped [0-9]+ times/skipped NUMBER times/')
[ "$actual_never" = "$expected_never" ] || fail "never-taken list differs:
$actual_never"
printf '%s\n' "$text" | grep -q '^condition blocks: 6, never taken: 3$' || fail "block count"
unchanged=$(printf '%s\n' "$text" | sed -n '/^variables never changed:/,$p')
[ "$unchanged" = 'variables never changed:
  %1 "Bell"' ] || fail "unchanged variables differ:
$unchanged"
# Taken blocks carry their counts: the chain of paragraph 8 splits its builds.
printf '%s\n' "$text" | grep -Eq '^ +[1-9][0-9]* +[1-9][0-9]*  8 #1 <O \(%0 = 5\)>$' || fail "8 #1 counts"

json=$("$play" --book "$book" explore --runs 20 --seed 1 --coverage --json 2>/dev/null) || fail "explore --json exited with $?"
printf '%s\n' "$json" | grep -qF '"never_taken": ["2 #2 <E>", "2 #3 <O (X %1)>", "8 #2 <o (%0 x 9)>"]' || fail "JSON never_taken"
printf '%s\n' "$json" | grep -qF '"unchanged_variables": [{"variable": 1, "name": "Bell"}]' || fail "JSON unchanged_variables"
printf '%s\n' "$json" | grep -qF '{"paragraph": 2, "ordinal": 3, "command": "<O (X %1)>", "taken": 0, "skipped": 0}' || fail "JSON block record"

# Without --coverage the report has no coverage at all.
"$play" --book "$book" explore --runs 2 --seed 1 | grep -q 'condition blocks' && fail "coverage printed without --coverage"
exit $failed
