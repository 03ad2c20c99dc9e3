#!/usr/bin/env bash
# A bad session must fail with a non-zero exit and one error line naming the file and line, and
# must not print its trace as if it were complete.
set -uo pipefail
hostsim=$1
session=$2
expected=$3   # the error text that must appear, e.g. "wheel_out_of_range.session:7:"
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
"$hostsim" "$session" >"$out" 2>"$err"
rc=$?
fail() { echo "$*"; echo "--- stdout"; cat "$out"; echo "--- stderr"; cat "$err"; exit 1; }
[ "$rc" -ne 0 ] || fail "exit code 0 for a bad session"
[ "$(wc -l <"$err")" -eq 1 ] || fail "expected exactly one error line"
grep -qF -- "$expected" "$err" || fail "the error does not say '$expected'"
if grep -q "session complete" "$out"; then fail "a failed session printed as complete"; fi
exit 0
