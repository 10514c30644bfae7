# Shared by the run, test and benchmark scripts: the build, the private Wine
# prefix in the build tree, and a private Xvfb. Source it; it defines functions.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${QUELLRIN_BUILD:-$ROOT/build/mingw32}"
export WINEPREFIX="$BUILD/wineprefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=zh_CN.UTF-8
TESTAREA="$BUILD/testarea"
XVFB_PID=""
KEEPER_PID=""

log() { echo "[$(date +%H:%M:%S)] $*" >&2; }

ensure_machine() {
  "$ROOT/tools/setup.sh"
}

build_all() {
  if [ ! -f "$BUILD/build.ninja" ]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/i686-w64-mingw32.cmake" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  # QUELLRIN_TARGETS limits the build to some targets (for quick local runs).
  if [ -n "${QUELLRIN_TARGETS:-}" ]; then
    # shellcheck disable=SC2086
    cmake --build "$BUILD" --target $QUELLRIN_TARGETS "$@"
  else
    cmake --build "$BUILD" "$@"
  fi
}

# Wine's helper processes inherit stdio and outlive the command that started
# them, so every Wine call here runs detached from our pipes.
quiet() { "$@" </dev/null >/dev/null 2>&1; }

start_xvfb() {
  local n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.05
    done
    if [ -e "/tmp/.X11-unix/X$n" ]; then
      export DISPLAY=":$n"
      log "Xvfb on $DISPLAY (pid $XVFB_PID)"
      return 0
    fi
  done
  echo "could not start Xvfb" >&2
  return 1
}

ensure_prefix() {
  mkdir -p "$TESTAREA"
  if [ ! -f "$WINEPREFIX/.quellrin-ready" ]; then
    log "creating the Wine prefix in $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    WINEARCH=win32 quiet wineboot -i
    quiet wineserver -w
    # Wine draws the frames itself: no window manager runs under Xvfb, and
    # with managed windows every hide or close waits 2 s.
    quiet wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -n /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    quiet wineserver -w
    touch "$WINEPREFIX/.quellrin-ready"
  fi
  # T: is the test area: the folder browser finds folders on it reliably.
  ln -sfn "$TESTAREA" "$WINEPREFIX/dosdevices/t:"
}

# A persistent wineserver and a hidden window keep Wine's desktop up between
# programs; without them every program pays for the restart.
# Wine's services and desktop process must be started from here, detached:
# started by a test they would hold its output pipe open and ctest would wait.
start_wine_session() {
  quiet wineserver -p
  quiet wine cmd /c exit 0
  if [ -f "$BUILD/tests/keepdesk.exe" ]; then
    local ready="$BUILD/keepdesk.ready"
    rm -f "$ready"
    wine "$BUILD/tests/keepdesk.exe" "$(winepath_of "$ready")" </dev/null >/dev/null 2>&1 &
    KEEPER_PID=$!
    local i
    for i in $(seq 1 400); do
      [ -f "$ready" ] && break
      sleep 0.05
    done
    [ -f "$ready" ] || log "the desktop keeper did not start"
  fi
}

# The Windows form of a Unix path: Wine maps / to Z:.
winepath_of() { echo "Z:${1//\//\\}"; }

stop_all() {
  [ -n "$KEEPER_PID" ] && kill "$KEEPER_PID" 2>/dev/null
  quiet wineserver -k || true
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null; wait "$XVFB_PID" 2>/dev/null; fi
  XVFB_PID=""
  KEEPER_PID=""
}
