#!/usr/bin/env bash
# Measures a real full-screen run: for each screen size a virtual X server (24-bit, black root)
# starts and the program runs for twenty seconds in the screen's size at the given depth, and
# bench/scene_probe prints frames per second, CPU per frame, CPU share, peak memory, the
# time to the first frame and the CPU time the program took until then (and the X server's
# CPU share). The settings are the first run's, made by a short run beforehand, with the mode
# fixed, so the measured runs are ordinary ones. With --repeat, each size ends with the best
# CPU per frame, time to the first frame and CPU time until then, and their spread.
# Needs a plain build: build/ (cmake --build --preset plain), or the folder given by --build
# or $QM_BUILD_DIR; --program picks another program than that build's waterfall.
#
#   bench/measure-run.sh [--build DIR] [--program PATH] [--sizes "1024x768 1280x1024"]
#                        [--depth 24] [--seconds 20] [--repeat 1]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
build="${QM_BUILD_DIR:-$ROOT/build}"
program=""
sizes="1024x768 1280x1024"
depth=24
seconds=20
repeat=1
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build="$2"; shift 2 ;;
    --program) program="$2"; shift 2 ;;
    --sizes) sizes="$2"; shift 2 ;;
    --depth) depth="$2"; shift 2 ;;
    --seconds) seconds="$2"; shift 2 ;;
    --repeat) repeat="$2"; shift 2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
program="${program:-$build/bin/Rillmoor.scr}"
probe="$build/bench/scene_probe"
for tool in "$program" "$probe"; do
  [ -x "$tool" ] || { echo "missing $tool: build the plain preset first" >&2; exit 2; }
done

work="$(mktemp -d)"
server=""
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Starts Xvfb on a free display; sets $server and $DISPLAY.
start_server() {
  local size="$1"
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 "${size}x24" -br -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  server=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.05
  done
  [ -s "$work/display" ] || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
  export DISPLAY=":$(cat "$work/display")"
}

stop_server() {
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
  server=""
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-10s %4s %8s %10s %9s %9s %10s %13s %10s\n' size run fps cpu_ms/fr cpu_% peak_MB first_ms first_cpu_ms server_%
# Runs the program under the probe for $1 seconds, measuring from $2 seconds after its first
# frame; the probe's report in $out.
probe_run() {
  out="$(XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" "$probe" --seconds "$1" --warmup "$2" \
    --server-pid "$server" -- "$program" /s 2>"$work/probe.log")" || { cat "$work/probe.log" >&2; return 1; }
}

for size in $sizes; do
  start_server "$size"
  rm -rf "$work/config" && mkdir "$work/config"
  # The first run only writes the settings: it may end before its first picture on a busy
  # machine, and is not measured.
  registry="$work/config/quillmont/registry.txt"
  probe_run 5 0.1 2>/dev/null || [ -s "$registry" ] || { echo "the first run wrote no settings" >&2; exit 1; }
  sed -i -e 's/^"flag_defres"=dword:.*/"flag_defres"=dword:00000000/' \
    -e "s/^\"ColorDepth\"=dword:.*/\"ColorDepth\"=dword:$(printf '%08x' "$depth")/" "$registry"
  stop_server
  : >"$work/runs"
  for run in $(seq "$repeat"); do
    start_server "$size"
    probe_run "$seconds" 2 || exit 1
    stop_server
    value() { awk -v k="$1" '$1 == k { print $2 }' <<<"$out"; }
    printf '%-10s %4s %8s %10s %9s %9s %10s %13s %10s\n' "$size" "$run" "$(value frames_per_second)" \
      "$(value cpu_ms_per_frame)" "$(value cpu_share_percent)" "$(value peak_memory_mb)" \
      "$(value first_frame_ms)" "$(value first_frame_cpu_ms)" "$(value server_cpu_share_percent)"
    echo "$(value cpu_ms_per_frame) $(value first_frame_ms) $(value first_frame_cpu_ms)" >>"$work/runs"
  done
  if [ "$repeat" -gt 1 ]; then
    awk -v size="$size" 'NR == 1 { c0 = c1 = $1; f0 = f1 = $2; p0 = p1 = $3 }
      { if ($1 < c0) c0 = $1; if ($1 > c1) c1 = $1; if ($2 < f0) f0 = $2; if ($2 > f1) f1 = $2
        if ($3 < p0) p0 = $3; if ($3 > p1) p1 = $3 }
      END { printf "%-10s best cpu_ms/fr %.3f (spread %.3f), first_ms %d (spread %d), first_cpu_ms %d (spread %d)\n",
                   size, c0, c1 - c0, f0, f1 - f0, p0, p1 - p0 }' "$work/runs"
  fi
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
