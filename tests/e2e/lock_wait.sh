# Sourced by the end-to-end tests that start a reader and then need it to hold its
# save file's lock. The wait reads the kernel's table of locks instead of trying the
# lock: a probe that takes the lock, however briefly, can be the holder at the very
# moment the reader starts, and the reader then takes itself for a second instance.

# lock_held_by LOCKFILE PID: true when PID holds a flock on LOCKFILE right now.
# /proc/locks names a file by device and inode ("08:01:1234"); the pid narrows it to
# our reader, so another lock on a file with the same inode number elsewhere never
# counts. Waiting entries ("->") hold nothing and are skipped.
lock_held_by() {
  local inode
  inode=$(stat -c %i "$1" 2>/dev/null) || return 1
  awk -v inode="$inode" -v pid="$2" '
    $2 == "->" { next }
    $2 == "FLOCK" { n = split($6, id, ":"); if (id[n] == inode && $5 == pid) found = 1 }
    END { exit !found }' /proc/locks
}

# wait_for_lock LOCKFILE PID: waits up to 20 s until PID holds the lock.
wait_for_lock() {
  for _ in $(seq 200); do
    if lock_held_by "$1" "$2"; then return 0; fi
    sleep 0.1
  done
  echo "no flock on $1 by process $2 after 20 s" >&2
  return 1
}
