#!/usr/bin/env bash
# A shipped program: at most MAX_BYTES (default 128 KiB), a console
# program with resources, and importing nothing but Windows' own DLLs.
#   tests/exe_budget.sh EXE OBJDUMP [MAX_BYTES]
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
exe=$1 objdump=$2 limit=${3:-131072}
size=$(stat -c %s "$exe")
echo "size: $size bytes"
[ "$size" -le "$limit" ] || check_fail "larger than $limit bytes"
dlls=$("$objdump" -p "$exe" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
echo "imports:" $dlls
for dll in $dlls; do
  case "$dll" in
    kernel32.dll|advapi32.dll|setupapi.dll|msvcrt.dll|user32.dll|shell32.dll|ntdll.dll|api-ms-win-*) ;;
    *) check_fail "imports $dll, which is not a Windows system DLL" ;;
  esac
done
"$objdump" -p "$exe" | grep -q "Subsystem.*(Windows CUI)" || check_fail "not a console program"
"$objdump" -h "$exe" | grep -q "\.rsrc" || check_fail "no resources (version, manifest)"
check_exit
