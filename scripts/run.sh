#!/usr/bin/env bash
# Installs what is missing, builds the release build and opens Wispel's window; arguments
# are passed to it. Where no display is available it says so in one line and runs one
# headless update over the active sites of the same "Sites.DAT" instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh release
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display available, so no window: one headless update of the active sites follows" >&2
  exec build/release/bin/wispel-fetch --sites
fi
exec build/release/bin/wispel "$@"
