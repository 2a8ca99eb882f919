#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds, checks the layers, runs every test, then
# builds and runs them all again under AddressSanitizer and UndefinedBehaviorSanitizer, and runs
# the picture fuzz target for a minute.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/check-format.sh
scripts/build.sh build
scripts/check-layers.sh build
(cd build && ctest --output-on-failure -j4)
scripts/check-package.sh build  # the Debian package: complete, valid, installable
scripts/build.sh build-asan -DVIMBEL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && ctest --output-on-failure -j4)
scripts/fuzz.sh 60
