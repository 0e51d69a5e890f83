# Driving a program under an X server of its own with xdotool, as a user would: windows are found
# by their titles, keys go to the focused window, and every wait is bounded.
# Sourced by the end-to-end scripts; they set SHOTS (the screenshot folder) before using xs_shot.

xs_skip() {
  echo "SKIP: $*"
  exit 77
}

# Skips the test, saying why, when a tool it needs is missing.
xs_require() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || xs_skip "$tool is missing (make test-deps installs it)"
  done
}

# Starts Xvfb on a free display, which it picks itself, and sets DISPLAY. xs_stop_server ends it.
xs_start_server() { # work directory
  local numbers="$1/xvfb-display" tries
  : >"$numbers"
  Xvfb -displayfd 9 -nolisten tcp -noreset -screen 0 1024x768x24 9>"$numbers" >"$1/xvfb.log" 2>&1 &
  XVFB_PID=$!
  for ((tries = 0; tries < 100; tries++)); do
    [[ -s $numbers ]] && break
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  [[ -s $numbers ]] || xs_skip "Xvfb did not start: $(tail -3 "$1/xvfb.log")"
  export DISPLAY=":$(head -1 "$numbers")"
  unset WAYLAND_DISPLAY XAUTHORITY
}

xs_stop_server() {
  [[ -n ${XVFB_PID:-} ]] || return 0
  kill "$XVFB_PID" 2>/dev/null
  wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=
}

# Prints the id of the visible window whose title matches the regular expression; fails after
# the given seconds (default 10) without one.
xs_wait_window() { # title regex, [seconds]
  local id tries limit=$((${2:-10} * 10))
  for ((tries = 0; tries < limit; tries++)); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    [[ -n $id ]] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "no window titled /$1/ within ${2:-10} s" >&2
  return 1
}

# Waits until no visible window's title matches the regular expression.
xs_wait_no_window() { # title regex, [seconds]
  local tries limit=$((${2:-10} * 10))
  for ((tries = 0; tries < limit; tries++)); do
    [[ -z $(xdotool search --onlyvisible --name "$1" 2>/dev/null) ]] && return 0
    sleep 0.1
  done
  echo "a window titled /$1/ is still there after ${2:-10} s" >&2
  return 1
}

# Gives the window the keyboard focus. There is no window manager, so this is the program's only
# way of learning which of its windows is active; the focus is checked before going on.
xs_focus() { # window id
  local tries
  for ((tries = 0; tries < 20; tries++)); do
    xdotool windowfocus --sync "$1" 2>/dev/null
    [[ $(xdotool getwindowfocus 2>/dev/null) == "$1" ]] && { sleep 0.1; return 0; }
    sleep 0.1
  done
  echo "window $1 does not take the focus" >&2
  return 1
}

# Presses keys (xdotool names: F1, alt+s, Return...) in the given window.
xs_keys() { # window id, key...
  local id=$1
  shift
  xs_focus "$id" && xdotool key --delay 60 "$@"
}

# Types text into the given window.
xs_type() { # window id, text
  xs_focus "$1" && xdotool type --delay 30 -- "$2"
}

# Clicks at a point of the given window, in its own coordinates.
xs_click() { # window id, x, y
  xs_focus "$1" && xdotool mousemove --window "$1" "$2" "$3" click 1
}

# Keeps a picture of one window, or of the whole screen for "root", as $SHOTS/NAME.png.
xs_shot() { # window id or root, name
  mkdir -p "$SHOTS"
  import -window "$1" "$SHOTS/$2.png" 2>/dev/null || echo "no screenshot $2" >&2
}

# Waits until the command succeeds; fails after the given seconds.
xs_until() { # seconds, command...
  local tries limit=$(($1 * 10))
  shift
  for ((tries = 0; tries < limit; tries++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
