#!/usr/bin/env bash
# Runs the real ksreport.exe under Wine in fresh folders and checks what a
# user would see: the report beside the program, exact frame, CR LF,
# nothing printed, replaced on a second run, arguments ignored, the name
# taken from the program's own, a folder named outside the code page, and
# the exit status when the report can't be created.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../tools/wine/lib.sh"
exe=$1 work=$2
wine=${KSREPORT_EMULATOR:?the Wine runner}
rm -rf "$work"; mkdir -p "$work/a" "$work/b"

cp "$exe" "$work/a/ksreport.exe"
(cd "$work/a" && "$wine" ./ksreport.exe >"$work/out1" 2>"$work/err1"); rc=$?
report="$work/a/ksreport.txt"
check "exits" '[ $rc -eq 0 ]'
check "report lands beside the exe" '[ -f "$report" ]'
check "prints nothing" '[ ! -s "$work/out1" ] && [ ! -s "$work/err1" ]'
check "every line ends in CR LF" 'crlf_lines "$report"'
if grep -q "^Device Path: " "$report"; then
  # Wine showed devices: each block must be well formed.
  check "device blocks are well formed" 'awk '"'"'/8< /{getline a; getline b; getline c; getline d; if (a !~ /^Device Path: / || b !~ /^Device BUS NUMBER = [0-9A-F]{8}\r$/ || c !~ / \/ .* \/ .*\.sys\r$/ || d !~ /^Instance ID: [0-9A-F]{8}\r$/) bad=1} END {exit bad}'"'"' "$report"'
else
  check "header and footer exact" 'frame_is_expected "$report"'
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
# A folder named in letters the prefix's code page (1252, which Wine takes
# for the C locale; UTF-8 file names) can't spell: the 8-bit program path
# has "?" in their place, the wide one has them. The report is there, the
# same bytes as in a plain folder.
acp=$(LC_ALL=C.UTF-8 timeout 60 "$wine" reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' /v ACP 2>/dev/null |
      tr -d '\r' | awk '$1 == "ACP" {print $3}')
check "the prefix's code page has no Cyrillic (1252)" '[ "$acp" = 1252 ]'
cyrillic="$work/Доклад"
mkdir -p "$cyrillic"
cp "$exe" "$cyrillic/ksreport.exe"
(cd "$cyrillic" && LC_ALL=C.UTF-8 timeout 60 "$wine" ./ksreport.exe >"$work/out5" 2>"$work/err5"); rc=$?
check "folder outside the code page: exit 0, nothing printed" '[ $rc -eq 0 ] && [ ! -s "$work/out5" ] && [ ! -s "$work/err5" ]'
check "folder outside the code page: the report beside the program, as in a plain folder" \
  '[ -f "$cyrillic/ksreport.txt" ] && cmp -s "$cyrillic/ksreport.txt" "$work/a/ksreport.txt"'
check "folder outside the code page: nothing else is written" '[ "$(ls "$cyrillic" | sort | tr "\n" " ")" = "ksreport.exe ksreport.txt " ]'

# No report can be created: exit status 1 (report/writer.h), nothing
# printed. A folder in the report's place can't be replaced, even by root.
mkdir -p "$work/taken/ksreport.txt"
cp "$exe" "$work/taken/ksreport.exe"
(cd "$work/taken" && timeout 60 "$wine" ./ksreport.exe >"$work/out6" 2>"$work/err6"); rc=$?
check "a folder in the report's place: exit 1, nothing printed" '[ $rc -eq 1 ] && [ ! -s "$work/out6" ] && [ ! -s "$work/err6" ]'
check "a folder in the report's place: left as it was" '[ -d "$work/taken/ksreport.txt" ] && [ -z "$(ls "$work/taken/ksreport.txt")" ]'
# A folder the user can't write to: no report, exit 1, nothing printed.
mkdir -p "$work/ro"
cp "$exe" "$work/ro/ksreport.exe"
if read_only_run "$work/ro" "$wine" ksreport.exe "$work/out3" "$work/err3"; then
  check "read-only folder: exit 1" '[ $rc -eq 1 ]'
  check "read-only folder: no report, nothing printed" '[ ! -e "$work/ro/ksreport.txt" ] && [ ! -s "$work/out3" ] && [ ! -s "$work/err3" ]'
fi

# A folder so deep that the program's path no longer fits the 264-byte
# buffer: no report anywhere, rather than one under a cut name. A path of
# 259 characters, the longest a path may be without the long-path prefix,
# gets its report.
# The Windows path is Z: and the Linux path with backslashes.
mkdir -p "$work/deep"
# 6 and 13: "/deep/" and "/ksreport.exe"
name_for() { local n=$(($1 - 2 - ${#work} - 6 - 13)); printf 'd%.0s' $(seq "$n"); }
fits="$work/deep/$(name_for 259)"
cut="$work/deep/$(name_for 264)"
mkdir -p "$fits" "$cut" && cp "$exe" "$fits/ksreport.exe" && cp "$exe" "$cut/ksreport.exe"
touch "$work/mark"
(cd "$cut" && timeout 60 "$wine" ./ksreport.exe >"$work/out4" 2>"$work/err4"); rc=$?
check "program path of 264 characters: exit 1 (no report), nothing printed" '[ $rc -eq 1 ] && [ ! -s "$work/out4" ] && [ ! -s "$work/err4" ]'
check "program path of 264 characters: no file written anywhere" '[ -z "$(find "$work" / -maxdepth 1 -newer "$work/mark" -type f ! -name "out4" ! -name "err4" 2>/dev/null; find "$work/deep" -newer "$work/mark" -type f 2>/dev/null)" ]'
(cd "$fits" && timeout 60 "$wine" ./ksreport.exe >/dev/null 2>&1)
check "program path of 259 characters, the longest without the long-path prefix: report beside it" '[ -f "$fits/ksreport.txt" ]'
check_exit
