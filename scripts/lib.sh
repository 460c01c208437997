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
# Running Windows programs under Wine is tools/wine/lib.sh's, and under the
# private 32-bit Wine tools/wine32/lib.sh's.

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
