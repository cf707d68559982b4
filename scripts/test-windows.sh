#!/usr/bin/env bash
# Builds the Windows program, its download and its tests with MinGW-w64,
# checks that the program and the zip build to the same bytes from another
# folder, then runs the tests under Wine on a virtual display: the unit
# tests as Windows programs, the end-to-end tests that read the program's
# message box, and the check of the zip.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# fonts-wine: Wine's own fonts, which the tests draw with (see below).
ensure_packages "${BUILD_PACKAGES[@]}" g++-mingw-w64-x86-64-posix googletest \
  wine64 wine fonts-wine xvfb xauth python3

toolchain="$ROOT/cmake/mingw-w64-x86_64.cmake"
build="$ROOT/build-win"
cmake -S "$ROOT" -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTEMPLATE_PREVIEW_WERROR=ON >/dev/null
# The build makes the zip too; the test download_zip checks what it holds.
cmake --build "$build" -j "$JOBS" >/dev/null
zip_name="template-preview-$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' \
  "$build/CMakeCache.txt")-win64.zip"
zip="$build/$zip_name"
echo "Download: $zip"

# Anyone must be able to build a download again and get the same program
# and the same zip: a copy of the sources elsewhere, built in a fresh
# folder, must match byte for byte. The copy has no git history, as a
# tarball has none: it is given the sources' date as a tarball build is,
# in SOURCE_DATE_EPOCH, which the first build took from git itself.
source_date="${SOURCE_DATE_EPOCH:-$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null || true)}"
sources="$(mktemp -d)"
again="$(mktemp -d)"
trap 'rm -rf "$sources" "$again"' EXIT
tar -C "$ROOT" --exclude='./build*' --exclude=./.git --exclude=node_modules \
  -cf - . | tar -C "$sources" -xf -
SOURCE_DATE_EPOCH="$source_date" cmake -S "$sources" -B "$again" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$sources/cmake/mingw-w64-x86_64.cmake" \
  -DTEMPLATE_PREVIEW_TESTS=OFF >/dev/null
cmake --build "$again" --target download -j "$JOBS" >/dev/null
for file in template-preview.exe "$zip_name"; do
  if ! cmp -s "$build/$file" "$again/$file"; then
    echo "$file built from a copy elsewhere differs from build-win/$file:" \
         "the build is not reproducible." >&2
    exit 1
  fi
done
echo "Built again from a copy elsewhere: the same program and zip, byte for" \
     "byte (SHA-256 $(sha256sum "$zip" | cut -d' ' -f1))."

# A prefix of its own, made afresh: nothing of an earlier run or of the
# user's ~/.wine takes part.
export WINEPREFIX="$build/wine-prefix"
# Wine names Unix files in the locale's character set: with none set (a new
# server, a container) a folder with a Persian name cannot be made at all.
# One locale for every machine, whatever its own: the same file names, the
# same Windows locale, the same fonts asked for.
export LC_ALL=C.UTF-8
unset LANGUAGE
export WINEDEBUG=-all
# No Mono or Gecko download dialog on the first start.
export WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"

# The message boxes are drawn with fonts the tests choose, never with the
# machine's: the box test measures them, and a host font with taller lines
# (Noto, on a Debian desktop) pushed the longest box off the screen. They
# are drawn in Tahoma, Wine's own font with Arabic and Persian letters,
# installed in the prefix as on Windows (Debian's Wine 8 does not load it
# from where fonts-wine puts it). Wine also takes every font fontconfig
# lists, and from those any face or letter its own fonts lack; fontconfig
# is given a configuration that lists no folder. Fencing the host's fonts
# off whole is simpler and surer than outranking each one that could step
# in (one of the same name, a fallback for a mark Tahoma lacks, a face
# another locale asks for), and Wine needs none of them.
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
export FONTCONFIG_FILE="$build/no-host-fonts.conf"
echo '<fontconfig></fontconfig>' >"$FONTCONFIG_FILE"

status=0
timeout -k 10 1800 xvfb-run -a -s "-screen 0 1024x768x24" \
  "$ROOT/scripts/wine-tests.sh" "$build" || status=$?
if [ "$status" -eq 77 ]; then
  echo "SKIPPED: Wine cannot start on this machine, so the Windows tests" \
       "did not run (see $build/wine.log)."
  exit 0
fi
exit "$status"
