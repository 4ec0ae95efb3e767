# Sourced by the end-to-end scripts, after they set e2e_name: their arguments, the prefix, the
# tally of checks, the 64-bit reg.exe and a timed start of the program.
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

reg_tool() { timeout -k 5 60 "$tvqm_wine" reg "$@" </dev/null 2>/dev/null | tr -d '\r'; }
# reg query, its output in reg_out; 0 when the key or value is there, 1 when reg says it is not
# (its complaint goes to standard output), 2 when reg gave no answer (it did not start, stalled
# or died): no check takes a reader that failed for a key or value that is missing.
reg_query() {
  reg_out=$(timeout -k 5 60 "$tvqm_wine" reg query "$@" </dev/null 2>/dev/null)
  local code=$?
  reg_out=${reg_out//$'\r'/}
  [ "$code" -eq 0 ] && return 0
  [ "$code" -eq 1 ] && grep -q '^reg: Unable to find the specified registry' <<<"$reg_out" && return 1
  return 2
}
key_missing() {
  reg_query "$1"
  [ $? -eq 1 ]
}
# The data of a value as reg shows it ("REG_DWORD 0x1"), empty when reg says it is missing.
value_of() {
  reg_query "$1" /v "$2"
  case $? in
    0) awk -v name="$2" 'tolower($1) == tolower(name) { print $2, $3 }' <<<"$reg_out" ;;
    1) ;;
    *) echo "no answer from reg.exe" ;;
  esac
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
