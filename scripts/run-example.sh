#!/usr/bin/env bash
# Builds the program and runs it on the example template, as a designer
# would: the program and Template.htm side by side in one folder.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}"
cmake -S "$ROOT" -B "$ROOT/build" -DCMAKE_BUILD_TYPE=Release \
  -DTEMPLATE_PREVIEW_TESTS=OFF -DTEMPLATE_PREVIEW_BENCHMARKS=OFF >/dev/null
cmake --build "$ROOT/build" --target template-preview -j "$JOBS" >/dev/null

folder="$ROOT/build/example"
rm -rf "$folder"
mkdir -p "$folder"
cp "$ROOT/build/template-preview" "$ROOT/examples/Template.htm" "$folder/"
"$folder/template-preview"
if [ -f "$folder/index.htm" ]; then
  echo "Preview written to $folder/index.htm"
else
  echo "No preview was written (see the message above)." >&2
  exit 1
fi
