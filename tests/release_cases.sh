# Helpers of tests/release_check.sh, and check_cases: scripts/release
# --check on good and broken packages. Sourced, not run; check_cases uses
# check, here, work, version, epoch, c and the packages zip_a (unsigned)
# and zip_c (signed test release) of the caller. Broken packages get their
# SHA256SUMS as a release does (tools/release/common.sh), so that each
# shows the one fault it was given; the expected faults, and the file
# names and CA file in them, are written here and not taken from the code
# that --check runs.
. "$here/tools/release/common.sh"

# The PE header's time stamp of a program, in seconds since 1970.
pe_stamp() {
  local at; at=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  od -An -tu4 -j$((at + 8)) -N4 "$1" | tr -d ' '
}

# Stops the test when a release it goes on with was not made.
made() {  # ZIP LOG
  [ -f "$1" ] && return 0
  tail -30 "$2"; echo "FAIL: no $1: the checks that need it are not run"; exit 1
}

# Runs a copy of a program as DIR/ksreport.exe under Wine, in DIR.
wine_report() {  # EXE DIR
  rm -rf "$2"; mkdir -p "$2"; cp "$1" "$2/ksreport.exe"
  (cd "$2" && timeout 120 "$KSREPORT_EMULATOR" ./ksreport.exe >/dev/null 2>&1)
}

# Inverts the bits of the byte at OFFSET.
flip_byte() {  # FILE OFFSET
  python3 -c 'import sys
with open(sys.argv[1], "r+b") as f:
    f.seek(int(sys.argv[2])); b = f.read(1); f.seek(int(sys.argv[2])); f.write(bytes([b[0] ^ 0xFF]))' "$1" "$2"
}

# A throwaway certificate authority with a code-signing certificate, and a
# second authority that signed nothing.
make_certificates() {  # DIR
  local dir=$1; mkdir -p "$dir"
  for ca in ca other-ca; do
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$dir/$ca.key" -out "$dir/$ca.pem" -days 2 \
      -subj "/CN=ksreport test $ca" -addext "basicConstraints=critical,CA:TRUE" \
      -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
  done
  openssl req -newkey rsa:2048 -nodes -keyout "$dir/signer.key" -out "$dir/signer.csr" \
    -subj "/CN=ksreport test code signing" 2>/dev/null
  printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >"$dir/signer.ext"
  openssl x509 -req -in "$dir/signer.csr" -CA "$dir/ca.pem" -CAkey "$dir/ca.key" -CAcreateserial \
    -out "$dir/signer.pem" -days 2 -extfile "$dir/signer.ext" 2>/dev/null
}

# An osslsigncode first in PATH that writes each command line, and the
# environment it was given, to LOG.
record_osslsigncode() {  # DIR LOG
  mkdir -p "$1"
  printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s"\nenv >>"%s"\nexec "%s" "$@"\n' "$2" "$2" "$(command -v osslsigncode)" >"$1/osslsigncode"
  chmod +x "$1/osslsigncode"
}

# A copy of ZIP's files in $work/broken/NAME/pkg, to be broken and packed
# again by repack.
unpacked() {  # NAME ZIP
  rm -rf "$work/broken/$1"; mkdir -p "$work/broken/$1"
  unzip -q "$2" -d "$work/broken/$1/pkg"
}
# Packs $work/broken/NAME/pkg as ZIPNAME, with SHA256SUMS made anew if asked.
repack() {  # NAME ZIPNAME [resum]
  local dir=$work/broken/$1
  if [ "${3:-}" = resum ]; then
    release_sums "$dir/pkg"
  fi
  python3 "$here/tools/release/pack-zip.py" "$dir/$2" "$epoch" "$dir/pkg"
}

# scripts/release --check ZIP must fail with COUNT faults, one of them
# "FAIL: REASON".
fails() {  # CASE ZIP COUNT REASON
  local count=$3 reason=$4
  "$here/scripts/release" --check "$2" >"$work/check.out" 2>&1; rc=$? shown=0
  check "--check, $1: fails naming it" \
    '[ $rc -eq 1 ] && grep -qF -- "FAIL: $reason" "$work/check.out" && [ "$(grep -c "^FAIL: " "$work/check.out")" -eq "$count" ] && shown=1'
  show_check_output
}
# After a check, prints what --check said when the check failed.
show_check_output() { [ "$shown" = 1 ] || sed 's/^/    /' "$work/check.out"; }

