#!/usr/bin/env bash
# Installs into a staging root as `make install` does, checks what lands where and that the launcher
# starts the installed program from its own directory, then uninstalls as `make uninstall` does and
# checks that only what was installed has gone, prop bags and foreign files staying.
# Usage: install.sh BUILD_DIR SOURCE_DIR WORK_DIR
set -uo pipefail
source "$(dirname "$0")/xsession.sh"
build=$1 source=$2 work=$3

xs_require desktop-file-validate appstreamcli readelf identify convert compare

failures=0
check() { # description, command...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failures=$((failures + 1)); fi
}

rm -rf "$work"
mkdir -p "$work"/{home,data,config}
# The installed program cleans the trashes it uses at every start: never the user's own.
export HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" WINEPREFIX="$work/home/.wine"
export DESTDIR="$work/root"
prefix=/home/someone/.local
installed="$DESTDIR$prefix"
app_id=org.stowbox.Stowbox

cmake --install "$build" --prefix "$prefix" --strip >"$work/install.log" || { cat "$work/install.log"; exit 1; }

program_dir="$installed/lib/stowbox"
desktop="$installed/share/applications/$app_id.desktop"
metainfo="$installed/share/metainfo/$app_id.metainfo.xml"
icons="$installed/share/icons/hicolor"
check "the program has a directory of its own" test -x "$program_dir/STX102"
stripped() { ! readelf -S --wide "$1" | grep -q -e ' \.symtab' -e ' \.debug_'; }
check "the windows' module is beside it" test -f "$program_dir/stowbox_windows.so"
check "the program is stripped" stripped "$program_dir/STX102"
check "the windows' module is stripped" stripped "$program_dir/stowbox_windows.so"
check "the program directory holds nothing else" \
  test "$(ls -A "$program_dir" | LC_ALL=C sort | tr '\n' ' ')" = "STX102 stowbox_windows.so "
check "the launcher is on the PATH directory" test -x "$installed/bin/stowbox"
completion="$installed/share/bash-completion/completions/stowbox"
manual="$installed/share/man/man1/stowbox.1"
check "the bash completion is where bash-completion looks" bash -n "$completion"
check "the manual page is in section 1" grep -q '^\.TH STOWBOX 1 ' "$manual"
check "the desktop entry is valid" desktop-file-validate "$desktop"
check "the desktop entry starts the launcher by its full path" \
  grep -qx "Exec=\"$prefix/bin/stowbox\"" "$desktop"
check "the metainfo is valid" appstreamcli validate --no-net "$metainfo"
# Every size is the 32 x 32 hammer enlarged by whole pixels, centred: nothing blurred.
enlarged_hammer_is() { # size, factor, PNG
  convert "$icons/32x32/apps/$app_id.png" -sample "$(($2 * 100))%" -background none -gravity center \
    -extent "$1x$1" "$work/expected.png" && compare -metric AE "$work/expected.png" "$3" null: 2>/dev/null
}
for size in 32 48 64 128 256; do
  icon="$icons/${size}x$size/apps/$app_id.png"
  check "the hammer icon is a $size x $size PNG in the hicolor theme" \
    test "$(identify -format '%m %wx%h' "$icon" 2>&1)" = "PNG ${size}x$size"
  check "the $size x $size hammer keeps its pixels square" enlarged_hammer_is "$size" $((size / 32)) "$icon"
done
check "the desktop entry names the icon" grep -qx "Icon=$app_id" "$desktop"
check "the metainfo names the desktop entry" grep -q "<launchable type=\"desktop-id\">$app_id.desktop<" "$metainfo"

# The launcher, also reached through a link of the user's, runs the installed program in the program
# directory, wherever it is started from.
mkdir -p "$work/elsewhere"
ln -s "$installed/bin/stowbox" "$work/elsewhere/stowbox"
started_or_ended() { # pid
  [[ $(readlink "/proc/$1/exe" 2>/dev/null) == */STX102 ]] || [[ $(sed 's/.*) //' "/proc/$1/stat") == Z* ]]
}
launched() { # launcher -> prints the executable and the working directory of the started process
  (cd "$work/elsewhere" && exec "$1") >/dev/null 2>&1 &
  local pid=$!
  xs_until "$XS_PATIENCE" started_or_ended "$pid"
  echo "$(readlink "/proc/$pid/exe") in $(readlink "/proc/$pid/cwd")"
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}
check "the launcher starts the installed program in its directory" \
  test "$(launched "$installed/bin/stowbox")" = "$program_dir/STX102 in $program_dir"
check "a link to the launcher starts the installed program in its directory" \
  test "$(launched "$work/elsewhere/stowbox")" = "$program_dir/STX102 in $program_dir"

# A command through the launcher: its arguments reach the program, which needs no display.
check "the launcher passes a command through" test "$(env -u DISPLAY "$installed/bin/stowbox" --version)" = "Stowbox V1.02"
printf 'bag' >"$program_dir/mine.prp"
printf 'odd' >"$program_dir/my"$'\n'"bag.prp"
completed() { # words of a command line, the last being completed -> the words offered, each ended by "|"
  (source "$completion" && COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)) && _stowbox "$installed/bin/stowbox" &&
    printf '%s|' "${COMPREPLY[@]}")
}
check "the completion offers the commands" test "$(completed stowbox s)" = "save|start|set-path|"
check "the completion offers the bags, odd names whole" \
  test "$(completed stowbox load m)" = "mine.prp|my"$'\n'"bag.prp|"
rm "$program_dir/my"$'\n'"bag.prp"

uninstall() { cmake -DBUILD_DIR="$build" -DPREFIX="$prefix" -P "$source/packaging/uninstall.cmake" >>"$work/uninstall.log"; }
printf 'other' >"$installed/share/applications/other.desktop"
check "uninstall succeeds" uninstall
check "the program is gone" test ! -e "$program_dir/STX102"
check "the windows' module is gone" test ! -e "$program_dir/stowbox_windows.so"
check "the launcher is gone" test ! -e "$installed/bin/stowbox"
check "the desktop entry is gone" test ! -e "$desktop"
check "the metainfo is gone" test ! -e "$metainfo"
check "the bash completion is gone" test ! -e "$completion"
check "the manual page is gone" test ! -e "$manual"
check "the icons are gone" test -z "$(find "$icons" -type f)"
check "the bag is kept" test "$(cat "$program_dir/mine.prp")" = bag
check "another program's file is kept" test -e "$installed/share/applications/other.desktop"
check "nothing installed is left" test -z "$(find "$installed" -type f ! -name mine.prp ! -name other.desktop)"

rm "$program_dir/mine.prp"
check "a second uninstall succeeds" uninstall
check "the emptied program directory goes" test ! -e "$program_dir"

echo "$failures failed"
((failures == 0))
