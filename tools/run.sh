#!/bin/bash
# Builds Quellrin and runs it under Wine in the build's private prefix: on
# your display when DISPLAY is set, otherwise on a private Xvfb, where it
# saves a screenshot of the main window and prints its path.
#
# The program reads the Steam folder from the registry value
#   HKLM\SOFTWARE\WOW6432Node\Rockstar Games\GTAV  InstallFolderSteam
# of the prefix. When it is not set yet, this script generates a sample game
# tree of about 300 MB in build/mingw32/sample/SteamGTA5 and points the value
# at it, with an empty build/mingw32/sample/Epic to choose as the target.
# To point it at a real install instead, set QUELLRIN_STEAM_FOLDER to the
# folder's Windows path (a Linux folder /x/y is Z:\x\y) before running.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ensure_machine
build_all
EXE="$BUILD/app/Quellrin.exe"
SHOT="${QUELLRIN_SCREENSHOT:-$BUILD/screenshots/main-window.png}"

headless=0
[ -z "${DISPLAY:-}" ] && headless=1
trap stop_all EXIT
[ "$headless" = 1 ] && start_xvfb
ensure_prefix
start_wine_session

KEY='HKLM\SOFTWARE\WOW6432Node\Rockstar Games\GTAV'
# The value names the game folder's GTAV entry; the program shows the folder above it.
set_steam_folder() { quiet wine reg add "$KEY" /v InstallFolderSteam /d "${1%\\}\\GTAV" /f; }

make_sample_game() {
  local root="$1" i j
  [ -f "$root/.complete" ] && return 0
  log "generating a sample game tree in $root"
  rm -rf "$root"
  mkdir -p "$root/update/x64/dlcpacks" "$root/x64" "$root/.egstore"
  for i in 0 1 2 3 4; do head -c 50M /dev/urandom >"$root/x64/data$i.rpf"; done
  for i in $(seq 1 20); do
    mkdir -p "$root/update/x64/dlcpacks/pack$i"
    for j in $(seq 1 20); do head -c 100K /dev/urandom >"$root/update/x64/dlcpacks/pack$i/f$j.rpf"; done
  done
  echo "1.0" >"$root/.egstore/version"
  head -c 2M /dev/urandom >"$root/GTA5.exe"
  touch "$root/.complete"
}

if [ -n "${QUELLRIN_STEAM_FOLDER:-}" ]; then
  set_steam_folder "$QUELLRIN_STEAM_FOLDER"
elif ! quiet wine reg query "$KEY" /v InstallFolderSteam; then
  make_sample_game "$BUILD/sample/SteamGTA5"
  mkdir -p "$BUILD/sample/Epic"
  set_steam_folder "$(winepath_of "$BUILD/sample/SteamGTA5")"
  log "the Steam folder is the sample $(winepath_of "$BUILD/sample/SteamGTA5");" \
    "choose $(winepath_of "$BUILD/sample/Epic") as the target"
fi

if [ "$headless" = 0 ]; then
  log "starting Quellrin.exe on $DISPLAY"
  wine "$EXE" </dev/null >/dev/null 2>&1 || true
  exit 0
fi

log "starting Quellrin.exe on the private display $DISPLAY"
wine "$EXE" </dev/null >/dev/null 2>&1 &
APP_PID=$!
mkdir -p "$(dirname "$SHOT")"
for i in $(seq 1 300); do
  xwininfo -root -tree 2>/dev/null | grep -q '"Quellrin"' && break
  sleep 0.1
done
sleep 1 # let it paint
# The main window is 784 x 189, centred on the 1024 x 768 screen.
import -window root -crop 784x189+120+289 +repage "$SHOT"
echo "screenshot of the main window: $SHOT"
kill "$APP_PID" 2>/dev/null || true
