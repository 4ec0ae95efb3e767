#!/usr/bin/env bash
# The shipped exe: stripped of debug information, under 2 MB, and importing nothing but
# Windows' own libraries (the C++ runtime, libgcc and winpthread are linked in).
#
# usage: check_release_exe.sh <TolvexQuietmark.exe> <objdump>
set -u
exe=$1
objdump=$2
limit=$((2 * 1024 * 1024))
problems=()

size=$(stat -c %s "$exe")
[ "$size" -lt "$limit" ] || problems+=("$size bytes, not under $limit")

headers=$("$objdump" -h "$exe") || { echo "release exe: FAILED: objdump cannot read $exe"; exit 1; }
debug=$(awk '$2 ~ /^\.debug/ { print $2 }' <<<"$headers" | tr '\n' ' ')
[ -z "$debug" ] || problems+=("debug sections: $debug")
if "$objdump" -t "$exe" 2>/dev/null | grep -q '^\[ *[0-9]*\]'; then
  problems+=("a symbol table")
fi

# The system's own libraries the program may import, in lower case.
allowed=" advapi32.dll bcrypt.dll comctl32.dll comdlg32.dll crypt32.dll dwmapi.dll gdi32.dll kernel32.dll"
allowed+=" msvcrt.dll mstask.dll ntdll.dll ole32.dll oleaut32.dll propsys.dll secur32.dll shell32.dll shlwapi.dll"
allowed+=" taskschd.dll user32.dll uxtheme.dll version.dll winhttp.dll wininet.dll wintrust.dll ws2_32.dll "
imports=$("$objdump" -p "$exe" | awk '/DLL Name:/ { print tolower($3) }' | sort -u)
for dll in $imports; do
  case "$allowed" in
    *" $dll "*) ;;
    *) [[ $dll == api-ms-win-* ]] || problems+=("imports $dll") ;;
  esac
done

if [ ${#problems[@]} -eq 0 ]; then
  echo "release exe: passed ($size bytes, stripped, imports: $(echo $imports))"
else
  echo "release exe: FAILED: ${problems[*]}"
  exit 1
fi
