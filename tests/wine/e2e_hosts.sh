#!/usr/bin/env bash
# The real TolvexQuietmark.exe under Wine against the prefix's hosts file, checked from outside:
#   /silent /apply   -> exit code 0; the user's lines stay as they were, byte for byte, followed
#                       by the editor's default block and then the telemetry block with its 37
#                       lines "0.0.0.0<TAB>name" (35 names, two of them twice); a dated backup
#                       of the file as it was; nothing left beside the file; CR LF everywhere
#   a user's line added after the block
#   /silent /undo    -> exit code 0; the two telemetry markers with nothing between them, every
#                       other line (the user's before and after, the default block) unchanged;
#                       a second backup
#
# usage: e2e_hosts.sh <TolvexQuietmark.exe> <scripts folder> <folder for the logs>
e2e_name=hosts
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" "$@"

etc="$WINEPREFIX/drive_c/windows/system32/drivers/etc"
hosts="$etc/hosts"
start_marker='# Start of entries inserted by Tolvex Quietmark for Windows 10'
end_marker='# End of entries inserted by Tolvex Quietmark for Windows 10'
default_start='# Start of entries inserted by Tolvex - Harrow & Mend'
default_end='# End of entries inserted by Tolvex - Harrow & Mend'

# The backups that were there before (the prefix is the run's own, made anew).
backups_before=$(cd "$etc" && ls hosts.*.backup 2>/dev/null | sort)

new_backups() {
  local name
  for name in $(cd "$etc" && ls hosts.*.backup 2>/dev/null | sort); do
    grep -qxF "$name" <<<"$backups_before" || echo "$name"
  done
}

# The user's file: lines of every kind, the last one without a line break, a BOM-less 8-bit
# byte in a comment.
user="$logs/hosts.user"
printf '# the user'"'"'s own hosts file \xe9\r\n127.0.0.1\tlocalhost\r\n::1 localhost # IPv6\r\n\r\n10.1.2.3   nas.home    media.home # boxes\r\n#10.9.9.9 disabled.home' >"$user"
cp "$user" "$hosts"
# What the editor makes of it: every line ends in CR LF.
user_crlf="$logs/hosts.user-crlf"
{ cat "$user"; printf '\r\n'; } >"$user_crlf"

run_exe apply /silent /apply
check "/silent /apply ends with exit code 0" $?
cp "$hosts" "$logs/hosts.after-apply"

size=$(stat -c %s "$user_crlf")
cmp -s -n "$size" "$user_crlf" "$hosts"
check "after /silent /apply the user's lines stand first, byte for byte" $?

# What follows the user's lines: the default block, then the telemetry block.
tail -c +"$((size + 1))" "$hosts" | tr -d '\r' >"$logs/hosts.added"
mapfile -t added <"$logs/hosts.added"
[ "${#added[@]}" -ge 6 ] && [ -z "${added[0]}" ] && [ "${added[1]}" = "$default_start" ] &&
  [ "${added[2]:0:1}" = '#' ] && [ "${added[3]}" = "$default_end" ] && [ -z "${added[4]}" ]
check "the default block (empty line, its markers around the comment line, empty line) follows the user's lines" $?
[ "${added[5]:-}" = "$start_marker" ] && [ "${added[${#added[@]} - 1]}" = "$end_marker" ]
check "then the telemetry block, which ends the file" $?
entries=("${added[@]:6:${#added[@]}-7}")
[ "${#entries[@]}" -eq 37 ]
check "the block holds 37 lines (found ${#entries[@]})" $?
bad=0
for line in "${entries[@]}"; do
  [[ $line =~ ^0\.0\.0\.0$'\t'[a-z0-9.-]+$ ]] || { bad=1; echo "e2e hosts: unexpected line in the block: $line"; }
done
check "every line of the block is 0.0.0.0, a TAB and one lower-case host name" $bad
distinct=$(printf '%s\n' "${entries[@]}" | sort -u | wc -l)
[ "$distinct" -eq 35 ]
check "the block maps 35 distinct names (found $distinct)" $?
grep -qxF $'0.0.0.0\tv10.events.data.microsoft.com' "$logs/hosts.added"
check "v10.events.data.microsoft.com is blocked" $?
[ "$(grep -c -v $'\r$' "$hosts")" -eq 0 ] && [ "$(tail -c 2 "$hosts" | od -An -c | tr -d ' ')" = '\r\n' ]
check "every line of the file ends in CR LF" $?
mapfile -t backups < <(new_backups)
[ "${#backups[@]}" -eq 1 ] && [[ ${backups[0]} =~ ^hosts\.[0-9]{8}-[0-9]{6}\.backup$ ]]
check "one dated backup hosts.yyyymmdd-hhnnss.backup (found: ${backups[*]:-none})" $?
[ "${#backups[@]}" -ge 1 ] && cmp -s "$etc/${backups[0]}" "$user"
check "the backup holds the file as it was before the apply" $?
[ ! -e "$etc/hosts.tvqm-new" ]
check "nothing is left beside the hosts file" $?

# Another program adds a line after the block.
printf '192.168.7.7 printer.lan # added later\r\n' >>"$hosts"
before_undo="$logs/hosts.before-undo"
cp "$hosts" "$before_undo"

run_exe undo /silent /undo
check "/silent /undo ends with exit code 0" $?
cp "$hosts" "$logs/hosts.after-undo"

# Expected: the file as it was, without the lines between the telemetry markers.
expected="$logs/hosts.expected-undo"
awk -v start="$start_marker" -v end="$end_marker" '
  { line = $0; sub(/\r$/, "", line) }
  line == start { print; inside = 1; next }
  line == end { inside = 0 }
  !inside { print }' "$before_undo" >"$expected"
cmp -s "$expected" "$hosts"
check "after /silent /undo the two markers stand with nothing between them, every other line as it was" $?
grep -n -A1 -xF "$start_marker"$'\r' "$hosts" | grep -qF -- "$end_marker"
check "the end marker directly follows the start marker" $?
cmp -s -n "$size" "$user_crlf" "$hosts" && [ "$(tail -n 1 "$hosts")" = $'192.168.7.7 printer.lan # added later\r' ]
check "the user's lines before and after the block are unchanged" $?
mapfile -t backups < <(new_backups)
[ "${#backups[@]}" -eq 2 ]
check "the undo made a second backup (found: ${backups[*]:-none})" $?

finish
