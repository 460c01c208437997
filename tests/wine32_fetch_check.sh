#!/usr/bin/env bash
# tools/wine32/fetch against a mirror of its own: a signed Debian
# suite in a folder, with a wine32:i386 whose i386 dependencies have amd64
# twins, and packages of amd64 and of all architectures:
# - the i386 packages, and only they, are downloaded into the cache, and
#   their paths printed;
# - a second run, with the mirror gone, takes them all from the cache;
# - a cached package whose checksum is not the index's is downloaded again,
#   and a package of another version is deleted;
# - a cached index older than the mirror is read again when a download
#   fails;
# - a version the suite does not offer, an unreadable index and a suite
#   signed with another key exit 77 naming the cause.
#   tests/wine32_fetch_check.sh OUT_DIR
# Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
out=${1:?usage: tests/wine32_fetch_check.sh OUT_DIR}
for tool in apt-get dpkg-deb dpkg-scanpackages gpg flock; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: needs $tool"; exit 77; }
done
suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
[ -n "$suite" ] || { echo "SKIPPED: /etc/os-release names no release"; exit 77; }
rm -rf "$out"; mkdir -p "$out"
out=$(cd "$out" && pwd)
mirror=$out/mirror
export KSREPORT_WINE32_CACHE=$out/cache
export KSREPORT_WINE32_MIRROR=copy:$mirror/ KSREPORT_WINE32_KEYRING=$out/keyring.gpg
# The test's own keys, apart from the environment apt's checks run in.
mkdir -m 700 "$out/gnupg"
keys() { gpg --homedir "$out/gnupg" --batch -q "$@"; }
trap 'gpgconf --homedir "$out/gnupg" --kill all 2>/dev/null' EXIT

