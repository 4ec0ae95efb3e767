#!/usr/bin/env bash
# Runs the update test program under Wine against a local HTTPS server: makes a certificate
# for "localhost", trusts it in the prefix (a process of its own), starts https_server.py on
# 127.0.0.1, runs the tests (the last one in real windows, with a screenshot of the update
# tab), stops the server.
# Usage: run_update_test.sh <test exe> <marker exe> <work dir> <screenshot dir>
set -u
exe=$1 marker=$2 work=$3 shots=$4
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../../.." && pwd)
# The whole Wine phase under one display: a server session whose desktop started without one
# refuses every window.
if [ -z "${TVQM_UPDATE_IN_XVFB:-}" ]; then
  export TVQM_UPDATE_IN_XVFB=1
  exec timeout -k 10 580 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
mkdir -p "$work" "$shots"
rm -f "$work/port" "$work/requests.log" "$work/ready" "$work/done"
source "$repo/scripts/wine-env"
tvqm_wine_prefix || { echo "tvqm-update: no Wine prefix"; exit 1; }
# A server of this prefix started without a display would refuse the dialog's windows.
timeout -k 10 30 wineserver -k >/dev/null 2>&1
timeout -k 10 30 wineserver -w >/dev/null 2>&1

if [ ! -f "$work/cert.der" ]; then
  openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=localhost" \
    -addext "subjectAltName=DNS:localhost" -addext "basicConstraints=critical,CA:TRUE" \
    -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1 &&
    openssl x509 -in "$work/cert.pem" -outform der -out "$work/cert.der" ||
    { echo "tvqm-update: no test certificate"; rm -f "$work/cert.der"; exit 1; }
fi
timeout -k 10 120 "$tvqm_wine" "$exe" "--trust=Z:$work/cert.der" || exit 1

python3 "$here/https_server.py" "$work" "$marker" &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; timeout -k 10 30 wineserver -k >/dev/null 2>&1' EXIT
for _ in $(seq 1 100); do [ -f "$work/port" ] && break; sleep 0.1; done
[ -f "$work/port" ] || { echo "tvqm-update: the HTTPS server did not start"; exit 1; }
port=$(cat "$work/port")

# The dialog's windows at 96 DPI (with every test) and at 144 (the windowed test only); Wine
# reads LogPixels when a server session starts. The prefix is left at 96.
set_dpi() {
  timeout -k 10 60 "$tvqm_wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    >/dev/null 2>&1
  timeout -k 10 30 wineserver -k >/dev/null 2>&1
  timeout -k 10 30 wineserver -w >/dev/null 2>&1
}
rc=0
for dpi in 96 144; do
  set_dpi "$dpi"
  rm -f "$work/ready" "$work/done" "$work/end"
  (
    for _ in $(seq 1 600); do [ -f "$work/ready" ] || [ -f "$work/end" ] && break; sleep 0.1; done
    if [ -f "$work/ready" ]; then
      sleep 0.5
      shot=$shots/update-tab-${dpi}dpi.png
      import -window root "$shot" && echo "screenshot: $shot"
    fi
    touch "$work/done"
  ) &
  watcher=$!
  filter=
  [ "$dpi" = 96 ] || filter=--gtest_filter=UpdateDialogOnWine.*
  timeout -k 10 240 "$tvqm_wine" "$exe" "--host=localhost:$port" "--log=Z:$work/requests.log" \
    "--ready=Z:$work/ready" "--done=Z:$work/done" $filter || rc=1
  touch "$work/end"
  wait "$watcher"
done
set_dpi 96
exit $rc
