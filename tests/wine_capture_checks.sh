#!/usr/bin/env bash
# Runs the real ksreport-capture.exe under Wine as a customer would and
# checks what it leaves: its report and its capture beside it, nothing
# printed, nothing else written; its report is ksreport.exe's; the capture
# replays to that report; a folder standing where the capture would go
# costs only the capture; a read-only folder gets nothing and a clean exit.
#   tests/wine_capture_checks.sh CAPTURE_EXE REPORT_EXE SIM WORK_DIR  (KSREPORT_EMULATOR: Wine)
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../tools/wine/lib.sh"
capture=$1 report=$2 sim=$3 work=$4
wine=${KSREPORT_EMULATOR:?the Wine runner}
# The replay needs the native build's ksreport-sim: without it, say what to
# build rather than report a failed replay.
build_require "$(dirname "$sim")" native "$(basename "$sim")" || exit 1
rm -rf "$work"; mkdir -p "$work/a" "$work/folder" "$work/ro"

cp "$capture" "$work/a/ksreport-capture.exe"
cp "$report" "$work/a/ksreport.exe"
(cd "$work/a" && "$wine" ./ksreport-capture.exe >"$work/out1" 2>"$work/err1"); rc=$?
(cd "$work/a" && "$wine" ./ksreport.exe >/dev/null 2>&1)
check "exits 0 and prints nothing" '[ $rc -eq 0 ] && [ ! -s "$work/out1" ] && [ ! -s "$work/err1" ]'
check "leaves its report and its capture, nothing else" \
  '[ "$(ls "$work/a" | sort | tr "\n" " ")" = "ksreport-capture.exe ksreport-capture.json ksreport-capture.txt ksreport.exe ksreport.txt " ]'
check "its report is ksreport.exe's" 'cmp -s "$work/a/ksreport-capture.txt" "$work/a/ksreport.txt"'
check "the capture names its program, version and architecture" \
  'grep -Eq "\"program\": \"ksreport-capture\", \"version\": \"[0-9]+\.[0-9]+\.[0-9]+\", \"arch\": \"x(86|64)\"" "$work/a/ksreport-capture.json"'
"$sim" "$work/a/ksreport-capture.json" "$work/replay" 2>"$work/replay.err"; rc=$?
check "the capture replays clean to the same report, after the banner" \
  '[ $rc -eq 0 ] && cmp -s <(after_banner "$work/a/ksreport.txt") <(after_banner "$work/replay/ksreport.txt")'

cp "$capture" "$work/folder/ksreport-capture.exe"
mkdir "$work/folder/ksreport-capture.json"
(cd "$work/folder" && timeout 60 "$wine" ./ksreport-capture.exe >"$work/out2" 2>"$work/err2"); rc=$?
check "a folder where the capture would go: clean exit, nothing printed" \
  '[ $rc -eq 0 ] && [ ! -s "$work/out2" ] && [ ! -s "$work/err2" ]'
check "a folder where the capture would go: the report stands, no temporary file is left" \
  '[ -s "$work/folder/ksreport-capture.txt" ] && [ "$(ls "$work/folder" | sort | tr "\n" " ")" = "ksreport-capture.exe ksreport-capture.json ksreport-capture.txt " ] && [ -d "$work/folder/ksreport-capture.json" ]'

cp "$capture" "$work/ro/ksreport-capture.exe"
if read_only_run "$work/ro" "$wine" ksreport-capture.exe "$work/out3" "$work/err3"; then
  check "read-only folder: clean exit, nothing printed, nothing written" \
    '[ $rc -eq 0 ] && [ ! -s "$work/out3" ] && [ ! -s "$work/err3" ] && [ "$(ls "$work/ro")" = "ksreport-capture.exe" ]'
fi
check_exit
