#!/usr/bin/env python3
"""Builds the preview of the example template the way a designer does, opens
it in headless Chromium and clicks through it: the page must decode as
Windows-1256, and the appended panel must drive the template's own `ld`.

    preview_in_browser.py PROGRAM TEMPLATE CHROMIUM
"""

import json
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

from chromium import Chromium, run_checks

VIEW_COUNT = 7
VIEW_LINKS = ['برگه اول', 'برگه دوم', 'برگه سوم', 'برگه چهارم',
              'برگه پنجم', 'برگه ششم', 'برگه هفتم']
MESSAGE_LINK = 'تست پيام'

FILLS = {
    'FPdat': '1388/1/2',
    'FPtit': 'عنوان تصوير در حالت نمايش كامل',
    'FMdat': '1388/1/3',
    'FMtit': 'عنوان فيلم در حال نمايش كامل',
    'FSdat': '1388/1/4',
    'FStit': 'عنوان صوتي كه در حال نمايش كامل است',
    'FFdat': '1388/1/5',
    'FFtit': 'عنوان فلش در حال نمايش كامل',
    'Tpart': 'عنوان صفحه (بايگاني يا متن كامل يا فهرست نوشته\u200cها)\u200f',
    'Tlist': 'متن يا فهرستي كه در اين بخش نمايش داده خواهد شد.',
    'payam': 'اين پيامي است كه از سوي سرور ارسال شده است!',
}

# sp() hides the message again after this many milliseconds.
MESSAGE_MS = 7000

PANEL = """[...document.querySelectorAll('body > div')]
    .filter((d) => d.textContent.includes('تست برگه\\u200cها'))"""


def make_preview(program, template, folder):
    """Runs the program beside a copy of the template, started from another
    folder, and returns the preview's path."""
    tool = folder / 'tool'
    elsewhere = folder / 'elsewhere'
    tool.mkdir()
    elsewhere.mkdir()
    shutil.copyfile(program, tool / 'template-preview')
    os.chmod(tool / 'template-preview', 0o755)
    shutil.copyfile(template, tool / 'Template.htm')
    # Without a graphical session the outcome goes to the terminal instead
    # of a dialog that nobody would close.
    env = {k: v for k, v in os.environ.items()
           if k not in ('DISPLAY', 'WAYLAND_DISPLAY')}
    run = subprocess.run([tool / 'template-preview'], cwd=elsewhere, env=env,
                         capture_output=True, timeout=60)
    preview = tool / 'index.htm'
    assert preview.is_file(), (
        f'no index.htm was written (status {run.returncode}, '
        f'stdout {run.stdout!r}, stderr {run.stderr!r})')
    return preview


def main(program, template, browser_path):
    folder = pathlib.Path(tempfile.mkdtemp(prefix='preview-browser-'))
    browser = None
    try:
        preview = make_preview(program, template, folder)
        browser = Chromium(browser_path)
        browser.open(preview.as_uri())
        # Records every call of the template's ld, still passing it through.
        browser.evaluate("""(() => {
          const ld = window.ld;
          window.ldCalls = [];
          if (typeof ld === 'function') {
            window.ld = function (...args) {
              window.ldCalls.push(args);
              return ld.apply(this, args);
            };
          }
        })()""")
        run_checks(checks(browser))
    finally:
        if browser:
            browser.close()
        shutil.rmtree(folder, ignore_errors=True)


