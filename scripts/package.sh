#!/usr/bin/env bash
# package.sh: builds the release build and makes the Debian package of it,
# build/wispel_<version>_<arch>.deb. Install it with `apt-get install ./build/wispel_*.deb`.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh lintian
bash scripts/build.sh release
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack --config build/release/CPackConfig.cmake -B "$work" >&2
made=()
for deb in "$work"/wispel_*.deb; do
  mv "$deb" build/
  made+=("build/$(basename "$deb")")
done
# Debian's own checks of the package: errors fail the script, warnings are shown.
lintian --fail-on error "${made[@]}" >&2
printf '%s\n' "${made[@]}"
