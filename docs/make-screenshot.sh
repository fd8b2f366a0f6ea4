#!/usr/bin/env bash
# Makes docs/updater-window.png: starts the built updater under Wine in Xvfb (through
# scripts/wine-run's environment), waits for its window with the test driver, captures the
# window from the X screen and closes it. Needs a Windows build (cmake --build --preset windows).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin="$root/build/windows/bin"
run=$(mktemp -d)
xvfb_pid=
cleanup() {
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$run"
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  Xvfb :89 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=:89
  sleep 1
fi
cp "$bin/CorvaneUpdater.exe" "$run/"
(cd "$run" && "$root/scripts/wine-run" CorvaneUpdater.exe >/dev/null 2>&1 &)
"$root/scripts/wine-run" "$bin/corvane_driver.exe" find >/dev/null
sleep 1  # the first paint
# The window is centred: (1024 - 500) / 2, (768 - 430) / 2.
import -window root -crop 500x430+262+169 +repage "$root/docs/updater-window.png"
"$root/scripts/wine-run" "$bin/corvane_driver.exe" close >/dev/null
echo "docs/updater-window.png"
