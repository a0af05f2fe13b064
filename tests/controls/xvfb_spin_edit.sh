#!/usr/bin/env bash
# Drives the spin edit of control_form with real X input on a virtual desktop of its own:
# typed digits and a refused letter, a click on each half of the button, a half held for a
# second, the arrow keys, Enter, Tab to the default button and Space on it, and Escape; then
# checks what the form reported.
set -euo pipefail
form="$1"
if [[ "${INNER:-}" != 1 ]]; then
  exec env INNER=1 xvfb-run -a -s "-screen 0 640x480x24" "$0" "$@"
fi
source "$(dirname "$0")/xvfb_form.sh"
start_form "$form"
# The form's client area is at the desktop's origin; the edit at (112, 16), 61 x 21, and its
# button at (39, -1) of the edit's client area, inside a border of 2.
xdotool mousemove 60 60 && sleep 0.2
xdotool type --delay 100 "12a" && sleep 0.3
xdotool mousemove 157 22 click 1 && sleep 0.3
xdotool mousemove 168 32 click 1 && sleep 0.3
xdotool mousemove 157 22 mousedown 1 && sleep 1 && xdotool mouseup 1 && sleep 0.3
xdotool mousemove 60 60 key --delay 100 Up Up Down && sleep 0.3
xdotool key Return && sleep 0.3
xdotool key Tab && sleep 0.3 && xdotool key space && sleep 0.3
xdotool key Escape
expect_form_closed
mapfile -t lines <"$out"
values=()
for l in "${lines[@]}"; do [[ "$l" == value* ]] && values+=("${l#value }"); done
fail() { echo "$1"; printf '%s\n' "${lines[@]}"; exit 1; }
[[ "${values[*]:0:4}" == "1 12 13 12" ]] || fail "typing and the two halves"
held=$((${#values[@]} - 4 - 3))
((held >= 5 && held <= 9)) || fail "holding a half for a second made $held steps"
for ((i = 4; i < 4 + held; i++)); do ((values[i] == 13 + i - 4)) || fail "the held steps"; done
last=$((13 + held - 1))
[[ "${values[*]: -3}" == "$((last + 1)) $((last + 2)) $((last + 1))" ]] || fail "the arrow keys"
[[ "${lines[-3]}" == "click OK" ]] || fail "Enter"
[[ "${lines[-2]}" == "click OK" ]] || fail "Tab to the default button and Space"
[[ "${lines[-1]}" == "click Cancel" ]] || fail "Escape"
echo "spin edit: ${values[*]}"
