#!/usr/bin/env bash
# Builds the Windows program and its tests with MinGW-w64, then runs the
# tests as Windows programs under Wine on a virtual display: the core's unit
# tests and the end-to-end tests that read the program's message box.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}" g++-mingw-w64-x86-64-posix googletest \
  wine64 wine xvfb xauth

build="$ROOT/build-win"
cmake -S "$ROOT" -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build" -j "$JOBS"

# A prefix of its own, made afresh: nothing of an earlier run or of the
# user's ~/.wine takes part.
export WINEPREFIX="$build/wine-prefix"
export WINEDEBUG=-all
# No Mono or Gecko download dialog on the first start.
export WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"

status=0
timeout -k 10 1800 xvfb-run -a -s "-screen 0 1024x768x24" \
  "$ROOT/scripts/wine-tests.sh" "$build" || status=$?
if [ "$status" -eq 77 ]; then
  echo "SKIPPED: Wine cannot start on this machine, so the Windows tests" \
       "did not run (see $build/wine.log)."
  exit 0
fi
exit "$status"
