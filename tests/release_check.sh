#!/usr/bin/env bash
# The release from end to end, on clones of the commit under test (the
# uncommitted changes of tracked files included, as a commit of their own):
# - two releases in different folders, at different times, time zones and
#   umasks give the same programs and the same zip, dated from the commit;
# - refusals: the placeholder address, reserved domains, a tag that
#   disagrees with the version, a tree with changes;
# - a test release signed with a throwaway certificate authority: it
#   verifies, a changed byte does not, the password shows nowhere, removing
#   the signature gives back the unsigned program, and the signed
#   ksreport.exe writes under Wine the report the unsigned one writes;
# - scripts/release --check on good packages and on broken ones.
#   tests/release_check.sh WORK_DIR
# Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
here=$ksr_root
work=${1:?usage: tests/release_check.sh WORK_DIR}
export KSREPORT_EMULATOR=$here/tools/wine/run
for tool in git cmake python3 unzip sha256sum openssl osslsigncode x86_64-w64-mingw32-g++-posix \
  i686-w64-mingw32-g++-posix x86_64-w64-mingw32-objdump x86_64-w64-mingw32-windres /usr/lib/wine/wine64; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: the release test needs $tool (scripts/install-deps)"; exit 77; }
done
rm -rf "$work"; mkdir -p "$work"
work=$(cd "$work" && pwd)
. "$here/tests/release_cases.sh"

# The commit under test, and one clone of it per release.
rev=$(GIT_AUTHOR_NAME=test GIT_AUTHOR_EMAIL=test@ksreport.invalid GIT_COMMITTER_NAME=test \
  GIT_COMMITTER_EMAIL=test@ksreport.invalid git -C "$here" stash create 2>/dev/null)
[ -z "$rev" ] || echo "note: testing the uncommitted changes of tracked files as commit $rev"
rev=${rev:-$(git -C "$here" rev-parse HEAD)}
clone() { git clone -q --shared --no-checkout "$here" "$1" && git -C "$1" checkout -q --detach "$rev"; }
a=$work/a b=$work/second/folder-with-a-longer-name c=$work/c
clone "$a" && clone "$b" && clone "$c" || { echo "FAIL: cannot clone $rev"; exit 1; }
version=$(sed -n 's/^project(ksreport VERSION \([0-9.]*\) .*/\1/p' "$a/CMakeLists.txt")
epoch=$(git -C "$a" log -1 --format=%ct)
address=help@ksreport-support.net
zip_a=$a/dist/ksreport-$version-windows.zip zip_b=$b/dist/ksreport-$version-windows.zip
zip_c=$c/dist/ksreport-$version-TEST-windows.zip

echo "-- refusals"
refused() {  # NAME PATTERN [env assignments...] -- release arguments...
  local name=$1 pattern=$2; shift 2
  local envs=(); while [ "$1" != -- ]; do envs+=("$1"); shift; done; shift
  (cd "$c" && env "${envs[@]}" ./scripts/release "$@" >"$work/refused.out" 2>"$work/refused.err"); rc=$?
  check "refused, $name" '[ $rc -ne 0 ] && grep -q -- "$pattern" "$work/refused.err" && [ -z "$(ls "$c/dist" 2>/dev/null)" ]'
}
refused "without an address: the placeholder is named" "placeholder address" --
refused "the placeholder given as the address" "reserved for examples" -- --feedback support@example.invalid
refused "an address of example.com from the environment" "reserved for examples" \
  KSREPORT_FEEDBACK_ADDRESS=help@example.com --
refused "something that is not an address" "not a plain e-mail address" -- --feedback 'help at home'
touch "$c/stray-file"
refused "a tree with files not committed" "not committed" -- --feedback "$address"
rm "$c/stray-file"
git -C "$c" tag v9.9.9
refused "a tag that is not the project version" "tagged v9.9.9, but the project version is $version" -- --test-release
git -C "$c" tag -d v9.9.9 >/dev/null

