# Sourced by the scripts that make and run the private 32-bit Wine; it runs
# nothing itself. Besides tools/wine/lib.sh's, it offers:
#   wine32_dir, wine32_loader, wine32_server   the private 32-bit Wine
#   wine32_cache              its packages, kept outside the checkout
#   wine32_run_prefix         the prefix of tools/wine32/run
#   wine32_env                the environment its programs need, and
#                             wine32_sched, the command they run under
#   wine32_prefix_make PREFIX  makes a trimmed 32-bit prefix once
source "$(dirname "${BASH_SOURCE[0]}")/../wine/lib.sh"

# The private 32-bit Wine (tools/wine32/install makes it): Debian's
# wine32:i386 unpacked under the build tree, its programs run by qemu-user,
# served by the host's 64-bit wineserver of the same version.
wine32_dir=${KSREPORT_WINE32_DIR:-$ksr_root/build/wine-i386}
# Its packages and their apt state (tools/wine32/fetch): outside the
# checkout, so that clean checkouts download nothing again.
wine32_cache=${KSREPORT_WINE32_CACHE:-/var/cache/ksreport-wine32}
wine32_qemu=/usr/bin/qemu-i386-static
# The preloaded fixes for qemu (tools/wine32/qemu_*_fix.c), one library each.
wine32_fixes=(ksr_mmap_fix.so ksr_trap_fix.so)
wine32_loader=$ksr_root/tools/wine32/wine
wine32_server=/usr/lib/wine/wineserver64
# The prefix in which tools/wine32/run runs the 32-bit tests.
wine32_run_prefix=${KSREPORT_WINEPREFIX32:-$ksr_root/build/wineprefix32}

# wine32_env: exports what the private 32-bit Wine needs (qemu's library
# root and the guest's library path, the preloaded fixes, the host's
# server, a 32-bit prefix) and sets wine32_sched; returns 1, saying how to
# make it, when it is not there.
wine32_env() {
  local root=$wine32_dir/root fix preload=""
  if [ ! -f "$root/.ready" ] || [ ! -x "$wine32_qemu" ]; then
    echo "the private 32-bit Wine is not installed ($root): run scripts/install-deps --wine32" >&2
    return 1
  fi
  export QEMU_LD_PREFIX=$root
  # $LIB is left for the dynamic loader: the i386 fixes for the 32-bit
  # processes, their 64-bit no-ops for the host programs Wine starts.
  for fix in "${wine32_fixes[@]}"; do preload+="${preload:+:}$wine32_dir/fix/\$LIB/$fix"; done
  export QEMU_SET_ENV="LD_LIBRARY_PATH=$root/lib/i386-linux-gnu:$root/usr/lib/i386-linux-gnu,LD_PRELOAD=$preload"
  export WINESERVER=$wine32_server WINEARCH=win32
  # One core, real-time FIFO (tools/wine32/wine says why); where that
  # policy can't be had, one core alone. The core is 0 unless
  # KSREPORT_WINE32_CORE names another: ksreport.exe's machine replays take
  # the last one (tools/wine/play-machine), so that they do not wait behind
  # the tests' long runs, which a thread of the same policy never preempts.
  local core=${KSREPORT_WINE32_CORE:-0}
  if chrt -f 1 true 2>/dev/null; then
    wine32_sched=(chrt -f 1 taskset -c "$core")
  else
    wine32_sched=(taskset -c "$core")
  fi
}

# wine32_prefix_make PREFIX: a 32-bit prefix made once and trimmed for runs
# under qemu (tools/wine32/trim.reg: background services that crash
# there are not started, no debugger is started on a crash).
wine32_prefix_make() {
  wine32_env || return 1
  wine_prefix_make "$1" "$wine32_loader" "$wine32_server" "$ksr_root/tools/wine32/trim.reg"
}
