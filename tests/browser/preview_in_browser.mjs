// Builds the preview of the example template the way a designer does, opens
// it in headless Chromium and clicks through it: the page must decode as
// Windows-1256, and the appended panel must drive the template's own `ld`.
//
// Usage: node preview_in_browser.mjs PROGRAM TEMPLATE CHROMIUM

import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { pathToFileURL } from 'node:url';

import { chromium } from 'playwright-core';

const [program, template, browserPath] = process.argv.slice(2);
if (!program || !template || !browserPath) {
  console.error('usage: node preview_in_browser.mjs PROGRAM TEMPLATE CHROMIUM');
  process.exit(2);
}

const VIEW_COUNT = 7;
const VIEW_LINKS = ['برگه اول', 'برگه دوم', 'برگه سوم', 'برگه چهارم',
                    'برگه پنجم', 'برگه ششم', 'برگه هفتم'];
const MESSAGE_LINK = 'تست پيام';

const FILLS = {
  FPdat: '1388/1/2',
  FPtit: 'عنوان تصوير در حالت نمايش كامل',
  FMdat: '1388/1/3',
  FMtit: 'عنوان فيلم در حال نمايش كامل',
  FSdat: '1388/1/4',
  FStit: 'عنوان صوتي كه در حال نمايش كامل است',
  FFdat: '1388/1/5',
  FFtit: 'عنوان فلش در حال نمايش كامل',
  Tpart: 'عنوان صفحه (بايگاني يا متن كامل يا فهرست نوشته\u200cها)\u200f',
  Tlist: 'متن يا فهرستي كه در اين بخش نمايش داده خواهد شد.',
  payam: 'اين پيامي است كه از سوي سرور ارسال شده است!',
};

// sp() hides the message again after this many milliseconds.
const MESSAGE_MS = 7000;

let folder;
let context;
let page;
const pageErrors = [];
const outsideRequests = [];

before(async () => {
  folder = fs.mkdtempSync(path.join(os.tmpdir(), 'preview-browser-'));
  const tool = path.join(folder, 'tool');
  const elsewhere = path.join(folder, 'elsewhere');
  fs.mkdirSync(tool);
  fs.mkdirSync(elsewhere);
  fs.copyFileSync(program, path.join(tool, 'template-preview'));
  fs.chmodSync(path.join(tool, 'template-preview'), 0o755);
  fs.copyFileSync(template, path.join(tool, 'Template.htm'));

  // Without a graphical session the outcome goes to the terminal instead of
  // a dialog that nobody would close.
  const env = { ...process.env };
  delete env.DISPLAY;
  delete env.WAYLAND_DISPLAY;
  const run = spawnSync(path.join(tool, 'template-preview'), [], {
    cwd: elsewhere, env, encoding: 'utf8', timeout: 60_000,
  });
  const preview = path.join(tool, 'index.htm');
  assert.ok(fs.existsSync(preview),
            `no index.htm was written (status ${run.status}, ` +
            `stdout ${JSON.stringify(run.stdout)}, ` +
            `stderr ${JSON.stringify(run.stderr)})`);

  context = await chromium.launchPersistentContext(
      path.join(folder, 'profile'), {
        executablePath: browserPath,
        headless: true,
        timeout: 60_000,
        // The machine has no network: everything that would reach out on
        // its own is off, so nothing waits on refused connections.
        args: [
          '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic',
          '--no-first-run', '--disable-background-networking',
          '--disable-component-update', '--disable-sync',
        ],
      });
  context.setDefaultTimeout(20_000);
  // The preview is one file: anything it asks for elsewhere is a fault.
  await context.route((url) => url.protocol !== 'file:', (route) => {
    outsideRequests.push(route.request().url());
    return route.abort();
  });
  // A paused fake clock lets the test step past sp()'s timeout exactly.
  await context.clock.install({ time: new Date('2024-03-20T12:00:00Z') });
  await context.clock.pauseAt(new Date('2024-03-20T12:01:00Z'));

  page = context.pages()[0] ?? await context.newPage();
  page.on('pageerror', (error) => pageErrors.push(error.message));
  await page.goto(pathToFileURL(preview).href, { waitUntil: 'load' });

  // Records every call of the template's ld, still passing it through.
  await page.evaluate(() => {
    const ld = window.ld;
    window.ldCalls = [];
    if (typeof ld === 'function') {
      window.ld = function (...args) {
        window.ldCalls.push(args);
        return ld.apply(this, args);
      };
    }
  });
});

