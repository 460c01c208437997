#!/usr/bin/env bash
# Writes the .def of the app-local setupapi.dll: every export of Wine's
# setupapi.dll forwarded to its renamed copy, but the alias lookup, which
# is SYMBOL (default AliasLookup; on i686 the stdcall name AliasLookup@16).
set -euo pipefail
objdump=$1 wine_dll=$2 out=$3 symbol=${4:-AliasLookup}
{
  echo "LIBRARY setupapi.dll"
  echo "EXPORTS"
  "$objdump" -p "$wine_dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^\s*\[ *[0-9]*\] //p' |
    while read -r name; do
      if [ "$name" = "SetupDiGetDeviceInterfaceAlias" ]; then
        echo "  SetupDiGetDeviceInterfaceAlias=$symbol"
      else
        echo "  $name=setupapi_wine.$name"
      fi
    done
} > "$out"
