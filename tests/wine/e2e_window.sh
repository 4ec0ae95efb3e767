#!/usr/bin/env bash
# The real TolvexQuietmark.exe started with /apply and without /silent, under Xvfb: it shows
# its window, applies the ticked standard immunizers at its first show and shows the log
# page. Checked from outside: policy values in the registry and the telemetry block of the
# hosts file; a screenshot of the window is kept; then the window is closed as a user closes
# it (WM_CLOSE through taskkill) and the program must end by itself.
#
# The window runs in a named virtual desktop: the prefix's server may have started its own
# desktop without a display, which then refuses every window.
#
# usage: e2e_window.sh <TolvexQuietmark.exe> <scripts folder> <folder for the logs> <screenshot folder>
#                      <window closer exe>
if [ -z "${TVQM_E2E_IN_XVFB:-}" ]; then
  export TVQM_E2E_IN_XVFB=1
  exec timeout -k 10 880 xvfb-run -a -s "-screen 0 1024x900x24" bash "$0" "$@"
fi
e2e_name=window
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" "$@"
shots=$4
closer=$5
mkdir -p "$shots"
desktop=tvqm-window,1000x880

# key | value name | data after apply
values=(
  'HKLM\SOFTWARE\Policies\Microsoft\Windows\DataCollection|AllowTelemetry|0x0'
  'HKLM\SOFTWARE\Policies\Microsoft\SQMClient\Windows|CEIPEnable|0x0'
  'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\AdvertisingInfo|Enabled|0x0'
)
delete_values() {
  local row key name
  for row in "${values[@]}"; do
    IFS='|' read -r key name _ <<<"$row"
    reg_tool delete "$key" /v "$name" /f >/dev/null
  done
}
hosts="$WINEPREFIX/drive_c/windows/system32/drivers/etc/hosts"
start_marker='# Start of entries inserted by Tolvex Quietmark for Windows 10'
saved="$logs/window-hosts.prefix"
had_hosts=0
if [ -f "$hosts" ]; then cp -p "$hosts" "$saved" && had_hosts=1; fi
restore() {
  if [ "$had_hosts" -eq 1 ]; then cp -p "$saved" "$hosts"; else rm -f "$hosts"; fi
  delete_values
}
trap restore EXIT

applied() {
  local row key name data
  for row in "${values[@]}"; do
    IFS='|' read -r key name data <<<"$row"
    [ "$(value_of "$key" "$name")" = "REG_DWORD $data" ] || return 1
  done
  grep -qF "$start_marker" "$hosts" 2>/dev/null
}

delete_values
# No telemetry block before the run, so the one found after it is the window's.
if [ -f "$hosts" ]; then
  awk -v s="$start_marker" -v e="${start_marker/Start of/End of}" '
    { line = $0; sub(/\r$/, "", line) }
    line == s { skip = 1; next }
    line == e { skip = 0; next }
    !skip' "$saved" >"$hosts"
fi

# The task folders of the task immunizers that the prefix lacks: counting, applying and undoing
# must not create them.
task_store="$WINEPREFIX/drive_c/windows/system32/tasks"
absent_folders=()
for folder in Microsoft Microsoft/Windows Microsoft/Office "Microsoft/Windows/Application Experience" \
  Microsoft/Windows/Autochk Microsoft/Windows/DiskDiagnostic "Microsoft/Windows/Customer Experience Improvement Program"; do
  [ -d "$task_store/$folder" ] || absent_folders+=("$folder")
done

started=$SECONDS
TVQM_WINE_TIMEOUT=600 "$scripts/wine-run" explorer "/desktop=$desktop" "Z:$(realpath "$exe")" /apply \
  >"$logs/window-run.out" 2>"$logs/window-run.err" &
runner=$!

# The 32-bit start may be emulated: allow it minutes.
for _ in $(seq 1 480); do
  applied && break
  kill -0 "$runner" 2>/dev/null || break
  sleep 1
done
applied
check "the window applied the standard immunizers at its first show (registry and hosts file)" $?
echo "e2e $e2e_name: applied after $((SECONDS - started))s"
for row in "${values[@]}"; do
  IFS='|' read -r key name data <<<"$row"
  actual=$(value_of "$key" "$name")
  [ "$actual" = "REG_DWORD $data" ]
  check "$key\\$name is REG_DWORD $data (found: ${actual:-nothing})" $?
done
grep -c '^0\.0\.0\.0	' "$hosts" >"$logs/window-hosts.count" 2>/dev/null
[ "$(cat "$logs/window-hosts.count")" -ge 37 ]
check "the hosts file holds the telemetry block ($(cat "$logs/window-hosts.count") redirected names)" $?

# What the window shows once the run is over and it has painted (slow where 32-bit code is
# emulated).
sleep 20
shot=$shots/window-apply-96dpi.png
import -window root "$shot" && echo "screenshot: $shot"
check "a screenshot of the window was taken" "$([ -s "$shot" ]; echo $?)"

# Closed as a user closes it: the program ends.
timeout -k 5 120 "$tvqm_wine" explorer "/desktop=$desktop" "Z:$(realpath "$closer")" "Tolvex Quietmark" \
  >"$logs/window-close.out" 2>&1
for _ in $(seq 1 120); do
  kill -0 "$runner" 2>/dev/null || break
  sleep 1
done
! kill -0 "$runner" 2>/dev/null
check "the program ended when its window was closed" $?
kill "$runner" 2>/dev/null
wait "$runner" 2>/dev/null
echo "e2e $e2e_name: the run took $((SECONDS - started))s"

if [ "${#absent_folders[@]}" -eq 0 ]; then
  skip "the prefix already holds every task folder of the task immunizers"
fi
for folder in "${absent_folders[@]}"; do
  [ ! -e "$task_store/$folder" ]
  check "the run left no task folder ${folder//\//\\} behind" $?
done

finish
