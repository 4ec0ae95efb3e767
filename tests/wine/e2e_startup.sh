#!/usr/bin/env bash
# Starts the real TolvexQuietmark.exe under Wine and checks how it ends:
#   /silent         -> exit code 0 (no window, nothing changed)
#   no arguments    -> exit code 0 (without a display the main window cannot be made; the
#                      program reports that and ends normally)
# Both starts build the path templates, which read the profile files of Mozilla-family
# programs: the user's application-data folder holds hostile ones for them (a registry.dat and
# an nsreg.dat whose chains lead back into themselves, and profiles.ini files that are cut
# short, binary or larger than any such file), which must not keep the program from ending
# normally.
# Wine also gives 0 when it could not run a 32-bit program at all, so a loader trace must
# show that the exe was loaded into a 32-bit process and that this process left through the
# normal shut-down path (LdrShutdownProcess), not through a crash.
#
# usage: e2e_startup.sh <TolvexQuietmark.exe> <scripts/wine-run> <folder for the logs>
set -u
exe=$1
wine_run=$2
logs=$3
mkdir -p "$logs"
failures=0

source "$(dirname "$wine_run")/wine-env"
tvqm_wine_prefix || exit 1
fixtures=$(cd "$(dirname "$0")/../fuzz/corpus" && pwd)
planted=()
plant() {  # plant <file below each user's Roaming folder> <content file>
  local home
  for home in "$WINEPREFIX"/drive_c/users/*/; do
    [ "$(basename "$home")" = Public ] && continue
    mkdir -p "$(dirname "$home/AppData/Roaming/$1")"
    cp "$2" "$home/AppData/Roaming/$1"
    planted+=("$home/AppData/Roaming/$1")
  done
}
trap 'rm -f "${planted[@]}"' EXIT
broken_ini="$logs/broken-profiles.ini"
printf '\xff\xfe[\0P\0r\0o\0f\0i\0l\0e\0\x000\0]\0\n\0P\0\x00\xd8' >"$broken_ini"
huge_ini="$logs/huge-profiles.ini"
head -c 300000 /dev/zero | tr '\0' '[' >"$huge_ini"
plant "Mozilla/registry.dat" "$fixtures/NetscapeRegistry/cyclic.dat"
plant "nsreg.dat" "$fixtures/NetscapeRegistry/cyclic.dat"
plant "Mozilla/Firefox/profiles.ini" "$broken_ini"
plant "Thunderbird/profiles.ini" "$huge_ini"
plant "Postbox/profiles.ini" "$fixtures/ProfilesIni/odd.ini"

run_case() {
  local name=$1
  shift
  local log="$logs/$name.log"
  local started=$SECONDS
  WINEDEBUG=+pid,+loaddll,+module "$wine_run" "$exe" "$@" >"$log.out" 2>"$log"
  local code=$?
  local took=$((SECONDS - started))
  # "0123:0124:trace:loaddll:build_module Loaded L"Z:\...\TolvexQuietmark.exe" at 00400000: native"
  local loaded pid
  loaded=$(grep -a -m1 'trace:loaddll:build_module Loaded L".*\\\\TolvexQuietmark\.exe" at [0-9A-Fa-f]*: native' "$log")
  pid=${loaded%%:*}
  local problems=()
  [ "$code" -eq 0 ] || problems+=("exit code $code")
  if [ -z "$loaded" ]; then
    problems+=("the exe was never loaded")
  else
    [[ $loaded =~ \ at\ [0-9A-Fa-f]{8}:\ native ]] || problems+=("not a 32-bit process: $loaded")
    grep -a -q "^$pid:[0-9a-f]*:trace:module:LdrShutdownProcess" "$log" ||
      problems+=("process $pid did not shut down normally")
  fi
  if [ ${#problems[@]} -eq 0 ]; then
    echo "e2e $name: passed (exit code 0, 32-bit process $pid shut down normally, ${took}s)"
  else
    echo "e2e $name: FAILED: ${problems[*]} (${took}s; trace in $log)"
    tail -n 20 "$log"
    failures=$((failures + 1))
  fi
}

run_case silent /silent
run_case no-arguments

if [ "$failures" -eq 0 ]; then
  echo "2 passed, 0 failed"
else
  echo "$((2 - failures)) passed, $failures failed"
  exit 1
fi
