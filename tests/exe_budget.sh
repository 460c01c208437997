#!/usr/bin/env bash
# The shipped program: at most 128 KiB, a console program, and importing
# nothing but Windows' own DLLs.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
exe=$1 objdump=$2
size=$(stat -c %s "$exe")
echo "size: $size bytes"
[ "$size" -le 131072 ] || check_fail "larger than 128 KiB"
dlls=$("$objdump" -p "$exe" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
echo "imports:" $dlls
for dll in $dlls; do
  case "$dll" in
    kernel32.dll|advapi32.dll|setupapi.dll|msvcrt.dll|user32.dll|ntdll.dll|api-ms-win-*) ;;
    *) check_fail "imports $dll, which is not a Windows system DLL" ;;
  esac
done
"$objdump" -p "$exe" | grep -q "Subsystem.*(Windows CUI)" || check_fail "not a console program"
"$objdump" -h "$exe" | grep -q "\.rsrc" || check_fail "no resources (version, manifest)"
check_exit
