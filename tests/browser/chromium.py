"""Debian's headless Chromium, driven through the DevTools protocol over a
pipe (--remote-debugging-pipe): the browser reads commands from its fd 3 and
writes replies and events to its fd 4, each one JSON message ended by a NUL.
Python's standard library is all it needs, so the browser tests run on what
Debian itself ships, whatever Node.js the machine has or lacks.

One page per browser; every wait has a deadline and fails naming what it
waited for, so a browser that hangs fails the test instead of stopping it.
"""

import fcntl
import json
import os
import select
import shutil
import subprocess
import tempfile
import time

# The machine has no network: everything that would reach out on its own is
# off, so nothing waits on refused connections.
ARGUMENTS = [
        '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic',
        '--no-first-run', '--no-default-browser-check',
        '--disable-background-networking', '--disable-component-update',
        '--disable-sync', '--remote-debugging-pipe',
]

# Timers the test moves on by hand: the page's setTimeout and setInterval
# run only when advance(ms) passes their time, so the test can step exactly
# past a timeout. Installed before any of the page's own scripts runs.
FAKE_TIMERS = r"""(() => {
    let now = 0, next = 1;
    const timers = new Map();
    const add = (code, ms, args, every) => {
        const id = next++;
        const run = typeof code === 'function'
        ? () => code(...args) : () => (0, eval)(String(code));
        timers.set(id, {at: now + Math.max(0, Number(ms) || 0), run, every,
                        ms: Math.max(1, Number(ms) || 0)});
        return id;
    };
    window.setTimeout = (code, ms, ...args) => add(code, ms, args, false);
    window.setInterval = (code, ms, ...args) => add(code, ms, args, true);
    window.clearTimeout = window.clearInterval = (id) => timers.delete(id);
    window.__advanceTimers = (ms) => {
        const end = now + ms;
        for (;;) {
            let due = null;
            for (const [id, t] of timers)
                if (t.at <= end && (!due || t.at < due[1].at)) due = [id, t];
            if (!due) break;
            const [id, t] = due;
            now = t.at;
            if (t.every) t.at += t.ms; else timers.delete(id);
            t.run();
        }
        now = end;
    };
})();"""


class BrowserError(Exception):
    pass


