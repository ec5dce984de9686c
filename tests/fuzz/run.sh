#!/usr/bin/env bash
# Builds the fuzz target in its own clang tree and runs it for SECONDS (default 45) over a
# corpus seeded from examples/, the reader's fixtures and tests/fuzz/seeds/. Inputs that
# find new paths are kept in BUILD/corpus and reused by the next run; a crash or broken
# promise stops the run with its input saved as BUILD/crash-* (exit status not 0).
#   tests/fuzz/run.sh [SECONDS] [BUILD]        BUILD defaults to out/fuzz
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-45}
build=${2:-${TOLVANE_OUT:-$root/out}/fuzz}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTOLVANE_FUZZ=ON -DTOLVANE_TESTS=OFF -DTOLVANE_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --target fuzz_quenlow -j "$(nproc)"

rm -rf "$build/seeds"
python3 "$root/tests/fuzz/make_seeds.py" "$root" "$build/seeds"
mkdir -p "$build/corpus"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  "$build/tests/fuzz/fuzz_quenlow" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -artifact_prefix="$build/" -print_final_stats=1 "$build/corpus" "$build/seeds"
