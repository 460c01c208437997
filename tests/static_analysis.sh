#!/usr/bin/env bash
# clang-tidy and cppcheck over the product code; any finding fails.
#   tests/static_analysis.sh SOURCE_DIR BUILD_DIR SOURCES_FILE [WINDOWS_FILE...]
# BUILD_DIR has compile_commands.json; SOURCES_FILE, written by CMake, names
# the product's logic, one a line. The Windows files, not built there, are
# checked by cppcheck alone: it needs no Windows headers. Paths are relative
# to SOURCE_DIR.
set -u
src=$1 build=$2 list=$3
shift 3
cd "$src"
mapfile -t logic < <(grep -v '^$' "$list")
if [ ${#logic[@]} -eq 0 ]; then echo "no product sources listed in $list"; exit 1; fi
fail=0
# bugprone-easily-swappable-parameters: the platform's own signatures
# (CreateFileA, DeviceIoControl, ...) are what they are.
tidy=$(clang-tidy -p "$build" --quiet \
  -checks='-*,bugprone-*,cert-*,performance-*,clang-analyzer-*,-bugprone-easily-swappable-parameters' \
  "${logic[@]}" 2>/dev/null | grep -E "warning:|error:")
if [ -n "$tidy" ]; then echo "clang-tidy:"; echo "$tidy"; fail=1; else echo "clang-tidy: clean"; fi
check=$(cppcheck --enable=warning,style,performance,portability --std=c++17 --inline-suppr --quiet \
  -I . -I "$build/generated" --suppress=missingIncludeSystem \
  "${logic[@]}" "$@" 2>&1)
if [ -n "$check" ]; then echo "cppcheck:"; echo "$check"; fail=1; else echo "cppcheck: clean"; fi
exit $fail
