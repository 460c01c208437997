#!/usr/bin/env bash
# Checks the runner's contract: ksreport-sim SIM SOURCE_DIR OUT_DIR.
# KSREPORT_EMULATOR, when set, runs a cross-built runner.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
sim=$1 src=$2 out=$3
run() { ${KSREPORT_EMULATOR:-} "$sim" "$@"; }
rm -rf "$out"; mkdir -p "$out"

echo '{"devices": []}' > "$out/empty.json"
run "$out/empty.json" "$out/empty" 2>"$out/empty.err"; rc=$?
check "empty machine exits 0" '[ $rc -eq 0 ]'
check "empty machine: banner names the tool" 'head -c 9 "$out/empty/ksreport.txt" | grep -q "^ksreport "'
check "empty machine: the expected frame, CR LF to the end" 'frame_is_expected "$out/empty/ksreport.txt"'

echo '{"devices": [], "devicez": 1}' > "$out/unknown.json"
run "$out/unknown.json" "$out/unknown" 2>"$out/unknown.err"; rc=$?
check "unknown key exits 2" '[ $rc -eq 2 ]'
check "unknown key is named" 'grep -q devicez "$out/unknown.err"'
check "unknown key writes no report" '[ ! -e "$out/unknown/ksreport.txt" ]'

run "$out/missing.json" "$out/missing" 2>/dev/null; rc=$?
check "missing machine file exits 2" '[ $rc -eq 2 ]'

# OUTDIR that can't take the report: an existing file, and a folder in
# the report's place.
echo x > "$out/a-file"
run "$out/empty.json" "$out/a-file" 2>"$out/a-file.err"; rc=$?
check "OUTDIR is a file: exit 4" '[ $rc -eq 4 ]'
check "OUTDIR is a file: the report named on stderr" 'grep -q "a-file/ksreport.txt" "$out/a-file.err"'
mkdir -p "$out/taken/ksreport.txt"
run "$out/empty.json" "$out/taken" 2>"$out/taken.err"; rc=$?
check "a folder where the report goes: exit 4 with a message" '[ $rc -eq 4 ] && [ -s "$out/taken.err" ]'
echo '{"reportCreateFailures": 1000}' > "$out/never.json"
run "$out/never.json" "$out/never" 2>"$out/never.err"; rc=$?
check "a machine that never makes its report is a clean run" '[ $rc -eq 0 ] && [ ! -e "$out/never/ksreport.txt" ]'

# Every machine of the tree gives the report and exit status stored beside
# it (a machine that plays with misuse has 1 stored, and is a fault to mend).
address=$(build_address "$(dirname "$sim")")
mapfile -t machines < <(machine_files "$src")
for machine in "${machines[@]}"; do
  name=$(basename "$machine" .json)
  run "$machine" "$out/$name" 2>"$out/$name.err"; rc=$?
  want=$(expected_exit_of "$machine")
  check "$name exits $want, its expected status" '[ $rc -eq "$want" ]' || cat "$out/$name.err"
  report=$(ls "$out/$name"/*.txt 2>/dev/null | head -n 1)
  check "$name gives its expected report" 'report_is_expected "$report" "$machine" "$address"' ||
    expected_diff "$report" "$machine" "$address"
done
check "moduleFileName maps into OUTDIR" '[ -f "$out/report-name/KSREPORT.txt" ]'
check_exit
