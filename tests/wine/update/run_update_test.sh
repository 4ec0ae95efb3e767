#!/usr/bin/env bash
# Runs the update test program under Wine against a local HTTPS server: makes a certificate
# for "localhost", trusts it in the prefix (a process of its own), starts https_server.py on
# 127.0.0.1, runs the tests, stops the server.
# Usage: run_update_test.sh <test exe> <marker exe> <work dir>
set -u
exe=$1 marker=$2 work=$3
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../../.." && pwd)
mkdir -p "$work"
rm -f "$work/port" "$work/requests.log"
source "$repo/scripts/wine-env"
tvqm_wine_prefix || { echo "tvqm-update: no Wine prefix"; exit 1; }

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
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null' EXIT
for _ in $(seq 1 100); do [ -f "$work/port" ] && break; sleep 0.1; done
[ -f "$work/port" ] || { echo "tvqm-update: the HTTPS server did not start"; exit 1; }
port=$(cat "$work/port")

timeout -k 10 300 "$tvqm_wine" "$exe" "--host=localhost:$port" "--log=Z:$work/requests.log"
