#!/usr/bin/env bash
# Drives the tabbed dialog of control_form with real X input on a virtual desktop of its own:
# a check box, radios (one of them disabled), the tabs, the track bar's keys, a city chosen from
# the combo box's list, the clock switch that disables an edit, Escape; then checks what the
# form reported, in order.
set -euo pipefail
form="$1"
shots="${2:-}"  # a folder for a screenshot of each tab, when given
if [[ "${INNER:-}" != 1 ]]; then
  exec env INNER=1 xvfb-run -a -s "-screen 0 640x480x24" "$0" "$@"
fi
export QT_QPA_PLATFORM=xcb
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
"$form" dialog >"$out" 2>"$err" &
pid=$!
for _ in $(seq 200); do grep -q ready "$out" && break; sleep 0.1; done
sleep 0.5
shot() { if [[ -n "$shots" ]]; then xwd -root -silent | convert xwd:- -crop 460x385+0+0 "$shots/$1.png"; fi; }
click() { xdotool mousemove "$1" "$2" click 1 && sleep 0.3; }
# The form's client area is at the desktop's origin; the sheets at (12, 152).
shot settings
click 45 184                 # "Play Sound"
click 45 320                 # "Fast"
click 100 138                # the "Display" tab
shot display
click 45 216                 # "1152x864", disabled
click 45 184                 # "800x600"
click 420 185                # the track bar's thumb, at 256
xdotool key --delay 100 Left Left Home && sleep 0.3
click 175 138                # the "Time of Day" tab
click 420 202                # the combo box's arrow opens its list
sleep 1
xdotool key --delay 100 Down Down Return && sleep 0.3
shot time-of-day
click 240 138                # the "Clock" tab
click 85 192                 # "Show clock" off
xdotool mousemove 95 294 click 1 type "12" && sleep 0.3  # the disabled X edit takes nothing
shot clock
xdotool key Escape
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
  kill "$pid"
  echo "the form did not close on Escape"
  exit 1
fi
status=0
wait "$pid" || status=$?
((status == 0)) || { echo "the form ended with status $status"; tail -n 60 "$err"; exit 1; }
expected=("check Play Sound on" "radio Fast" "page Display" "radio 800x600" "gamma 255" "gamma 254" "gamma 0"
          "page Time of Day" "city 2 CITY 0002(RG) CC" "page Clock" "clock off" "click Cancel")
mapfile -t lines < <(grep -v '^ready' "$out")
if [[ "${lines[*]}" != "${expected[*]}" ]]; then
  echo "expected:"; printf '  %s\n' "${expected[@]}"
  echo "reported:"; printf '  %s\n' "${lines[@]}"
  exit 1
fi
echo "dialog controls: ${#lines[@]} reports as expected"
