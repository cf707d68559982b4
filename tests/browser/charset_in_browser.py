#!/usr/bin/env python3
"""Previews of templates that declare no charset, or declare Windows-1256,
opened in headless Chromium from file:// as a designer opens them: the
browser must decode each as Windows-1256, whatever its guess from the bytes
or its language's default would be, read the sample site name, and lay the
page out in the same mode as the template opened on its own (a tag put
before the doctype would turn a standards page into a quirks one).

    charset_in_browser.py PROGRAM CHROMIUM
"""

import pathlib
import shutil
import sys
import tempfile

from chromium import Chromium, run_checks
from preview_in_browser import make_preview

SITE_NAME = 'عنوان سايت'

# Four paragraphs of Persian, as a post's text would have them.
PERSIAN = ''.join(f'<p>{text}</p>' for text in [
    'اين يك متن نمونه است كه براي آزمايش قالب نوشته شده است.',
    'نويسنده در اين وبلاگ از روزهاي بهار و باران سخن مي\u200cگويد.',
    'خوانندگان مي\u200cتوانند نظر خود را در پايين هر نوشته بنويسند.',
    'بايگاني نوشته\u200cها در ستون كناري صفحه آمده است.',
]).encode('cp1256')

# English typography in Windows-1256's upper half: the dashes, quotation
# marks, guillemet, apostrophe, ellipsis and copyright sign that make a
# browser guess Windows-1252 for a page that declares nothing.
ENGLISH_TYPOGRAPHY = (b'<html><head><title>Test</title></head><body><ul>' +
                      b'<li>Home \x96 \x93Latest posts\x94 \xbb Archive '
                      b'\x92s \x85 \xa9 2009</li>' * 5 +
                      b'</ul><b><#SiteName#></b>' + PERSIAN)

BODY = b'<body><b><#SiteName#></b>' + PERSIAN + b'</body></html>'
HEAD = b'<head><title>Test</title></head>'

# Name and bytes of each template.
TEMPLATES = [
    ('undeclared, with English typography', ENGLISH_TYPOGRAPHY),
    ('a doctype after a comment',
     b'<!-- made by hand -->\r\n<!DOCTYPE html><html>' + HEAD + BODY),
    ('an XML prolog',
     b'<?xml version="1.0"?>\r\n<!DOCTYPE html PUBLIC '
     b'"-//W3C//DTD XHTML 1.0 Strict//EN" '
     b'"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd">\r\n'
     b'<html xmlns="http://www.w3.org/1999/xhtml">' + HEAD + BODY),
    ('no doctype', b'<html>' + HEAD + BODY),
    ('declaring Windows-1256',
     b'<!DOCTYPE html><html><head><meta charset="windows-1256">'
     b'<title>Test</title></head>' + BODY),
]

# Chromium's language sets the encoding it assumes for a page that declares
# none: Windows-1252 in English, Windows-1256 in Persian.
LANGUAGES = {'en-US': 'windows-1252', 'fa': 'windows-1256'}


def main(program, browser_path):
    folder = pathlib.Path(tempfile.mkdtemp(prefix='charset-browser-'))
    try:
        pages = []
        for number, (name, template) in enumerate(TEMPLATES):
            case = folder / str(number)
            case.mkdir()
            (case / 'Template.htm').write_bytes(template)
            # The template alone, as a page of its own.
            shutil.copyfile(case / 'Template.htm', case / 'alone.htm')
            pages.append((name, case / 'alone.htm',
                          make_preview(program, case / 'Template.htm', case)))
        checks = []
        for lang, default in LANGUAGES.items():
            checks += language_checks(browser_path, lang, default, pages,
                                      folder)
        run_checks(checks)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def language_checks(browser_path, lang, default, pages, folder):
    browser = Chromium(browser_path, lang=lang)
    try:
        found = []
        # That the language took: a page too short for a guess from its
        # bytes gets the language's default.
        short = folder / f'short-{lang}.htm'
        short.write_bytes(b'<p>caf\xe9</p>')
        browser.open(short.as_uri())
        assumed = browser.evaluate('document.characterSet').lower()

        def language_took():
            assert assumed == default, assumed

        found.append((f'{lang}: the browser assumes {default}', language_took))
        for name, alone, preview in pages:
            browser.open(alone.as_uri())
            mode = browser.evaluate('document.compatMode')
            browser.open(preview.as_uri())
            seen = browser.evaluate(
                '[document.characterSet, document.compatMode, '
                'document.querySelector("b")?.textContent]')
            found.append((f'{lang}: {name}',
                          lambda seen=seen, mode=mode: check(seen, mode)))
        return found
    finally:
        browser.close()


def check(seen, mode):
    charset, compat_mode, site_name = seen
    assert charset == 'windows-1256', f'decoded as {charset}'
    assert site_name == SITE_NAME, f'the site name reads {site_name!r}'
    assert compat_mode == mode, f'{compat_mode}, alone {mode}'


if __name__ == '__main__':
    if len(sys.argv) != 3:
        sys.exit('usage: charset_in_browser.py PROGRAM CHROMIUM')
    main(*sys.argv[1:])