check_cases() {
release_zip=ksreport-$version-windows.zip test_zip=ksreport-$version-TEST-windows.zip
programs=$(unzip -Z1 "$zip_c" | grep -c '\.exe$')
"$here/scripts/release" --check "$zip_a" >"$work/check.out" 2>&1; rc=$? shown=0
check "--check passes the unsigned package" \
  '[ $rc -eq 0 ] && ! grep -q "^FAIL" "$work/check.out" && tail -n 1 "$work/check.out" | grep -qx "package good: $release_zip (version $version, unsigned)" && shown=1'
show_check_output
KSREPORT_SIGN_CAFILE=$work/certs/ca.pem "$here/scripts/release" --check "$zip_c" >"$work/check.out" 2>&1; rc=$? shown=0
check "--check passes the signed test release, given its authority" \
  '[ $rc -eq 0 ] && [ "$(grep -c ": signature verifies against $work/certs/ca.pem" "$work/check.out")" -eq "$programs" ] && tail -n 1 "$work/check.out" | grep -qx "package good: $test_zip (version $version, signed, TEST RELEASE: not for customers)" && shown=1'
show_check_output
fails "signatures from an authority the system does not know" "$zip_c" "$programs" \
  "x64/ksreport.exe: its signature does not verify against /etc/ssl/certs/ca-certificates.crt"

unpacked missing "$zip_a"; rm "$work/broken/missing/pkg/x64/ksreport.exe"; repack missing "$release_zip" resum
fails "a program missing" "$work/broken/missing/$release_zip" 1 "x64/ksreport.exe is missing"
unpacked sum "$zip_a"; flip_byte "$work/broken/sum/pkg/x86/ksreport.exe" 1100; repack sum "$release_zip"
fails "a wrong checksum" "$work/broken/sum/$release_zip" 1 "x86/ksreport.exe: its SHA-256 checksum is not the one in SHA256SUMS"
unpacked dll "$zip_a"
python3 -c 'import sys; p = sys.argv[1]; d = open(p, "rb").read(); assert d.count(b"SETUPAPI.dll") == 1
open(p, "wb").write(d.replace(b"SETUPAPI.dll", b"SETUPAPX.dll"))' "$work/broken/dll/pkg/x64/ksreport.exe"
repack dll "$release_zip" resum
fails "a program importing a DLL that is not Windows' own" "$work/broken/dll/$release_zip" 1 \
  "x64/ksreport.exe: imports setupapx.dll, which is not a Windows system DLL"
unpacked swap "$zip_a"
mv "$work/broken/swap/pkg/x64/ksreport.exe" "$work/broken/swap/x64.exe"
mv "$work/broken/swap/pkg/x86/ksreport.exe" "$work/broken/swap/pkg/x64/ksreport.exe"
mv "$work/broken/swap/x64.exe" "$work/broken/swap/pkg/x86/ksreport.exe"; repack swap "$release_zip" resum
fails "the x86 and x64 programs swapped" "$work/broken/swap/$release_zip" 2 \
  "x64/ksreport.exe: machine type pei-i386, not pei-x86-64 as x64/ needs"
unpacked big "$zip_a"; head -c 131072 /dev/zero >>"$work/broken/big/pkg/x64/ksreport.exe"; repack big "$release_zip" resum
fails "a program over its size budget" "$work/broken/big/$release_zip" 1 "x64/ksreport.exe: larger than 32768 bytes"
unpacked gui "$zip_a"
at=$(od -An -tu4 -j60 -N4 "$work/broken/gui/pkg/x64/ksreport.exe" | tr -d ' ')
printf '\002' | dd of="$work/broken/gui/pkg/x64/ksreport.exe" bs=1 seek=$((at + 92)) conv=notrunc status=none
repack gui "$release_zip" resum
fails "a program that is not a console program" "$work/broken/gui/$release_zip" 1 "x64/ksreport.exe: not a console program"
unpacked extra "$zip_a"; echo extra >"$work/broken/extra/pkg/x64/helper.dll"; repack extra "$release_zip" resum
fails "a file that does not belong" "$work/broken/extra/$release_zip" 1 "x64/helper.dll does not belong in the package"
unpacked lf "$zip_a"
sed -i 's/\r$//' "$work/broken/lf/pkg/README.txt"; repack lf "$release_zip" resum
fails "README.txt with LF line ends" "$work/broken/lf/$release_zip" 1 "README.txt: not every line ends in CR LF"
unpacked smartscreen "$zip_a"
sed -i 's/"Windows protected your/"Windows kept/' "$work/broken/smartscreen/pkg/README.txt"; repack smartscreen "$release_zip" resum
fails "README.txt not saying what the SmartScreen prompt says" "$work/broken/smartscreen/$release_zip" 1 \
  "README.txt: does not tell the customer what the SmartScreen prompt says"
unpacked claim "$zip_a"
sed -i 's/^4\. A black window may flash briefly/4. No window opens. A black window may flash briefly/' "$work/broken/claim/pkg/README.txt"
repack claim "$release_zip" resum
fails "README.txt claiming that no window opens" "$work/broken/claim/$release_zip" 1 \
  "README.txt: says \"No window opens\", which is not true of every run"
mkdir -p "$work/broken/renamed"; cp "$zip_a" "$work/broken/renamed/ksreport-windows.zip"
fails "a package renamed" "$work/broken/renamed/ksreport-windows.zip" 1 "ksreport-windows.zip: not named ksreport-VERSION-windows.zip"
mkdir -p "$work/broken/text"; echo "not a zip" >"$work/broken/text/$release_zip"
fails "a file that is not a zip" "$work/broken/text/$release_zip" 1 "$release_zip: not a zip archive"

export KSREPORT_SIGN_CAFILE=$work/certs/ca.pem
unpacked tampered "$zip_c"; flip_byte "$work/broken/tampered/pkg/x64/ksreport.exe" 1100; repack tampered "$test_zip" resum
fails "a signed program changed after signing" "$work/broken/tampered/$test_zip" 1 \
  "x64/ksreport.exe: its signature does not verify against $work/certs/ca.pem"
unpacked mixed "$zip_c"; cp "$c/build/release/x64/ksreport-read.exe" "$work/broken/mixed/pkg/x64/"; repack mixed "$test_zip" resum
fails "signed and unsigned programs mixed" "$work/broken/mixed/$test_zip" 1 \
  "some programs are signed and some not; unsigned: x64/ksreport-read.exe"
unpacked posing "$zip_c"; repack posing "$release_zip"
fails "a test release renamed as a release" "$work/broken/posing/$release_zip" 2 \
  "x64/ksreport.exe: \"support@example.invalid\" is in a domain reserved for examples and tests"
unset KSREPORT_SIGN_CAFILE
}
