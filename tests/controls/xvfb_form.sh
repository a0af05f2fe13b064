# Sourced by the real-input checks: runs control_form (with the arguments given) on the
# virtual desktop the check runs on, and waits for it to end.
export QT_QPA_PLATFORM=xcb
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT

# Starts the form and waits until it says it is ready.
start_form() {
  "$@" >"$out" 2>"$err" &
  pid=$!
  for _ in $(seq 600); do grep -q ready "$out" && break; sleep 0.1; done
  # The window is mapped and painted a moment after the loop first runs.
  sleep 1
}

# After the key that closes it: the form must end, and end well.
expect_form_closed() {
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    echo "the form did not close"
    exit 1
  fi
  local status=0
  wait "$pid" || status=$?
  ((status == 0)) || { echo "the form ended with status $status"; tail -n 60 "$err"; exit 1; }
}
