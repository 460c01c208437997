#!/usr/bin/env bash
# ksreport-read on reports as they reach support: what was undone is noted
# on stderr, --strict refuses it as before, a file may hold several
# reports, --table sums them up, and files without a report say so.
#   tests/reader_intake_check.sh READ SIM SOURCE_DIR OUT_DIR  (KSREPORT_EMULATOR for cross builds)
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
read_=$(absolute "$1") sim=$(absolute "$2") src=$3 out=$4
# A Windows build under an emulator writes CR LF to stdout and stderr.
run_read() { ${KSREPORT_EMULATOR:-} "$read_" "$@"; }
rm -rf "$out"; mkdir -p "$out"; out=$(cd "$out" && pwd)
${KSREPORT_EMULATOR:-} "$sim" "$src/examples/typical-machine.json" "$out/typical" 2>/dev/null
${KSREPORT_EMULATOR:-} "$sim" "$src/examples/pin-gates.json" "$out/gates" 2>/dev/null
good="$out/typical/ksreport.txt" gates="$out/gates/ksreport.txt"
cd "$out"
# The summary below its first line, which names the file.
body() { tr -d '\r' < "$1" | tail -n +2; }
run_read typical/ksreport.txt >good.out 2>/dev/null

# A reply quoting the report in a mail: headers, LF line ends, a signature.
{ printf 'From: customer\nSubject: report\n\n'; tr -d '\r' < "$good" | sed 's/^/> /'
  printf -- '-- \nA. Customer\n'; } > mail
run_read mail >mail.out 2>mail.err; rc=$?
cat > mail.expected <<'EOF'
ksreport-read: mail: note: LF line ends were read as CR LF
ksreport-read: mail: note: a reply's quote prefix (">") was taken off every line
ksreport-read: mail: note: text before the banner was skipped
ksreport-read: mail: note: text after the closing request line was skipped
EOF
check "a quoted report in a mail: exit 0 and one note a kind" '[ $rc -eq 0 ] && tr -d "\r" < mail.err | cmp -s - mail.expected'
check "a quoted report in a mail reads as the report itself" '[ -s mail.out ] && [ "$(body mail.out)" = "$(body good.out)" ]'
run_read --strict mail >strict.out 2>strict.err; rc=$?
check "--strict refuses the mail as before" '[ $rc -eq 2 ] && [ ! -s strict.out ] && grep -q "mail: line 1: expected CR LF at the end of the line (found LF alone)" strict.err'

# A content error inside the mail names the line of the file.
sed 's/Device BUS NUMBER = 00000003/Device BUS NUMBER = 3/' mail > mail-edited
run_read mail-edited >bad.out 2>bad.err; rc=$?
check "an edited report in a mail: exit 2, line 32 named, the other devices shown" '[ $rc -eq 2 ] && grep -q "mail-edited: device 2 incomplete at line 32: expected the Bus Number line" bad.err && grep -q "^Device 4: Virtual Audio Cable" bad.out && grep -q "^  incomplete at line 32: " bad.out'

# Saved again as "Unicode" by an editor.
{ printf '\377\376'; iconv -f WINDOWS-1252 -t UTF-16LE < "$good"; } > utf16
run_read utf16 >utf16.out 2>utf16.err; rc=$?
check "UTF-16 with its mark: exit 0, noted, same summary" '[ $rc -eq 0 ] && grep -q "utf16: note: read as UTF-16 little-endian" utf16.err && [ "$(body utf16.out)" = "$(body good.out)" ]'
iconv -f WINDOWS-1252 -t UTF-16LE < "$good" > utf16-nomark
run_read utf16-nomark >nomark.out 2>nomark.err; rc=$?
check "UTF-16 without its mark: exit 2 and a message that says so" '[ $rc -eq 2 ] && [ ! -s nomark.out ] && grep -q "looks like UTF-16 text without a byte-order mark" nomark.err'

