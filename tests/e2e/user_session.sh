#!/usr/bin/env bash
# A newcomer's first session with the built program, under an X server of its own and driven with
# xdotool: set the client directory in the path dialog with the keyboard, save a bag under a typed
# name, load it answering every question, rename it, delete it, start the stand-in client and see
# Load and Save refused while it runs, and close. Files and the settings file are checked after
# each step; screenshots are kept in the screenshot folder.
# Usage: user_session.sh STX102 STANDIN_CLIENT WORK_DIR SCREENSHOT_DIR
set -uo pipefail
source "$(dirname "$0")/xsession.sh"
built_program=$1 standin=$2 work=$3 SHOTS=$4

xs_require Xvfb xdotool import
[[ -x $standin ]] || { echo "the stand-in client $standin has not been built"; exit 1; }

rm -rf "$work" "$SHOTS"
program="$work/program"
client="$work/wine/drive_c/Palace" # in the Wine prefix, where the path dialog starts
settings="$work/config/Stowbox.conf"
mkdir -p "$program" "$client" "$work/config" "$work/home" "$work/wine" "$work/runtime" "$SHOTS"
chmod 700 "$work/runtime"
# Bags are kept beside the executable, so the program runs from a directory of its own, with the
# windows' module that it loads from there.
cp "$built_program" "$program/STX102"
cp "$(dirname "$built_program")/stowbox_windows.so" "$program/"
cp "$standin" "$client/palace32.exe"
printf 'props: a red hat' >"$client/palace.prp"
printf 'props: a street suit' >"$program/street.prp"

stx_pid=
failures=0
end_standins() {
  local pid
  for pid in $(pgrep -x palace32.exe); do
    [[ $(readlink "/proc/$pid/exe") == "$client/palace32.exe" ]] && kill "$pid"
  done 2>/dev/null
}
cleanup() {
  [[ -n $stx_pid ]] && kill "$stx_pid" 2>/dev/null
  end_standins
  xs_stop_server
}
trap cleanup EXIT

check() { # description, command...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failures=$((failures + 1)); fi
}
# A step the rest depends on: without it, stop here with a picture of the screen.
fail() { # description
  echo "FAIL: $1; the screen is in $SHOTS/failure.png"
  xs_shot root failure
  exit 1
}
need() { # description, command...
  local what=$1
  shift
  "$@" || fail "$what"
}
same_bytes() { cmp -s "$1" "$2"; }
holds() { [[ $(cat "$1" 2>/dev/null) == "$2" ]]; }
gone() { [[ ! -e $1 ]]; }
# What the program does after its last box has closed: waited for.
eventually() { xs_until "$XS_PATIENCE" "$@"; }
stored_path() { sed -n 's/^Pathkey=//p' "$settings" 2>/dev/null; }
window_shown() { xs_wait_window "$1" >/dev/null; }
# Asked only once the program has shown that it is done with what could open the window.
no_window_appears() { ! xs_wait_window "$1" 1 >/dev/null 2>&1; }
ended() { # pid: gone, or waiting to be reaped
  [[ ! -e /proc/$1 ]] || [[ $(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null) == Z* ]]
}
standin_running() {
  local pid
  for pid in $(pgrep -x palace32.exe); do
    [[ $(readlink "/proc/$pid/exe") == "$client/palace32.exe" ]] && return 0
  done 2>/dev/null
  return 1
}

# Answers the box titled by the regular expression with keys, once it is shown.
answer() { # title regex, screenshot name or "", key...
  local title=$1 shot=$2 box
  shift 2
  box=$(xs_wait_window "$title") || fail "the box /$title/ is shown"
  [[ -n $shot ]] && xs_shot "$box" "$shot"
  need "the box /$title/ takes the keys" xs_keys "$box" "$@"
  need "the box /$title/ closes" xs_wait_no_window "$title"
}
# Types a name into the input box titled by the regular expression, replacing its default.
give_name() { # title regex, name
  local box
  box=$(xs_wait_window "$1") || fail "the box /$1/ is shown"
  need "the name is typed" xs_keys "$box" ctrl+a
  xs_type "$box" "$2"
  need "the name is accepted" xs_keys "$box" Return
  need "the box /$1/ closes" xs_wait_no_window "$1"
}
# Selects a bag in the list as a user would from the keyboard: into the list, then its name. The
# list shows no selection before, so the window changes when the bag is selected.
select_bag() { # name without extension
  # Below the last bag: a click there only gives the list the focus.
  need "the list takes the focus" xs_click "$main" 60 $((menu_height + 150))
  need "the list is seen" xs_pixels "$main" "$work/unselected.rgb"
  need "the name is typed" xs_type "$main" "$1"
  need "the bag $1 is selected" xs_wait_change "$main" "$work/unselected.rgb"
}

xs_start_server "$work"
echo "display $DISPLAY"

