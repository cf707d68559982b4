#!/usr/bin/env bash
# Inside the virtual display of scripts/test-windows.sh: starts Wine in the
# prefix that it names and runs the Windows tests of the build folder given
# as the argument. Exits with 77 when Wine cannot start at all.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

build="$1"
log="$build/wine.log"

# The server and the services Wine starts in the background outlive every
# command here and keep the output they were given open; they get the log,
# and are ended on the way out so that nothing waits on them.
stop_wine() { timeout -k 5 60 wineserver -k >>"$log" 2>&1 || true; }
trap stop_wine EXIT

# One server for the whole run, rather than one per test.
mkdir -p "$WINEPREFIX"
timeout -k 5 60 wineserver -p </dev/null >"$log" 2>&1 || exit 77
# The first start fills the new prefix.
timeout -k 10 300 wineboot --init </dev/null >>"$log" 2>&1 || exit 77

ctest --test-dir "$build" --output-on-failure --no-tests=error -j "$JOBS" \
  --timeout 300
