#!/usr/bin/env bash
# Installs into a staging root as `make install` does, checks what lands where and that the launcher
# starts the installed program from its own directory, then uninstalls with `make uninstall`, with no
# release tree and no build tools, and checks that only what was installed has gone, prop bags and
# foreign files staying. Last, `make clean` over build trees that hold bags.
# Usage: install.sh BUILD_DIR SOURCE_DIR WORK_DIR
set -uo pipefail
source "$(dirname "$0")/xsession.sh"
build=$1 source=$2 work=$3

xs_require desktop-file-validate appstreamcli readelf identify convert compare groff make

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
# A folder that was there before: uninstall leaves it, empty or not.
mkdir -p "$installed/share/man/man1"

# Twice, as an update does: the folders the first one made are still the installation's.
for _ in 1 2; do
  cmake --install "$build" --prefix "$prefix" --strip >"$work/install.log" ||
    { cat "$work/install.log"; exit 1; }
done

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
  test "$(ls -A "$program_dir" | LC_ALL=C sort | tr '\n' ' ')" = "STX102 stowbox_windows.so uninstall "
check "the launcher is on the PATH directory" test -x "$installed/bin/stowbox"
completion="$installed/share/bash-completion/completions/stowbox"
manual="$installed/share/man/man1/stowbox.1"
check "the bash completion is where bash-completion looks" bash -n "$completion"
check "the manual page is in section 1" grep -q '^\.TH STOWBOX 1 ' "$manual"
# The manual as man shows it, each section's lines from its heading to the next.
manual_text=$(groff -man -Tascii -P-cbou "$manual")
section() { awk -v heading="$1" '/^[^ ]/ { inside = ($0 == heading) } inside' <<<"$manual_text"; }
footer_version() { tail -n 1 <<<"$manual_text" | awk '{ print $1, $2 }'; }
check "the manual's footer holds the version the program prints" \
  test "$(footer_version)" = "$(env -u DISPLAY "$program_dir/STX102" --version)"
check "the manual's exit statuses are a list" \
  test "$(section 'EXIT STATUS' | awk '$1 ~ /^[0-9]$/ { printf "%s ", $1 }')" = "0 1 2 3 "
names_files() {
  local files
  files=$(section FILES)
  grep -qF '~/.local/lib/stowbox' <<<"$files" && grep -qF Stowbox.conf <<<"$files" &&
    grep -qF .Trash- <<<"$files"
}
check "the manual's files are the bag folder, the settings file and the trash" names_files
check "the manual gives examples" grep -q '^ *stowbox ' <<<"$(section EXAMPLES)"
check "the manual refers to trash-cli" grep -qx ' *trash-list(1), trash-restore(1)' <<<"$(section 'SEE ALSO')"
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
mkdir -p "$work/palace" && printf 'live' >"$work/palace/palace.prp"
"$installed/bin/stowbox" set-path "$work/palace" && "$installed/bin/stowbox" load mine >/dev/null
check "the completion offers restore the versions history numbers, and the bags" \
  test "$(completed stowbox restore '')" = "1|mine.prp|my"$'\n'"bag.prp|"
"$installed/bin/stowbox" save mine
check "the completion offers restore the versions of the bag named" \
  test "$(completed stowbox restore mine.prp '')" = "1|"
rm "$program_dir/my"$'\n'"bag.prp"

# As a user runs it: the release tree gone and no build tool on the PATH.
mkdir -p "$work/no-tools"
for tool in cmake ninja cc c++ gcc g++; do
  printf '#!/bin/sh\necho "%s: not installed" >&2\nexit 127\n' "$tool" >"$work/no-tools/$tool"
  chmod +x "$work/no-tools/$tool"
done
uninstall() { # log
  PATH="$work/no-tools:$PATH" make -s -C "$source" uninstall PREFIX="$prefix" DESTDIR="$DESTDIR" \
    RELEASE_BUILD="$work/no-release-tree" >"$1" 2>&1
}
printf 'other' >"$installed/share/applications/other.desktop"
check "uninstall succeeds" uninstall "$work/uninstall.log"
check "the program is gone" test ! -e "$program_dir/STX102"
check "the windows' module is gone" test ! -e "$program_dir/stowbox_windows.so"
check "the launcher is gone" test ! -e "$installed/bin/stowbox"
check "the desktop entry is gone" test ! -e "$desktop"
check "the metainfo is gone" test ! -e "$metainfo"
check "the bash completion is gone" test ! -e "$completion"
check "the manual page is gone" test ! -e "$manual"
check "the icons are gone" test -z "$(find "$icons" -type f 2>/dev/null)"
check "the bag is kept" test "$(cat "$program_dir/mine.prp")" = bag
check "another program's file is kept" test -e "$installed/share/applications/other.desktop"
check "the uninstaller stays with the bag, to finish once it is moved" test -x "$program_dir/uninstall"
check "nothing else installed is left" test -z \
  "$(find "$installed" -type f ! -name mine.prp ! -name other.desktop ! -path "$program_dir/uninstall")"
tells_what_is_left() {
  grep -qF "$program_dir" "$1" && grep -qF mine.prp "$1" && grep -qF "$XDG_CONFIG_HOME/Stowbox.conf" "$1" &&
    grep -qF "$XDG_DATA_HOME/Trash" "$1"
}
check "uninstall names the bag and its folder, the settings file and the trash it leaves" \
  tells_what_is_left "$work/uninstall.log"

rm "$program_dir/mine.prp"
check "a second uninstall succeeds" uninstall "$work/uninstall-again.log"
check "the emptied program directory goes" test ! -e "$program_dir"
check "the folders install made go, the one that was there stays" \
  test "$(cd "$installed" && find . -mindepth 1 -type d | LC_ALL=C sort | tr '\n' ' ')" = \
  "./share ./share/applications ./share/man ./share/man/man1 "

# `make clean` over a layout of build trees: bags beside a tree's program go to the trash through it;
# a bag with no program to take it stops the clean before any tree goes.
trees="$work/trees"
mkdir -p "$trees"/{build,build-asan,build-release}
cp "$build/STX102" "$trees/build/"
printf 'party' >"$trees/build/party.prp"
printf 'odd' >"$trees/build/-odd"$'\n'"bag.prp"
printf 'kept' >"$trees/build-asan/kept.prp"
clean() {
  make -s -C "$source" clean BUILD="$trees/build" ASAN_BUILD="$trees/build-asan" \
    RELEASE_BUILD="$trees/build-release" CHECK_BUILD="$trees/build-check" >"$work/clean.log" 2>&1
}
refused_keeping_all() {
  ! clean && test -d "$trees/build" && test -d "$trees/build-release" &&
    test "$(cat "$trees/build-asan/kept.prp")" = kept
}
check "make clean removes no tree while a bag cannot go to the trash" refused_keeping_all
check "make clean names the bag left" grep -qF "$trees/build-asan/kept.prp" "$work/clean.log"
rm -f "$trees/build-asan/kept.prp"
trashed() { test "$(cat "$XDG_DATA_HOME/Trash/files/$1")" = "$2"; }
cleaned() {
  clean && test ! -e "$trees/build" && test ! -e "$trees/build-asan" && test ! -e "$trees/build-release" &&
    trashed party.prp party && trashed "-odd"$'\n'"bag.prp" odd
}
check "make clean removes the trees once their bags, odd names too, are in the trash" cleaned

echo "$failures failed"
((failures == 0))
