#!/usr/bin/env bash
# --explain from the command line, for ksreport-sim and ksreport-read: every
# machine file explains with the runner's exit status, as text without
# colour off a terminal and as JSON; a bad machine exits 2 naming the key
# with nothing on stdout; ksreport-read tells a machine file from a report
# by its content and explains the one as ksreport-sim does; --full says
# more, the default leaves the implementation's words out; a machine saved
# as UTF-16 is still a machine; each cut answer is listed once.
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
  run_sim --explain --full "$machine" >"$out/$name.full" 2>"$out/$name.full.err"; rc=$?
  run_read --explain --full "$machine" >"$out/$name.read.full" 2>"$out/$name.read.full.err"; read_rc=$?
  check "$name: --full says more, the same from both tools, no implementation words by default" \
    '[ $rc -eq $plain ] && [ $read_rc -eq 0 ] && cmp -s "$out/$name.full" "$out/$name.read.full" &&
     [ $((2 * $(wc -c <"$out/$name.txt"))) -le $(wc -c <"$out/$name.full") ] && ! grep -Eq "record (kept|released)" "$out/$name.txt"' ||
    { echo "  ksreport-sim exited $rc ($(wc -c <"$out/$name.full") bytes), ksreport-read $read_rc ($(wc -c <"$out/$name.read.full") bytes), the default $(wc -c <"$out/$name.txt") bytes"
      head -c 600 "$out/$name.full.err" "$out/$name.read.full.err"
      echo "  the first differences (< ksreport-sim, > ksreport-read):"
      diff "$out/$name.full" "$out/$name.read.full" | head -10; }
  python3 -c 'import sys; t = open(sys.argv[1], "rb").read(); sys.stdout.buffer.write(b"\xff\xfe" + t.decode("utf-8").encode("utf-16-le"))' \
    "$machine" >"$out/$name.utf16"
  run_read --explain "$out/$name.utf16" >"$out/$name.utf16.txt" 2>/dev/null; rc=$?
  check "$name: saved as UTF-16, ksreport-read still explains it" \
    '[ $rc -eq 0 ] && diff <(tail -n +2 "$out/$name.txt") <(tail -n +2 "$out/$name.utf16.txt") >/dev/null'
  run_sim "$out/$name.utf16" "$out/$name.utf16.plain" 2>/dev/null; rc=$?
  check "$name: saved as UTF-16, ksreport-sim plays it as before" \
    '[ $rc -eq $plain ] && diff -r "$out/$name.plain" "$out/$name.utf16.plain" >/dev/null'
done

typical=$src/examples/typical-machine.json
run_sim --explain "$typical" | tr -d '\r' >"$out/typical.lf"
check "the typical machine: a pin left out for its reason, first in the summary and in its place" \
  'grep -q "^  Device 1 \"High Definition Audio Device\", interface 1 \"Speakers\", pin 1: left out at communication:$" "$out/typical.lf" &&
   grep -q "^    Pin 1: left out at communication: communication is bridge$" "$out/typical.lf"'
run_sim --explain --full "$typical" | tr -d '\r' >"$out/typical.full.lf"
check "the typical machine, --full: a range passed over for its reason" \
  'grep -q "^          passed over: fewer than 16 bits$" "$out/typical.full.lf"'

real=$src/tests/machines/real-driver-ranges.json
run_read --explain "$real" | tr -d '\r' >"$out/real.lf"
check "ranges as real drivers give them: what each pin offers, in words" \
  'grep -q "^                     mode RAW: 2 channels, 16-24 bits, 44100-48000 Hz$" "$out/real.lf" &&
   grep -q "^      offers         no PCM; MIDI$" "$out/real.lf" &&
   grep -q "^                     also IEC 61937 Dolby Digital, IEC 61937 Dolby Digital Plus$" "$out/real.lf" &&
   grep -q "^      offers         2 channels, 16 bits, 8000, 11025, 16000, 22050, 32000, 44100, 48000 Hz$" "$out/real.lf" &&
   grep -q "^      the ranges from byte 98 on were read off their 8-byte boundary (the first 6 byte(s) short of$" "$out/real.lf" &&
   grep -q "^        byte 104, where the platform places it): a FormatSize before them" "$out/real.lf"'

