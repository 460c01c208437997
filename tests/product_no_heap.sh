#!/usr/bin/env bash
# The product's logic takes memory from its Arena and, for driver answers,
# from the platform's heap only: no C or C++ heap call may be linked in.
#   tests/product_no_heap.sh LIBKS_LOGIC.a
set -u
heap=$(nm -u --demangle "$1" 2>/dev/null | grep -Ei ' (malloc|calloc|realloc|free|operator new|operator delete)' )
if [ -n "$heap" ]; then echo "the logic uses the C/C++ heap:"; echo "$heap"; exit 1; fi
echo "the logic links no C or C++ heap call"
