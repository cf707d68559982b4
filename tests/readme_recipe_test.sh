#!/usr/bin/env bash
# Runs the README's commands that convert a UTF-8 template to Windows-1256,
# as a designer would: on a template saved with a byte-order mark, a
# declared UTF-8 charset and the Persian keyboard's characters they must
# replace, and on one with a character Windows-1256 lacks, which must leave
# Template.htm as it was and name the line and the character.
# Usage: readme_recipe_test.sh README.md
set -euo pipefail

recipe="$(sed -n '/<!-- recipe: to Windows-1256/,/^```$/p' "$1" | sed '1,2d;$d')"
[ -n "$recipe" ] || { echo "no recipe found in $1" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() { echo "FAILED: $*" >&2; exit 1; }

printf '\xef\xbb\xbf<meta charset="UTF-8">\r\n<p>سلامی ۱۲۳ ٤٥ کتاب، نمونهٔ ۲۰٪ ۳٫۵ ۱٬۰۰۰ ۀ ﷼</p>\r\n' >mine.htm
bash -c "$recipe"
printf '<meta charset="windows-1256">\r\n<p>سلامي 123 45 کتاب، نمونه\u200cي 20%% 3.5 1,000 ه\u200cي ريال</p>\r\n' |
  iconv -f UTF-8 -t CP1256 >expected
cmp -s Template.htm expected || fail "the converted template differs: $(od -c Template.htm)"

printf '<p>ok</p>\n<p>رحمٰن ✓</p>\n' >mine.htm
listed="$(bash -c "$recipe")"
[ "$listed" = "line 2: ٰ U+0670 ✓ U+2713" ] || fail "the list of what is left: $listed"
cmp -s Template.htm expected || fail "a failed conversion changed Template.htm"
[ "$(ls)" = "$(printf 'Template.htm\nexpected\nmine.htm')" ] ||
  fail "a failed conversion left: $(ls)"
echo "The README's conversion works, and a failed one changes nothing and lists what is left."
