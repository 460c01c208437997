# Sourced by the project's scripts and shell tests; it runs nothing itself.
# It offers:
#   ksr_root                  the source tree
#   machine_files ROOT        every machine file of the tree at ROOT, one a line
#   frame_is_expected REPORT  the report of a machine without devices, as
#                             tests/expected/empty-report.txt spells it
#   check NAME EXPR           a test's check, "ok: NAME" or "FAIL: NAME";
#   check_fail WHAT           a failure found otherwise; check_exit ends the script
#   build_require DIR FLAVOUR FILE...   says what to build when a build lacks FILE
#   wine64_loader, wine64_server        Wine's 64-bit programs
#   wine_run_prefix           the prefix of scripts/wine-run
#   wine_prefix_make PREFIX LOADER SERVER   makes a Wine prefix once
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

# frame_is_expected REPORT: after its banner, REPORT is the expected empty
# report, with whatever feedback address the build writes.
frame_is_expected() {
  local expected=$ksr_root/tests/expected/empty-report.txt closing
  closing=$(tail -n 1 "$expected" | sed 's/support@example\.invalid!\r$//')
  cmp -s <(tail -n +2 "$1" | head -n -1) <(head -n -1 "$expected") &&
    tail -n 1 "$1" | grep -q "^${closing}[^ ]*!"$'\r$'
}

# check NAME EXPR: EXPR is a shell condition, evaluated in the caller's
# variables. A failure marks the script failed and the checks go on.
check_status=0
check() { if eval "$2"; then echo "ok: $1"; else check_fail "$1"; fi; }
check_fail() { echo "FAIL: $1"; check_status=1; }
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

# Debian's wine64: the loader of 64-bit programs and the server of a prefix.
wine64_loader=/usr/lib/wine/wine64
wine64_server=/usr/lib/wine/wineserver
# No .NET and no HTML engine: a test prefix needs neither, and without the
# override wineboot offers to download them.
wine_quiet_overrides="mscoree,mshtml="
# The prefix in which scripts/wine-run runs the Windows tests.
wine_run_prefix=${KSREPORT_WINEPREFIX:-$ksr_root/build/wineprefix}

# wine_prefix_make PREFIX LOADER SERVER: makes the prefix with LOADER's
# wineboot unless it is ready (PREFIX/.ready). Runs that race for it wait on
# PREFIX.lock; a prefix without the marker, left by an interrupted start, is
# made again from nothing. Settings the caller exports (WINEARCH, WINESERVER)
# reach wineboot. Returns 1 when Wine made no registry.
wine_prefix_make() {
  local prefix=$1 loader=$2 server=$3
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
    touch "$prefix/.ready"
  ) 9>"$prefix.lock"
}

# wine_play_builds WIN_BUILD FLAVOUR NATIVE_BUILD: returns 0 when the Windows
# build (of scripts/build FLAVOUR) and the native build hold what
# tools/wine/play-machine runs, else says what to build first.
wine_play_builds() {
  build_require "$3" native ksreport-sim ksreport-wineprep &&
    build_require "$1" "$2" ksreport.exe wine/ksfake.sys wine/setupapi.dll wine/setupapi_wine.dll
}
