#!/usr/bin/env bash
# The capture program over the simulated machine, for every machine file
# of the tree: its own report is the report program's, its capture replays
# to that report byte for byte, and capturing the replay gives the capture
# back (but for its provenance). Then the hostile cases: a capture over its
# bounds, a capture file that can't be made, a folder that can't be written.
#   tests/capture_check.sh SIM CAPTURE_SIM SOURCE_DIR OUT_DIR
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
sim=$1 capture=$2 src=$3 out=$4
rm -rf "$out"; mkdir -p "$out"

# The one file of a kind that a run left in its folder (the names follow the
# program's, which a machine may set).
only() { local f=("$1"/*."$2"); [ ${#f[@]} -eq 1 ] && [ -f "${f[0]}" ] && echo "${f[0]}"; }

while read -r machine; do
  name=$(basename "$machine" .json)
  w="$out/$name"
  "$sim" "$machine" "$w/report" 2>/dev/null
  "$capture" "$machine" "$w/capture" 2>"$w.err"; rc=$?
  check "$name: the capture program runs clean" '[ $rc -eq 0 ]'
  report=$(only "$w/report" txt) own=$(only "$w/capture" txt) json=$(only "$w/capture" json)
  check "$name: its own report is the report program's" 'cmp -s "$report" "$own"'
  "$sim" "$json" "$w/replay" 2>"$w.replay.err"; rc=$?
  # A cut capture, played, is cut again when captured: its replay says so
  # as the machine's own does.
  want=$(expected_exit_of "$machine")
  check "$name: the capture replays with the machine's status, $want" '[ $rc -eq "$want" ]'
  check "$name: the replay gives the same report" 'cmp -s "$own" "$w/replay/ksreport.txt"'
  "$capture" "$json" "$w/again" 2>/dev/null
  check "$name: capturing the replay gives the capture back" \
    'cmp -s <(after_provenance "$json") <(after_provenance "$w/again/ksreport-capture.json")'
done < <(machine_files "$src")

# An answer over the bound: the capture is cut, and its replay says so.
big=$(head -c $((1100 * 1024)) /dev/zero | od -An -v -tx1 | tr -d ' \n')
printf '{"devices": [{"interfaces": [{"path": "p", "renderAlias": 1, "pins": [{"dataRanges": {"hex": "%s"}}]}]}]}' \
  "$big" > "$out/big.json"
"$capture" "$out/big.json" "$out/big" 2>/dev/null; rc=$?
check "an answer over 1 MiB: the capture runs clean" '[ $rc -eq 0 ]'
check "an answer over 1 MiB: kept by its length, the capture marked cut" \
  'grep -q "\"unread\": 1126400" "$out/big/ksreport-capture.json" && grep -q "over 1 MiB" "$out/big/ksreport-capture.json"'
"$sim" "$out/big/ksreport-capture.json" "$out/big-replay" 2>"$out/big-replay.err"; rc=$?
check "a cut capture: the runner says so and exits 3" '[ $rc -eq 3 ] && grep -q "was cut" "$out/big-replay.err"'

# A folder stands where the capture file would go: the report is still
# written, no temporary file is left, and the runner says so and exits 4.
mkdir -p "$out/folder/ksreport-capture.json"
"$capture" "$src/examples/typical-machine.json" "$out/folder" 2>"$out/folder.err"; rc=$?
check "capture file can't be made: exit 4, the file named on stderr" \
  '[ $rc -eq 4 ] && grep -q "ksreport-capture.json" "$out/folder.err"'
check "capture file can't be made: the report is written, nothing else" \
  '[ -s "$out/folder/ksreport-capture.txt" ] && [ -d "$out/folder/ksreport-capture.json" ] && [ "$(ls "$out/folder" | wc -l)" -eq 2 ]'

# A disk that fills while the capture is written: nothing of it is left.
# The empty machine's report takes 21 writes; the 22nd is the capture's.
echo '{"failCalls": [{"call": "WriteFile", "nth": 22, "error": 112}]}' > "$out/full.json"
"$capture" "$out/full.json" "$out/full" 2>/dev/null; rc=$?
check "a write of the capture fails: clean exit, no capture and no temporary file" \
  '[ $rc -eq 0 ] && [ -s "$out/full/ksreport-capture.txt" ] && [ "$(ls "$out/full")" = "ksreport-capture.txt" ]'
echo '{"failCalls": [{"call": "MoveFileExA", "error": 5}]}' > "$out/norename.json"
"$capture" "$out/norename.json" "$out/norename" 2>/dev/null; rc=$?
check "the capture can't be renamed into place: clean exit, no temporary file" \
  '[ $rc -eq 0 ] && [ "$(ls "$out/norename")" = "ksreport-capture.txt" ]'
# OUTDIR is a file: neither the report nor the capture can be written.
echo x > "$out/a-file"
"$capture" "$src/examples/typical-machine.json" "$out/a-file" 2>"$out/a-file.err"; rc=$?
check "OUTDIR is a file: exit 4 and a message naming the report" \
  '[ $rc -eq 4 ] && grep -q "a-file/ksreport-capture.txt" "$out/a-file.err"'
check "OUTDIR is a file: left as it was" '[ "$(cat "$out/a-file")" = x ]'
check_exit
