#!/usr/bin/env bash
# The real TolvexQuietmark.exe under Wine registering its refresh task, checked from outside in
# the prefix's task stores (Task Scheduler 2.0 keeps a task as a file below
# C:\windows\system32\tasks, Task Scheduler 1.0 a job as C:\windows\tasks\<name>.job):
#   /setuptask /silent          -> exit code 0; the task folder "Brenmoor\Tolvex Quietmark" is
#                                  there; the task itself only where Wine accepts its SYSTEM
#                                  principal and boot trigger (Wine 8 answers E_NOTIMPL, so the
#                                  registration fails with one debugger message and nothing is
#                                  registered: reported as skipped)
#   /setuptask /silent /test10  -> exit code 0; through Task Scheduler 1.0 the job holds the
#                                  program in quotes, "/apply /silent /atlogon", one boot trigger
#                                  and is enabled; then it is deleted again
#
# usage: e2e_tasks.sh <TolvexQuietmark.exe> <scripts folder> <folder for the logs>
e2e_name=tasks
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" "$@"

windows_dir="$WINEPREFIX/drive_c/windows"
store20="$windows_dir/system32/tasks"
folder20="$store20/Brenmoor/Tolvex Quietmark"
task_name="Refresh Quietmark immunization"
job="$windows_dir/tasks/$task_name.job"

# The program as the job must name it: its Windows path ("Z:\..." for a host path).
exe_windows="Z:$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")"
exe_windows=${exe_windows//\//\\}

reset_tasks() {
  rm -f "$job"
  rm -rf "$store20/Brenmoor"
}

# --- reading a 1.0 job file (the documented .job layout) ---
job_bytes=()
load_job() { mapfile -t job_bytes < <(od -An -v -tx1 "$1" | tr -s ' ' '\n' | sed '/^$/d'); }
u16() { echo $((16#${job_bytes[$1 + 1]}${job_bytes[$1]})); }
u32() { echo $((16#${job_bytes[$1 + 3]}${job_bytes[$1 + 2]}${job_bytes[$1 + 1]}${job_bytes[$1]})); }
# A counted UTF-16 string at the offset (count in characters, terminator included): sets
# str_text (ASCII characters only, others as "?") and str_end (the offset after it).
str_text=""
str_end=0
read_string() {
  local at=$1 count i code
  count=$(u16 "$at")
  str_text=""
  for ((i = 0; i + 1 < count; i++)); do
    code=$(u16 $((at + 2 + 2 * i)))
    if ((code >= 32 && code < 127)); then
      str_text+=$(printf "\\$(printf '%03o' "$code")")
    else
      str_text+="?"
    fi
  done
  str_end=$((at + 2 + 2 * count))
}

reset_tasks

# --- Task Scheduler 2.0 ---
# Wine writes what the program passes to OutputDebugStringA to the debugstr channel.
WINEDEBUG=-all,warn+debugstr run_exe setuptask /setuptask /silent
check "/setuptask /silent ends with exit code 0" $?
debug_messages=$(grep -c ':debugstr:OutputDebugStringA' "$logs/tasks-setuptask.err")
[ -d "$folder20" ]
check "/setuptask /silent opened or created the task folder Brenmoor\\Tolvex Quietmark" $?
if [ -f "$folder20/$task_name" ]; then
  if [ "$(head -c 2 "$folder20/$task_name" | od -An -tx1 | tr -d ' ')" = "fffe" ]; then
    definition=$(iconv -f UTF-16 -t UTF-8 "$folder20/$task_name")
  else
    definition=$(cat "$folder20/$task_name")
  fi
  grep -qiF "$exe_windows" <<<"$definition"
  check "the registered refresh task runs $exe_windows" $?
  grep -qF "/apply /silent /atlogon" <<<"$definition"
  check "the registered refresh task passes /apply /silent /atlogon" $?
  grep -qiE "<UserId>(NT AUTHORITY\\\\)?SYSTEM</UserId>|<UserId>S-1-5-18</UserId>" <<<"$definition"
  check "the registered refresh task runs as SYSTEM" $?
  grep -qF "<BootTrigger" <<<"$definition"
  check "the registered refresh task starts at boot" $?
  [ "$debug_messages" -eq 0 ]
  check "a registration that succeeded wrote no debugger message (found $debug_messages)" $?
else
  # The failed registration ends with its one message: the description of the refused call.
  [ "$debug_messages" -eq 1 ]
  check "the failed 2.0 registration wrote one debugger message (found $debug_messages)" $?
  message=$(grep ':debugstr:OutputDebugStringA' "$logs/tasks-setuptask.err" | head -n 1 | sed 's/.*OutputDebugStringA //')
  skip "Wine's Task Scheduler 2.0 does not take the refresh task's SYSTEM logon type and boot trigger (E_NOTIMPL: $message), so /setuptask registers nothing there"
fi

# --- Task Scheduler 1.0 ---
rm -f "$job"
run_exe setuptask10 /setuptask /silent /test10
check "/setuptask /silent /test10 ends with exit code 0" $?
[ -f "$job" ]
check "/setuptask /silent /test10 saved the job $task_name.job" $?
if [ -f "$job" ]; then
  load_job "$job"
  flags=$(u32 48)
  ((flags & 0x4)) && enabled=1 || enabled=0
  [ "$enabled" -eq 0 ]
  check "the job is enabled (flags $(printf '0x%x' "$flags"))" $?
  at=$(u16 20)  # the offset of the application name's length
  read_string "$at"
  application=$str_text
  read_string "$str_end"
  parameters=$str_text
  [ "${application,,}" = "\"${exe_windows,,}\"" ]
  check "the job runs \"$exe_windows\" (found: $application)" $?
  [ "$parameters" = "/apply /silent /atlogon" ]
  check "the job passes /apply /silent /atlogon (found: $parameters)" $?
  triggers_at=$(u16 22)
  trigger_count=$(u16 "$triggers_at")
  [ "$trigger_count" -eq 1 ]
  check "the job has one trigger (found: $trigger_count)" $?
  if [ "$trigger_count" -ge 1 ]; then
    trigger_type=$(u32 $((triggers_at + 2 + 32)))
    [ "$trigger_type" -eq 6 ]
    check "the job's trigger starts it at system start (type found: $trigger_type)" $?
  fi
fi

reset_tasks
[ ! -e "$job" ]
check "the job was deleted again" $?

finish
