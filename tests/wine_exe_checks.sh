#!/usr/bin/env bash
# Runs the real ksreport.exe under Wine in fresh folders and checks what a
# user would see: the report beside the program, exact frame, CR LF,
# nothing printed, replaced on a second run, arguments ignored, the name
# taken from the program's own.
set -u
exe=$1 work=$2
wine=${KSREPORT_EMULATOR:?the Wine runner}
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; fail=1; fi; }
rm -rf "$work"; mkdir -p "$work/a" "$work/b"

cp "$exe" "$work/a/ksreport.exe"
(cd "$work/a" && "$wine" ./ksreport.exe >"$work/out1" 2>"$work/err1"); rc=$?
report="$work/a/ksreport.txt"
check "exits" '[ $rc -eq 0 ]'
check "report lands beside the exe" '[ -f "$report" ]'
check "prints nothing" '[ ! -s "$work/out1" ] && [ ! -s "$work/err1" ]'
check "every line ends in CR LF" '[ "$(tr -d "\n" < "$report" | tr -cd "\r" | wc -c)" -eq "$(tr -cd "\n" < "$report" | wc -c)" ] && [ "$(tail -c 2 "$report" | od -An -tx1 | tr -d " ")" = "0d0a" ]'
if grep -q "^Device Path: " "$report"; then
  # Wine showed devices: each block must be well formed.
  check "device blocks are well formed" 'awk '"'"'/8< /{getline a; getline b; getline c; getline d; if (a !~ /^Device Path: / || b !~ /^Device BUS NUMBER = [0-9A-F]{8}\r$/ || c !~ / \/ .* \/ .*\.sys\r$/ || d !~ /^Instance ID: [0-9A-F]{8}\r$/) bad=1} END {exit bad}'"'"' "$report"'
else
  check "header and footer exact" 'diff <(tail -n +2 "$report") <(printf "\r\n============================\r\nStart WDM Device Enumeration\r\n============================\r\n\r\n============================\r\nExit  WDM Device Enumeration\r\n============================\r\n\r\nPlease send this file to %s!\r\n" "$(tail -n 1 "$report" | sed "s/^Please send this file to //; s/!\r$//")") >/dev/null'
fi
check "banner names the tool and version" 'head -n 1 "$report" | grep -Eq "^ksreport [0-9]+\.[0-9]+\.[0-9]+"'
first=$(cat "$report")

printf 'stale report from an earlier run, much longer than the new one %.0s' {1..200} > "$report"
(cd "$work/a" && "$wine" ./ksreport.exe one two --three >"$work/out2" 2>"$work/err2")
check "a second run replaces the report" '[ "$(cat "$report")" = "$first" ]'
check "arguments change nothing and print nothing" '[ ! -s "$work/out2" ] && [ ! -s "$work/err2" ]'

cp "$exe" "$work/b/KSREPORT.EXE"
(cd "$work/b" && "$wine" ./KSREPORT.EXE >/dev/null 2>&1)
check "KSREPORT.EXE writes KSREPORT.txt" '[ -f "$work/b/KSREPORT.txt" ] && [ "$(cat "$work/b/KSREPORT.txt")" = "$first" ]'
check "nothing else is written" '[ "$(ls "$work/a" | sort | tr "\n" " ")" = "ksreport.exe ksreport.txt " ] && [ "$(ls "$work/b" | sort | tr "\n" " ")" = "KSREPORT.EXE KSREPORT.txt " ]'
exit $fail
