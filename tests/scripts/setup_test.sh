#!/usr/bin/env bash
# The set-up's decisions against a package mirror that misbehaves, with stand-ins for apt-get
# and dpkg-query on PATH: a refresh that fails as a mirror in the middle of a sync does, a
# package that cannot be installed, Wine's 32-bit part that cannot be installed; and which
# Windows build the scripts pick without that part; and what scripts/test reports at its end.
# Needs root, as the set-up does.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
[ "$(id -u)" -eq 0 ] || { echo "skipped: the set-up runs as root"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # what, expected, actual
  if [ "$2" == "$3" ]; then echo "ok: $1"; else echo "FAILED: $1"; echo "  expected: $2"; echo "  actual:   $3"; failures=$((failures + 1)); fi
}

# The stand-ins keep their state in $state: missing (not installed yet), broken (cannot be
# installed, with the lines apt prints for it), calls (every apt-get call), update-fails.
mkdir -p "$work/bin"
cat >"$work/bin/dpkg-query" <<'STANDIN'
#!/usr/bin/env bash
package=${!#}
grep -qxF "$package" "$CORVANE_STANDIN/missing" 2>/dev/null && exit 1
echo "install ok installed"
STANDIN
cat >"$work/bin/apt-get" <<'STANDIN'
#!/usr/bin/env bash
state=$CORVANE_STANDIN
echo "$*" >>"$state/calls"
if [ "$1" = update ]; then
  [ -e "$state/update-fails" ] || exit 0
  echo "W: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (41020 != 40876). Mirror sync in progress? [IP: 151.101.2.132 80]"
  echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
  exit 100
fi
packages=()
for argument in "$@"; do case "$argument" in install | -*) ;; *) packages+=("$argument") ;; esac; done
for package in "${packages[@]}"; do
  if [ -e "$state/broken/$package" ]; then cat "$state/broken/$package"; exit 100; fi
done
for package in "${packages[@]}"; do grep -vxF "$package" "$state/missing" >"$state/missing.new"; mv "$state/missing.new" "$state/missing"; done
STANDIN
chmod +x "$work/bin/"*

# Runs the set-up with the stand-ins; $1: the packages missing, then files to make in the state.
setup() {
  export CORVANE_STANDIN=$work/state
  rm -rf "$CORVANE_STANDIN"
  mkdir -p "$CORVANE_STANDIN/broken"
  printf '%s\n' $1 >"$CORVANE_STANDIN/missing"
  shift
  local file
  for file in "$@"; do mkdir -p "$(dirname "$CORVANE_STANDIN/$file")"; : >"$CORVANE_STANDIN/$file"; done
}
run_setup() {
  PATH="$work/bin:$PATH" CORVANE_APT_PAUSE=0 "$root/scripts/setup" >"$work/out" 2>"$work/err"
  echo $?
}

# A mirror in the middle of a sync: three refreshes, then the install with the lists there are.
setup "nginx" update-fails
check "mirror sync: the set-up goes on" 0 "$(run_setup)"
check "mirror sync: three refreshes, then the install" "update -qq,update -qq,update -qq,install -y -qq --no-install-recommends nginx" \
  "$(paste -sd, "$CORVANE_STANDIN/calls")"
check "mirror sync: one line says so" "setup: the package lists could not all be refreshed (3 tries: W: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (41020 != 40876). Mirror sync in progress? [IP: 151.101.2.132 80]); going on with those there are" \
  "$(grep 'package lists' "$work/out")"
check "mirror sync: installed" "" "$(cat "$CORVANE_STANDIN/missing")"

# A package that cannot be installed stops the set-up, named with apt's reason; the others go in.
setup "nginx curl"
printf "Package nginx is not available, but is referred to by another package.\nE: Package 'nginx' has no installation candidate\n" \
  >"$CORVANE_STANDIN/broken/nginx"
check "a package that cannot be installed: the set-up stops" 1 "$(run_setup)"
check "a package that cannot be installed: named with apt's reason" \
  "setup: cannot install nginx: E: Package 'nginx' has no installation candidate|setup: stopped (apt's log of the last try: /tmp/corvane-apt.log)" \
  "$(paste -sd'|' "$work/err")"
check "a package that cannot be installed: the others are installed" "nginx" "$(cat "$CORVANE_STANDIN/missing")"

# Wine's 32-bit part that cannot be installed: the set-up goes on without it and says so.
setup "wine32:i386"
printf "The following packages have unmet dependencies:\n wine32:i386 : Depends: libwine:i386 (= 8.0~repack-4) but it is not going to be installed\nE: Unable to correct problems, you have held broken packages.\n" \
  >"$CORVANE_STANDIN/broken/wine32:i386"
check "Wine's 32-bit part missing: the set-up goes on" 0 "$(CORVANE_WINE32_LOADER=/nonexistent run_setup)"
check "Wine's 32-bit part missing: one line says so" \
  "setup: Wine's 32-bit part cannot be installed now (wine32:i386: E: Unable to correct problems, you have held broken packages.); the 64-bit build runs here, and the 32-bit product's tests cannot" \
  "$(grep "32-bit part" "$work/out")"
check "Wine's 32-bit part missing: no emulator is registered for it" "" "$(grep -i emulator "$work/out")"

# Without Wine's 32-bit part the demo, the benchmarks and the soak run the 64-bit build, and
# refuse the 32-bit one.
picked() {
  ( . "$root/scripts/wine-session.sh"; wine_is_emulated() { false; }
    pick_windows_build "$@" 2>"$work/err" && echo "$windows_preset" || echo "refused"; cat "$work/err" )
}
check "build without Wine's 32-bit part" "windows64|setup_test.sh: Wine's 32-bit part is not installed: the 64-bit build|setup_test.sh: the windows64 build (x64)" \
  "$(CORVANE_WINE32_LOADER=/nonexistent picked | paste -sd'|')"
