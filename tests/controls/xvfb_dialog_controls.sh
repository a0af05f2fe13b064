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
source "$(dirname "$0")/xvfb_form.sh"
start_form "$form" dialog
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
expect_form_closed
expected=("check Play Sound on" "radio Fast" "page Display" "radio 800x600" "gamma 255" "gamma 254" "gamma 0"
          "page Time of Day" "city 2 CITY 0002(RG) CC" "page Clock" "clock off" "click Cancel")
mapfile -t lines < <(grep -v '^ready' "$out")
if [[ "${lines[*]}" != "${expected[*]}" ]]; then
  echo "expected:"; printf '  %s\n' "${expected[@]}"
  echo "reported:"; printf '  %s\n' "${lines[@]}"
  exit 1
fi
echo "dialog controls: ${#lines[@]} reports as expected"
