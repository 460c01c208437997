#!/usr/bin/env bash
# A shipped program: at most MAX_BYTES (default 128 KiB), a console
# program with resources, and importing nothing but Windows' own DLLs.
#   tests/exe_budget.sh EXE OBJDUMP [MAX_BYTES]
set -u
exe=$1 objdump=$2 limit=${3:-131072}
fail=0
size=$(stat -c %s "$exe")
echo "size: $size bytes"
[ "$size" -le "$limit" ] || { echo "FAIL: larger than $limit bytes"; fail=1; }
dlls=$("$objdump" -p "$exe" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
echo "imports:" $dlls
for dll in $dlls; do
  case "$dll" in
    kernel32.dll|advapi32.dll|setupapi.dll|msvcrt.dll|user32.dll|ntdll.dll|api-ms-win-*) ;;
    *) echo "FAIL: imports $dll, which is not a Windows system DLL"; fail=1 ;;
  esac
done
"$objdump" -p "$exe" | grep -q "Subsystem.*(Windows CUI)" || { echo "FAIL: not a console program"; fail=1; }
"$objdump" -h "$exe" | grep -q "\.rsrc" || { echo "FAIL: no resources (version, manifest)"; fail=1; }
exit $fail
