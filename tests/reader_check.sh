#!/usr/bin/env bash
# ksreport-read from the command line: summaries, JSON, diff exit codes,
# bad input (exit 2, the line named), batches that keep every good report,
# the command line's conventions, and, for the Windows program, wildcards
# and names in any script.
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

# The command line as users expect it.
run_read --help >"$out/help.out" 2>"$out/help.err"; rc=$?
check "--help: usage on stdout, exit 0" '[ $rc -eq 0 ] && grep -q "^usage: ksreport-read" "$out/help.out" && [ ! -s "$out/help.err" ]'
run_read --frobnicate "$good" >"$out/opt.out" 2>"$out/opt.err"; rc=$?
check "an unknown option is named, exit 2" '[ $rc -eq 2 ] && [ ! -s "$out/opt.out" ] && grep -q "unknown option \"--frobnicate\"" "$out/opt.err"'
run_read "$good" --json >"$out/after.json" 2>/dev/null; rc=$?
check "an option after the files counts" '[ $rc -eq 0 ] && python3 -m json.tool "$out/after.json" >/dev/null'
run_read - <"$good" >"$out/stdin.out" 2>/dev/null; rc=$?
check "- reads standard input" '[ $rc -eq 0 ] && grep -q "^-: ksreport" "$out/stdin.out" && grep -q "Device 4: Virtual Audio Cable" "$out/stdin.out"'
run_read "$out" >"$out/dir.out" 2>"$out/dir.err"; rc=$?
check "a folder is named as one" '[ $rc -eq 2 ] && grep -q "is a folder, not a file" "$out/dir.err"'
run_read "$out/no-such.txt" >"$out/missing.out" 2>"$out/missing.err"; rc=$?
check "a missing file is named with the system's reason" '[ $rc -eq 2 ] && grep -q "no-such.txt: cannot be opened: No such file or directory" "$out/missing.err"'

