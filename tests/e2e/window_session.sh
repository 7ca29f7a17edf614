# Sourced by the tests that run the reader in a window under Xvfb: the wait for a
# reader's lock, a scratch folder ($work) holding the reader's data and runtime folders,
# and check NAME COMMAND..., which says how each check went and counts them.
source "$(dirname "${BASH_SOURCE[0]}")/lock_wait.sh"
work=$(mktemp -d)
export XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run" SDL_AUDIODRIVER=dummy
mkdir -p "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
failures=0
passed=0
check() {
  local name="$1"; shift
  if "$@"; then echo "ok: $name"; passed=$((passed + 1)); else echo "FAILED: $name"; failures=$((failures + 1)); fi
}
