#!/usr/bin/env bash
# Installs what is needed, builds, and starts the waterfall screensaver full screen.
source "$(dirname "$0")/common.sh"
install_packages
build_preset plain
cd "$ROOT"
if [ -x build/bin/Rillmoor.scr ]; then
  exec build/bin/Rillmoor.scr /s
fi
echo "Built. The waterfall program build/bin/Rillmoor.scr is not built yet."