# A driver update, as --diff shows it.
sed 's/hdaudio\.sys/IntcAudioBus.sys/' "$good" > "$out/update.txt"
run_read --diff "$good" "$out/update.txt" >"$out/update.diff"; rc=$?
check "--diff of a driver update: exit 1, the driver named" '[ $rc -eq 1 ] && tr -d "\r" < "$out/update.diff" | grep -qx "    ~ driver: \"hdaudio.sys\" -> \"IntcAudioBus.sys\""'
run_read --diff --json "$good" "$out/update.txt" >"$out/update.json"; rc=$?
check "--diff --json: its own format, the one change" '[ $rc -eq 1 ] && python3 -c "
import json, sys
d = json.load(open(sys.argv[1]))
assert d[\"format\"] == \"ksreport-diff/1\" and d[\"same\"] is False
assert [(c[\"field\"], c[\"before\"], c[\"after\"]) for c in d[\"changes\"]] == [(\"driver\", \"hdaudio.sys\", \"IntcAudioBus.sys\")]
" "$out/update.json"'

# A batch of every machine's report with damaged and foreign files: one
# row or entry per file, each good one as it reads alone, exit 2.
mkdir -p "$out/batch"
for machine in "$src"/examples/*.json "$src"/tests/machines/*.json; do
  name=$(basename "$machine" .json)
  ${KSREPORT_EMULATOR:-} "$sim" "$machine" "$out/machines/$name" >/dev/null 2>&1
  for report in "$out/machines/$name"/*.txt; do [ -f "$report" ] && cp "$report" "$out/batch/$name.txt"; done
done
head -c 1200 "$good" > "$out/batch/zz-cut.txt"
sed 's/MaxBits    : 00000010/MaxBits    : 0000001G/' "$good" > "$out/batch/zz-badhex.txt"
printf 'Dear support,\r\nsee attached.\r\n' > "$out/batch/zz-letter.txt"
: > "$out/batch/zz-empty.txt"
files=("$out"/batch/*.txt)
(cd "$out/batch" && run_read --table *.txt) >"$out/batch.table" 2>"$out/batch.err"; rc=$?
check "a batch: exit 2, one row per file" '[ $rc -eq 2 ] && [ "$(tr -d "\r" < "$out/batch.table" | tail -n +2 | wc -l)" -eq ${#files[@]} ]'
alone_ok=1
for f in "${files[@]}"; do
  row=$(cd "$out/batch" && run_read --table "$(basename "$f")" 2>/dev/null | tr -d "\r" | tail -n 1)
  tr -d "\r" < "$out/batch.table" | grep -qxF -- "$row" || { alone_ok=0; echo "  not in the batch: $row"; }
done
check "a batch: every row as the file reads alone" '[ $alone_ok -eq 1 ]'
check "a batch: every bad file named on stderr" 'grep -q "zz-letter.txt: no report found" "$out/batch.err" && grep -q "zz-empty.txt: the file is empty" "$out/batch.err" && grep -q "zz-cut.txt: incomplete at line" "$out/batch.err" && grep -q "zz-badhex.txt: device 1 incomplete at line 23" "$out/batch.err"'
check "a batch: the bad files are rows that say why" 'tr -d "\r" < "$out/batch.table" | grep -q "  zz-letter.txt: not read: no report found" && tr -d "\r" < "$out/batch.table" | grep -q "^      4 .* zz-badhex.txt (incomplete at line 23: "'
(cd "$out/batch" && run_read --json *.txt) >"$out/batch.json" 2>/dev/null; rc=$?
check "a batch as JSON: one entry per file, errors with their line" '[ $rc -eq 2 ] && python3 -c "
import json, sys
d = json.load(open(sys.argv[1]))
entries = {e[\"file\"]: e for e in d[\"reports\"]}
assert len(d[\"reports\"]) == int(sys.argv[2]), len(d[\"reports\"])
assert entries[\"zz-letter.txt\"][\"error\"][\"line\"] is None
assert entries[\"zz-cut.txt\"][\"complete\"] is False and entries[\"zz-cut.txt\"][\"stopped\"][\"line\"] > 0
assert entries[\"typical-machine.txt\"][\"complete\"] is True
" "$out/batch.json" ${#files[@]}'
(cd "$out/batch" && run_read *.txt) >"$out/batch.summary" 2>/dev/null; rc=$?
check "a batch summary: error blocks among the reports" '[ $rc -eq 2 ] && tr -d "\r" < "$out/batch.summary" | grep -q "^zz-empty.txt: not read: the file is empty" && tr -d "\r" < "$out/batch.summary" | grep -q "^typical-machine.txt: ksreport"'
run_read --strict "$good" "$out/batch/zz-letter.txt" "$out/batch/zz-empty.txt" >"$out/strict.out" 2>"$out/strict.err"; rc=$?
check "--strict: nothing on stdout after a bad file, every bad file named" '[ $rc -eq 2 ] && [ ! -s "$out/strict.out" ] && grep -q "zz-letter.txt: line 1: expected the banner line" "$out/strict.err" && grep -q "zz-empty.txt: line 1: expected the banner line" "$out/strict.err"'

# The support manual's examples of a driver update and a batch with a bad file
# are what the reader prints.
mkdir -p "$out/readme/inbox"
cp "$good" "$out/readme/before.txt"; sed 's/hdaudio\.sys/IntcAudioBus.sys/' "$good" > "$out/readme/after.txt"
cp "$good" "$out/readme/inbox/anna.txt"; cp "$out/gates/ksreport.txt" "$out/readme/inbox/ben.txt"
head -c 1500 "$good" > "$out/readme/inbox/carl.txt"
printf 'Dear support,\r\nthe report is attached.\r\n' > "$out/readme/inbox/dora.txt"
readme_example() {  # COMMAND...: the support manual's block that shows it, against what it prints
  (cd "$out/readme" && run_read "$@" 2>/dev/null | tr -d '\r') > "$out/readme/printed"
  python3 - "$src/docs/support.md" "$out/readme/printed" "ksreport-read $*" <<"PY"
import sys
readme, printed, command = open(sys.argv[1]).read(), open(sys.argv[2]).read(), sys.argv[3]
start = readme.index("```\n$ " + command + "\n") + len("```\n$ " + command + "\n")
shown = readme[start:readme.index("```\n", start)]
sys.exit(0 if shown == printed else 1)
PY
}
check "support manual: the driver update's diff is what --diff prints" 'readme_example --diff before.txt after.txt'
check "support manual: the batch with a bad file is what --table prints" 'readme_example --table inbox/anna.txt inbox/ben.txt inbox/carl.txt inbox/dora.txt'

# On Windows: wildcards are expanded, and names in any script open.
case "$read_" in *.exe)
  uname=$(printf 'r\xc3\xa9sum\xc3\xa9 \xd0\xbe\xd1\x82\xd1\x87\xd1\x91\xd1\x82 \xe6\x8a\xa5\xe5\x91\x8a.txt')
  mkdir -p "$out/inbox"; cp "$good" "$out/inbox/a.txt"; cp "$good" "$out/inbox/b.txt"; cp "$good" "$out/inbox/$uname"
  (cd "$out" && run_read --table 'inbox\*.txt') >"$out/wild.out" 2>"$out/wild.err"; rc=$?
  check "Windows: a wildcard names every file it matches" '[ $rc -eq 0 ] && [ "$(tr -d "\r" < "$out/wild.out" | tail -n +2 | wc -l)" -eq 3 ] && tr -d "\r" < "$out/wild.out" | grep -q "  inbox.a.txt$"'
  check "Windows: a name outside the code page opens" 'tr -d "\r" < "$out/wild.out" | grep -qF "  inbox\\$uname"'
  (cd "$out/inbox" && run_read "$uname") >"$out/uni.out" 2>"$out/uni.err"; rc=$?
  check "Windows: a file named in any script is read" '[ $rc -eq 0 ] && grep -q "Device 4: Virtual Audio Cable" "$out/uni.out"'
  ;;
esac
check_exit
