#!/usr/bin/env bash
# Fuzzes one target by hand with libFuzzer for some minutes (10 unless told), starting from its
# committed seeds. New inputs that reach new code collect in build-fuzz/<target>/corpus (copy the
# few worth keeping into tests/fuzz/corpus/<target>/); an input that breaks the target is saved in
# build-fuzz/<target>/ as crash-* or leak-*. Builds with clang (Debian package clang).
#   scripts/fuzz.sh TaskDatabaseFuzz|RuleEngineFuzz|MemoryParsersFuzz [minutes]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
target=${1:?"usage: $0 TaskDatabaseFuzz|RuleEngineFuzz|MemoryParsersFuzz [minutes]"}
minutes=${2:-10}
seeds="$top/tests/fuzz/corpus/$target"
[ -d "$seeds" ] || { echo "fuzz: no target $target (no $seeds)" >&2; exit 2; }
"$top/scripts/setup.sh"
cmake -S "$top" -B "$top/build-fuzz" -G Ninja -DVELMORA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang >/dev/null
cmake --build "$top/build-fuzz" --target "$target"
work="$top/build-fuzz/$target"
mkdir -p "$work/corpus"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
"$top/build-fuzz/tests/fuzz/$target" -max_total_time=$((minutes * 60)) -print_final_stats=1 \
    -artifact_prefix="$work/" "$work/corpus" "$seeds"
