#!/usr/bin/env bash
# Installs what is needed, builds and runs every test; an optional argument names the
# preset (plain, asan or tsan).
source "$(dirname "$0")/common.sh"
preset="${1:-plain}"
install_packages
build_preset "$preset"
cd "$ROOT"
export QT_QPA_PLATFORM=offscreen
ctest --preset "$preset"
