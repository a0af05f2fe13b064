#!/usr/bin/env bash
# The long mutation run over the GIF reader and its lazy decoder: clang's libFuzzer with
# AddressSanitizer and UndefinedBehaviorSanitizer, seeded with the interoperability set.
# Usage: scripts/fuzz-gif.sh [inputs, default 1000000] [parallel jobs, default 1]
# A crash, a sanitizer report, an input slower than 10 s or an allocation above 300 MB (a frame's
# bitmap may take 256 MB) stops the run and leaves the input in build-fuzz/.
source "$(dirname "$0")/common.sh"
runs="${1:-1000000}"
jobs="${2:-1}"
build="$ROOT/build-fuzz"
flags="-O1 -g -fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S "$ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQM_FUZZ=ON -DQM_BUILD_BENCH=OFF \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$build" -j 4 --target gif_reader_fuzzer gif_fuzz_seeds
export LSAN_OPTIONS="suppressions=$ROOT/tests/lsan.supp"
"$build/tests/gif_fuzz_seeds" --write "$build/gif-seeds"
mkdir -p "$build/gif-corpus"
cd "$build"
# Runs are split between the jobs; each job reports its own count.
if [ "$jobs" -gt 1 ]; then
  "$build/tests/gif_reader_fuzzer" -runs=$((runs / jobs)) -jobs="$jobs" -workers="$jobs" -max_len=8192 -timeout=10 \
    -rss_limit_mb=3072 -malloc_limit_mb=300 -print_final_stats=1 "$build/gif-corpus" "$build/gif-seeds"
else
  "$build/tests/gif_reader_fuzzer" -runs="$runs" -max_len=8192 -timeout=10 -rss_limit_mb=3072 -malloc_limit_mb=300 \
    -print_final_stats=1 "$build/gif-corpus" "$build/gif-seeds"
fi
