#!/usr/bin/env bash
# Builds the picture fuzz target with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# in its own folder and runs it for SECONDS (default 60) on the generated seeds and the corpus kept
# from earlier runs. Fails on a crash, a sanitizer report, an input that takes more than 5 s, or
# more than 2048 MB of memory; the input that did it is left in build-fuzz/findings/.
#
#   scripts/fuzz.sh [SECONDS] [libFuzzer options ...]      for instance: scripts/fuzz.sh 3600 -jobs=6
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
build=build-fuzz
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVIMBEL_FUZZ=ON >/dev/null
# Set before the build too, which runs the sanitized seed writer (libx265 leaks a little when it
# encodes the HEIC seeds).
export ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cmake --build "$build" -j"$(nproc)" --target picture_fuzz picture_fuzz_seeds >/dev/null
mkdir -p "$build/corpus" "$build/findings"
# The codecs send standard error to /dev/null while they decode (see platform/picture/quietstderr.h);
# with -close_fd_mask=2, libFuzzer and the sanitizers write their reports to a copy of it taken
# before, so a crash or a timeout inside a decode is still reported.
"$build/picture_fuzz" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -detect_leaks=0 \
    -close_fd_mask=2 -print_final_stats=1 -dict=tests/platform/picture/picture_fuzz.dict \
    -artifact_prefix="$build/findings/" "$@" "$build/corpus" "$build/fuzz-seeds"
