#!/bin/sh
# inspect-pe.sh OBJDUMP DLL FORMAT EXPORT
# Passes when DLL is a PE of FORMAT (pei-i386 or pei-x86-64) whose only export
# is EXPORT, undecorated, and whose imports are all system DLLs.
set -eu
objdump=$1 dll=$2 format=$3 export=$4
info=$("$objdump" -p "$dll")
fail() { echo "$dll: $*" >&2; exit 1; }

echo "$info" | grep -q "file format $format\$" || fail "not $format: $(echo "$info" | grep 'file format')"
echo "$info" | grep -q '^Characteristics.*' || true
echo "$info" | grep -q 'DLL$' || fail "not a DLL"

# The export name table: lines "[   0] Name" after "[Ordinal/Name Pointer] Table".
exports=$(echo "$info" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p')
[ "$exports" = "$export" ] || fail "exports [$exports], expected exactly [$export]"

system='^(kernel32|user32|gdi32|comctl32|comdlg32|advapi32|shell32|ole32|msvcrt|ntdll|api-ms-win-crt-[a-z0-9-]+)\.dll$'
imports=$(echo "$info" | sed -n 's/^[[:space:]]*DLL Name: //p')
[ -n "$imports" ] || fail "imports nothing"
for dllname in $imports; do
  echo "$dllname" | tr 'A-Z' 'a-z' | grep -Eq "$system" || fail "imports $dllname, which is not a system DLL"
done
echo "$dll: $format, exports $export, imports $(echo $imports)"
