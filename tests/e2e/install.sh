#!/usr/bin/env bash
# Installs into a staging root as `make install` does, checks what lands where and that the launcher
# starts the installed program from its own directory, then uninstalls as `make uninstall` does and
# checks that only what was installed has gone, prop bags and foreign files staying.
# Usage: install.sh BUILD_DIR SOURCE_DIR WORK_DIR
set -uo pipefail
build=$1 source=$2 work=$3

for tool in desktop-file-validate appstreamcli; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is missing (make test-deps installs it)"
    exit 77
  fi
done

failures=0
check() { # description, command...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failures=$((failures + 1)); fi
}

rm -rf "$work"
mkdir -p "$work"
export DESTDIR="$work/root"
prefix=/home/someone/.local
installed="$DESTDIR$prefix"
app_id=org.stowbox.Stowbox

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; exit 1; }

program_dir="$installed/lib/stowbox"
desktop="$installed/share/applications/$app_id.desktop"
metainfo="$installed/share/metainfo/$app_id.metainfo.xml"
icon="$installed/share/icons/hicolor/32x32/apps/$app_id.png"
check "the program has a directory of its own" test -x "$program_dir/STX102"
check "the program directory holds nothing else" test "$(ls -A "$program_dir")" = STX102
check "the launcher is on the PATH directory" test -x "$installed/bin/stowbox"
check "the desktop entry is valid" desktop-file-validate "$desktop"
check "the desktop entry starts the launcher by its full path" \
  grep -qx "Exec=\"$prefix/bin/stowbox\"" "$desktop"
check "the metainfo is valid" appstreamcli validate --no-net "$metainfo"
png_size() { # PNG file -> its signature and its width and height, in hex
  echo $(od -An -tx1 -N8 "$1") $(od -An -tx1 -j16 -N8 "$1")
}
check "the hammer icon is a 32 x 32 PNG in the hicolor theme" \
  test "$(png_size "$icon")" = "89 50 4e 47 0d 0a 1a 0a 00 00 00 20 00 00 00 20"
check "the desktop entry names the icon" grep -qx "Icon=$app_id" "$desktop"
check "the metainfo names the desktop entry" grep -q "<launchable type=\"desktop-id\">$app_id.desktop<" "$metainfo"

# The launcher, also reached through a link of the user's, must run the installed program.
mkdir -p "$work/elsewhere"
ln -s "$installed/bin/stowbox" "$work/elsewhere/stowbox"
mkdir -p "$work/config"
launched_program() { # launcher -> prints the executable the started process runs
  XDG_CONFIG_HOME="$work/config" "$1" >/dev/null 2>&1 &
  local pid=$! exe="" tries
  for ((tries = 0; tries < 100; tries++)); do
    exe=$(readlink "/proc/$pid/exe" 2>/dev/null)
    [[ $exe == */STX102 ]] && break
    sleep 0.05
  done
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  echo "$exe"
}
check "the launcher starts the installed program" \
  test "$(launched_program "$installed/bin/stowbox")" = "$program_dir/STX102"
check "a link to the launcher starts the installed program" \
  test "$(launched_program "$work/elsewhere/stowbox")" = "$program_dir/STX102"

uninstall() { cmake -DBUILD_DIR="$build" -DPREFIX="$prefix" -P "$source/packaging/uninstall.cmake" >>"$work/uninstall.log"; }
printf 'bag' >"$program_dir/mine.prp"
printf 'other' >"$installed/share/applications/other.desktop"
check "uninstall succeeds" uninstall
check "the program is gone" test ! -e "$program_dir/STX102"
check "the launcher is gone" test ! -e "$installed/bin/stowbox"
check "the desktop entry is gone" test ! -e "$desktop"
check "the metainfo is gone" test ! -e "$metainfo"
check "the icon is gone" test ! -e "$icon"
check "the bag is kept" test "$(cat "$program_dir/mine.prp")" = bag
check "another program's file is kept" test -e "$installed/share/applications/other.desktop"
check "nothing installed is left" test -z "$(find "$installed" -type f ! -name mine.prp ! -name other.desktop)"

rm "$program_dir/mine.prp"
check "a second uninstall succeeds" uninstall
check "the emptied program directory goes" test ! -e "$program_dir"

echo "$failures failed"
((failures == 0))