def checks(page):
    found = []

    def check(name):
        return lambda function: found.append((name, function))

    def text(selector):
        return page.evaluate(
            f'document.querySelector({json.dumps(selector)})?.textContent')

    def is_visible(selector):
        return page.evaluate(f"""(() => {{
          const e = document.querySelector({json.dumps(selector)});
          if (!e || getComputedStyle(e).visibility === 'hidden') return false;
          const r = e.getBoundingClientRect();
          return r.width > 0 && r.height > 0;
        }})()""")

    def panel_link(link):
        return (f'[...(({PANEL})[0]?.querySelectorAll("a") ?? [])].find('
                f'(a) => a.textContent.trim() === {json.dumps(link)})')

    def visible_views():
        return [view for view in range(1, VIEW_COUNT + 1)
                if is_visible(f'#view{view}')]

    # Clicks a view link and returns the ld calls that the click made. The
    # browser runs a javascript: link as a task of its own after the click.
    def follow(link):
        page.evaluate('window.ldCalls = []')
        page.click(panel_link(link), link)
        page.wait_for('window.ldCalls.length > 0', f'ld after "{link}"')
        return page.evaluate('window.ldCalls')

    @check('the page decodes as Windows-1256')
    def _():
        assert page.evaluate('document.characterSet') == 'windows-1256'
        assert page.evaluate('document.title') == 'عنوان سايت'
        assert text('#head h1') == 'عنوان سايت'

    @check('the panel holds its eight links in order')
    def _():
        assert page.evaluate(f'({PANEL}).length') == 1
        links = page.evaluate(
            f'[...({PANEL})[0].querySelectorAll("a")].map((a) => a.textContent)')
        assert links == [*VIEW_LINKS, MESSAGE_LINK], links

    @check('the template has its own ld')
    def _():
        assert page.evaluate('typeof window.ld') == 'function'

    def view_check(index, link):
        view = index + 1

        @check(f'"{link}" shows view {view} alone')
        def _():
            # Start from another view, so the click has something to switch.
            other = view % VIEW_COUNT + 1
            calls = follow(VIEW_LINKS[other - 1])
            assert calls == [[other, 7]], calls
            assert visible_views() == [other], visible_views()
            calls = follow(link)
            assert calls == [[view, 7]], calls
            assert visible_views() == [view], visible_views()

    for index, link in enumerate(VIEW_LINKS):
        view_check(index, link)

    @check('the script fills the full-view areas')
    def _():
        for id, fill in FILLS.items():
            count = page.evaluate(f'document.querySelectorAll("#{id}").length')
            assert count == 1, f'#{id} is missing'
            assert text(f'#{id}') == fill, f'text of #{id}: {text(f"#{id}")}'

    @check('"تست پيام" shows the message for seven seconds')
    def _():
        assert not is_visible('#payam'), 'shown before the click'
        page.click(panel_link(MESSAGE_LINK), MESSAGE_LINK)
        page.wait_for('document.querySelector("#payam").style.display === ""',
                      'the message')
        assert is_visible('#payam'), 'not shown'
        page.advance_timers(MESSAGE_MS - 1)
        assert is_visible('#payam'), 'hidden too early'
        page.advance_timers(1)
        assert not is_visible('#payam'), 'not hidden again'

    @check('the loops were expanded')
    def _():
        menu = page.evaluate(
            '[...document.querySelectorAll("#menu > li")].map((e) => e.textContent)')
        assert len(menu) == 3, f'menu entries: {menu}'
        assert len(set(menu)) == 3, 'menu entries repeat one another'
        texts = page.evaluate('[...document.querySelectorAll("#view6 ul > li")]'
                              '.map((e) => e.textContent)')
        assert len(texts) == 6, f'text-list entries: {texts}'
        assert len(set(texts)) == 6, 'text-list entries repeat one another'

    @check('no tag is left in the page')
    def _():
        text, markup = page.evaluate(
            '[document.documentElement.textContent, '
            'document.documentElement.outerHTML]')
        assert '<#' not in text, 'a tag is left in the text'
        # Attributes and comments keep "<" as it is, text escapes it.
        assert '<#' not in markup and '&lt;#' not in markup, (
            'a tag is left in the markup')

    @check('the page ran without script errors and needed no network')
    def _():
        assert page.page_errors == [], page.page_errors
        assert page.outside_requests == [], page.outside_requests

    return found


if __name__ == '__main__':
    if len(sys.argv) != 4:
        sys.exit('usage: preview_in_browser.py PROGRAM TEMPLATE CHROMIUM')
    main(*sys.argv[1:])
