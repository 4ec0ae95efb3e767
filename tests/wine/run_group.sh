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
# Job control: each attempt runs in a process group of its own, so what is left of it can be
# ended without touching anything else on the machine.
set -m
attempts=$1
wine_run=$2
shift 2
# CTest runs this in the build folder.
log=$(mktemp -p "$PWD" run_group.XXXXXX)
trap 'rm -f "$log"' EXIT
for ((attempt = 1; attempt <= attempts; attempt++)); do
  "$wine_run" "$@" >"$log" 2>&1 </dev/null &
  group=$!
  wait "$group"
  code=$?
  cat "$log"
  if grep -q '^\[  FAILED  \]' "$log"; then exit 1; fi
  if grep -q '^\[  PASSED  \] [0-9]* test' "$log"; then exit 0; fi
  echo "run_group: attempt $attempt ended without the test program's summary (exit code $code)"
  # What the time limit left of the emulated process would keep spinning: whatever is still in
  # the attempt's process group.
  kill -9 -- "-$group" 2>/dev/null
  sleep 2
done
echo "tvqm-skipped: the emulated 32-bit test process stalled or died in all $attempts attempts without a test failing"
exit 0
