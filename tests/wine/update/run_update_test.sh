#!/usr/bin/env bash
# Runs the update test program under Wine against a local HTTPS server: makes a certificate
# for "localhost" and a code-signing root with a signer certificate under it, trusts both roots
# in the prefix (a process of its own), signs the marker program with osslsigncode (and makes
# an unsigned, a changed and a cut copy of it), starts https_server.py on 127.0.0.1, runs the
# tests (the last one in real windows, with a screenshot of the update tab), stops the server.
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
if [ ! -f "$work/sign-root.der" ]; then
  printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' \
    >"$work/signer.ext"
  openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=Tolvex Test Code Signing Root" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
    -keyout "$work/sign-root.key" -out "$work/sign-root.pem" >/dev/null 2>&1 &&
    openssl req -newkey rsa:2048 -nodes -subj "/CN=Brenmoor Limited (test)" \
      -keyout "$work/signer.key" -out "$work/signer.csr" >/dev/null 2>&1 &&
    openssl x509 -req -in "$work/signer.csr" -CA "$work/sign-root.pem" -CAkey "$work/sign-root.key" \
      -CAcreateserial -days 30 -extfile "$work/signer.ext" -out "$work/signer.pem" >/dev/null 2>&1 &&
    cat "$work/signer.pem" "$work/sign-root.pem" >"$work/sign-chain.pem" &&
    openssl x509 -in "$work/sign-root.pem" -outform der -out "$work/sign-root.der" ||
    { echo "tvqm-update: no code-signing certificate"; rm -f "$work/sign-root.der"; exit 1; }
fi
mkdir -p "$work/installers"
rm -f "$work/installers/"*.exe
osslsigncode sign -certs "$work/sign-chain.pem" -key "$work/signer.key" -h sha256 \
  -in "$marker" -out "$work/installers/signed.exe" >/dev/null ||
  { echo "tvqm-update: the marker was not signed"; exit 1; }
cp "$marker" "$work/installers/unsigned.exe"
python3 - "$work/installers" <<'PY' || exit 1
import sys
folder = sys.argv[1]
signed = open(folder + "/signed.exe", "rb").read()
changed = bytearray(signed)
changed[len(changed) // 2] ^= 0xFF
open(folder + "/changed.exe", "wb").write(changed)
open(folder + "/truncated.exe", "wb").write(signed[: len(signed) * 3 // 4])
PY
timeout -k 10 120 "$tvqm_wine" "$exe" "--trust=Z:$work/cert.der" "--trust=Z:$work/sign-root.der" || exit 1

python3 "$here/https_server.py" "$work" &
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
    "--installers=Z:$work/installers" \
    "--ready=Z:$work/ready" "--done=Z:$work/done" $filter || rc=1
  touch "$work/end"
  wait "$watcher"
done
set_dpi 96
exit $rc
