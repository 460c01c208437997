#!/usr/bin/env bash
# The package's README.txt as the release writes it, and the package
# check's reading of it (tools/release/check-readme):
# - the README.txt of a release and of a test release pass, in CR LF, with
#   the version and the address filled in;
# - each thing the customer must be told, taken out of the text, is named
#   as missing, and only it; each false claim put back in is named;
# - wrapping the text otherwise changes nothing.
# The faults expected are written here, not taken from check-readme.
#   tests/release_readme_check.sh OUT_DIR
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
. "$ksr_root/tools/release/common.sh"
out=${1:?usage: tests/release_readme_check.sh OUT_DIR}
rm -rf "$out"; mkdir -p "$out"
check_readme() { bash "$ksr_root/tools/release/check-readme" "$@" >"$out/check.out" 2>&1; }

release_readme 1.2.3 help@ksreport-support.net 0 >"$out/README.txt"
release_readme 1.2.3 help@ksreport-support.net 1 >"$out/test-README.txt"
for readme in README.txt test-README.txt; do
  check_readme "$out/$readme"; rc=$?
  check "$readme: passes, in CR LF, with the version and the address" \
    '[ $rc -eq 0 ] && [ ! -s "$out/check.out" ] && crlf_lines "$out/$readme" &&
     grep -q "^ksreport 1\.2\.3 - " "$out/$readme" && grep -q "^       help@ksreport-support\.net"$'"'"'\r$'"'"' "$out/$readme" &&
     ! grep -q "@[A-Z_]*@" "$out/$readme"' || cat "$out/check.out"
done

# README.txt with the words WORDS (any line break or indent between them)
# replaced by INSTEAD, as NAME.
edited() {  # NAME WORDS INSTEAD
  python3 - "$out/README.txt" "$out/$1.txt" "$2" "$3" <<'EOF'
import re, sys
text = open(sys.argv[1], "rb").read().decode()
words = r"\s+".join(re.escape(w) for w in sys.argv[3].split(" "))
edited, count = re.subn(words, sys.argv[4], text)
assert count > 0, "not in README.txt: " + sys.argv[3]
open(sys.argv[2], "wb").write(edited.encode())
EOF
}
# Fails when README.txt edited as NAME passes, or fails with other faults
# than the one FAULT.
names_one() {  # NAME WORDS INSTEAD FAULT
  local fault=$4
  edited "$1" "$2" "$3" || { check_fail "$1: the text to edit is not there"; return; }
  check_readme "$out/$1.txt"; rc=$?
  check "$1: named, and nothing else" \
    '[ $rc -eq 1 ] && [ "$(grep -c . "$out/check.out")" -eq 1 ] && grep -qF -- "FAIL: README.txt: $fault" "$out/check.out"' ||
    cat "$out/check.out"
}
names_one no-extract "Extract All..." "Open" "does not tell the customer to unpack the zip file first"
names_one from-zip "only from that unpacked folder" "from anywhere" \
  "does not tell the customer to run the program from the unpacked folder"
names_one no-black-window "A black window may flash briefly" "Nothing shows" \
  "does not tell the customer that a black window may flash"
names_one no-smartscreen "\"Windows protected your PC\"" "something" \
  "does not tell the customer what the SmartScreen prompt says"
names_one no-more-info "click \"More info\"" "wait" \
  "does not tell the customer how to go on past the SmartScreen prompt"
names_one no-run-anyway "the \"Run anyway\" button" "OK" \
  "does not tell the customer how to go on past the SmartScreen prompt"
names_one no-text-document "whose type is \"Text Document\"" "ending in .txt" \
  "does not tell the customer which file the report is"
names_one no-desktop "your Desktop or to" "another folder or" \
  "does not tell the customer where to run the program again when no report appears"
names_one no-documents "your Documents folder" "a USB stick" \
  "does not tell the customer where to run the program again when no report appears"
names_one no-write "write to support" "give up" \
  "does not tell the customer to write to support when the report still does not appear"
names_one no-window-claim "A black window may flash briefly: that is the program at work." \
  "A black window may flash briefly. No window opens." "says \"No window opens\""
names_one same-folder-claim "The report is the file called" \
  "The file ksreport.txt is now in the same folder. The report is the file called" \
  "says \"is now in the same folder\""

# Rewrapped: the points stand across other line breaks and indents.
tr -d '\r' <"$out/README.txt" | fmt -w 40 | sed 's/^/  /; s/$/\r/' >"$out/narrow.txt"
check_readme "$out/narrow.txt"; rc=$?
check "README.txt rewrapped at 40 columns and indented: passes" '[ $rc -eq 0 ]' || cat "$out/check.out"
check_readme "$out/absent.txt"; rc=$?
check "a README.txt that is not there: usage, exit 2" '[ $rc -eq 2 ] && grep -q "^usage: " "$out/check.out"'
check_exit
