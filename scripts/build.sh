#!/usr/bin/env bash
# build.sh release|asan|tsan [cmake build args...]: configures (once) and builds into
# build/<kind>.
set -euo pipefail
cd "$(dirname "$0")/.."
kind=${1:-release}
shift || true
dir=build/$kind
case "$kind" in
  release) opts=(-DCMAKE_BUILD_TYPE=Release -DWISPEL_SANITIZE=OFF) ;;
  asan)    opts=(-DCMAKE_BUILD_TYPE=Debug -DWISPEL_SANITIZE=ON) ;;
  tsan)    opts=(-DCMAKE_BUILD_TYPE=Debug -DWISPEL_TSAN=ON -DWISPEL_BENCH=OFF) ;;
  *) echo "build.sh: unknown build kind '$kind' (release, asan or tsan)" >&2; exit 2 ;;
esac
# A compiler cache, where the machine has one, makes rebuilds of other checkouts cheap.
if command -v ccache >/dev/null; then
  opts+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
  # Debug builds hash their working folder unless told not to, which would keep two
  # checkouts of the same sources from sharing a single compiled object.
  export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
fi
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja "${opts[@]}"
fi
cmake --build "$dir" "$@"
