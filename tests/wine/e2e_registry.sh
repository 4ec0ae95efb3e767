#!/usr/bin/env bash
# The real TolvexQuietmark.exe under Wine against the prefix's registry, checked from outside
# with the 64-bit reg.exe (the native view of the 64-bit prefix):
#   /silent /apply   -> exit code 0, the nine values of the registry immunizers written as
#                       REG_DWORD in the native view (nothing under Wow6432Node)
#   /silent /undo    -> exit code 0, the values deleted, except those of a class that the
#                       product policy disables ("Disable" + class name = 1)
#
# usage: e2e_registry.sh <TolvexQuietmark.exe> <scripts folder> <folder for the logs>
e2e_name=registry
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" "$@"

values=("${tvqm_standard_values[@]}")
# Keys a 32-bit process would be redirected to without the native view.
redirected=(
  'HKLM\SOFTWARE\Wow6432Node\Microsoft\PolicyManager\default\WiFi\AllowWiFiHotSpotReporting'
  'HKLM\SOFTWARE\Wow6432Node\Microsoft\PolicyManager\default\WiFi\AllowAutoConnectToWiFiSenseHotspots'
  'HKLM\SOFTWARE\Wow6432Node\Microsoft\Windows\CurrentVersion\DeliveryOptimization\Config'
)
policy='HKLM\SOFTWARE\Policies\Brenmoor Ltd.\Tolvex Quietmark\Immunisation'
disabled_class=TWindows10AITRegistryImmunization

reset_registry() {
  local row key name
  for row in "${values[@]}"; do
    IFS='|' read -r key name _ <<<"$row"
    reg_tool delete "$key" /v "$name" /f >/dev/null
  done
  for key in "${redirected[@]}"; do reg_tool delete "$key" /f >/dev/null; done
  reg_tool delete "$policy" /f >/dev/null
}

reset_registry

run_exe apply /silent /apply
check "/silent /apply ends with exit code 0" $?
for row in "${values[@]}"; do
  IFS='|' read -r key name data <<<"$row"
  actual=$(value_of "$key" "$name")
  [ "$actual" = "REG_DWORD $data" ]
  check "after /silent /apply $key\\$name is REG_DWORD $data (found: ${actual:-nothing})" $?
  if [ "$actual" != "REG_DWORD $data" ]; then
    reg_query "$key"
    echo "e2e $e2e_name: $key as the program left it: ${reg_out:-no answer from reg.exe}"
  fi
done
for key in "${redirected[@]}"; do
  key_missing "$key"
  check "after /silent /apply nothing was written to $key" $?
done

reg_tool add "$policy" /v "Disable$disabled_class" /t REG_DWORD /d 1 /f >/dev/null
check "the policy value Disable$disabled_class was set up" "$([ "$(value_of "$policy" "Disable$disabled_class")" = "REG_DWORD 0x1" ]; echo $?)"

run_exe undo /silent /undo
check "/silent /undo ends with exit code 0" $?
for row in "${values[@]}"; do
  IFS='|' read -r key name data <<<"$row"
  actual=$(value_of "$key" "$name")
  if [ "$name" = AITEnable ]; then
    [ "$actual" = "REG_DWORD $data" ]
    check "the disabled class kept $key\\$name (found: ${actual:-nothing})" $?
  else
    [ -z "$actual" ]
    check "after /silent /undo $key\\$name is deleted (found: ${actual:-nothing})" $?
  fi
done

reset_registry

finish
