#!/usr/bin/env bash
# Runs a window test program under Xvfb at one DPI, in a server session of its own (Wine reads
# LogPixels when a session starts), and keeps the screenshots it asks for: the program writes
# <ready>-<name> when a window is painted and waits for <done>-<name>; the picture goes to
# <screenshot dir>/<picture name>-<name>-<dpi>dpi.png.
# Usage: run_window_test.sh <prefix> <dpi> <work dir> <screenshot dir> <picture name> <test exe>
# (the program gets --dpi=<dpi> --ready=FILE --done=FILE)
set -u
prefix=$1 dpi=$2 work=$3 shots=$4 picture=$5 exe=$6
repo=$(cd "$(dirname "$0")/../../.." && pwd)
mkdir -p "$work" "$shots"
# The whole Wine phase under one display: a session whose desktop started without one
# refuses every window.
if [ -z "${TVQM_WINDOW_TEST_IN_XVFB:-}" ]; then
  export TVQM_WINDOW_TEST_IN_XVFB=1
  exec timeout -k 10 880 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
export TVQM_WINEPREFIX=$prefix
source "$repo/scripts/wine-env"
tvqm_wine_prefix || { echo "tvqm-window-test: no Wine prefix"; exit 1; }
# LogPixels takes effect in a new server session: set it, end the session, start again.
tvqm_wine_stop
timeout -k 10 60 "$tvqm_wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
  >/dev/null 2>&1
tvqm_wine_stop

tag=$picture-$dpi
ready=$work/$tag.ready
done_file=$work/$tag.done
rm -f "$ready"-* "$done_file"-* "$shots/$picture"-*-"$dpi"dpi.png
(
  # Every picture the program asks for, until it ends.
  while [ ! -f "$done_file-end" ]; do
    for file in "$ready"-*; do
      [ -f "$file" ] || continue
      name=${file#"$ready"-}
      [ -f "$done_file-$name" ] && continue
      sleep 0.5
      shot=$shots/$picture-$name-${dpi}dpi.png
      import -window root "$shot" && echo "screenshot: $shot"
      touch "$done_file-$name"
    done
    sleep 0.2
  done
) &
watcher=$!
timeout -k 10 600 "$tvqm_wine" "$exe" --dpi="$dpi" --ready="Z:$ready" --done="Z:$done_file"
rc=$?
touch "$done_file-end"
wait "$watcher"
tvqm_wine_stop
exit $rc
