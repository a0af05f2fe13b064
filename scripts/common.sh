# Shared by run.sh and test.sh: install the packages once, configure and build one preset.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# An optional argument names another list of packages than packages.txt.
install_packages() {
  local list="${1:-$ROOT/scripts/packages.txt}" wanted missing=()
  wanted=$(grep -v '^#' "$list" | xargs)
  for p in $wanted; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

build_preset() {
  cmake --preset "$1" -S "$ROOT" >/dev/null
  cmake --build --preset "$1" -j "$(nproc)"
}
