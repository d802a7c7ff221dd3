#!/usr/bin/env bash
# fuzz.sh [SECONDS] [TARGET]: builds a libFuzzer target with clang under AddressSanitizer and
# runs it for SECONDS (default 60) on its kept corpus, adding what it finds. Not part of the
# test command. Targets (default xml_parse):
#   xml_parse   the XML parser            corpus tests/fuzz/corpus
#   table_data  a table's data file open  corpus tests/fuzz/corpus-table-data
#   filter_compile  the filter compiler   corpus tests/fuzz/corpus-filter
#   http_reply  the HTTP client's replies corpus tests/fuzz/corpus-http-reply
#   table_index a table's index file open  corpus tests/fuzz/corpus-table-index
#   table_blob  a table's blob file       corpus tests/fuzz/corpus-table-blob
#   subscription  OPML lists and web pages announcing feeds  corpus tests/fuzz/corpus-subscription
# The table targets first write files with a crash note (an interrupted operation's note in
# the index header) into their corpus. RSS_MB (default 2048) caps the target's memory.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
target=${2:-xml_parse}
case "$target" in
  xml_parse)
    corpus=tests/fuzz/corpus
    options=(-max_len=4096 -dict=tests/fuzz/xml.dict)
    seeds=(tests/data/xml) ;;
  table_data)
    corpus=tests/fuzz/corpus-table-data
    options=(-max_len=8192)
    seeds=(tests/data/tablestore tests/data/tablestore/corrupt) ;;
  filter_compile)
    corpus=tests/fuzz/corpus-filter
    options=(-max_len=2048 -dict=tests/fuzz/filter.dict)
    seeds=(tests/data/tablestore/filters) ;;
  http_reply)
    corpus=tests/fuzz/corpus-http-reply
    options=(-max_len=4096 -dict=tests/fuzz/http.dict)
    seeds=() ;;
  table_index)
    corpus=tests/fuzz/corpus-table-index
    options=(-max_len=16384)
    seeds=(tests/data/tablestore/index) ;;
  table_blob)
    corpus=tests/fuzz/corpus-table-blob
    options=(-max_len=16384)
    seeds=() ;;
  subscription)
    corpus=tests/fuzz/corpus-subscription
    options=(-max_len=8192 -dict=tests/fuzz/subscription.dict)
    seeds=(tests/data/feeds/opml) ;;
  *) echo "fuzz.sh: unknown target '$target'" >&2; exit 2 ;;
esac
bash scripts/setup.sh clang libclang-rt-14-dev
dir=build/fuzz
# Every library is instrumented for coverage; only the target links the fuzzer's main.
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
    -DWISPEL_SANITIZE=ON -DWISPEL_BENCH=OFF
fi
cmake --build "$dir" --target "fuzz_$target" -j2
mkdir -p "$corpus" "$dir/artifacts"
case "$target" in
  table_data|table_index) export WISPEL_FUZZ_NOTE_SEEDS="$corpus" ;;
esac
export ASAN_OPTIONS=detect_leaks=1
"$dir/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 "${options[@]}" \
  -rss_limit_mb="${RSS_MB:-2048}" -artifact_prefix="$dir/artifacts/" "$corpus" ${seeds[@]+"${seeds[@]}"}
