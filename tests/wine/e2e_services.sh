#!/usr/bin/env bash
# The real TolvexQuietmark.exe under Wine on a system without the telemetry services
# (DiagTrack, dmwappushservice), checked from outside with the 64-bit reg.exe:
#   /silent /apply   -> exit code 0, nothing on standard error (the service messages are
#                       dropped), no service key created and no start type changed
#   /silent /undo    -> the same
# The walk runs the services class before the telemetry policy class, so the policy value
# written by the apply (and deleted by the undo) shows that the walk got past the services.
#
# usage: e2e_services.sh <TolvexQuietmark.exe> <scripts folder> <folder for the logs>
e2e_name=services
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" "$@"

services='HKLM\SYSTEM\CurrentControlSet\Services'
telemetry_services=(DiagTrack dmwappushservice)
policy_key='HKLM\SOFTWARE\Policies\Microsoft\Windows\DataCollection'

# Every service key with its start type; the services that the Wine tests install for a
# moment (TvqmWineTest-...) are left out.
service_state() {
  reg_tool query "$services" /s /v Start |
    awk '/^HKEY_/ { skip = ($0 ~ /TvqmWineTest-/) } !skip && NF' | sort
}

for name in "${telemetry_services[@]}"; do
  key_missing "$services\\$name"
  check "this system has no $name service" $?
done
reg_tool delete "$policy_key" /v AllowTelemetry /f >/dev/null
before=$(service_state)
[ -n "$before" ]
check "the service keys can be read" $?

run_exe apply /silent /apply
check "/silent /apply ends with exit code 0" $?
[ ! -s "$logs/services-apply.err" ]
check "/silent /apply wrote nothing to standard error (found: $(head -c 300 "$logs/services-apply.err"))" $?
[ "$(value_of "$policy_key" AllowTelemetry)" = "REG_DWORD 0x0" ]
check "the walk went on after the services class (AllowTelemetry written)" $?
for name in "${telemetry_services[@]}"; do
  key_missing "$services\\$name"
  check "/silent /apply created no key for $name" $?
done
[ "$(service_state)" = "$before" ]
check "/silent /apply changed no start type" $?

run_exe undo /silent /undo
check "/silent /undo ends with exit code 0" $?
[ ! -s "$logs/services-undo.err" ]
check "/silent /undo wrote nothing to standard error (found: $(head -c 300 "$logs/services-undo.err"))" $?
[ -z "$(value_of "$policy_key" AllowTelemetry)" ]
check "the walk went on after the services class (AllowTelemetry deleted)" $?
for name in "${telemetry_services[@]}"; do
  key_missing "$services\\$name"
  check "/silent /undo created no key for $name" $?
done
[ "$(service_state)" = "$before" ]
check "/silent /undo changed no start type" $?

finish
