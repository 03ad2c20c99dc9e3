#!/usr/bin/env bash
# Plays one example session and compares its trace with the expected one beside it.
# With K7V_UPDATE_TRACES=1 it writes the expected trace instead (review the diff before committing).
set -euo pipefail
hostsim=$1
session=$2
expected=${session%.session}.trace
actual=$(mktemp)
trap 'rm -f "$actual"' EXIT
"$hostsim" "$session" >"$actual"
if [ "${K7V_UPDATE_TRACES:-0}" = 1 ]; then
  cp "$actual" "$expected"
  exit 0
fi
if [ ! -f "$expected" ]; then
  echo "no expected trace: $expected (run with K7V_UPDATE_TRACES=1 to write it)" >&2
  exit 1
fi
diff -u "$expected" "$actual"
