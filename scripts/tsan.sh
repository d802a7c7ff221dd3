#!/usr/bin/env bash
# tsan.sh [GTEST_FILTER]: builds the feed tests under ThreadSanitizer into build/tsan and runs
# the tests of the update, whose workers share the engines' process-wide state (the socket
# stack, the node pool's chunk cache, lazily built tables). Any data race fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh tsan --target test_feeds
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
build/tsan/tests/feeds/test_feeds --gtest_filter="${1:-TFeedUpdate.*:TFeedValidators.*}"
