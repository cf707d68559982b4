#!/usr/bin/env bash
# Builds everything and runs every test: the unit and end-to-end tests, then
# the same tests again under AddressSanitizer and UndefinedBehaviorSanitizer,
# then the Windows program's tests under Wine.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}" libgtest-dev libgmock-dev

run_suite() {
  local dir="$1"; shift
  cmake -S "$ROOT" -B "$dir" "$@" >/dev/null
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
