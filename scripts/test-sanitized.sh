#!/usr/bin/env bash
# Builds everything with address, leak and undefined-behaviour checks into build-sanitize/ and runs
# every test there. A finding ends the test that made it, so ctest reports it as a failure.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
# Line tables only and light optimisation: the build is what this step costs.
cmake -S "$top" -B "$top/build-sanitize" -G Ninja -DVELMORA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DCMAKE_C_FLAGS_DEBUG="-O1 -g1" >/dev/null
cmake --build "$top/build-sanitize" -j "$(nproc)"
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export LSAN_OPTIONS="suppressions=$top/scripts/sanitizer-suppressions.txt:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$top/build-sanitize"
ctest --output-on-failure -j "$(nproc)" --timeout 600