check "the 32-bit build asked for without it" "refused|setup_test.sh: the 32-bit product needs Wine's 32-bit part (wine32:i386), which is not installed" \
  "$(CORVANE_WINE32_LOADER=/nonexistent picked --32 | paste -sd'|')"
check "build with Wine's 32-bit part" "windows|setup_test.sh: the windows build (x86)" "$(CORVANE_WINE32_LOADER=/bin/sh picked | paste -sd'|')"


# scripts/test's closing report, run in a copy of the scripts with stand-ins for the steps it
# drives (set-up, fuzzing, cmake, ctest, Wine): every suite passes, or one of the 64-bit build's
# fails; without Wine's 32-bit part the product's suites are named as not run and the run fails.
tree=$work/tree
mkdir -p "$tree/scripts" "$work/steps"
cp "$root/scripts/test" "$tree/scripts/"
# Whether 32-bit code is emulated is this test's choice, not the machine's.
sed "s|/proc/sys/fs/binfmt_misc/corvane-i386|$work/emulated|" "$root/scripts/wine-session.sh" >"$tree/scripts/wine-session.sh"
for step in setup fuzz wine-run; do printf '#!/bin/sh\nexit 0\n' >"$tree/scripts/$step"; done
printf '#!/bin/sh\nexit 0\n' >"$work/steps/cmake"
cp "$work/steps/cmake" "$work/steps/wineserver"
cat >"$work/steps/ctest" <<'STANDIN'
#!/usr/bin/env bash
preset=$2
if [ "$3" = -N ]; then
  printf '  Test  #%d: %s\n' 1 windows_fixture_start 2 install_tests 3 window_tests 4 product_update; exit 0
fi
echo "ctest $*" >>"$CORVANE_STANDIN/calls"
temporary=build/$preset/Testing/Temporary
mkdir -p "$temporary"
echo "Test project $PWD/build/$preset"
if [ "$preset" = "${CORVANE_STANDIN_FAILS:-}" ]; then
  printf '[==========] 7 tests from 2 test suites ran. (5 ms total)\nwindow_test.cpp:40: Failure\nExpected equality of these values:\n[  FAILED  ] Window.EscCloses\n' >"$temporary/LastTest.log"
  echo "3:window_tests" >"$temporary/LastTestsFailed.log"
  echo "75% tests passed, 1 tests failed out of 4"
else
  printf '[==========] 7 tests from 2 test suites ran. (5 ms total)\n[==========] 1 test from 1 test suite ran. (1 ms total)\n' >"$temporary/LastTest.log"
  echo "100% tests passed, 0 tests failed out of 4"
fi
STANDIN
chmod +x "$tree/scripts/"* "$work/steps/"*
run_test() {  # Wine's 32-bit loader, the preset whose suite fails
  setup ""
  ( cd "$tree" && PATH="$work/steps:$PATH" DISPLAY=:99 CORVANE_WINE32_LOADER=$1 CORVANE_STANDIN_FAILS=${2:-} \
      scripts/test >"$work/out" 2>&1 )
  echo $?
}
ran() { sed 's/^ctest --preset \([a-z0-9]*\) .*--timeout [0-9]*/\1/' "$CORVANE_STANDIN/calls" | paste -sd,; }
report() { sed -n '/^== totals/,$p' "$work/out" | sed 's/ ([0-9]* s)$//'; }

check "scripts/test, every suite passes" 0 "$(run_test /bin/sh)"
check "scripts/test, every suite passes: the suites run" "native,windows64 -LE product,windows" "$(ran)"
check "scripts/test, every suite passes: the report" "== totals
native:    100% tests passed, 0 tests failed out of 4
windows64: 100% tests passed, 0 tests failed out of 4; GoogleTest cases: 8
windows:   100% tests passed, 0 tests failed out of 4; GoogleTest cases: 8" "$(report)"

check "scripts/test, a 64-bit case fails" 1 "$(run_test /bin/sh windows64)"
check "scripts/test, a 64-bit case fails: the report names it" "windows64: 75% tests passed, 1 tests failed out of 4; GoogleTest cases: 7
== failures in build/windows64-tests.log:
window_test.cpp:40: Failure
Expected equality of these values:
[  FAILED  ] Window.EscCloses
-- the end of window_tests:" "$(report | sed -n '3p;5,$p')"

check "scripts/test without Wine's 32-bit part fails" 1 "$(run_test /nonexistent)"
check "scripts/test without Wine's 32-bit part: the others run" "native,windows64 -LE product" "$(ran)"
check "scripts/test without Wine's 32-bit part: the report names what was not run" "== totals
native:    100% tests passed, 0 tests failed out of 4
windows64: 100% tests passed, 0 tests failed out of 4; GoogleTest cases: 8
windows:   NOT RUN: the 32-bit product's suites were not run: Wine's 32-bit part (wine32:i386) is not installed (install_tests window_tests product_update )" "$(report)"

# Where 32-bit code is emulated: the product's suites of one process, then its whole update
# driven by the 64-bit tests.
touch "$work/emulated"
check "scripts/test, 32-bit code emulated" 0 "$(run_test /bin/sh)"
check "scripts/test, 32-bit code emulated: the suites run" "native,windows64 -LE product,windows -L emulated,windows64 -L product" "$(ran)"
check "scripts/test, 32-bit code emulated: the report" "windows, the 32-bit product driven by the 64-bit tests: 100% tests passed, 0 tests failed out of 4" \
  "$(report | tail -n 1)"
rm "$work/emulated"

[ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
