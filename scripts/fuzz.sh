#!/usr/bin/env bash
# The long mutation runs: builds the fuzz targets with clang's mutation engine under
# AddressSanitizer and UndefinedBehaviorSanitizer into build-fuzz/, then runs each from its
# seeds for a million inputs (or the count given), shared out over FUZZ_JOBS processes (4).
# A crash, a sanitizer report, an allocation over 300 MiB (more than any checked picture size
# allows) or an input taking over 10 s stops a process; the input that did it is left in
# build-fuzz/, and each process's log in build-fuzz/fuzz-<n>.log. FUZZ_TARGETS names some of
# the targets (all by default).
source "$(dirname "$0")/common.sh"
runs="${1:-1000000}"
jobs="${FUZZ_JOBS:-4}"
install_packages
install_packages "$ROOT/scripts/fuzz-packages.txt"
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S "$ROOT" -B "$ROOT/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQM_BUILD_BENCH=OFF -DQM_FUZZ_ENGINE=ON \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$ROOT/build-fuzz" --target fuzz_bmp fuzz_gif fuzz_icon fuzz_realsize_icon fuzz_iconlist fuzz_ani \
  gif_seeds icon_seeds -j "$(nproc)"
# The GIF seeds, the interoperability set, are written by the reference GIF library; the
# real-size icon, icon-list and animated-cursor seeds from the published layouts.
LSAN_OPTIONS="suppressions=$ROOT/tests/lsan.supp" "$ROOT/build-fuzz/tests/gif_seeds" "$ROOT/build-fuzz/fuzz/seeds/gif"
"$ROOT/build-fuzz/tests/icon_seeds" "$ROOT/build-fuzz/fuzz/seeds"
export QT_QPA_PLATFORM=offscreen
# Large pictures pass through; a smaller quarantine keeps the run's memory well below its limit.
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=32}"
for target in ${FUZZ_TARGETS:-bmp gif icon realsize_icon iconlist ani}; do
  corpus="$ROOT/build-fuzz/corpus/$target"
  seeds="$ROOT/tests/fuzz/seeds/$target"
  [ -d "$seeds" ] || seeds="$ROOT/build-fuzz/fuzz/seeds/$target"
  # GIF seeds run to hundreds of kilobytes; mutations of the first 8 KiB reach every block kind.
  limits=()
  [ "$target" = gif ] && limits=(-max_len=8192)
  mkdir -p "$corpus"
  rm -f "$ROOT"/build-fuzz/fuzz-*.log
  (cd "$ROOT/build-fuzz" && "./fuzz/fuzz_$target" -jobs="$jobs" -workers="$jobs" -runs=$(((runs + jobs - 1) / jobs)) \
    -malloc_limit_mb=300 -timeout=10 -artifact_prefix="$ROOT/build-fuzz/fuzz_$target-" "${limits[@]}" \
    "$corpus" "$seeds")
  if grep -l -E "ERROR|SUMMARY" "$ROOT"/build-fuzz/fuzz-*.log; then
    echo "fuzz_$target: a run stopped at a fault (logs above)" >&2
    exit 1
  fi
  grep -h "^Done" "$ROOT"/build-fuzz/fuzz-*.log
done