# What HTML mail, gateways and mail clients do, as customers send it.
sed 's/ /\xc2\xa0/g' "$good" > nbsp
run_read nbsp >nbsp.out 2>nbsp.err; rc=$?
check "non-breaking spaces everywhere: exit 0, noted once, same summary" '[ $rc -eq 0 ] && [ "$(grep -c "note: non-breaking spaces" nbsp.err)" -eq 1 ] && [ "$(body nbsp.out)" = "$(body good.out)" ]'
sed 's/\r$/\r\r/' "$good" > crcrlf
run_read crcrlf >crcrlf.out 2>crcrlf.err; rc=$?
check "CR CR LF line ends: exit 0, noted, same summary" '[ $rc -eq 0 ] && grep -q "crcrlf: note: CR CR LF line ends were read as CR LF" crcrlf.err && [ "$(body crcrlf.out)" = "$(body good.out)" ]'
sed 's#^\(High Definition Audio Device / Generic Audio\) \(Maker / hdaudio.sys\)#\1\r\n\2#' "$good" > wrapped
run_read wrapped >wrapped.out 2>wrapped.err; rc=$?
check "a wrapped line: exit 0, joined, same summary" '[ $rc -eq 0 ] && grep -q "wrapped: note: lines a mail client wrapped were joined" wrapped.err && [ "$(body wrapped.out)" = "$(body good.out)" ]'
for f in nbsp crcrlf wrapped; do
  run_read --strict $f >/dev/null 2>&1; rc=$?
  check "--strict refuses $f" '[ $rc -eq 2 ]'
done
sed 's/^   +Microphone/+Microphone/' "$good" > stripped
run_read stripped >/dev/null 2>stripped.err; rc=$?
check "stripped indentation: every line kind allowed is named" '[ $rc -eq 2 ] && grep -qF "line 19: expected a Pin line (\"       +Pin XXXXXXXX Dataflow: XXXXXXXX\"), an Interface line (\"   +NAME\"), or a blank line, found \"+Microphone\"" stripped.err'

# Two runs in one file.
cat "$good" "$gates" > two
run_read two >two.out 2>two.err; rc=$?
check "two reports in a file are read as two#1 and two#2" '[ $rc -eq 0 ] && [ ! -s two.err ] && grep -q "^two#1: .*, 4 device(s)" two.out && grep -q "^two#2: .*, 1 device(s)" two.out'
run_read --diff two "$good" >diff.out 2>diff.err; rc=$?
check "--diff of a file with two reports: exit 2, nothing on stdout" '[ $rc -eq 2 ] && [ ! -s diff.out ] && grep -q "two: holds 2 reports" diff.err'
run_read --diff mail "$good" >diff.out 2>/dev/null; rc=$?
check "--diff of a report and its mailed copy: no differences" '[ $rc -eq 0 ] && grep -q "no differences" diff.out'

# Files that hold no report.
: > empty
run_read empty >empty.out 2>empty.err; rc=$?
check "an empty file: exit 2 and says so" '[ $rc -eq 2 ] && [ ! -s empty.out ] && grep -q "empty: the file is empty" empty.err'
printf 'Dear support,\r\nplease find the report attached.\r\n' > letter
run_read letter >letter.out 2>letter.err; rc=$?
check "a file without a banner: exit 2 and says so" '[ $rc -eq 2 ] && [ ! -s letter.out ] && grep -q "letter: no report found: no line begins with the banner" letter.err'

# Triage of many reports at once.
cp "$good" good.txt
run_read --table good.txt two mail >table.out 2>/dev/null; rc=$?
cat > table.expected <<'EOF'
devices  interfaces  pins  no range  flagged  report
      4           4     4         0        0  good.txt
      4           4     4         0        0  two#1
      1           3     6         4        0  two#2
      4           4     4         0        0  mail
EOF
check "--table: one line per report" '[ $rc -eq 0 ] && tr -d "\r" < table.out | cmp -s - table.expected'
run_read --table --json good.txt two mail >table.json 2>/dev/null; rc=$?
check "--table --json: valid, its own format, the mail's transport listed" '[ $rc -eq 0 ] && python3 -c "
import json, sys
t = json.load(open(\"table.json\"))
assert t[\"format\"] == \"ksreport-table/1\"
assert [r[\"file\"] for r in t[\"reports\"]] == [\"good.txt\", \"two#1\", \"two#2\", \"mail\"]
assert t[\"reports\"][2][\"pinsWithoutRange\"] == 4
assert t[\"reports\"][3][\"transport\"] == [\"lf-line-ends\", \"quote-prefix\", \"text-before\", \"text-after\"]
"'
run_read --table good.txt empty >table.out 2>/dev/null; rc=$?
check "--table with a bad file: exit 2, the bad file a row of its own" '[ $rc -eq 2 ] && [ "$(tr -d "\r" < table.out | tail -n 1)" = "      -           -     -         -        -  empty: not read: the file is empty" ]'
run_read --table --diff good.txt good.txt >/dev/null 2>&1; rc=$?
check "--table with --diff: usage, exit 2" '[ $rc -eq 2 ]'
check_exit
