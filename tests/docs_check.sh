#!/usr/bin/env bash
# The documents agree with the tree they describe: the README's layout table
# names every top-level folder the checkout holds, and docs/testing.md's
# stage table lists the stages scripts/test runs, in its order, with the
# fuzzing time scripts/test gives scripts/fuzz. Then each kind of
# disagreement, made in a copy, must be named.
#   tests/docs_check.sh SRC_DIR OUT_DIR
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
src=${1:?usage: tests/docs_check.sh SRC_DIR OUT_DIR}
out=${2:?usage: tests/docs_check.sh SRC_DIR OUT_DIR}
rm -rf "$out"; mkdir -p "$out"

# The folders come from git, so that build trees and other untracked
# folders never count.
if ! git -C "$src" ls-files >"$out/files" 2>/dev/null || [ ! -s "$out/files" ]; then
  echo "skipped: $src is not a git checkout"
  exit 77
fi
sed -n 's|/.*||p' "$out/files" | sort -u >"$out/folders"

# docs_agree README TESTING_MD SCRIPTS_TEST SCRIPTS_FUZZ FOLDERS: prints each
# disagreement on a line of its own and fails when there is one.
docs_agree() {
  python3 - "$@" <<"PY"
import math, re, sys
readme, testing, test_script, fuzz_script, folders = (open(p).read() for p in sys.argv[1:])
faults = []

layout = readme.split("\n## Layout\n", 1)[-1].split("\n## ", 1)[0]
named = set(re.findall(r"^\| `([^`/]+)/`", layout, re.M))
for folder in folders.split():
    if folder not in named:
        faults.append(f"README.md: the layout table does not name the folder {folder}/")

# The stages as scripts/test announces them: "== NAME ..." lines, where
# "== $flavour" stands for the words of the loop around it.
run, loop = [], []
for line in test_script.splitlines():
    words = re.match(r"\s*for flavour in ([\w ]+); do", line)
    if words:
        loop = words.group(1).split()
    stage = re.match(r'\s*echo "== (\$flavour|[\w-]+)', line)
    if stage:
        run += loop if stage.group(1) == "$flavour" else [stage.group(1)]
table = testing.split("| stage | what it runs | time |", 1)[-1].split("\n\n", 1)[0]
documented = re.findall(r"^\| `([\w-]+)` \|", table, re.M)
if not run:
    faults.append("scripts/test: no \"== STAGE\" lines found")
if documented != run:
    faults.append(f"docs/testing.md: stages {' '.join(documented)}, but scripts/test runs {' '.join(run)}")

seconds = re.search(r"^fuzz_seconds=(\d+)$", test_script, re.M)
if not seconds or '"$here/scripts/fuzz" "$fuzz_seconds"' not in test_script:
    faults.append("scripts/test: no fuzz_seconds=N given to scripts/fuzz")
else:
    whole = int(seconds.group(1))
    thirds = fuzz_script.count("-max_total_time=$(( (seconds + 2) / 3 ))")
    if '-max_total_time="$seconds"' not in fuzz_script or thirds == 0:
        faults.append("scripts/fuzz: not the whole run for SECONDS and other targets for a third")
    third = math.ceil(whole / 3)
    row = next((l for l in table.splitlines() if l.startswith("| `fuzz` |")), "")
    for words in (f"`scripts/fuzz {whole}`", f"for {whole} s", f"for {third} s each",
                  f"{whole + thirds * third} s of fuzzing"):
        if words not in row:
            faults.append(f"docs/testing.md: the fuzz stage does not say \"{words}\"")

for fault in faults:
    print(fault)
sys.exit(1 if faults else 0)
PY
}

files=("$src/README.md" "$src/docs/testing.md" "$src/scripts/test" "$src/scripts/fuzz")
docs_agree "${files[@]}" "$out/folders" >"$out/real.out"; rc=$?
check "the README names every top-level folder and docs/testing.md the stages of scripts/test" \
  '[ $rc -eq 0 ]' || cat "$out/real.out"

# disagrees NAME EXPECTED FILE...: docs_agree over FILE... fails naming EXPECTED.
disagrees() {
  local name=$1 expected=$2; shift 2
  local rc
  docs_agree "$@" >"$out/fault.out"; rc=$?
  check "$name" '[ $rc -eq 1 ] && grep -qF -- "$expected" "$out/fault.out"' || cat "$out/fault.out"
}
cp "${files[@]}" "$out/"
{ cat "$out/folders"; echo newfolder; } >"$out/more-folders"
disagrees "a top-level folder missing from the layout table is named" \
  "does not name the folder newfolder/" "${files[@]}" "$out/more-folders"
grep -v '^| `bench/` |' "$out/README.md" >"$out/readme-no-bench"
disagrees "a layout row taken out is named" "does not name the folder bench/" \
  "$out/readme-no-bench" "${files[@]:1}" "$out/folders"
sed 's/^for flavour in native sanitize/for flavour in sanitize native/' "$out/test" >"$out/test-swapped"
disagrees "stages run in another order are named" "but scripts/test runs sanitize native" \
  "${files[@]:0:2}" "$out/test-swapped" "$src/scripts/fuzz" "$out/folders"
sed 's/^echo "== bench /echo "== benchmarks /' "$out/test" >"$out/test-renamed"
disagrees "a stage renamed in scripts/test is named" "but scripts/test runs" \
  "${files[@]:0:2}" "$out/test-renamed" "$src/scripts/fuzz" "$out/folders"
sed 's/^fuzz_seconds=.*/fuzz_seconds=90/' "$out/test" >"$out/test-fuzz"
disagrees "another fuzzing time is named" 'does not say "`scripts/fuzz 90`"' \
  "${files[@]:0:2}" "$out/test-fuzz" "$src/scripts/fuzz" "$out/folders"
grep -v 'ksreport_explain_fuzz' "$out/fuzz" >"$out/fuzz-three"
disagrees "a fuzz target fewer changes the total time" "s of fuzzing\"" \
  "${files[@]:0:3}" "$out/fuzz-three" "$out/folders"
check_exit
