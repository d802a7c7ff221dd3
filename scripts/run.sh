#!/usr/bin/env bash
# Installs what is missing, builds the release build and runs Wispel. Until the window
# program exists this runs the headless feed tool; arguments are passed through.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh release
exec build/release/bin/wispel-fetch "$@"