# The support manual's example is the real output: each of its blocks stands in it.
(cd "$src" && run_read --explain examples/typical-machine.json) >"$out/typical.read" 2>/dev/null
(cd "$src" && run_read --explain --full examples/typical-machine.json) >>"$out/typical.read" 2>/dev/null
check "the support manual's --explain example is what ksreport-read prints" \
  'python3 - "$src/docs/support.md" "$out/typical.read" <<"PY"
import re, sys
readme, output = open(sys.argv[1]).read(), open(sys.argv[2], newline="").read().replace("\r\n", "\n")
section = readme.split("## Why a device, interface or pin is missing")[1].split("\n## ")[0]
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

python3 - "$typical" >"$out/cut.json" <<"PY"
import json, sys
machine = json.load(open(sys.argv[1]))
machine["capture"] = {"program": "ksreport-capture", "truncated": ["an answer over 1 MiB was kept by its length only"]}
pin = machine["devices"][0]["interfaces"][1]["pins"][1]
pin["dataRanges"] = {"unread": 2000000}
# A cut answer that decides nothing: zeros still make 8 bytes of instances.
machine["devices"][0]["interfaces"][0]["pins"][0]["globalInstances"] = {"unread": 8}
json.dump(machine, sys.stdout)
PY
run_sim --explain "$out/cut.json" >"$out/cut.out" 2>"$out/cut.err"; rc=$?
# Windows programs end their lines in CR LF.
sed -i 's/\r$//' "$out/cut.out" "$out/cut.err"
hd='ksreport-sim: cut answer: Device 1 "High Definition Audio Device"'
check "sim: a cut capture explains and exits 3, saying why and listing each answer cut, once" \
  '[ $rc -eq 3 ] && grep -q "^Explanation of" "$out/cut.out" && grep -q "an answer over 1 MiB" "$out/cut.err" &&
   grep -qx "$hd, interface 2 \"Microphone\", pin 1: KSPROPERTY_PIN_DATARANGES, 2000000 bytes recorded by length only; it decided: listed without a range: data ranges: Count is 0" "$out/cut.err" &&
   grep -qx "$hd, interface 1 \"Speakers\", pin 0: KSPROPERTY_PIN_GLOBALCINSTANCES, 8 bytes recorded by length only" "$out/cut.err" &&
   [ "$(grep -c "cut answer:" "$out/cut.err")" -eq 2 ] &&
   grep -q "^    Pin 1: listed, .*without a range; its answer to" "$out/cut.out"' ||
  { echo "  stderr:"; cat "$out/cut.err"; }
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
run_read --full "$typical" >/dev/null 2>&1; rc=$?
check "read: --full without --explain is bad usage" '[ $rc -eq 2 ]'
run_sim --explain --full --full "$typical" >/dev/null 2>&1; rc=$?
check "sim: --full twice is bad usage" '[ $rc -eq 2 ]'
run_read --explain --table "$typical" >/dev/null 2>&1; rc=$?
check "read: --explain with --table is bad usage" '[ $rc -eq 2 ]'

# Colour on a terminal only, and not with NO_COLOR (a pseudo-terminal from
# script(1); not for programs under an emulator).
if [ -z "${KSREPORT_EMULATOR:-}" ] && command -v script >/dev/null; then
  script -qec "$sim --explain $typical" /dev/null >"$out/tty.out" 2>&1
  check "sim: colour on a terminal" 'grep -q "$esc\[1mDevice 1" "$out/tty.out"'
  NO_COLOR=1 script -qec "$read_ --explain $typical" /dev/null >"$out/nocolour.out" 2>&1
  check "read: no colour with NO_COLOR" 'grep -q "^Explanation of" "$out/nocolour.out" && ! grep -q "$esc" "$out/nocolour.out"'
fi
check_exit
