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

# No window manager runs on the virtual display: Wine must not wait for one
# (2 s whenever a window is hidden, as each message box is on OK).
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
  </dev/null >>"$log" 2>&1 || exit 77
# In a locale written in Arabic script (Persian among them) Wine maps the
# dialog font to Microsoft Sans Serif, which it lacks; made another name
# for Tahoma, it draws the boxes as in any other locale, rather than in
# whichever face Wine's search for a stand-in finds.
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' \
  /v 'Microsoft Sans Serif' /d Tahoma /f </dev/null >>"$log" 2>&1 || exit 77
# One desktop and one explorer.exe for the whole run, made here with the log
# as their output (see tests/windows/desktop_holder-win32.cc); the holder
# says "ready" once the desktop is up and stays until the server is stopped.
holder="$build/desktop-holder.fifo"
rm -f "$holder"
mkfifo "$holder"
wine "$build/tests/desktop_holder.exe" </dev/null >"$holder" 2>>"$log" &
ready=""
read -r -t 120 ready <"$holder" || true
rm -f "$holder"
[ "${ready%$'\r'}" = ready ] || {
  echo "The desktop holder did not start (see $log)." >&2
  exit 1
}

if ctest --test-dir "$build" --output-on-failure --no-tests=error -j "$JOBS" \
    --timeout 300 >"$build/ctest.log" 2>&1; then
  grep -E 'tests passed|Total Test time' "$build/ctest.log"
else
  cat "$build/ctest.log"
  exit 1
fi
