#!/bin/bash
# Builds Quellrin and runs it under Wine in the build's private prefix: on
# your display when DISPLAY is set, otherwise on a private Xvfb, where it
# saves a screenshot of the main window and prints its path.
#
# The program reads the Steam folder from the registry value
#   HKLM\SOFTWARE\WOW6432Node\Rockstar Games\GTAV  InstallFolderSteam
# of the prefix. To point it at a real install, set QUELLRIN_STEAM_FOLDER to
# the folder's Windows path (a Linux folder /x/y is Z:\x\y) before running.
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

if [ -n "${QUELLRIN_STEAM_FOLDER:-}" ]; then
  quiet wine reg add 'HKLM\SOFTWARE\WOW6432Node\Rockstar Games\GTAV' /v InstallFolderSteam \
    /d "${QUELLRIN_STEAM_FOLDER%\\}\\GTAV" /f
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
