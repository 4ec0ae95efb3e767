#!/usr/bin/env bash
# Runs the toolkit's Win32 test program under Xvfb at one DPI and keeps a screenshot of its
# form. Usage: run_ui_test.sh <test exe> <dpi> <work dir> <screenshot dir>
set -u
exe=$1 dpi=$2 work=$3 shots=$4
repo=$(cd "$(dirname "$0")/../../.." && pwd)
mkdir -p "$work" "$shots"
# The whole Wine phase under one display: a session whose desktop started without one
# refuses every window.
if [ -z "${TVQM_UI_IN_XVFB:-}" ]; then
  export TVQM_UI_IN_XVFB=1
  exec timeout -k 10 880 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
export TVQM_WINEPREFIX=${TVQM_UI_WINEPREFIX:-$work/wineprefix}
source "$repo/scripts/wine-env"
tvqm_wine_prefix || { echo "tvqm-ui: no Wine prefix"; exit 1; }
# LogPixels takes effect in a new server session: set it, end the session, start again.
wineserver -k >/dev/null 2>&1
timeout -k 10 60 "$tvqm_wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
  >/dev/null 2>&1
timeout -k 10 30 wineserver -k >/dev/null 2>&1
timeout -k 10 30 wineserver -w >/dev/null 2>&1

ready=$work/ui-$dpi.ready
done_file=$work/ui-$dpi.done
# Another program may show other pages (TVQM_UI_PAGES) under another name (TVQM_UI_SHOT_NAME).
pages=${TVQM_UI_PAGES:-general list scrolling}
shot_name=${TVQM_UI_SHOT_NAME:-ui-toolkit}
rm -f "$ready"-* "$done_file"-* "$shots"/"$shot_name"-*-"${dpi}"dpi.png
(
  # The pages in the order the test shows them.
  for page in $pages; do
    for _ in $(seq 1 900); do [ -f "$ready-$page" ] || [ -f "$done_file-end" ] && break; sleep 0.1; done
    [ -f "$ready-$page" ] || break
    sleep 0.5
    shot=$shots/$shot_name-$page-${dpi}dpi.png
    import -window root "$shot" && echo "screenshot: $shot"
    touch "$done_file-$page"
  done
) &
watcher=$!
timeout -k 10 300 "$tvqm_wine" "$exe" --dpi="$dpi" --ready="Z:$ready" --done="Z:$done_file"
rc=$?
touch "$done_file-end"
wait "$watcher"
timeout -k 10 30 wineserver -k >/dev/null 2>&1
exit $rc
