#!/usr/bin/env bash
# The long mutation runs of the readers of outside data, under AddressSanitizer with
# UndefinedBehaviorSanitizer: every target runs its seeds and then a million mutated inputs
# (or the number given). Any allocation above 64 MiB counts as a fault, as does any report.
#   ./scripts/fuzz.sh [runs]
source "$(dirname "$0")/common.sh"
runs="${1:-1000000}"
install_packages
build_preset asan
export ASAN_OPTIONS="max_allocation_size_mb=64:allocator_may_return_null=0:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
work="$ROOT/build-asan/fuzz/work"
mkdir -p "$work"
cd "$work"
run() {
  local target=$1
  shift
  echo "== $target: $runs mutated inputs"
  "$ROOT/build-asan/fuzz/$target" --runs "$runs" "$@"
}
run fuzz_icon_file "$ROOT/resources/imaging/qm_handcur.cur" "$ROOT/resources/imaging/qm_dragcur.cur"
