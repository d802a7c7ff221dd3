#!/usr/bin/env bash
# bench.sh [NAME...]: builds the release build and runs the benchmarks (all, or those named,
# e.g. `bench.sh xml_parse http`). Each compares Wispel with a peer in the same run.
# Not part of the test command: timings belong here, never in a test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh release
names=("$@")
[ ${#names[@]} -gt 0 ] || names=(xml_dom xml_reader xml_parse http feeds update process tablestore_filter tablestore_index tablestore_keyed app app_items)
for name in "${names[@]}"; do
  echo "== bench_$name"
  "build/release/bench/bench_$name"
done
