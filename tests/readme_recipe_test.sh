#!/usr/bin/env bash
# Runs the README's command that converts a UTF-8 template to Windows-1256,
# as a designer would: on a template saved with a byte-order mark, the
# Persian yeh and Persian and Arabic digits it must convert, and on one with
# a character Windows-1256 lacks, which must leave Template.htm as it was.
# Usage: readme_recipe_test.sh README.md
set -euo pipefail

recipe="$(sed -n '/<!-- recipe: to Windows-1256/,/^```$/p' "$1" | sed '1,2d;$d')"
[ -n "$recipe" ] || { echo "no recipe found in $1" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() { echo "FAILED: $*" >&2; exit 1; }

printf '\xef\xbb\xbf<p>سلامی ۱۲۳ ٤٥ کتاب</p>\r\n' >mine.htm
bash -c "$recipe"
# <p>سلامي 123 45 کتاب</p> in Windows-1256, line end kept.
printf '<p>\xd3\xe1\xc7\xe3\xed 123 45 \x98\xca\xc7\xc8</p>\r\n' >expected
cmp -s Template.htm expected || fail "the converted template differs: $(od -c Template.htm)"

printf '<p>ۀ</p>\n' >mine.htm
bash -c "$recipe" 2>/dev/null || true
cmp -s Template.htm expected || fail "a failed conversion changed Template.htm"
[ "$(ls)" = "$(printf 'Template.htm\nexpected\nmine.htm')" ] ||
  fail "a failed conversion left: $(ls)"
echo "The README's conversion works, and a failed one changes nothing."
