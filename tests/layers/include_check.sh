#!/usr/bin/env bash
# Compiles one line, `#include "HEADER"`, with a layer's include folders and
# says whether that compiles as it should.
#   include_check.sh allowed|refused COMPILER HEADER INCLUDE_DIR...
# "allowed" passes when the line compiles; "refused" when it does not
# because the header cannot be found (any other failure fails the check).
set -uo pipefail
expect=$1 compiler=$2 header=$3
shift 3
flags=()
for dir in "$@"; do flags+=("-I$dir"); done
out=$(printf '#include "%s"\n' "$header" |
  "$compiler" -std=c++20 -fsyntax-only -x c++ "${flags[@]}" - 2>&1)
status=$?
case $expect in
  allowed)
    [ $status -eq 0 ] && exit 0
    printf '%s should compile here, but:\n%s\n' "$header" "$out" >&2
    exit 1 ;;
  refused)
    if [ $status -ne 0 ] && grep -q "$header: No such file" <<<"$out"; then exit 0; fi
    printf '%s should not be found here, but the compiler said (exit %s):\n%s\n' \
      "$header" "$status" "$out" >&2
    exit 1 ;;
esac
echo "include_check.sh: allowed or refused, not $expect" >&2
exit 2
