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

# The designer's locale is not the recipe's business: it sets what it needs
# itself. Each row is the value of LANG, "unset" for none at all (a new
# server, a container, an ssh session without one).
for locale in unset C C.UTF-8 fa_IR.UTF-8; do
  run_recipe() {
    if [ "$locale" = unset ]; then
      env -u LANG -u LC_ALL -u LC_CTYPE -u LANGUAGE bash -c "$recipe"
    else
      env -u LC_ALL -u LC_CTYPE -u LANGUAGE LANG="$locale" bash -c "$recipe"
    fi
  }
  rm -f Template.htm
  printf '\xef\xbb\xbf<meta charset="UTF-8">\r\n<p>سلامی ۱۲۳ ٤٥ کتاب، نمونهٔ ۲۰٪ ۳٫۵ ۱٬۰۰۰ ۀ ﷼</p>\r\n' >mine.htm
  run_recipe
  # The zero-width non-joiner as its UTF-8 bytes: printf's \u writes
  # "\u200C" itself where the shell's locale is not UTF-8.
  printf '<meta charset="windows-1256">\r\n<p>سلامي 123 45 کتاب، نمونه\xe2\x80\x8cي 20%% 3.5 1,000 ه\xe2\x80\x8cي ريال</p>\r\n' |
    iconv -f UTF-8 -t CP1256 >expected
  cmp -s Template.htm expected ||
    fail "LANG $locale: the converted template differs: $(od -c Template.htm)"

  printf '<p>ok</p>\n<p>رحمٰن ✓</p>\n' >mine.htm
  listed="$(run_recipe)"
  [ "$listed" = "line 2: ٰ U+0670 ✓ U+2713" ] ||
    fail "LANG $locale: the list of what is left: $listed"
  cmp -s Template.htm expected ||
    fail "LANG $locale: a failed conversion changed Template.htm"
  [ "$(ls)" = "$(printf 'Template.htm\nexpected\nmine.htm')" ] ||
    fail "LANG $locale: a failed conversion left: $(ls)"
done
echo "The README's conversion works in every locale, and a failed one changes nothing and lists what is left."
