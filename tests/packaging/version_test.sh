#!/usr/bin/env bash
# One version everywhere: what the build made from CMake's project version
# (the change log, the AppStream release, both man pages, the CLI's
# --version, the Debian package's settings) names that version and no other.
#
#   version_test.sh VERSION TUNEBELT_CLI GENERATED_DIR CPACK_CONFIG
set -uo pipefail

version=$1 cli=$2 generated=$3 cpack=$4
failures=0
check() {  # check WHAT EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then
    printf 'ok   %s: %s\n' "$1" "$3"
  else
    failures=$((failures + 1))
    printf 'FAIL %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3"
  fi
}

check "change log" "$version" "$(dpkg-parsechangelog -l "$generated/changelog" -S Version)"
check "AppStream release" "$version" \
  "$(grep -o '<release version="[^"]*"' "$generated/net.tunebelt.Tunebelt.metainfo.xml" |
    head -n 1 | sed 's/.*version="\(.*\)"/\1/')"
for page in tunebelt.1 tunebelt-cli.1; do
  check "man page $page" "\"Tunebelt $version\"" \
    "$(sed -n 's/^\.TH [^ ]* 1 "[^"]*" \("[^"]*"\).*/\1/p' "$generated/$page")"
done
check "tunebelt-cli --version" "tunebelt-cli $version" "$("$cli" --version | head -n 1)"
check "Debian package" "$version" \
  "$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$cpack")"
# No template carries a version of its own.
stray=$(grep -rn -E '[0-9]+\.[0-9]+\.[0-9]+' "$generated"/changelog \
  "$generated"/net.tunebelt.Tunebelt.metainfo.xml "$generated"/tunebelt.1 \
  "$generated"/tunebelt-cli.1 | grep -v -F "$version" || true)
check "no other version in the generated files" "" "$stray"

[ "$failures" -eq 0 ]