# A package: NAME VERSION ARCH [CONTROL LINES...].
package() {
  local dir=$out/src/$1_$3
  mkdir -p "$dir/DEBIAN" "$dir/usr/share/$1"
  printf 'Package: %s\nVersion: %s\nArchitecture: %s\nMaintainer: test <test@ksreport.invalid>\nDescription: test\n' \
    "$1" "$2" "$3" >"$dir/DEBIAN/control"
  echo "$1 $2 $3" >"$dir/usr/share/$1/from"
  shift 3
  [ $# -eq 0 ] || printf '%s\n' "$@" >>"$dir/DEBIAN/control"
  mkdir -p "$mirror/pool"
  dpkg-deb -Zgzip -b "$dir" "$mirror/pool/" >/dev/null
}
# The suite's index, signed with the test's first key.
index() {
  local arch dists=$mirror/dists/$suite file
  for arch in amd64 i386; do
    mkdir -p "$dists/main/binary-$arch"
    (cd "$mirror" && dpkg-scanpackages -a "$arch" pool 2>/dev/null) >"$dists/main/binary-$arch/Packages"
  done
  { printf 'Suite: %s\nCodename: %s\nDate: %s\nArchitectures: amd64 i386\nComponents: main\nSHA256:\n' \
      "$suite" "$suite" "$(LC_ALL=C date -Ru)"
    for file in main/binary-amd64/Packages main/binary-i386/Packages; do
      printf ' %s %s %s\n' "$(sha256sum <"$dists/$file" | cut -d' ' -f1)" "$(stat -c %s "$dists/$file")" "$file"
    done; } >"$dists/Release"
  rm -f "$dists/InRelease"
  keys --clearsign -o "$dists/InRelease" "$dists/Release"
}
keys --passphrase '' --quick-gen-key "ksreport test <test@ksreport.invalid>" ed25519 sign never 2>/dev/null
keys --export >"$KSREPORT_WINE32_KEYRING"
package libbar 1.0-1 i386 "Multi-Arch: same"
package libbar 1.0-1 amd64 "Multi-Arch: same"
package libfoo 2.0-1 i386 "Multi-Arch: same" "Depends: libbar (>= 1.0)"
package libfoo 2.0-1 amd64 "Multi-Arch: same" "Depends: libbar (>= 1.0)"
package wine-data 2.0-1 all "Multi-Arch: foreign"
package wine32 2.0-1 i386 "Depends: libfoo (= 2.0-1), wine-data"
package wine32 1.5-1 i386 "Depends: libfoo"
index
i386_debs="libbar_1.0-1_i386.deb libfoo_2.0-1_i386.deb wine32_2.0-1_i386.deb"
fetch() { bash "$ksr_root/tools/wine32/fetch" "$@" >"$out/fetch.out" 2>"$out/fetch.err"; }
listed() { sed 's|.*/||' "$out/fetch.out" | sort | tr '\n' ' ' | sed 's/ $//'; }
cached() { (cd "$KSREPORT_WINE32_CACHE/debs" && ls | tr '\n' ' ' | sed 's/ $//'); }
same_deb() { cmp -s "$KSREPORT_WINE32_CACHE/debs/$1" "$mirror/pool/$1"; }
said() { grep -q -- "$1" "$out/fetch.err" || { sed 's/^/    /' "$out/fetch.err"; return 1; }; }

fetch 2.0-1; rc=$?
check "first run: the three i386 packages downloaded and listed, nothing else" \
  '[ $rc -eq 0 ] && [ "$(listed)" = "$i386_debs" ] && [ "$(cached)" = "$i386_debs" ] &&
   same_deb wine32_2.0-1_i386.deb && said "downloading 3 of 3 i386 packages"'
# This host's apt.conf.d has update hooks (PackageKit, the software
# catalogue); under the private configuration none is left to run.
check "the host's apt hooks are cleared, its other settings kept" \
  '! APT_CONFIG="$KSREPORT_WINE32_CACHE/apt/apt.conf" apt-config dump | grep -q "Invoke[-A-Za-z]*:: \"." &&
   [ "$(APT_CONFIG="$KSREPORT_WINE32_CACHE/apt/apt.conf" apt-config dump | grep "^Acquire::")" = "$(apt-config dump | grep "^Acquire::")" ]'
check "every listed path is in the cache" \
  'while read -r deb; do [ "${deb%/*}" = "$KSREPORT_WINE32_CACHE/debs" ] && [ -f "$deb" ] || exit 1; done <"$out/fetch.out"'
stamps() { stat -c '%i %Y %n' "$KSREPORT_WINE32_CACHE"/debs/*; }
stamps >"$out/stamps.before"

mv "$mirror" "$out/mirror.away"
fetch 2.0-1; rc=$?
check "second run, the mirror gone: all from the cache, untouched" \
  '[ $rc -eq 0 ] && [ "$(listed)" = "$i386_debs" ] && said "all 3 i386 packages of Wine 2.0-1 are in" &&
   stamps | cmp -s - "$out/stamps.before"'
mv "$out/mirror.away" "$mirror"

printf 'X' | dd of="$KSREPORT_WINE32_CACHE/debs/libfoo_2.0-1_i386.deb" bs=1 seek=100 conv=notrunc status=none
cp "$mirror/pool/wine32_1.5-1_i386.deb" "$KSREPORT_WINE32_CACHE/debs/"
fetch 2.0-1; rc=$?
check "a damaged cached package is downloaded again, another version's deleted" \
  '[ $rc -eq 0 ] && said "downloading 1 of 3 i386 packages" && same_deb libfoo_2.0-1_i386.deb && [ "$(cached)" = "$i386_debs" ]'

# The mirror moves on: the cached index names a file it no longer has.
rm "$mirror/pool/libbar_1.0-1_i386.deb" "$KSREPORT_WINE32_CACHE/debs/libbar_1.0-1_i386.deb"
package libbar 1.0-2 i386 "Multi-Arch: same"
index
fetch 2.0-1; rc=$?
check "a cached index older than the mirror: read again, the new package downloaded" \
  '[ $rc -eq 0 ] && said "reading the package index" && [ "$(cached)" = "libbar_1.0-2_i386.deb libfoo_2.0-1_i386.deb wine32_2.0-1_i386.deb" ]'
i386_debs=$(cached)

fetch 3.0-1; rc=$?
check "a version the suite does not offer: 77, named" \
  '[ $rc -eq 77 ] && said "offers no wine32:i386=3.0-1" && [ "$(cached)" = "$i386_debs" ]'

KSREPORT_WINE32_CACHE=$out/cache2 KSREPORT_WINE32_MIRROR=copy:$out/nowhere/ fetch 2.0-1; rc=$?
check "an index that can't be read, nothing cached: 77, named" '[ $rc -eq 77 ] && said "package index of copy:$out/nowhere/ $suite can.t be read"'

keys --passphrase '' --quick-gen-key "another key <other@ksreport.invalid>" ed25519 sign never 2>/dev/null
keys --export "other@ksreport.invalid" >"$out/other.gpg"
KSREPORT_WINE32_CACHE=$out/cache3 KSREPORT_WINE32_KEYRING=$out/other.gpg fetch 2.0-1; rc=$?
check "an index signed with another key: 77, nothing downloaded" \
  '[ $rc -eq 77 ] && said "can.t be read" && [ -z "$(ls "$out/cache3/debs")" ]'
check_exit