class Chromium:
    """One headless Chromium with one page, from start to close()."""

    def __init__(self, executable, lang='en-US', timeout=20):
        self.timeout = timeout
        self.page_errors = []
        self.outside_requests = []
        self._events = []
        self._next_id = 1
        self._buffer = b''
        self._profile = tempfile.mkdtemp(prefix='preview-browser-profile-')
        to_browser_read, to_browser = os.pipe()
        from_browser, from_browser_write = os.pipe()
        # Out of the way of fds 3 and 4, which the child's copies must take.
        ends = [fcntl.fcntl(fd, fcntl.F_DUPFD_CLOEXEC, 10)
                for fd in (to_browser_read, from_browser_write)]
        for fd in (to_browser_read, from_browser_write):
            os.close(fd)

        def give_pipes():
            os.dup2(ends[0], 3)
            os.dup2(ends[1], 4)

        # On Linux the browser takes its language, and with it the encoding it
        # assumes for a page that declares none, from the environment.
        # It reads the names alone: the locale need not be installed.
        env = {key: value for key, value in os.environ.items()
               if not key.startswith('LC_') and key not in
               ('LANG', 'LANGUAGE', 'DISPLAY', 'WAYLAND_DISPLAY')}
        env.update(LANGUAGE=lang, LANG=lang.replace('-', '_') + '.UTF-8')
        self._process = subprocess.Popen(
            [executable, *ARGUMENTS, f'--lang={lang}',
             f'--user-data-dir={self._profile}', 'about:blank'],
            # dup2 leaves the copies open across exec; Python's own fds
            # are all close-on-exec.
            close_fds=False, preexec_fn=give_pipes, env=env,
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        for fd in ends:
            os.close(fd)
        self._write, self._read = to_browser, from_browser
        self._session = None
        try:
            self._open_page()
        except BaseException:
            self.close()
            raise

    def _open_page(self):
        target = self.call('Target.createTarget',
                           url='about:blank')['targetId']
        self._session = self.call('Target.attachToTarget', targetId=target,
                                  flatten=True)['sessionId']
        self.call('Page.enable')
        self.call('Runtime.enable')
        self.call('Page.addScriptToEvaluateOnNewDocument', source=FAKE_TIMERS)
        # Every request stops here: the page's own file passes, anything else
        # is noted and refused.
        self.call('Fetch.enable', patterns=[{'urlPattern': '*'}])

    def close(self):
        if self._process.poll() is None:
            try:
                self._send('Browser.close', {}, None)
                self._process.wait(timeout=10)
            except (OSError, subprocess.TimeoutExpired):
                self._process.kill()
                self._process.wait()
        for fd in (self._write, self._read):
            os.close(fd)
        shutil.rmtree(self._profile, ignore_errors=True)

    # --- The protocol -------------------------------------------------------

    def _send(self, method, params, session):
        message = {'id': self._next_id, 'method': method, 'params': params}
        if session:
            message['sessionId'] = session
        self._next_id += 1
        data = json.dumps(message).encode() + b'\0'
        while data:
            data = data[os.write(self._write, data):]
        return message['id']

    def _receive(self, deadline, waiting_for):
        while b'\0' not in self._buffer:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self._read], [], [], left)[0]:
                raise BrowserError(f'no answer from Chromium: {waiting_for}')
            chunk = os.read(self._read, 1 << 16)
            if not chunk:
                raise BrowserError(f'Chromium ended: {waiting_for}')
            self._buffer += chunk
        message, self._buffer = self._buffer.split(b'\0', 1)
        message = json.loads(message)
        if 'method' in message:
            self._handle(message)
        return message

    def _handle(self, event):
        method, params = event['method'], event.get('params', {})
        if method == 'Fetch.requestPaused':
            url = params['request']['url']
            if url.startswith('file:'):
                self._send('Fetch.continueRequest',
                           {'requestId': params['requestId']}, self._session)
            else:
                self.outside_requests.append(url)
                self._send('Fetch.failRequest',
                           {'requestId': params['requestId'],
                            'errorReason': 'BlockedByClient'}, self._session)
        elif method == 'Runtime.exceptionThrown':
            details = params['exceptionDetails']
            exception = details.get('exception', {})
            self.page_errors.append(
                exception.get('description', details['text']))
        else:
            self._events.append(method)

    def call(self, method, **params):
        """Sends one command to the page (or, before it has one, the browser)
        and returns its result."""
        id = self._send(method, params, self._session)
        deadline = time.monotonic() + self.timeout
        while True:
            message = self._receive(deadline, method)
            if message.get('id') == id:
                if 'error' in message:
                    raise BrowserError(
                        f'{method}: {message["error"]["message"]}')
                return message.get('result', {})

    def _wait_event(self, method, deadline):
        while method not in self._events:
            self._receive(deadline, method)
        self._events.remove(method)

    # --- What the tests do --------------------------------------------------

    def open(self, url):
        """Opens url and returns once its load event has fired."""
        self._events.clear()
        result = self.call('Page.navigate', url=url)
        if result.get('errorText'):
            raise BrowserError(f'{url}: {result["errorText"]}')
        self._wait_event('Page.loadEventFired',
                         time.monotonic() + self.timeout)

    def evaluate(self, expression):
        """The value of a script expression in the page, a promise's awaited."""
        result = self.call('Runtime.evaluate', expression=expression,
                           returnByValue=True, awaitPromise=True)
        if 'exceptionDetails' in result:
            raise BrowserError(f'{expression}: {result["exceptionDetails"]}')
        return result['result'].get('value')

    def wait_for(self, expression, what):
        """Waits until a script expression is true in the page."""
        deadline = time.monotonic() + self.timeout
        while not self.evaluate(expression):
            if time.monotonic() > deadline:
                raise BrowserError(f'waited in vain for {what}')
            time.sleep(0.05)

    def click(self, element, what):
        """Clicks with the mouse in the middle of the element that the script
        expression gives, as a user would: it must be shown and not covered."""
        point = self.evaluate(f"""(() => {{
            const e = {element};
            if (!e) return 'missing';
            e.scrollIntoView({{block: 'center', inline: 'center'}});
            const r = e.getBoundingClientRect();
            if (!r.width || !r.height) return 'not shown';
            const x = r.left + r.width / 2, y = r.top + r.height / 2;
            const hit = document.elementFromPoint(x, y);
            if (!hit || !(hit === e || e.contains(hit))) return 'covered';
            return [x, y];
        }})()""")
        if not isinstance(point, list):
            raise BrowserError(f'cannot click {what}: {point}')
        x, y = point
        for kind in ('mousePressed', 'mouseReleased'):
            self.call('Input.dispatchMouseEvent', type=kind, x=x, y=y,
                      button='left', clickCount=1)

    def advance_timers(self, ms):
        """Runs the page's timers that fall due in the next ms milliseconds."""
        self.evaluate(f'window.__advanceTimers({int(ms)})')


def run_checks(checks):
    """Runs (name, function) pairs in order, as node:test or TAP would, and
    exits 0 only when every one passed."""
    failed = 0
    for number, (name, check) in enumerate(checks, 1):
        try:
            check()
        except Exception as error:  # Each check's fault is its own line.
            failed += 1
            print(f'not ok {number} - {name}\n  # {type(error).__name__}: '
                  f'{error}', flush=True)
        else:
            print(f'ok {number} - {name}', flush=True)
    print(f'# {len(checks) - failed} passed, {failed} failed')
    raise SystemExit(1 if failed else 0)
