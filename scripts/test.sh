#!/usr/bin/env bash
# Builds everything and runs every test: the unit, end-to-end and browser
# tests, then the same tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the Windows program's tests under Wine.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}" libgtest-dev libgmock-dev chromium
# Only when missing: a Node.js from outside Debian brings its own npm, and
# Debian's npm package conflicts with it.
command -v node >/dev/null || ensure_packages nodejs
command -v npm >/dev/null || ensure_packages npm
# The browser test's driver, at the version in the lock file.
(cd "$ROOT/tests/browser" && npm ci --engine-strict --no-audit --no-fund)

run_suite() {
  local dir="$1"; shift
  cmake -S "$ROOT" -B "$dir" -DTEMPLATE_PREVIEW_BROWSER_TEST=ON "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS"
  ctest --test-dir "$dir" --output-on-failure --no-tests=error -j "$JOBS"
}

echo "== Tests"
run_suite "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo

echo "== Tests under AddressSanitizer and UBSan"
run_suite "$ROOT/build-asan" -DCMAKE_BUILD_TYPE=Debug -DTEMPLATE_PREVIEW_SANITIZE=ON

echo "== Windows program and tests under Wine"
"$ROOT/scripts/test-windows.sh"

echo "All tests passed."
