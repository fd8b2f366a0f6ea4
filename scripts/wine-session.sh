# Sourced by the scripts that run several Windows programs in a row: one Xvfb display (unless
# DISPLAY is set), one private Wine prefix made afresh, one persistent wineserver, all ended
# when the script exits.
#
#   . scripts/wine-session.sh
#   start_wine_session PREFIX_DIRECTORY [x86|x64 [keep]]
#
# x86 or x64 is the programs' architecture (default x86). The prefix is made afresh, unless
# "keep" says to use one that is already ready (made beforehand by scripts/wine-run --init).

wine_session_xvfb=

# True where 32-bit code runs only under qemu's emulator (scripts/setup registered it).
wine_is_emulated() { [ -e /proc/sys/fs/binfmt_misc/corvane-i386 ]; }

# True where Wine's 32-bit part is installed (scripts/setup goes on without it when the package
# mirror cannot give it): only the 32-bit product needs it.
wine32_installed() { [ -x "${CORVANE_WINE32_LOADER:-/usr/lib/wine/wine}" ]; }

# The Windows build a script runs: the one named (--32: the 32-bit product, --64: the 64-bit
# build), else the one that runs natively here (64-bit where 32-bit code is only emulated, the
# 32-bit product elsewhere). Sets windows_preset, windows_arch (x86, x64) and windows_bin, and
# says which.
pick_windows_build() {
  local choice=${1:-}
  if [ -z "$choice" ]; then
    choice=--32
    if wine_is_emulated; then
      choice=--64
    elif ! wine32_installed; then
      echo "$(basename "$0"): Wine's 32-bit part is not installed: the 64-bit build" >&2
      choice=--64
    fi
  fi
  if [ "$choice" = --32 ] && ! wine32_installed; then
    echo "$(basename "$0"): the 32-bit product needs Wine's 32-bit part (wine32:i386), which is not installed" >&2
    return 1
  fi
  case "$choice" in
    --32) windows_preset=windows windows_arch=x86 ;;
    --64) windows_preset=windows64 windows_arch=x64 ;;
    *) echo "pick_windows_build: --32 or --64" >&2; return 2 ;;
  esac
  windows_bin="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/$windows_preset/bin"
  echo "$(basename "$0"): the $windows_preset build ($windows_arch)$(wine_is_emulated && [ "$windows_arch" = x86 ] \
    && echo ', emulated here: about a minute for every program started')" >&2
}

stop_wine_session() {
  WINEPREFIX="$CORVANE_WINEPREFIX" wineserver -k 2>/dev/null || true
  # The display goes with the session that started it, and so does its name: a later session
  # must not draw on a display that is gone.
  if [ -n "$wine_session_xvfb" ]; then
    kill "$wine_session_xvfb" 2>/dev/null || true
    wine_session_xvfb=
    unset DISPLAY
  fi
}

start_wine_session() {
  export CORVANE_WINEPREFIX=$1 CORVANE_WINE_ARCH=${2:-x86}
  [ "${3:-}" = keep ] || rm -rf "$CORVANE_WINEPREFIX" "$CORVANE_WINEPREFIX.lock"
  if [ -z "${DISPLAY:-}" ]; then
    local n
    for n in $(seq 40 160); do
      [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
      Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
      wine_session_xvfb=$!
      for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
      export DISPLAY=":$n"
      break
    done
  fi
  "$(dirname "${BASH_SOURCE[0]}")/wine-run" --init
  WINEPREFIX="$CORVANE_WINEPREFIX" wineserver -p
  # Wine's own background processes start now, detached from any output a caller captures:
  # started by a later program instead, they would hold its pipes open.
  "$(dirname "${BASH_SOURCE[0]}")/wine-run" --services </dev/null >/dev/null 2>&1 || true
}
