# Sourced by the scripts and tests that run Windows programs under Wine;
# it runs nothing itself. Besides scripts/lib.sh's, it offers:
#   wine64_loader, wine64_server        Wine's 64-bit programs
#   wine_run_prefix           the prefix of tools/wine/run
#   wine_prefix_make PREFIX LOADER SERVER [REG]   makes a Wine prefix once
#   wine_flavour ARCH         the Windows build of --arch x64|x86
#   wine_play_builds WIN_BUILD FLAVOUR NATIVE_BUILD   what playing machines
#                             under Wine needs of the builds
#   wine_play_retries WIN_BUILD   the replays of WIN_BUILD tried again
#   read_only_run DIR WINE PROGRAM OUT ERR   runs a program in a folder it
#                             can't write to
# Paths come in as arguments, so a second prefix or another Wine (another
# loader and server, tools/wine32/lib.sh) uses the same functions.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"

# Debian's wine64: the loader of 64-bit programs and the server of a prefix.
wine64_loader=/usr/lib/wine/wine64
wine64_server=/usr/lib/wine/wineserver
# No .NET and no HTML engine: a test prefix needs neither, and without the
# override wineboot offers to download them.
wine_quiet_overrides="mscoree,mshtml="
# The prefix in which tools/wine/run runs the Windows tests.
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

# wine_play_retries WIN_BUILD: how many times in all the replays of
# WIN_BUILD were tried again (tools/wine/play-machine).
wine_play_retries() {
  cat "$1"/wine-play/runs/*/retries 2>/dev/null | awk '{n += $1} END {print n + 0}'
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
