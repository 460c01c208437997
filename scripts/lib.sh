# Sourced by the project's scripts and shell tests; it runs nothing itself.
# It offers:
#   ksr_root                  the source tree
#   machine_files ROOT        every machine file of the tree at ROOT, one a line
#   frame_is_expected REPORT  the report of a machine without devices, as
#                             tests/expected/empty-report.txt spells it
#   crlf_lines FILE           every line of FILE ends in CR LF
#   after_banner REPORT       the report but for its banner, which names the
#                             program that wrote it
#   after_provenance CAPTURE  a capture's machine file but for its provenance
#   expected_report_of MACHINE, expected_exit_of MACHINE   the report and
#                             runner exit status stored beside a machine file
#   build_address BUILD       the feedback address a build writes
#   report_is_expected REPORT MACHINE [ADDRESS]   REPORT, after its banner,
#                             is MACHINE's expected report; expected_diff shows how not
#   check NAME EXPR           a test's check, "ok: NAME" or "FAIL: NAME";
#   check_fail WHAT           a failure found otherwise; check_exit ends the script
#   build_require DIR FLAVOUR FILE...   says what to build when a build lacks FILE
#   read_only_run DIR WINE PROGRAM OUT ERR   runs a program in a folder it
#                             can't write to
#   wine64_loader, wine64_server        Wine's 64-bit programs
#   wine_run_prefix           the prefix of scripts/wine-run
#   wine_prefix_make PREFIX LOADER SERVER [REG]   makes a Wine prefix once
#   wine32_dir, wine32_loader, wine32_server   the private 32-bit Wine
#   wine32_cache              its packages, kept outside the checkout
#   wine32_env                the environment its programs need, and
#                             wine32_sched, the command they run under
#   wine32_prefix_make PREFIX  makes a trimmed 32-bit prefix once
#   wine_flavour ARCH         the Windows build of --arch x64|x86
#   wine_play_builds WIN_BUILD FLAVOUR NATIVE_BUILD   what playing machines
#                             under Wine needs of the builds
# Paths come in as arguments, so a second prefix or another Wine (another
# loader and server) uses the same functions.

ksr_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

