#!/usr/bin/env bash
# The real TolvexQuietmark.exe started once with /apply and without /silent, under Xvfb: it
# shows its window, applies the ticked standard immunizers at its first show and shows the log
# page. A small 64-bit probe starts it and looks at it as a user sees it: one visible window,
# with the version block's caption and a taskbar button of its own, and the about dialog that
# the system menu opens; it closes both as a user closes them (WM_CLOSE), and the program must
# then end by itself with exit code 0. Checked from outside meanwhile: policy values in the
# registry and the telemetry block of the hosts file. Screenshots of the window after the
# apply and of the about dialog are kept.
#
# The window runs in a named virtual desktop, which draws the window frames.
#
# usage: e2e_window.sh <TolvexQuietmark.exe> <scripts folder> <folder for the logs> <screenshot folder>
#                      <window probe exe>
if [ -z "${TVQM_E2E_IN_XVFB:-}" ]; then
  export TVQM_E2E_IN_XVFB=1
  exec timeout -k 10 880 xvfb-run -a -s "-screen 0 1024x900x24" bash "$0" "$@"
fi
e2e_name=window
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" "$@"
shots=$4
probe=$5
mkdir -p "$shots"
desktop=tvqm-window,1000x880
main_shot=$shots/window-apply-96dpi.png
about_shot=$shots/window-about-96dpi.png
rm -f "$main_shot" "$about_shot"

# key | value name | data after apply
values=(
  'HKLM\SOFTWARE\Policies\Microsoft\Windows\DataCollection|AllowTelemetry|0x0'
  'HKLM\SOFTWARE\Policies\Microsoft\SQMClient\Windows|CEIPEnable|0x0'
  'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\AdvertisingInfo|Enabled|0x0'
)
hosts="$WINEPREFIX/drive_c/windows/system32/drivers/etc/hosts"
start_marker='# Start of entries inserted by Tolvex Quietmark for Windows 10'

applied() {
  local row key name data
  for row in "${values[@]}"; do
    IFS='|' read -r key name data <<<"$row"
    [ "$(value_of "$key" "$name")" = "REG_DWORD $data" ] || return 1
  done
  grep -qF "$start_marker" "$hosts" 2>/dev/null
}

# The task folders of the task immunizers that the prefix lacks: counting, applying and undoing
# must not create them.
task_store="$WINEPREFIX/drive_c/windows/system32/tasks"
absent_folders=()
for folder in Microsoft Microsoft/Windows Microsoft/Office "Microsoft/Windows/Application Experience" \
  Microsoft/Windows/Autochk Microsoft/Windows/DiskDiagnostic "Microsoft/Windows/Customer Experience Improvement Program"; do
  [ -d "$task_store/$folder" ] || absent_folders+=("$folder")
done

# The probe asks for each picture with <ready>-<name> and goes on at <done>-<name>.
ready=$logs/window.ready
done_file=$logs/window.done
rm -f "$ready"-* "$done_file"-*
started=$SECONDS
TVQM_WINE_TIMEOUT=780 "$scripts/wine-run" explorer "/desktop=$desktop" "Z:$(realpath "$probe")" "Z:$(realpath "$exe")" \
  /apply "--ready=Z:$ready" "--done=Z:$done_file" >"$logs/window-run.out" 2>"$logs/window-run.err" &
runner=$!
running() { kill -0 "$runner" 2>/dev/null; }
# picture <name> <file>: once the probe asks for it, while the probe still runs.
picture() {
  local _
  for _ in $(seq 1 120); do
    [ -f "$ready-$1" ] && break
    running || return 1
    sleep 1
  done
  [ -f "$ready-$1" ] && import -window root "$2" && echo "screenshot: $2"
  touch "$done_file-$1"
}

# The 32-bit start may be emulated: allow it minutes.
for _ in $(seq 1 480); do
  applied && break
  running || break
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
count=$(grep -c '^0\.0\.0\.0	' "$hosts" 2>/dev/null)
[ "${count:-0}" -ge 37 ]
check "the hosts file holds the telemetry block (${count:-0} redirected names)" $?

# What the window shows once the run is over and it has painted (slow where 32-bit code is
# emulated), then the about dialog.
sleep 20
picture e2e-main "$main_shot"
check "a screenshot of the window was taken" "$([ -s "$main_shot" ]; echo $?)"
picture e2e-about "$about_shot"
check "a screenshot of the about dialog was taken" "$([ -s "$about_shot" ]; echo $?)"

# The probe closes the windows and waits for the program to end.
for _ in $(seq 1 240); do
  running || break
  sleep 1
done
! running
check "the probe ended" $?
kill "$runner" 2>/dev/null
wait "$runner" 2>/dev/null
echo "e2e $e2e_name: the run took $((SECONDS - started))s"
probe_lines=$(tr -d '\r' <"$logs/window-run.out" | grep '^probe:')
echo "$probe_lines"
while IFS= read -r line; do
  check "${line#probe: FAIL }" 1
done < <(grep '^probe: FAIL ' <<<"$probe_lines")
grep -qx 'probe: exit code 0' <<<"$probe_lines"
check "the program ended with exit code 0 once its window was closed" $?

if [ "${#absent_folders[@]}" -eq 0 ]; then
  skip "the prefix already holds every task folder of the task immunizers"
fi
for folder in "${absent_folders[@]}"; do
  [ ! -e "$task_store/$folder" ]
  check "the run left no task folder ${folder//\//\\} behind" $?
done

finish