after(async () => {
  await context?.close();
  if (folder) fs.rmSync(folder, { recursive: true, force: true });
});

function panel() {
  return page.locator('body > div').filter({ hasText: 'تست برگه\u200cها' });
}

function panelLink(text) {
  return panel().getByRole('link', { name: text, exact: true });
}

async function visibleViews() {
  const visible = [];
  for (let view = 1; view <= VIEW_COUNT; view++) {
    if (await page.locator(`#view${view}`).isVisible()) visible.push(view);
  }
  return visible;
}

// Clicks a view link and returns the ld calls that the click made. The
// browser runs a javascript: link as a task of its own after the click.
async function follow(text) {
  await page.evaluate(() => { window.ldCalls = []; });
  await panelLink(text).click();
  await page.waitForFunction(() => window.ldCalls.length > 0, null,
                             { polling: 50 });
  return page.evaluate(() => window.ldCalls);
}

test('the page decodes as Windows-1256', async () => {
  assert.equal(await page.evaluate(() => document.characterSet),
               'windows-1256');
  assert.equal(await page.title(), 'عنوان سايت');
  assert.equal(await page.locator('#head h1').textContent(), 'عنوان سايت');
});

test('the panel holds its eight links in order', async () => {
  assert.equal(await panel().count(), 1);
  assert.deepEqual(await panel().locator('a').allTextContents(),
                   [...VIEW_LINKS, MESSAGE_LINK]);
});

test('the template has its own ld', async () => {
  assert.equal(await page.evaluate(() => typeof window.ld), 'function');
});

for (const [index, text] of VIEW_LINKS.entries()) {
  const view = index + 1;
  test(`"${text}" shows view ${view} alone`, async () => {
    // Start from another view, so the click has something to switch.
    const other = view % VIEW_COUNT + 1;
    assert.deepEqual(await follow(VIEW_LINKS[other - 1]), [[other, 7]]);
    assert.deepEqual(await visibleViews(), [other]);

    assert.deepEqual(await follow(text), [[view, 7]]);
    assert.deepEqual(await visibleViews(), [view]);
  });
}

test('the script fills the full-view areas', async () => {
  for (const [id, text] of Object.entries(FILLS)) {
    const area = page.locator(`#${id}`);
    assert.equal(await area.count(), 1, `#${id} is missing`);
    assert.equal(await area.textContent(), text, `text of #${id}`);
  }
});

test('"تست پيام" shows the message for seven seconds', async () => {
  const message = page.locator('#payam');
  assert.equal(await message.isVisible(), false, 'shown before the click');
  await panelLink(MESSAGE_LINK).click();
  await message.waitFor({ state: 'visible' });
  await context.clock.runFor(MESSAGE_MS - 1);
  assert.equal(await message.isVisible(), true, 'hidden too early');
  await context.clock.runFor(1);
  assert.equal(await message.isVisible(), false, 'not hidden again');
});

test('the loops were expanded', async () => {
  const menu = await page.locator('#menu > li').allTextContents();
  assert.equal(menu.length, 3, `menu entries: ${JSON.stringify(menu)}`);
  assert.equal(new Set(menu).size, 3, 'menu entries repeat one another');

  const texts = await page.locator('#view6 ul > li').allTextContents();
  assert.equal(texts.length, 6, `text-list entries: ${JSON.stringify(texts)}`);
  assert.equal(new Set(texts).size, 6, 'text-list entries repeat one another');
});

test('no tag is left in the page', async () => {
  const { text, markup } = await page.evaluate(() => ({
    text: document.documentElement.textContent,
    markup: document.documentElement.outerHTML,
  }));
  assert.ok(!text.includes('<#'), 'a tag is left in the text');
  // Attributes and comments keep "<" as it is, text escapes it.
  assert.ok(!markup.includes('<#') && !markup.includes('&lt;#'),
            'a tag is left in the markup');
});

test('the page ran without script errors and needed no network', () => {
  assert.deepEqual(pageErrors, []);
  assert.deepEqual(outsideRequests, []);
});