echo "-- two releases of one commit"
git -C "$a" tag "v$version"
start_a=$(date +%s)
(cd "$a" && umask 022 && TZ=UTC ./scripts/release --feedback "$address") >"$work/a.log" 2>&1
check "release in $a" '[ -f "$zip_a" ]'
made "$zip_a" "$work/a.log"
sleep 1
start_b=$(date +%s)
(cd "$b" && umask 077 && TZ=Pacific/Kiritimati KSREPORT_FEEDBACK_ADDRESS=$address ./scripts/release) >"$work/b.log" 2>&1
check "release in $b, later, in another time zone and umask" '[ -f "$zip_b" ] && [ "$start_b" -gt "$start_a" ]'
made "$zip_b" "$work/b.log"
check "the zips are byte for byte the same" 'cmp "$zip_a" "$zip_b"'
for exe in "$a"/build/release/package/*/*.exe; do
  name=${exe#"$a/build/release/package/"}
  check "$name is byte for byte the same" 'cmp "$exe" "$b/build/release/package/$name"'
  check "$name: the PE time stamp is the commit time" '[ "$(pe_stamp "$exe")" = "$epoch" ]'
done
expected_names="README.txt SHA256SUMS x64/ksreport-capture.exe x64/ksreport-read.exe x64/ksreport.exe x86/ksreport-capture.exe x86/ksreport.exe"
check "the zip holds, in this order: $expected_names" '[ "$(unzip -Z1 "$zip_a" | tr "\n" " ")" = "$expected_names " ]'
zip_time=$(date -u -d "@$((epoch - epoch % 2))" +%Y%m%d.%H%M%S)
check "every entry is dated at the commit ($zip_time UTC) with fixed modes" \
  '[ "$(unzip -Z1 "$zip_a" | wc -l)" -gt 0 ] && [ -z "$(unzip -Z -T "$zip_a" | grep -E "^-" | grep -v -E "^-(rw-r--r--|rwxr-xr-x) .* $zip_time ")" ] && [ "$(unzip -Z "$zip_a" | grep -c "^-rwxr-xr-x .*\.exe$")" -eq "$(unzip -Z1 "$zip_a" | grep -c "\.exe$")" ]'
unzip -q "$zip_a" -d "$work/pkg-a"
readme=$work/pkg-a/README.txt
check "README.txt: CR LF lines, the version, the address, no test notice, nothing left to fill in" \
  'crlf_lines "$readme" && head -n 1 "$readme" | grep -q "^ksreport $version - " && grep -q "^       $address"$'"'"'\r$'"'"' "$readme" && ! grep -q "TEST\|@[A-Z_]*@" "$readme"'
check "SHA256SUMS checks" '(cd "$work/pkg-a" && sha256sum --quiet -c SHA256SUMS)'
wine_report "$work/pkg-a/x64/ksreport.exe" "$work/wine-a"
check "x64/ksreport.exe under Wine: banner with the version, closing line with the address" \
  'head -n 1 "$work/wine-a/ksreport.txt" | grep -q "^ksreport $version - " && [ "$(tail -n 1 "$work/wine-a/ksreport.txt")" = "Please send this file to $address!"$'"'"'\r'"'"' ]'
"$KSREPORT_EMULATOR" "$work/pkg-a/x64/ksreport-read.exe" --version >"$work/read-version" 2>/dev/null
check "x64/ksreport-read.exe --version under Wine: ksreport-read $version" \
  '[ "$(od -An -c "$work/read-version" | tr -s " ")" = "$(printf "ksreport-read %s\r\n" "$version" | od -An -c | tr -s " ")" ]'

echo "-- a test release, signed with a throwaway certificate"
make_certificates "$work/certs"
password="pw-$RANDOM$RANDOM-not-to-be-seen"
openssl pkcs12 -export -inkey "$work/certs/signer.key" -in "$work/certs/signer.pem" \
  -certfile "$work/certs/ca.pem" -out "$work/certs/signer.p12" -passout fd:3 3< <(printf '%s' "$password")
record_osslsigncode "$work/shim" "$work/osslsigncode-args"
(cd "$c" && PATH=$work/shim:$PATH KSREPORT_SIGN_PKCS12=$work/certs/signer.p12 KSREPORT_SIGN_PASSWORD=$password \
  KSREPORT_SIGN_CAFILE=$work/certs/ca.pem ./scripts/release --test-release) >"$work/c.log" 2>&1
check "signed test release, named as one" '[ -f "$zip_c" ] && grep -q "^signed$" "$work/c.log"'
made "$zip_c" "$work/c.log"
check "the password is on no command line, in no log and in the environment of no program" \
  '! grep -rqF -- "$password" "$work/c.log" "$work/osslsigncode-args" "$c/build/release" && grep -q "^sign .*-readpass /dev/fd/" "$work/osslsigncode-args" && ! grep -q -- "-pass " "$work/osslsigncode-args"'
unzip -q "$zip_c" -d "$work/pkg-c"
check "README.txt of the test release says so first" \
  'crlf_lines "$work/pkg-c/README.txt" && [ "$(head -n 1 "$work/pkg-c/README.txt")" = "TEST RELEASE - NOT FOR CUSTOMERS"$'"'"'\r'"'"' ]'
for exe in "$work"/pkg-c/*/*.exe; do
  name=${exe#"$work/pkg-c/"}
  check "$name: SHA-256 Authenticode signature chains to the throwaway authority" \
    'osslsigncode verify -in "$exe" -CAfile "$work/certs/ca.pem" >"$work/v.log" 2>&1 && grep -q "Message digest algorithm *: SHA256" "$work/v.log"'
  check "$name: does not verify against another authority" \
    '! osslsigncode verify -in "$exe" -CAfile "$work/certs/other-ca.pem" >/dev/null 2>&1'
  osslsigncode remove-signature -in "$exe" -out "$work/bare.exe" >/dev/null 2>&1
  check "$name: without its signature, the unsigned build byte for byte" \
    'cmp "$work/bare.exe" "$c/build/release/${name%%/*}/$(basename "$exe")"'
  rm -f "$work/bare.exe"
  cp "$exe" "$work/tampered.exe"
  flip_byte "$work/tampered.exe" 1100
  check "$name with one byte changed: verification fails" \
    '! osslsigncode verify -in "$work/tampered.exe" -CAfile "$work/certs/ca.pem" >/dev/null 2>&1'
done
wine_report "$work/pkg-c/x64/ksreport.exe" "$work/wine-signed"
wine_report "$c/build/release/x64/ksreport.exe" "$work/wine-unsigned"
check "the signed ksreport.exe writes the unsigned one's report under Wine" \
  'cmp "$work/wine-signed/ksreport.txt" "$work/wine-unsigned/ksreport.txt"'
if [ -f "$here/build/win64/ksreport.exe" ]; then
  wine_report "$here/build/win64/ksreport.exe" "$work/wine-test-build"
  check "... and the report of the test build (build/win64) too" \
    'cmp "$work/wine-signed/ksreport.txt" "$work/wine-test-build/ksreport.txt"'
fi
echo "-- the signed ksreport.exe as a user sees it"
bash "$here/tests/wine_exe_checks.sh" "$work/pkg-c/x64/ksreport.exe" "$work/wine-checks" >"$work/wine-checks.log" 2>&1
rc=$?; sed 's/^/  /' "$work/wine-checks.log"
check "tests/wine_exe_checks.sh passes on the signed program" '[ $rc -eq 0 ]'

echo "-- scripts/release --check"
check_cases
check_exit
