#!/usr/bin/env bash
# Installs what is needed, builds and runs every test; an optional argument names the
# preset (plain, asan or tsan).
source "$(dirname "$0")/common.sh"
preset="${1:-plain}"
install_packages
build_preset "$preset"
cd "$ROOT"
# Qt runs offscreen; a virtual X server gives the native-window tests a display.
export QT_QPA_PLATFORM=offscreen
xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset "$preset"
