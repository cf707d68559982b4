#!/usr/bin/env bash
# Measures the whole program as a designer runs it, side by side with a
# baseline that only converts the same file through the code page and back
# (iconv CP1256 -> UTF-16LE -> CP1256), in one interleaved run:
#   - a realistic 32 MB template: time at most 2 times the baseline's;
#   - the same run's peak resident memory: at most 4 times the template;
#   - a realistic 50 KB template: time at most 1 time the baseline's.
# Prints the medians and the ratios; exits with 1 when a goal is missed.
# Usage: bench/whole-run.sh [RUNS]   (RUNS of each at 32 MB, default 7;
#                                     the 50 KB case runs 5 times as often)
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"

runs="${1:-7}"
ensure_packages "${BUILD_PACKAGES[@]}" time

build="$ROOT/build-bench"
# The benchmark's template maker is built without the tests (and without
# GoogleTest): only the program and make_template are needed here.
cmake -S "$ROOT" -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DTEMPLATE_PREVIEW_TESTS=OFF -DTEMPLATE_PREVIEW_BENCHMARKS=ON >/dev/null
cmake --build "$build" -j "$JOBS" --target template-preview make_template \
  >/dev/null

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# The program tells its outcome on the terminal, not in a dialog that would
# wait for a click.
unset DISPLAY WAYLAND_DISPLAY

# Seconds, with microseconds, since some point: bash's own clock, so that
# no extra process is started inside a measurement.
now() { echo "${EPOCHREALTIME/[,.]/}"; }

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Times the program and the baseline on one template, alternately, and
# prints "program_us baseline_us peak_kb" medians.
measure() {
  local size="$1" count="$2" dir="$work/$1"
  mkdir -p "$dir"
  cp "$build/template-preview" "$dir/"
  "$build/bench/make_template" "$size" "$dir/Template.htm"
  local ours=() theirs=() peaks=() start
  for ((i = 0; i < count; i++)); do
    rm -f "$dir/index.htm"
    start=$(now)
    "$dir/template-preview" >/dev/null
    ours+=($(($(now) - start)))
    [ -f "$dir/index.htm" ] || { echo "no preview was written" >&2; exit 2; }

    start=$(now)
    iconv -f CP1256 -t UTF-16LE "$dir/Template.htm" |
      iconv -f UTF-16LE -t CP1256 >"$dir/round-trip.htm"
    theirs+=($(($(now) - start)))

    rm -f "$dir/index.htm"
    peaks+=($(/usr/bin/time -f %M "$dir/template-preview" 2>&1 >/dev/null |
      tail -n 1))
  done
  echo "$(printf '%s\n' "${ours[@]}" | median)" \
       "$(printf '%s\n' "${theirs[@]}" | median)" \
       "$(printf '%s\n' "${peaks[@]}" | median)" \
       "$(stat -c %s "$dir/Template.htm")"
}

met=0
# goal NAME VALUE LIMIT: prints the line and remembers a miss.
goal() {
  local verdict=ok
  awk -v v="$2" -v l="$3" 'BEGIN { exit !(v <= l) }' || { verdict=MISSED; met=1; }
  printf '%-44s %6.2f  (goal <= %s)  %s\n' "$1" "$2" "$3" "$verdict"
}

# report SIZE RUNS TIME_GOAL [MEMORY_GOAL]: measures one template and
# prints its medians and ratios against the goals.
report() {
  local ours theirs peak bytes
  read -r ours theirs peak bytes < <(measure "$1" "$2")
  echo "$1 template ($bytes bytes), median of $2 runs:"
  printf '  program %8.2f ms   iconv round trip %8.2f ms   peak %d KB\n' \
    "$(awk -v u="$ours" 'BEGIN { print u / 1000 }')" \
    "$(awk -v u="$theirs" 'BEGIN { print u / 1000 }')" "$peak"
  goal "  time / iconv round trip" \
    "$(awk -v a="$ours" -v b="$theirs" 'BEGIN { print a / b }')" "$3"
  if [ $# -ge 4 ]; then
    goal "  peak resident memory / template size" \
      "$(awk -v k="$peak" -v b="$bytes" 'BEGIN { print k * 1024 / b }')" "$4"
  fi
}

report 32M "$runs" 2 4
report 50K "$((runs * 5))" 1
exit "$met"
