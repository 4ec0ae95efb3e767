#!/usr/bin/env bash
# Runs one of the window tests of the form bases under Xvfb at one DPI and keeps the
# screenshots it asks for. Usage: run_forms_test.sh <dpi> <work dir> <screenshot dir>
# <prefix> <exe> [args...]; the exe writes <ready>-<name> when a picture can be taken and
# waits for <done>-<name>.
set -u
dpi=$1 work=$2 shots=$3 prefix=$4
shift 4
repo=$(cd "$(dirname "$0")/../../.." && pwd)
mkdir -p "$work" "$shots"
# The whole Wine phase under one display: a session whose desktop started without one
# refuses every window.
if [ -z "${TVQM_FORMS_IN_XVFB:-}" ]; then
  export TVQM_FORMS_IN_XVFB=1
  exec timeout -k 10 880 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$dpi" "$work" "$shots" "$prefix" "$@"
fi
export TVQM_WINEPREFIX=$prefix
source "$repo/scripts/wine-env"
tvqm_wine_prefix || { echo "tvqm-forms: no Wine prefix"; exit 1; }
# LogPixels takes effect in a new server session: set it, end the session, start again.
wineserver -k >/dev/null 2>&1
timeout -k 10 60 "$tvqm_wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
  >/dev/null 2>&1
timeout -k 10 30 wineserver -k >/dev/null 2>&1
timeout -k 10 30 wineserver -w >/dev/null 2>&1

tag=$(basename "$1" .exe)-$dpi
ready=$work/$tag.ready
done_file=$work/$tag.done
rm -f "$ready"-* "$done_file"-*
(
  # Every picture the program asks for, until it ends.
  while [ ! -f "$done_file-end" ]; do
    for file in "$ready"-*; do
      [ -f "$file" ] || continue
      name=${file#"$ready"-}
      [ -f "$done_file-$name" ] && continue
      shot=$shots/forms-$name-${dpi}dpi.png
      import -window root "$shot" && echo "screenshot: $shot"
      touch "$done_file-$name"
    done
    sleep 0.2
  done
) &
watcher=$!
exe=$1
shift
# Files named by their Linux paths reach the Windows program as Z: paths.
args=()
for arg in "$@"; do
  if [ -e "$arg" ]; then args+=("Z:$arg"); else args+=("$arg"); fi
done
timeout -k 10 600 "$tvqm_wine" "$exe" "${args[@]}" --ready="Z:$ready" --done="Z:$done_file"
rc=$?
touch "$done_file-end"
wait "$watcher"
timeout -k 10 30 wineserver -k >/dev/null 2>&1
exit $rc