machine_files() {  # ROOT
  local machine
  for machine in "$1"/examples/*.json "$1"/tests/machines/*.json; do
    if [ -f "$machine" ]; then printf '%s\n' "$machine"; fi
  done
}

# after_banner REPORT: the report but for its first line, the banner, which
# names the program that wrote it (ksreport, ksreport-capture) and its
# version. Two runs of one machine give the same report after it. A report
# whose first lines were lost (its file could be created only later) has
# no banner and is kept whole.
after_banner() { sed '1{/^ksreport/d}' "$1"; }

# after_provenance CAPTURE: a capture's machine file but for its first two
# lines, "{" and the capture's provenance (program, version, architecture).
after_provenance() { tail -n +3 "$1"; }

# Beside every machine file DIR/NAME.json stand its expected report,
# DIR/NAME.expected.txt (what the runner writes, everything after the
# banner, byte for byte), and, where the runner's exit status is not 0,
# DIR/NAME.expected-exit (that number). scripts/add-machine writes both.
expected_report_of() { printf '%s\n' "${1%.json}.expected.txt"; }
expected_exit_of() {  # MACHINE: the expected status, 0 without the file
  local file="${1%.json}.expected-exit"
  if [ -f "$file" ]; then tr -d ' \n' <"$file"; echo; else echo 0; fi
}

# build_address BUILD: the feedback address the build's report ends with
# (its CMake cache's), the placeholder when it has none.
build_address() {
  local address
  address=$(sed -n 's/^KSREPORT_FEEDBACK_ADDRESS:[A-Z]*=//p' "$1/CMakeCache.txt" 2>/dev/null)
  echo "${address:-support@example.invalid}"
}

# expected_text MACHINE [ADDRESS]: the expected report, its closing line's
# placeholder address made ADDRESS (a build configured with another
# address writes that one).
expected_text() {
  sed '$ s/support@example\.invalid!\r$/'"${2:-support@example.invalid}"'!\r/' "$(expected_report_of "$1")"
}

# report_is_expected REPORT MACHINE [ADDRESS]: after its banner, REPORT is
# MACHINE's expected report. A missing expected report fails, saying on
# stderr how to write it.
report_is_expected() {
  local expected; expected=$(expected_report_of "$2")
  if [ ! -f "$expected" ]; then
    echo "no expected report $expected: run scripts/add-machine --update $(basename "$2" .json)" >&2
    return 1
  fi
  cmp -s <(after_banner "$1") <(expected_text "$2" "${3:-}")
}

# expected_diff REPORT MACHINE [ADDRESS]: how REPORT differs from the
# expected report (< expected, > REPORT), at most 40 lines.
expected_diff() {
  diff <(expected_text "$2" "${3:-}") <(after_banner "$1") | head -40
  echo "(if the change is meant: scripts/add-machine --update $(basename "$2" .json))"
}

# frame_is_expected REPORT: after its banner, REPORT is the expected empty
# report, with whatever feedback address the build writes.
frame_is_expected() {
  local expected=$ksr_root/tests/expected/empty-report.txt closing
  closing=$(tail -n 1 "$expected" | sed 's/support@example\.invalid!\r$//')
  cmp -s <(after_banner "$1" | head -n -1) <(head -n -1 "$expected") &&
    tail -n 1 "$1" | grep -q "^${closing}[^ ]*!"$'\r$'
}

# crlf_lines FILE: succeeds when every line of FILE, the last one too, ends
# in CR LF.
crlf_lines() {
  local lines; lines=$(tr -cd '\n' <"$1" | wc -c)
  [ "$lines" -gt 0 ] && [ "$(tr -cd '\r' <"$1" | wc -c)" -eq "$lines" ] &&
    [ "$(grep -c $'\r$' "$1")" -eq "$lines" ] && [ "$(tail -c 2 "$1" | od -An -tx1 | tr -d ' ')" = 0d0a ]
}

# check NAME EXPR: EXPR is a shell condition, evaluated in the caller's
# variables. A failure marks the script failed and the checks go on.
check_status=0
# Both return 1 on a failure, so that a caller can add what went wrong:
# check NAME EXPR || { diagnostics; }.
check() { if eval "$2"; then echo "ok: $1"; else check_fail "$1"; fi; }
check_fail() { echo "FAIL: $1"; check_status=1; return 1; }
check_exit() { exit "$check_status"; }

# build_require DIR FLAVOUR FILE...: returns 0 when the build DIR holds every
# FILE, else names what is missing and the scripts/build run that makes it.
build_require() {
  local dir=$1 flavour=$2 file missing=()
  shift 2
  for file in "$@"; do
    [ -e "$dir/$file" ] || missing+=("$file")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local made=$ksr_root/build/$flavour note=""
  [ "$(readlink -m "$dir")" = "$made" ] || note=" (it makes $made)"
  echo "$(basename "$0"): $dir lacks ${missing[*]}" >&2
  echo "build it first: $ksr_root/scripts/build $flavour$note" >&2
  return 1
}

# read_only_run DIR WINE PROGRAM OUT ERR: runs DIR/PROGRAM under WINE, in
# DIR, while DIR can't be written to (chattr +i), with its output in OUT and
# ERR, and sets rc to its status. Returns 1, saying that the read-only
# checks are skipped, where chattr +i is not available.
read_only_run() {
  local dir=$1 wine=$2 program=$3 out=$4 err=$5
  if ! chattr +i "$dir" 2>/dev/null; then
    echo "skipped: read-only folder (chattr +i is not available here)"
    return 1
  fi
  (cd "$dir" && timeout 60 "$wine" "./$program" >"$out" 2>"$err"); rc=$?
  chattr -i "$dir"
  return 0
}

# Debian's wine64: the loader of 64-bit programs and the server of a prefix.
wine64_loader=/usr/lib/wine/wine64
wine64_server=/usr/lib/wine/wineserver
# No .NET and no HTML engine: a test prefix needs neither, and without the
# override wineboot offers to download them.
wine_quiet_overrides="mscoree,mshtml="
# The prefix in which scripts/wine-run runs the Windows tests.
wine_run_prefix=${KSREPORT_WINEPREFIX:-$ksr_root/build/wineprefix}

# wine_prefix_make PREFIX LOADER SERVER [REG]: makes the prefix with
# LOADER's wineboot unless it is ready (PREFIX/.ready), then imports the
# registry file REG when given. Runs that race for it wait on PREFIX.lock;
# a prefix without the marker, left by an interrupted start, is made again
# from nothing. Settings the caller exports (WINEARCH, WINESERVER) reach
# wineboot. Returns 1 when Wine made no registry or REG was not imported.
wine_prefix_make() {
  local prefix=$1 loader=$2 server=$3 reg=${4:-}
  [ -f "$prefix/.ready" ] && return 0
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    [ -f "$prefix/.ready" ] && exit 0
    WINEPREFIX=$prefix "$server" -k 2>/dev/null || true
    rm -rf "$prefix"; mkdir -p "$prefix"
    WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES=$wine_quiet_overrides \
      timeout 120 "$loader" wineboot -i >/dev/null 2>&1 || true
    WINEPREFIX=$prefix "$server" -w || true
    [ -f "$prefix/system.reg" ] || { echo "Wine could not make the prefix $prefix" >&2; exit 1; }
    if [ -n "$reg" ]; then
      WINEPREFIX=$prefix WINEDEBUG=-all timeout 120 "$loader" reg import "$reg" >/dev/null 2>&1 ||
        { echo "Wine could not import $reg into $prefix" >&2; exit 1; }
      WINEPREFIX=$prefix "$server" -k 2>/dev/null || true
      WINEPREFIX=$prefix "$server" -w || true
    fi
    touch "$prefix/.ready"
  ) 9>"$prefix.lock"
}

# wine_flavour ARCH: the scripts/build flavour whose programs --arch ARCH
# plays: win64 for x64, win32 for x86; for another ARCH it says so and
# returns 1.
wine_flavour() {
  case $1 in
    x64) echo win64 ;;
    x86) echo win32 ;;
    *) echo "$(basename "$0"): --arch is x64 or x86, not $1" >&2; return 1 ;;
  esac
}

# wine_play_builds WIN_BUILD FLAVOUR NATIVE_BUILD: returns 0 when the Windows
# build (of scripts/build FLAVOUR) and the native build hold what
# tools/wine/play-machine runs, else says what to build first.
wine_play_builds() {
  build_require "$3" native ksreport-sim ksreport-wineprep &&
    build_require "$1" "$2" ksreport.exe wine/ksfake.sys wine/setupapi.dll wine/setupapi_wine.dll
}

# The private 32-bit Wine (tools/wine/wine32-install makes it): Debian's
# wine32:i386 unpacked under the build tree, its programs run by qemu-user,
# served by the host's 64-bit wineserver of the same version.
wine32_dir=${KSREPORT_WINE32_DIR:-$ksr_root/build/wine-i386}
# Its packages and their apt state (tools/wine/wine32-fetch): outside the
# checkout, so that clean checkouts download nothing again.
wine32_cache=${KSREPORT_WINE32_CACHE:-/var/cache/ksreport-wine32}
wine32_qemu=/usr/bin/qemu-i386-static
# The preloaded fixes for qemu (tools/wine/qemu_*_fix.c), one library each.
wine32_fixes=(ksr_mmap_fix.so ksr_trap_fix.so)
wine32_loader=$ksr_root/tools/wine/wine32
wine32_server=/usr/lib/wine/wineserver64
# The prefix in which tools/wine/wine32-run runs the 32-bit tests.
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
  # One core, real-time FIFO (tools/wine/wine32 says why); where that
  # policy can't be had, one core alone.
  if chrt -f 1 true 2>/dev/null; then
    wine32_sched=(chrt -f 1 taskset -c 0)
  else
    wine32_sched=(taskset -c 0)
  fi
}

# wine32_prefix_make PREFIX: a 32-bit prefix made once and trimmed for runs
# under qemu (tools/wine/wine32-trim.reg: background services that crash
# there are not started, no debugger is started on a crash).
wine32_prefix_make() {
  wine32_env || return 1
  wine_prefix_make "$1" "$wine32_loader" "$wine32_server" "$ksr_root/tools/wine/wine32-trim.reg"
}
