# Driving a program under an X server of its own with xdotool, as a user would: windows are found
# by their titles, keys go to the focused window, and every wait polls until what it waits for is
# there, for as long as a busy machine may need.
# Sourced by the end-to-end scripts; they set SHOTS (the screenshot folder) before using xs_shot.

# The bound of every wait, in seconds: reached only when something has gone wrong.
XS_PATIENCE=120

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
  local numbers="$1/xvfb-display"
  : >"$numbers"
  Xvfb -displayfd 9 -nolisten tcp -noreset -screen 0 1024x768x24 9>"$numbers" >"$1/xvfb.log" 2>&1 &
  XVFB_PID=$!
  xs_until "$XS_PATIENCE" xs_server_answered "$numbers"
  [[ -s $numbers ]] || xs_skip "Xvfb did not start: $(tail -3 "$1/xvfb.log")"
  export DISPLAY=":$(head -1 "$numbers")"
  unset WAYLAND_DISPLAY XAUTHORITY
}

xs_server_answered() { # display file: written, or no server left to write it
  [[ -s $1 ]] || ! kill -0 "$XVFB_PID" 2>/dev/null
}

xs_stop_server() {
  [[ -n ${XVFB_PID:-} ]] || return 0
  kill "$XVFB_PID" 2>/dev/null
  wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=
}

xs_visible_window() { # title regex -> the first visible window's id
  xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1
}

# Prints the id of the visible window whose title matches the regular expression; fails after
# the given seconds (default XS_PATIENCE) without one.
xs_wait_window() { # title regex, [seconds]
  local seconds=${2:-$XS_PATIENCE} id
  local deadline=$(($(xs_microseconds) + seconds * 1000000))
  until id=$(xs_visible_window "$1") && [[ -n $id ]]; do
    if (($(xs_microseconds) >= deadline)); then
      echo "no window titled /$1/ within $seconds s" >&2
      return 1
    fi
    sleep 0.1
  done
  echo "$id"
}

# Waits until no visible window's title matches the regular expression.
xs_wait_no_window() { # title regex, [seconds]
  local seconds=${2:-$XS_PATIENCE}
  xs_until "$seconds" xs_no_window "$1" && return 0
  echo "a window titled /$1/ is still there after $seconds s" >&2
  return 1
}

xs_no_window() { [[ -z $(xs_visible_window "$1") ]]; }

# Gives the window the keyboard focus. There is no window manager, so this is the program's only
# way of learning which of its windows is active; the focus is checked before going on.
xs_focus() { # window id
  xs_until "$XS_PATIENCE" xs_focused "$1" && return 0
  echo "window $1 does not take the focus" >&2
  return 1
}

xs_focused() { # window id
  xdotool windowfocus --sync "$1" 2>/dev/null
  [[ $(xdotool getwindowfocus 2>/dev/null) == "$1" ]]
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

# Keeps the window's pixels in the file, to tell later whether it has changed.
xs_pixels() { # window id, file
  import -window "$1" -depth 8 rgb:"$2" 2>/dev/null
}

# Waits until the window no longer looks as the file keeps it: the program has taken what was sent.
xs_wait_change() { # window id, file
  xs_until "$XS_PATIENCE" xs_changed "$1" "$2"
}

xs_changed() { # window id, file
  ! import -window "$1" -depth 8 rgb:- 2>/dev/null | cmp -s - "$2"
}

xs_microseconds() { echo "${EPOCHREALTIME//[!0-9]/}"; }

# Waits until the command succeeds; fails after the given seconds.
xs_until() { # seconds, command...
  local deadline=$(($(xs_microseconds) + $1 * 1000000))
  shift
  until "$@"; do
    (($(xs_microseconds) < deadline)) || return 1
    sleep 0.1
  done
}
