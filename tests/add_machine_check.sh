#!/usr/bin/env bash
# scripts/add-machine in a tree of its own: a capture of ksreport-capture-sim
# and a cut capture become machines whose stored report and exit status are
# what the runner gives; names already taken, bad names and files that are
# no machines are refused with nothing written; --update shows a change
# with ksreport-read --diff and writes the report again.
#   tests/add_machine_check.sh NATIVE_BUILD SOURCE_DIR OUT_DIR
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
build=$1 src=$2 out=$3
rm -rf "$out"; mkdir -p "$out/tree/scripts" "$out/tree/tests/machines" "$out/tree/examples"
cp "$src/scripts/add-machine" "$src/scripts/lib.sh" "$out/tree/scripts/"
cp "$src/examples/no-devices.json" "$out/tree/examples/"
tree=$out/tree machines=$out/tree/tests/machines
add() { "$tree/scripts/add-machine" --build "$build" "$@"; }
# What the tests ask of every machine: the runner's status and report are
# the stored ones.
plays_as_stored() {
  rm -rf "$out/play"
  "$build/ksreport-sim" "$1" "$out/play" 2>/dev/null; local rc=$?
  [ "$rc" -eq "$(expected_exit_of "$1")" ] && report_is_expected "$out/play/ksreport.txt" "$1"
}
files() { (cd "$machines" && ls | sort | tr '\n' ' '); }

add --help >"$out/help" 2>&1; rc=$?
check "--help: usage on stdout, exit 0" '[ $rc -eq 0 ] && grep -q "^usage: scripts/add-machine" "$out/help" && grep -q -- "--update NAME" "$out/help"'
add >"$out/noargs" 2>"$out/noargs.err"; rc=$?
check "no arguments: usage on stderr, exit 2" '[ $rc -eq 2 ] && [ ! -s "$out/noargs" ] && grep -q "CAPTURE and NAME wanted" "$out/noargs.err"'

# A capture of the typical machine, as a customer would send it.
"$build/ksreport-capture-sim" "$src/examples/typical-machine.json" "$out/typical" 2>/dev/null
add "$out/typical/ksreport-capture.json" typical-capture >"$out/add.out" 2>&1; rc=$?
m=$machines/typical-capture.json
check "a capture is added" '[ $rc -eq 0 ] && cmp -s "$m" "$out/typical/ksreport-capture.json"'
check "its provenance is kept" 'head -n 2 "$m" | grep -q "\"program\": \"ksreport-capture-sim\""'
check "its expected report is the capture program's own, after the banner" \
  'cmp -s "$machines/typical-capture.expected.txt" <(after_banner "$out/typical/ksreport-capture.txt")'
check "exit 0 is not stored" '[ ! -e "$machines/typical-capture.expected-exit" ]'
check "it plays as stored" 'plays_as_stored "$m"'
check "the report and the explanation's outline are printed" \
  'grep -q "^   +Microphone$" "$out/add.out" && grep -q "^Explanation of" "$out/add.out" &&
   grep -q "interface [0-9]: left out at capture alias" "$out/add.out" && ! grep -q "SPDRP_DEVICEDESC" "$out/add.out"'

# A capture cut at its 1 MiB bound: stored with the runner's status 3.
big=$(head -c $((1100 * 1024)) /dev/zero | od -An -v -tx1 | tr -d ' \n')
printf '{"devices": [{"interfaces": [{"path": "p", "renderAlias": 1, "pins": [{"dataRanges": {"hex": "%s"}}]}]}]}' \
  "$big" >"$out/big.json"
"$build/ksreport-capture-sim" "$out/big.json" "$out/big" 2>/dev/null
add "$out/big/ksreport-capture.json" cut >"$out/cut.out" 2>&1; rc=$?
check "a cut capture is added, exit status 3 stored" \
  '[ $rc -eq 0 ] && [ "$(cat "$machines/cut.expected-exit")" = 3 ] && grep -q "was cut" "$out/cut.out"'
check "the cut capture plays as stored" 'plays_as_stored "$machines/cut.json"'

before=$(files)
add "$out/typical/ksreport-capture.json" typical-capture >/dev/null 2>"$out/again.err"; rc=$?
check "a name taken is refused" '[ $rc -eq 1 ] && grep -q "typical-capture.json exists" "$out/again.err"'
add "$out/typical/ksreport-capture.json" no-devices >/dev/null 2>"$out/example.err"; rc=$?
check "a name an example has is refused" '[ $rc -eq 1 ] && grep -q "examples/no-devices.json exists" "$out/example.err"'
add "$out/typical/ksreport-capture.json" ../escape >/dev/null 2>&1; rc=$?
check "a name with a slash is refused" '[ $rc -eq 2 ] && [ ! -e "$tree/tests/escape.json" ]'
echo '{"devices": [], "devicez": 1}' >"$out/bad.json"
add "$out/bad.json" bad >/dev/null 2>"$out/bad.err"; rc=$?
check "a file that is no machine is refused, the key named" '[ $rc -eq 2 ] && grep -q devicez "$out/bad.err"'
add --build "$out/no-build" "$out/typical/ksreport-capture.json" other >/dev/null 2>"$out/nobuild.err"; rc=$?
check "a missing build: what to build is said" '[ $rc -eq 1 ] && grep -q "scripts/build native" "$out/nobuild.err"'
check "nothing is written by a refusal" '[ "$(files)" = "$before" ]'

# --update: a stored report changed by hand is written again, and the
# change is shown as ksreport-read sees it.
sed -i 's/+Microphone/+Mic/' "$machines/typical-capture.expected.txt"
add --update typical-capture >"$out/update.out" 2>&1; rc=$?
check "--update shows the change with ksreport-read --diff" \
  '[ $rc -eq 0 ] && grep -q "~ interface \"Mic\": name: \"Mic\" -> \"Microphone\"" "$out/update.out"'
check "--update writes the report again" 'plays_as_stored "$m"'
# An intended change of the machine: a new interface name.
sed -i 's/"friendlyName": "Speakers"/"friendlyName": "Headphones"/' "$m"
check "a changed answer no longer plays as stored" '! plays_as_stored "$m"'
add --update typical-capture >"$out/update2.out" 2>&1; rc=$?
check "--update after a change of the machine: the new name stored" \
  '[ $rc -eq 0 ] && grep -q "Headphones" "$out/update2.out" && grep -q "^   +Headphones" "$machines/typical-capture.expected.txt" && plays_as_stored "$m"'
add --update typical-capture >"$out/update3.out" 2>&1; rc=$?
check "--update with nothing changed writes nothing" '[ $rc -eq 0 ] && grep -q "nothing written" "$out/update3.out"'
rm "$machines/cut.expected-exit"
add --update cut >"$out/update4.out" 2>&1; rc=$?
check "--update stores an exit status that went missing" \
  '[ $rc -eq 0 ] && grep -q "exit status: 0 before, 3 now" "$out/update4.out" && [ "$(cat "$machines/cut.expected-exit")" = 3 ]'
add --update nothing-here >/dev/null 2>"$out/none.err"; rc=$?
check "--update of a machine that is not there is refused" '[ $rc -eq 1 ] && grep -q "no machine nothing-here" "$out/none.err"'
check_exit
