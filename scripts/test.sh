#!/usr/bin/env bash
# Builds everything and runs every test, each stage with warnings as errors:
#   1. the builds a user may choose (the plain one, Release, Debug);
#   2. the unit, end-to-end and browser tests (RelWithDebInfo);
#   3. the same under AddressSanitizer and UndefinedBehaviorSanitizer, built
#      with clang, but for the cases that only measure size;
#   4. a fixed number of fuzzing runs over the pure pipeline;
#   5. the Windows program, its download and its tests under Wine.
# The benchmark is built with the tests but not run (bench/whole-run.sh).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

started=$SECONDS
stage() {
  echo "== $1 ($((SECONDS - started)) s so far)"
}

stage "Installing what the tests need, where missing"
# bindfs, fusefat and dosfstools give the end-to-end tests the folders
# designers have besides the local disk: FUSE and network-like ones, FAT.
# myspell-fa is Debian's Persian word list, every word of which the encoding
# check must take for Windows-1256 when it stands alone on a page. The
# browser tests drive chromium with python3 alone; chromium-l10n gives it
# Persian, in which it assumes another encoding for an undeclared page.
ensure_packages "${BUILD_PACKAGES[@]}" libgtest-dev libgmock-dev \
  libbenchmark-dev clang libclang-rt-14-dev chromium chromium-l10n python3 \
  bindfs fusefat dosfstools myspell-fa

# configure DIR [CMAKE ARGUMENTS...]
configure() {
  local dir="$1"; shift
  cmake -S "$ROOT" -B "$dir" -DTEMPLATE_PREVIEW_WERROR=ON "$@" >/dev/null
}

build() {
  cmake --build "$1" -j "$JOBS" >/dev/null
}

# Runs a build's tests; prints their summary, each skipped test with its
# reason (run as a normal user, the cases that mount folders or make
# namespaces skip), or all of ctest's output when any fails.
run_tests() {
  local dir="$1"; shift
  if ctest --test-dir "$dir" --output-on-failure --no-tests=error -j "$JOBS" \
      --timeout 300 --output-junit "$dir/ctest.xml" "$@" \
      >"$dir/ctest.log" 2>&1; then
    grep -E 'tests passed|Total Test time' "$dir/ctest.log"
    python3 "$ROOT/scripts/skipped_tests.py" "$dir/ctest.xml" |
      tee -a "$ROOT/build-check/skipped.txt"
  else
    cat "$dir/ctest.log"
    return 1
  fi
}

mkdir -p "$ROOT/build-check"
: >"$ROOT/build-check/skipped.txt"

stage "Builds: plain, Release, Debug"
# The plain build is the one the README shows: it must come out optimised.
configure "$ROOT/build-check/plain" -UCMAKE_BUILD_TYPE \
  -DTEMPLATE_PREVIEW_TESTS=OFF -DTEMPLATE_PREVIEW_BENCHMARKS=OFF
grep -q '^CMAKE_BUILD_TYPE:STRING=Release$' "$ROOT/build-check/plain/CMakeCache.txt" || {
  echo "A build that names no type is not a Release build." >&2
  exit 1
}
cmake --build "$ROOT/build-check/plain" --target template-preview -j "$JOBS" >/dev/null
for type in Release Debug; do
  configure "$ROOT/build-check/$type" -DCMAKE_BUILD_TYPE="$type"
  build "$ROOT/build-check/$type"
done

stage "Tests"
configure "$ROOT/build-test" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTEMPLATE_PREVIEW_BROWSER_TEST=ON
build "$ROOT/build-test"
run_tests "$ROOT/build-test"

stage "Tests under AddressSanitizer and UBSan (clang)"
CXX=clang++ configure "$ROOT/build-asan" -DCMAKE_BUILD_TYPE=Debug \
  -DTEMPLATE_PREVIEW_SANITIZE=ON -DTEMPLATE_PREVIEW_BENCHMARKS=OFF
build "$ROOT/build-asan"
# Templates of 64 and 256 MB, or of megabytes of openings, find nothing
# more under the sanitizers; they only take longer.
run_tests "$ROOT/build-asan" -E 'LargeTemplate|MegabytesOfOpenings'

stage "Fuzzing under AddressSanitizer and UBSan"
CXX=clang++ configure "$ROOT/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTEMPLATE_PREVIEW_FUZZ=ON -DTEMPLATE_PREVIEW_TESTS=OFF \
  -DTEMPLATE_PREVIEW_BENCHMARKS=OFF
cmake --build "$ROOT/build-fuzz" -j "$JOBS" --target pipeline_fuzz >/dev/null
# A fixed number of inputs from a fixed seed, starting from the seed corpus
# in the repository. Inputs it finds go to a scratch folder (the first one
# given is the one libFuzzer adds to); an input that breaks a property is
# kept as build-fuzz/crash-*.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
log="$ROOT/build-fuzz/pipeline_fuzz.log"
if ! "$ROOT/build-fuzz/fuzz/pipeline_fuzz" -runs=100000 -seed=1 -max_len=16384 \
    -dict="$ROOT/fuzz/pipeline.dict" -print_final_stats=1 \
    -artifact_prefix="$ROOT/build-fuzz/" "$scratch" "$ROOT/fuzz/corpus/pipeline" \
    2>"$log"; then
  tail -n 40 "$log" >&2
  exit 1
fi
grep -E '^Done' "$log"

stage "Windows program, download and tests under Wine"
"$ROOT/scripts/test-windows.sh" | tee "$ROOT/build-check/windows.log"
grep '^SKIPPED:' "$ROOT/build-check/windows.log" | sed 's/^SKIPPED:/  skipped:/' \
  >>"$ROOT/build-check/skipped.txt" || true

# Each skipped test once, however many builds skipped it.
skipped="$(sort -u "$ROOT/build-check/skipped.txt")"
if [ -n "$skipped" ]; then
  echo "Not run ($(wc -l <<<"$skipped") skipped; as root, as CI runs it," \
       "every test runs):"
  echo "$skipped"
fi
echo "All tests passed in $((SECONDS - started)) s."
