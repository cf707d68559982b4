#!/usr/bin/env bash
# Builds everything and runs every test: the unit, end-to-end and browser
# tests, then the same tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, then a fixed number of fuzzing runs over the
# pure pipeline, then the Windows program's tests under Wine. The benchmark is
# built with the tests but not run (build/bench/pipeline_bench runs it).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}" libgtest-dev libgmock-dev \
  libbenchmark-dev clang libclang-rt-14-dev chromium
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

# Runs a fuzz target for a fixed number of inputs from a fixed seed, starting
# from the seed corpus in the repository. Inputs it finds go to a scratch
# folder (the first folder given is the one libFuzzer adds to); an input that
# breaks a property is kept in build-fuzz/ as crash-*.
run_fuzzer() {
  local target="$1" runs="$2" scratch
  scratch="$(mktemp -d)"
  echo "-- $target: $runs runs"
  if ! "$ROOT/build-fuzz/fuzz/$target" -runs="$runs" -seed=1 -max_len=16384 \
      -dict="$ROOT/fuzz/${target%_fuzz}.dict" \
      -print_final_stats=1 -artifact_prefix="$ROOT/build-fuzz/" \
      "$scratch" "$ROOT/fuzz/corpus/${target%_fuzz}" 2>"$ROOT/build-fuzz/$target.log"; then
    tail -n 40 "$ROOT/build-fuzz/$target.log" >&2
    rm -rf "$scratch"
    return 1
  fi
  grep -E '^(Done|stat::number_of_executed_units)' "$ROOT/build-fuzz/$target.log"
  rm -rf "$scratch"
}

echo "== Tests"
run_suite "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo

echo "== Tests under AddressSanitizer and UBSan"
run_suite "$ROOT/build-asan" -DCMAKE_BUILD_TYPE=Debug -DTEMPLATE_PREVIEW_SANITIZE=ON

echo "== Fuzzing under AddressSanitizer and UBSan"
CXX=clang++ cmake -S "$ROOT" -B "$ROOT/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTEMPLATE_PREVIEW_FUZZ=ON -DTEMPLATE_PREVIEW_TESTS=OFF \
  -DTEMPLATE_PREVIEW_BENCHMARKS=OFF >/dev/null
cmake --build "$ROOT/build-fuzz" -j "$JOBS" --target pipeline_fuzz
run_fuzzer pipeline_fuzz 100000

echo "== Windows program and tests under Wine"
"$ROOT/scripts/test-windows.sh"

echo "All tests passed."
