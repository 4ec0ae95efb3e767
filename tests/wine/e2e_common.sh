# Sourced by the end-to-end scripts, after they set e2e_name: their arguments, the prefix, the
# tally of checks, the readers of the prefix (64-bit reg.exe) and a timed start of the program.
# Each run has a prefix and a server of its own, copied anew from the template: the runs go at
# the same time, none sees what another writes, and each starts from the same state. The
# prefix is removed when every check passed, and kept for a look when one failed.
#
# usage of a script: e2e_<name>.sh <TolvexQuietmark.exe> <scripts folder> <folder for the logs>
set -u
exe=$1
scripts=$2
logs=$3
mkdir -p "$logs"
export TVQM_WINEPREFIX=$logs/$e2e_name-wineprefix
source "$scripts/wine-env"
source "$scripts/prefix-state"
tvqm_wine_new_prefix || exit 1
tvqm_wine_start || exit 1

passed=0
failed=0
skipped=0
check() {  # check <description> <condition result 0/1>
  if [ "$2" -eq 0 ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "e2e $e2e_name: FAILED: $1"
  fi
}
skip() {  # skip <what Wine lacks>
  skipped=$((skipped + 1))
  echo "e2e $e2e_name: SKIPPED: $1"
}
# The line CTest looks for, and the script's exit status.
finish() {
  echo "$passed passed, $failed failed, $skipped skipped"
  if [ "$failed" -ne 0 ]; then
    tvqm_wine_stop
    echo "e2e $e2e_name: the prefix is kept in $WINEPREFIX"
    return 1
  fi
  tvqm_wine_drop_prefix
}

run_exe() {  # run_exe <log name> <arguments...>
  local name=$1
  shift
  local started=$SECONDS
  "$scripts/wine-run" "$exe" "$@" >"$logs/$e2e_name-$name.out" 2>"$logs/$e2e_name-$name.err"
  local code=$?
  echo "e2e $e2e_name: TolvexQuietmark.exe $* ended with exit code $code after $((SECONDS - started))s"
  return $code
}
