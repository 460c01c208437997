#!/usr/bin/env bash
# ksreport-read from the command line: summaries, JSON, diff exit codes,
# and bad input (exit 2, the line named, nothing on stdout).
#   tests/reader_check.sh READ SIM SOURCE_DIR OUT_DIR  (KSREPORT_EMULATOR for cross builds)
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
read_=$1 sim=$2 src=$3 out=$4
run_read() { ${KSREPORT_EMULATOR:-} "$read_" "$@"; }
rm -rf "$out"; mkdir -p "$out"
${KSREPORT_EMULATOR:-} "$sim" "$src/examples/typical-machine.json" "$out/typical" 2>/dev/null
${KSREPORT_EMULATOR:-} "$sim" "$src/examples/pin-gates.json" "$out/gates" 2>/dev/null
good="$out/typical/ksreport.txt"

run_read "$good" >"$out/summary" 2>"$out/err"; rc=$?
check "summary: exit 0" '[ $rc -eq 0 ] && [ ! -s "$out/err" ]'
check "summary: names devices, interfaces and pins" 'grep -q "Device 2: USB Audio Device" "$out/summary" && grep -q "interface \"Speakers\"" "$out/summary" && grep -q "8 channels, 24 bits, 44100-192000 Hz (44.1-192 kHz)" "$out/summary"'
check "summary: no colour when not on a terminal" '! grep -q $'"'"'\033'"'"' "$out/summary"'
run_read --json "$good" "$out/gates/ksreport.txt" >"$out/json"; rc=$?
check "json: exit 0 and valid" '[ $rc -eq 0 ] && python3 -m json.tool "$out/json" >/dev/null'
check "json: both reports" '[ "$(grep -c "\"file\"" "$out/json")" -eq 2 ]'
run_read --diff "$good" "$good" >"$out/same"; rc=$?
check "diff of a report with itself: exit 0" '[ $rc -eq 0 ] && grep -q "no differences" "$out/same"'
run_read --diff "$good" "$out/gates/ksreport.txt" >"$out/diff"; rc=$?
check "diff of two machines: exit 1 with devices gone and added" '[ $rc -eq 1 ] && grep -q "^- device" "$out/diff" && grep -q "^+ device" "$out/diff"'

bad() {  # NAME FILE LINE
  run_read --strict "$2" >"$out/bad.out" 2>"$out/bad.err"; rc=$?; line=$3
  check "$1: exit 2, line $line named, nothing on stdout" '[ $rc -eq 2 ] && [ ! -s "$out/bad.out" ] && grep -q "line $line: expected" "$out/bad.err"'
}
printf 'just some text\r\n' > "$out/notreport"; bad "not a report" "$out/notreport" 1
head -c 700 "$good" > "$out/truncated"; bad "truncated" "$out/truncated" "[0-9]*"
tr -d '\r' < "$good" > "$out/lf"; bad "LF line ends" "$out/lf" 1
sed 's/^Device BUS NUMBER = 00000003/Device BUS NUMBER = 3/' "$good" > "$out/edited"; bad "edited by hand" "$out/edited" 29
sed 's/^ksreport [^\r]*/ksreport 7.0.0-next/' "$good" > "$out/newer"
run_read "$out/newer" >/dev/null 2>&1; rc=$?
check "a newer banner is accepted" '[ $rc -eq 0 ]'
run_read >/dev/null 2>&1; rc=$?
check "no arguments: usage, exit 2" '[ $rc -eq 2 ]'
check_exit
