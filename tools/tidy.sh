#!/usr/bin/env bash
# clang-tidy (.clang-tidy at the top) over the sources of the core, the
# platform layer and the CLI that a build compiles, two at a time.
#   tools/tidy.sh BUILD_DIR
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:?usage: tools/tidy.sh BUILD_DIR}"
tidy="$(command -v clang-tidy || command -v clang-tidy-14)"
# Every .cpp of src/core, src/platform and src/cli in the compile commands.
mapfile -t files < <(grep -oE '"file": *"[^"]+"' "$build/compile_commands.json" |
  sed -E 's/"file": *"(.*)"/\1/' | grep -E "^$root/src/(core|platform|cli)/.*\.cpp$" | sort -u)
[ "${#files[@]}" -gt 0 ] || { echo "tools/tidy.sh: no sources in $build" >&2; exit 1; }
printf '%s\n' "${files[@]}" | xargs -P 2 -n 4 "$tidy" -p "$build" --quiet
echo "clang-tidy: ${#files[@]} files clean"
