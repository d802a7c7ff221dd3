#!/usr/bin/env bash
# fuzz.sh SECONDS: builds the libFuzzer target with clang under AddressSanitizer and runs it
# for SECONDS (default 60) on the kept corpus in tests/fuzz/corpus, adding what it finds.
# Not part of the test command.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
bash scripts/setup.sh clang libclang-rt-14-dev
dir=build/fuzz
# Every library is instrumented for coverage; only the target links the fuzzer's main.
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
    -DWISPEL_SANITIZE=ON -DWISPEL_BENCH=OFF
fi
cmake --build "$dir" --target fuzz_xml_parse -j2
mkdir -p tests/fuzz/corpus "$dir/artifacts"
export ASAN_OPTIONS=detect_leaks=1
"$dir/fuzz/fuzz_xml_parse" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
  -dict=tests/fuzz/xml.dict \
  -rss_limit_mb=2048 -artifact_prefix="$dir/artifacts/" tests/fuzz/corpus tests/data/xml
