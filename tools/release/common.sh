# What a release package is, for the scripts that make it and check it.
# Sourced, not run.

release_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Prints the shipped programs, one "FOLDER TARGET BUDGET" a line.
release_programs() {
  sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$release_dir/programs"
}

# The mingw-w64 prefix of a package folder's compilers.
release_tool_prefix() {
  case "$1" in
    x86) echo i686-w64-mingw32 ;;
    x64) echo x86_64-w64-mingw32 ;;
    *) return 1 ;;
  esac
}

# The PE file format, as objdump names it, of a package folder's programs.
release_pe_format() {
  case "$1" in
    x86) echo pei-i386 ;;
    x64) echo pei-x86-64 ;;
    *) return 1 ;;
  esac
}

# The certificate authorities a signature must chain to:
# KSREPORT_SIGN_CAFILE, else the system's.
release_ca_file() {
  echo "${KSREPORT_SIGN_CAFILE:-/etc/ssl/certs/ca-certificates.crt}"
}

# Writes DIR/SHA256SUMS: the SHA-256 of every other file below DIR, in the
# byte order of their names.
release_sums() {  # DIR
  (cd "$1" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort | xargs sha256sum >SHA256SUMS)
}

# Prints the package's README.txt, in CR LF, from README.txt.in; a test
# release says so first.
release_readme() {  # VERSION ADDRESS TEST(0|1)
  local text notice=""
  [ "$3" = 0 ] || notice=$'TEST RELEASE - NOT FOR CUSTOMERS\n\n'
  text=$(<"$release_dir/README.txt.in")
  text=${text//@TEST_NOTICE@/"$notice"}
  text=${text//@VERSION@/"$1"}
  text=${text//@ADDRESS@/"$2"}
  printf '%s\n' "$text" | sed 's/$/\r/'
}

# The package's file name; a test release says so in its name.
release_zip_name() {  # VERSION TEST(0|1)
  if [ "$2" = 1 ]; then echo "ksreport-$1-TEST-windows.zip"; else echo "ksreport-$1-windows.zip"; fi
}

# Succeeds when ADDRESS can go to customers: a plain address whose domain
# is not one of those reserved for examples and tests, where no mail
# arrives (the build's placeholder is one). Prints the reason otherwise.
release_address_usable() {
  local address=$1 domain
  if ! [[ $address =~ ^[A-Za-z0-9._%+-]+@[A-Za-z0-9-]+(\.[A-Za-z0-9-]+)+$ ]]; then
    echo "\"$address\" is not a plain e-mail address (name@domain)"
    return 1
  fi
  domain=${address##*@}; domain=${domain,,}
  case ".$domain" in
    *.invalid|*.test|*.example|*.localhost|*.example.com|*.example.net|*.example.org)
      echo "\"$address\" is in a domain reserved for examples and tests: no mail reaches it"
      return 1 ;;
  esac
}
