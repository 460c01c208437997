#!/usr/bin/env bash
# --explain from the command line, for ksreport-sim and ksreport-read: every
# machine file explains with the runner's exit status, as text without
# colour off a terminal and as JSON; a bad machine exits 2 naming the key
# with nothing on stdout; ksreport-read tells a machine file from a report
# by its content and explains the one as ksreport-sim does.
#   tests/explain_check.sh SIM READ SOURCE_DIR OUT_DIR  (KSREPORT_EMULATOR for cross builds)
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
sim=$1 read_=$2 src=$3 out=$4
run_sim() { ${KSREPORT_EMULATOR:-} "$sim" "$@"; }
run_read() { ${KSREPORT_EMULATOR:-} "$read_" "$@"; }
rm -rf "$out"; mkdir -p "$out"
esc=$'\033'

mapfile -t machines < <(machine_files "$src")
for machine in "${machines[@]}"; do
  name=$(basename "$machine" .json)
  run_sim "$machine" "$out/$name.plain" 2>/dev/null; plain=$?
  run_sim --explain "$machine" >"$out/$name.txt" 2>/dev/null; rc=$?
  check "$name: --explain exits as the plain run ($plain)" '[ $rc -eq $plain ]'
  check "$name: its heading, no colour off a terminal" \
    'head -n 1 "$out/$name.txt" | grep -q "^Explanation of " && ! grep -q "$esc" "$out/$name.txt"'
  run_sim --explain --json "$machine" >"$out/$name.json" 2>/dev/null; rc=$?
  check "$name: --explain --json is ksreport-explain/1" \
    '[ $rc -eq $plain ] && python3 -c "import json,sys; assert json.load(open(sys.argv[1]))[\"format\"] == \"ksreport-explain/1\"" "$out/$name.json"'
  run_read --explain "$machine" >"$out/$name.read.txt" 2>/dev/null; rc=$?
  check "$name: ksreport-read --explain says the same, exit 0" '[ $rc -eq 0 ] && cmp -s "$out/$name.txt" "$out/$name.read.txt"' ||
    { echo "  exit $rc; the first differences (< ksreport-sim, > ksreport-read):"
      diff "$out/$name.txt" "$out/$name.read.txt" | head -10; }
done

typical=$src/examples/typical-machine.json
run_sim --explain "$typical" | tr -d '\r' >"$out/typical.lf"
check "the typical machine: a pin stopped for its reason" \
  'grep -q "^    Pin 1: stopped at communication: communication is bridge; record released$" "$out/typical.lf"'
check "the typical machine: a range passed over for its reason" \
  'grep -q "^          passed over: fewer than 16 bits$" "$out/typical.lf"'

# The README's example is the real output: each of its blocks stands in it.
(cd "$src" && run_read --explain examples/typical-machine.json) >"$out/typical.read" 2>/dev/null
check "the README's --explain example is what ksreport-read prints" \
  'python3 - "$src/README.md" "$out/typical.read" <<"PY"
import re, sys
readme, output = open(sys.argv[1]).read(), open(sys.argv[2], newline="").read().replace("\r\n", "\n")
section = readme.split("### Why a device, interface or pin is missing")[1].split("\n### ")[0]
blocks = re.findall(r"```\n(.*?)```", section, re.S)
assert len(blocks) == 3 and all(block in output for block in blocks)
PY'

echo '{"devices": [{"interfacez": []}]}' > "$out/bad.json"
for tool in sim read; do
  "run_$tool" --explain "$out/bad.json" >"$out/bad.$tool.out" 2>"$out/bad.$tool.err"; rc=$?
  check "$tool: a bad machine exits 2, names the key, prints nothing" \
    '[ $rc -eq 2 ] && [ ! -s "$out/bad.$tool.out" ] && grep -q interfacez "$out/bad.$tool.err"'
done
run_sim --explain "$out/missing.json" >/dev/null 2>&1; rc=$?
check "sim: a missing machine exits 2" '[ $rc -eq 2 ]'
run_sim --explain --table "$typical" >/dev/null 2>&1; rc=$?
check "sim: an unknown option exits 2" '[ $rc -eq 2 ]'

echo '{"capture": {"program": "ksreport-capture", "truncated": ["an answer over 1 MiB"]}, "devices": []}' > "$out/cut.json"
run_sim --explain "$out/cut.json" >"$out/cut.out" 2>"$out/cut.err"; rc=$?
check "sim: a cut capture explains and exits 3, saying why" \
  '[ $rc -eq 3 ] && grep -q "^Explanation of" "$out/cut.out" && grep -q "an answer over 1 MiB" "$out/cut.err"'
run_read --explain "$out/cut.json" >/dev/null 2>&1; rc=$?
check "read: a cut capture explains with exit 0" '[ $rc -eq 0 ]'

run_sim "$typical" "$out/report" 2>/dev/null
report=$out/report/ksreport.txt
run_read --explain "$report" >"$out/report.explain" 2>&1; rc=$?
run_read "$report" >"$out/report.summary" 2>&1
check "read: --explain on a report reads it as without" '[ $rc -eq 0 ] && cmp -s "$out/report.explain" "$out/report.summary"'
run_read "$typical" >"$out/machine.out" 2>"$out/machine.err"; rc=$?
check "read: a machine without --explain exits 2 and says what to do" \
  '[ $rc -eq 2 ] && [ ! -s "$out/machine.out" ] && grep -q -- "--explain" "$out/machine.err"'
run_read --explain "$typical" "$typical" >/dev/null 2>&1; rc=$?
check "read: --explain takes one file" '[ $rc -eq 2 ]'
run_read --explain --table "$typical" >/dev/null 2>&1; rc=$?
check "read: --explain with --table is bad usage" '[ $rc -eq 2 ]'

# Colour on a terminal only, and not with NO_COLOR (a pseudo-terminal from
# script(1); not for programs under an emulator).
if [ -z "${KSREPORT_EMULATOR:-}" ] && command -v script >/dev/null; then
  script -qec "$sim --explain $typical" /dev/null >"$out/tty.out" 2>&1
  check "sim: colour on a terminal" 'grep -q "$esc\[1mDevice 0" "$out/tty.out"'
  NO_COLOR=1 script -qec "$read_ --explain $typical" /dev/null >"$out/nocolour.out" 2>&1
  check "read: no colour with NO_COLOR" 'grep -q "^Explanation of" "$out/nocolour.out" && ! grep -q "$esc" "$out/nocolour.out"'
fi
check_exit
