#!/usr/bin/env bash
# Starts the real TolvexQuietmark.exe under Wine and checks how it ends:
#   /silent         -> exit code 0 (no window, nothing changed)
# (A start without /silent shows the main window: e2e_window.sh starts it that way.)
# The start builds the path templates, which read the profile files of Mozilla-family
# programs: the user's application-data folder holds hostile ones for them (a registry.dat and
# an nsreg.dat whose chains lead back into themselves, and profiles.ini files that are cut
# short, binary or larger than any such file), which must not keep the program from ending
# normally.
# Wine also gives 0 when it could not run a 32-bit program at all, so a loader trace must
# show that the exe was loaded into a 32-bit process and that this process left through the
# normal shut-down path (LdrShutdownProcess), not through a crash. The silent start also
# traces file calls: the exe itself must have opened every planted file (else the start
# proves nothing about them), and the trace's times give what the table's build took in the
# program's own process.
#
# usage: e2e_startup.sh <TolvexQuietmark.exe> <scripts/wine-run> <folder for the logs>
set -u
exe=$1
wine_run=$2
logs=$3
mkdir -p "$logs"
failures=0

# A prefix of the run's own, made anew and removed again when the checks pass (as for the other
# end-to-end runs, e2e_common.sh).
export TVQM_WINEPREFIX=$logs/startup-wineprefix
source "$(dirname "$wine_run")/wine-env"
tvqm_wine_new_prefix || exit 1
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

# The planted files below the Roaming folder, as the trace writes them ("\\" for "\").
planted_reads=('Mozilla\\registry.dat' 'nsreg.dat' 'Mozilla\\Firefox\\profiles.ini' 'Thunderbird\\profiles.ini'
               'Postbox\\profiles.ini')

# check_reads <timed trace> <pid>: every planted file opened by the exe's process, and the
# time from the table's first shell folder (the Windows folder, whose test opens its trace)
# to the last profile file it probed.
check_reads() {
  local trace=$1 pid=$2 file own
  own=$(grep -a -E "^[0-9]+\.[0-9]{3}:$pid:[0-9a-f]+:trace:file:" "$trace")
  for file in "${planted_reads[@]}"; do
    grep -a -q -F "\\\\AppData\\\\Roaming\\\\$file\" GENERIC_READ" <<<"$own" ||
      problems+=("the exe never opened $file below the Roaming folder")
  done
  build=$(awk -F: '/:trace:file:GetFileAttributesW L"C:\\\\windows"$/ { if (start == "") start = $1 }
                   /:trace:file:GetFileAttributesW L".*\\\\Wyzo\\\\Data\\\\profiles\.ini"$/ { end = $1 }
                   END { if (start != "" && end != "") printf "%.0f ms", (end - start) * 1000 }' <<<"$own")
}

run_case() {
  local name=$1 channels=$2
  shift 2
  local log="$logs/$name.log"
  local started=$SECONDS
  WINEDEBUG=+pid,+loaddll,+module$channels "$wine_run" "$exe" "$@" >"$log.out" 2>"$log.timed"
  local code=$?
  # Without the times in front, the lines start with the process id, as the checks expect.
  sed -E 's/^[0-9]+\.[0-9]{3}://' "$log.timed" >"$log"
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
  local build="" reads=""
  if [ -n "$pid" ] && [[ $channels == *file* ]]; then
    check_reads "$log.timed" "$pid"
    reads=", every planted file read${build:+, table built in $build with file tracing on}"
  fi
  if [ ${#problems[@]} -eq 0 ]; then
    echo "e2e $name: passed (exit code 0, 32-bit process $pid shut down normally$reads, ${took}s)"
  else
    echo "e2e $name: FAILED: ${problems[*]} (${took}s; trace in $log)"
    tail -n 20 "$log"
    failures=$((failures + 1))
  fi
}

# The localizer's start-up work: the language value stored for the program's folder (the
# folder of argument 0 with its trailing backslash) under the current user's key, copied to the
# local system account's key; a first start stores the default code in both.
localization_keys=('HKCU\Software\Brenmoor Limited\Localization'
                   'HKU\S-1-5-18\Software\Brenmoor Limited\Localization')
for key in "${localization_keys[@]}"; do
  timeout -k 5 60 "$tvqm_wine" reg delete "$key" /f </dev/null >/dev/null 2>&1
done

run_case silent ,+timestamp,trace+file /silent

exe_folder="Z:$(cd "$(dirname "$exe")" && pwd | tr / '\\')\\"
checks=1
for key in "${localization_keys[@]}"; do
  checks=$((checks + 1))
  listing=$(timeout -k 5 60 "$tvqm_wine" reg query "$key" </dev/null 2>/dev/null | tr -d '\r')
  # The name goes through the environment: awk -v would read its backslashes as escapes.
  if name="$exe_folder" awk 'tolower($1) == tolower(ENVIRON["name"]) && $2 == "REG_SZ" && $3 == "en_US" { found = 1 }
                             END { exit !found }' <<<"$listing"; then
    echo "e2e localizer: passed ($key holds $exe_folder = en_US)"
  else
    echo "e2e localizer: FAILED: $key lacks $exe_folder = en_US as REG_SZ; it holds:"
    echo "$listing"
    failures=$((failures + 1))
  fi
done

if [ "$failures" -eq 0 ]; then
  echo "$checks passed, 0 failed"
  tvqm_wine_drop_prefix
else
  echo "$((checks - failures)) passed, $failures failed"
  tvqm_wine_stop
  echo "e2e startup: the prefix is kept in $WINEPREFIX"
  exit 1
fi
