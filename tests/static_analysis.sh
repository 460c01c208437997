#!/usr/bin/env bash
# clang-tidy and cppcheck over the product code; any finding fails.
#   tests/static_analysis.sh SOURCE_DIR BUILD_DIR (with compile_commands.json)
set -u
src=$1 build=$2
cd "$src"
logic="app/run.cpp report/writer.cpp report/layout.cpp store/arena.cpp store/records.cpp
  discovery/device_walk.cpp discovery/interface_walk.cpp kstream/ks_request.cpp
  kstream/pin_gates.cpp kstream/range_select.cpp platform/wintypes.cpp"
fail=0
# bugprone-easily-swappable-parameters: the platform's own signatures
# (CreateFileA, DeviceIoControl, ...) are what they are.
tidy=$(clang-tidy -p "$build" --quiet \
  -checks='-*,bugprone-*,cert-*,performance-*,clang-analyzer-*,-bugprone-easily-swappable-parameters' \
  $logic 2>/dev/null | grep -E "warning:|error:")
if [ -n "$tidy" ]; then echo "clang-tidy:"; echo "$tidy"; fail=1; else echo "clang-tidy: clean"; fi
# The Windows forwarders are checked by cppcheck too: it needs no Windows headers.
check=$(cppcheck --enable=warning,style,performance,portability --std=c++17 --inline-suppr --quiet \
  -I . -I "$build/generated" --suppress=missingIncludeSystem \
  $logic app/main.cpp platform/win32/win32_kernel.cpp platform/win32/win32_setupapi.cpp 2>&1)
if [ -n "$check" ]; then echo "cppcheck:"; echo "$check"; fail=1; else echo "cppcheck: clean"; fi
exit $fail
