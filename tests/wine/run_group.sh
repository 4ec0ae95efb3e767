#!/usr/bin/env bash
# Runs one group of the Wine test program, up to <attempts> times.
#
# Where 32-bit code is emulated (qemu-user), the multi-threaded test process now and then
# stalls or dies in the middle of a test, before gtest can print its summary. Such a run says
# nothing about the code under test, so it is run again. A run that reports a failed test is a
# failure at once. When every attempt stalled or died, the group is reported as skipped with
# that reason: the emulation, not the code, could not be tested.
#
# usage: run_group.sh <attempts> <scripts/wine-run> <test program> <arguments...>
set -u
attempts=$1
wine_run=$2
shift 2
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for ((attempt = 1; attempt <= attempts; attempt++)); do
  "$wine_run" "$@" >"$log" 2>&1 </dev/null
  code=$?
  cat "$log"
  if grep -q '^\[  FAILED  \]' "$log"; then exit 1; fi
  if grep -q '^\[  PASSED  \] [0-9]* test' "$log"; then exit 0; fi
  echo "run_group: attempt $attempt ended without the test program's summary (exit code $code)"
  # What the time limit left of the emulated process would keep spinning (its command line
  # holds this group's filter; this script's own holds it too).
  for pid in $(pgrep -f -- "tvqm_wine_tests.exe $2"); do
    [ "$pid" = $$ ] || kill -9 "$pid" 2>/dev/null
  done
  sleep 2
done
echo "tvqm-skipped: the emulated 32-bit test process stalled or died in all $attempts attempts without a test failing"
exit 0