cd "$work"
env HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" WINEPREFIX="$work/wine" \
  XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb STOWBOX_STANDIN_LIFETIME=120 \
  "$program/STX102" >"$work/stx102.log" 2>&1 &
stx_pid=$!
main=$(xs_wait_window '^STX$') || fail "the main window opens"
# The window is the 301 x 236 client area under the menu bar.
menu_height=$(($(xdotool getwindowgeometry --shell "$main" | sed -n 's/^HEIGHT=//p') - 236))
xs_shot "$main" 01-started
check "nothing is stored at first start" test -z "$(stored_path)"

# Options > Set Path to Palace Files (F1). With nothing stored the lists start in the Wine prefix's drive_c;
# the client's directory is opened from there by its name and Enter.
xs_keys "$main" F1
dialog=$(xs_wait_window '^Set Path to Palace$') || fail "the path dialog opens"
need "the dialog is seen" xs_pixels "$dialog" "$work/dialog.rgb"
xs_type "$dialog" Palace
xs_keys "$dialog" Return
need "the dialog's list opens Palace" xs_wait_change "$dialog" "$work/dialog.rgb"
xs_shot "$dialog" 02-path-dialog
check "the dialog is not closed by choosing" window_shown '^Set Path to Palace$'
need "Ok is clicked" xs_click "$dialog" 185 210 # Ok: 160,200 51 x 21 in the dialog
need "Ok closes the dialog" xs_wait_no_window '^Set Path to Palace$'
check "Ok stores the client directory with a trailing separator" test "$(stored_path)" = "$client/"

# Save (Alt+S) under a typed name.
xs_keys "$main" alt+s
give_name '^Prop File Name$' party
check "Save copies palace.prp to party.prp" eventually same_bytes "$client/palace.prp" "$program/party.prp"
xs_shot "$main" 03-saved

# The client changes its props; then load party answering every question: Yes, save the current
# props first as "before"; OK; and the success notice.
printf 'props: a blue scarf' >"$client/palace.prp"
select_bag party
xs_shot "$main" main-window
xs_keys "$main" alt+l
answer '^File Load Confirmation$' 04-load-question y
give_name '^Prop File Name$' before
answer '^Final Load Confirm$' 05-final-confirm Return
answer '^Load Successful$' 06-loaded Return
check "the save offered before the load kept the current props" holds "$program/before.prp" 'props: a blue scarf'
check "Load copies party.prp over palace.prp" holds "$client/palace.prp" 'props: a red hat'
check "the loaded bag stays" holds "$program/party.prp" 'props: a red hat'
check "the replaced palace.prp waits in the trash" eventually holds "$work/data/Trash/files/palace.prp" 'props: a blue scarf'

# File > Rename (Alt+F, M) the bag still selected.
xs_keys "$main" alt+f m
give_name '^Rename Prop File$' dance
check "Rename makes dance.prp" eventually holds "$program/dance.prp" 'props: a red hat'
check "Rename removes party.prp" test ! -e "$program/party.prp"

# Select dance and press Delete in the list; one question, answered Yes.
select_bag dance
xs_keys "$main" Delete
answer '^Confirm File Delete$' 07-delete-question y
check "Delete removes dance.prp" eventually gone "$program/dance.prp"
check "one press of Delete asks once" no_window_appears '^Confirm File Delete$'
check "the deleted bag waits in the trash" eventually holds "$work/data/Trash/files/dance.prp" 'props: a red hat'
check "the other bags stay" test -e "$program/before.prp" -a -e "$program/street.prp"
check "the client's props are untouched by rename and delete" holds "$client/palace.prp" 'props: a red hat'

# Start Palace (Alt+P), Yes; the stand-in client opens its window.
xs_keys "$main" alt+p
answer '^Run Palace Confirmation$' 08-start-question y
need "the stand-in client's window opens" window_shown '^Palace$'
check "the stand-in client runs" eventually standin_running

# With the client running, Load and Save are refused and change nothing.
select_bag before
xs_keys "$main" alt+l
answer '^Error$' 09-load-refused Return
check "no load question while the client runs" no_window_appears '^File Load Confirmation$'
xs_keys "$main" alt+s
answer '^Error$' "" Return
check "no name is asked while the client runs" no_window_appears '^Prop File Name$'
check "palace.prp is unchanged while the client runs" holds "$client/palace.prp" 'props: a red hat'
xs_shot root 10-client-running
end_standins

# File > Close (F4) ends the program, writing nothing.
xs_keys "$main" F4
check "Close ends the program" eventually ended "$stx_pid"
wait "$stx_pid" 2>/dev/null
status=$?
stx_pid=
check "the program ended normally" test "$status" -eq 0
check "the stored directory is unchanged at the end" test "$(stored_path)" = "$client/"
check "the bags at the end" test "$(cd "$program" && echo *.prp)" = "before.prp street.prp"

echo "$failures failed"
((failures == 0))
