// Browser test of shell/error.html, the local page the shell shows in a frame
// that failed to load. Runs natively (not under Wine) in Debian's Chromium,
// driven by playwright-core:
//   node --test tests/error_page/error_page_test.mjs
// Screenshots go to $ZELVORA_ARTIFACT_DIR (default: build/artifacts).

import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const repoRoot = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..');
const pageSource = path.join(repoRoot, 'shell', 'error.html');
const artifactDir = process.env.ZELVORA_ARTIFACT_DIR || path.join(repoRoot, 'build', 'artifacts');

const CHROMIUM_ARGS = [
  '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
];
const SHELL_WINDOW = { width: 1100, height: 800 };
const SMALL_FRAME = { width: 300, height: 150 };
// Long enough for any script or image error handler that sneaked in to run.
const SETTLE_MS = 150;

// The query the shell appends to error.html for a failed address (see
// ErrorPageUrlFor in shell/error_page_url.cc): only "?", "&" and "=" are
// escaped; "%", "#", spaces and non-ASCII pass unchanged.
function shellErrorPageQuery(failedUrl) {
  const escapes = { '?': '%3F', '&': '%26', '=': '%3D' };
  return '?url=' + failedUrl.replace(/[?&=]/g, (c) => escapes[c]);
}

let browser;
let pageDir;
let pageUrl; // file:// URL of the copy of error.html, without a query

before(async () => {
  pageDir = fs.mkdtempSync(path.join(os.tmpdir(), 'zelvora-error-page-'));
  fs.copyFileSync(pageSource, path.join(pageDir, 'error.html'));
  pageUrl = pathToFileURL(path.join(pageDir, 'error.html')).href;
  browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: CHROMIUM_ARGS });
});

after(async () => {
  await browser?.close();
  if (pageDir) fs.rmSync(pageDir, { recursive: true, force: true });
});

// Opens the error page as the shell would for |failedUrl| (or with the exact
// |query| given). Every web request is answered locally with a tiny page and
// recorded; page errors and dialogs are recorded too (dialogs are dismissed).
async function openErrorPage(failedUrl, { query, viewport = SHELL_WINDOW } = {}) {
  const context = await browser.newContext({ viewport });
  context.setDefaultTimeout(10_000);
  const page = await context.newPage();
  const seen = { pageErrors: [], dialogs: [], webRequests: [], requests: [] };
  page.on('pageerror', (e) => seen.pageErrors.push(String(e)));
  page.on('dialog', (d) => { seen.dialogs.push(`${d.type()}: ${d.message()}`); d.dismiss().catch(() => {}); });
  page.on('request', (r) => seen.requests.push(r.url()));
  await context.route((u) => u.protocol === 'http:' || u.protocol === 'https:', (route) => {
    seen.webRequests.push(route.request().url());
    route.fulfill({ status: 200, contentType: 'text/html', body: '<title>hall</title>ok' });
  });
  const url = pageUrl + (query ?? shellErrorPageQuery(failedUrl));
  await page.goto(url, { waitUntil: 'load' });
  await page.waitForTimeout(SETTLE_MS);
  return { page, context, seen, url };
}

async function shownAddress(page) {
  return page.evaluate(() => {
    const el = document.getElementById('address');
    return el && el.checkVisibility() ? el.textContent : null;
  });
}

async function headingText(page) {
  return page.evaluate(() => document.querySelector('h1')?.textContent ?? null);
}

function retryButton(page) {
  return page.getByRole('button', { name: 'Try again' });
}

// Clicks "Try again" and returns the address the page navigated to.
async function retryTarget(page) {
  const [request] = await Promise.all([
    page.waitForRequest((r) => r.isNavigationRequest() && r.frame() === page.mainFrame()),
    retryButton(page).click(),
  ]);
  return request.url();
}

// "Try again" must be absent or disabled; if present, a forced click must not
// go anywhere.
async function assertNoWorkingRetry(page, label) {
  const buttons = retryButton(page);
  const count = await buttons.count();
  if (count === 0) return;
  assert.equal(await buttons.first().isDisabled(), true,
    `${label}: expected no "Try again" or a disabled one, but an enabled button is shown`);
  const before = page.url();
  await buttons.first().click({ force: true });
  await page.waitForTimeout(SETTLE_MS);
  assert.equal(page.url(), before, `${label}: expected a disabled "Try again" to stay on the page`);
}

function assertHealthy(seen, label) {
  assert.deepEqual(seen.pageErrors, [], `${label}: expected no script errors on the page`);
  assert.deepEqual(seen.dialogs, [], `${label}: expected no dialog`);
}

describe('the query the test builds', () => {
  test('escapes exactly "?", "&" and "=", like the shell', () => {
    assert.equal(shellErrorPageQuery('a?b=c&d'), '?url=a%3Fb%3Dc%26d');
    assert.equal(shellErrorPageQuery('http://x/100%zz #f Zoë+'), '?url=http://x/100%zz #f Zoë+');
  });
});

describe('the failed address is shown as it was', () => {
  test('"a?b=c&d" shows exactly "a?b=c&d"', async () => {
    const { context, page, seen } = await openErrorPage('a?b=c&d');
    try {
      assert.equal(await shownAddress(page), 'a?b=c&d');
      assertHealthy(seen, 'a?b=c&d');
    } finally { await context.close(); }
  });

  test('spaces, quotes, angle brackets, "+" and non-ASCII come back unchanged', async () => {
    const failed = 'http://x/a b"c\'<d>`{|}^\\/search?q=a+b&name=Zoë Ünal 😀';
    const { context, page, seen } = await openErrorPage(failed);
    try {
      assert.equal(await shownAddress(page), failed);
      assertHealthy(seen, failed);
    } finally { await context.close(); }
  });

  test('a "#" ends the shown address: the rest is the error page\'s own fragment', async () => {
    const { context, page, seen } = await openErrorPage('http://hall.example/lobby?table=5#seat-2');
    try {
      assert.equal(await shownAddress(page), 'http://hall.example/lobby?table=5');
      assertHealthy(seen, '# address');
    } finally { await context.close(); }
  });
});

describe('Try again', () => {
  test('an http address with a query and non-ASCII is shown unchanged and retried exactly', async () => {
    const failed = 'http://hall.example/lobby?table=5&seat=2&name=Zoë';
    const { context, page, seen } = await openErrorPage(failed);
    try {
      assert.equal(await shownAddress(page), failed);
      assert.equal(await retryButton(page).count(), 1, 'expected one "Try again" button');
      assert.equal(await retryButton(page).isEnabled(), true, 'expected "Try again" to be enabled');
      const expected = new URL(failed).href; // the same address, as the browser sends it
      assert.equal(await retryTarget(page), expected);
      await page.waitForURL(expected);
      assert.equal(seen.webRequests.at(-1), expected);
      assertHealthy(seen, failed);
    } finally { await context.close(); }
  });

  test('an https address is retried', async () => {
    const failed = 'https://portal.zelvora.example/hall/table/7';
    const { context, page } = await openErrorPage(failed);
    try {
      assert.equal(await retryTarget(page), failed);
    } finally { await context.close(); }
  });

  for (const failed of [
    'data:text/html,<script>window.__pwned=1</script>',
    'file:///C:/Windows/win.ini',
    'javascript:window.__pwned=1',
    'JaVaScRiPt:window.__pwned=1',
    ' javascript:window.__pwned=1',
    'vbscript:msgbox(1)',
    'about:blank',
    'ftp://files.example/hall.zip',
    'not an address',
    '/lobby/table/5',
  ]) {
    test(`no working "Try again" for ${JSON.stringify(failed)}`, async () => {
      const { context, page, seen } = await openErrorPage(failed);
      try {
        assert.equal(await shownAddress(page), failed);
        await assertNoWorkingRetry(page, failed);
        assert.equal(await page.evaluate(() => window.__pwned), undefined,
          `${failed}: expected window.__pwned to stay undefined`);
        assert.deepEqual(seen.webRequests, [], `${failed}: expected no web request`);
        assertHealthy(seen, failed);
      } finally { await context.close(); }
    });
  }
});

describe('addresses carrying markup or script run nothing', () => {
  const payloads = [
    'http://x/<script>window.__pwned=1</script>',
    '"><img src=x onerror="window.__pwned=1">',
    '"><img src=x onerror="alert(1)">',
    'javascript:window.__pwned=1',
    '<svg onload=window.__pwned=1>',
    '"><svg onload=alert(document.domain)>',
    "'><iframe srcdoc=\"<script>parent.__pwned=1</script>\">",
  ];
  for (const payload of payloads) {
    test(`${JSON.stringify(payload)} is shown as text`, async () => {
      const { context, page, seen } = await openErrorPage(payload);
      try {
        assert.equal(await shownAddress(page), payload, 'expected the payload as literal text');
        const markup = await page.evaluate(() => document.getElementById('address').children.length);
        assert.equal(markup, 0, 'expected no elements inside the address');
        assert.equal(await page.evaluate(() => window.__pwned), undefined,
          'expected window.__pwned to stay undefined');
        assertHealthy(seen, payload);
        if (/^https?:/i.test(payload)) {
          // A web address may be retried: that only asks the server for it.
          assert.equal(await retryTarget(page), new URL(payload).href);
        } else {
          await assertNoWorkingRetry(page, payload);
          assert.equal(await page.evaluate(() => window.__pwned), undefined,
            'expected window.__pwned to stay undefined after trying "Try again"');
        }
        assert.deepEqual(seen.dialogs, [], 'expected no dialog');
      } finally { await context.close(); }
    });
  }
});

describe('malformed escapes and missing addresses do not break the page', () => {
  for (const [failed, shown] of [
    ['http://x/100%zz', 'http://x/100%zz'],
    ['%', '%'],
    ['http://x/%E2%82', 'http://x/%E2%82'], // cut-off UTF-8
    ['http://x/100%zz?a=b&c=d', 'http://x/100%zz?a=b&c=d'],
  ]) {
    test(`${JSON.stringify(failed)} shows ${JSON.stringify(shown)}`, async () => {
      const { context, page, seen } = await openErrorPage(failed);
      try {
        assert.equal(await shownAddress(page), shown);
        assert.match(await headingText(page) ?? '', /didn.t load/, 'expected the heading to be there');
        assertHealthy(seen, failed);
      } finally { await context.close(); }
    });
  }

  for (const [label, query] of [
    ['no query', ''],
    ['an empty query', '?'],
    ['another parameter only', '?from=hall'],
    ['an empty url parameter', '?url='],
  ]) {
    test(`${label}: heading, no address, no "Try again"`, async () => {
      const { context, page, seen } = await openErrorPage(null, { query });
      try {
        assert.match(await headingText(page) ?? '', /didn.t load/, 'expected the heading to be there');
        assert.equal(await shownAddress(page), null, 'expected no address line');
        assert.equal(await retryButton(page).count(), 0, 'expected no "Try again"');
        const text = await page.evaluate(() => document.body.innerText);
        assert.doesNotMatch(text, /undefined|null/, 'expected no "undefined"/"null" on the page');
        assertHealthy(seen, label);
      } finally { await context.close(); }
    });
  }
});

describe('the page stands alone', () => {
  test('it loads nothing but itself', async () => {
    const { context, page, seen, url } = await openErrorPage('http://hall.example/');
    try {
      assert.deepEqual(seen.requests, [url], 'expected only the request for the page itself');
      const csp = await page.evaluate(() =>
        document.querySelector('meta[http-equiv="Content-Security-Policy"]')?.content ?? '');
      assert.match(csp, /default-src 'none'/, 'expected a CSP that forbids anything external');
    } finally { await context.close(); }
  });
});

describe('layout', () => {
  const longAddresses = {
    'a 2000-character path': ('http://hall.example/' + 'table-5/'.repeat(250)).slice(0, 2000),
    'a 2000-character word': 'http://hall.example/' + 'x'.repeat(1980),
  };
  for (const viewport of [SHELL_WINDOW, SMALL_FRAME]) {
    for (const [label, failed] of Object.entries(longAddresses)) {
      test(`${viewport.width}x${viewport.height}: ${label} wraps, no horizontal scrolling`, async () => {
        assert.equal(failed.length, 2000, 'expected the test address to be 2000 characters');
        const { context, page, seen } = await openErrorPage(failed, { viewport });
        try {
          const m = await page.evaluate(() => ({
            scrollWidth: document.documentElement.scrollWidth,
            innerWidth: window.innerWidth,
            bodyScrollWidth: document.body.scrollWidth,
          }));
          assert.ok(m.scrollWidth <= m.innerWidth,
            `expected document width <= ${m.innerWidth}px, got ${m.scrollWidth}px`);
          assert.ok(m.bodyScrollWidth <= m.innerWidth,
            `expected body width <= ${m.innerWidth}px, got ${m.bodyScrollWidth}px`);
          await assertInViewport(page, viewport, ['h1', 'button']);
          assertHealthy(seen, label);
        } finally { await context.close(); }
      });
    }
  }

  test('1100x800: a usual address fits without scrolling; screenshot saved', async () => {
    const { context, page } = await openErrorPage('http://portal.zelvora.example/hall');
    try {
      const m = await page.evaluate(() => ({
        scrollWidth: document.documentElement.scrollWidth,
        scrollHeight: document.documentElement.scrollHeight,
      }));
      assert.ok(m.scrollWidth <= SHELL_WINDOW.width, `expected width <= 1100px, got ${m.scrollWidth}px`);
      assert.ok(m.scrollHeight <= SHELL_WINDOW.height, `expected height <= 800px, got ${m.scrollHeight}px`);
      await assertInViewport(page, SHELL_WINDOW, ['h1', '#address', 'button'], { whole: true });
      fs.mkdirSync(artifactDir, { recursive: true });
      await page.screenshot({ path: path.join(artifactDir, 'error-page-1100x800.png') });
    } finally { await context.close(); }
  });

  test('300x150: heading, address and "Try again" are all in view', async () => {
    const { context, page } = await openErrorPage('http://portal.zelvora.example/hall', { viewport: SMALL_FRAME });
    try {
      await assertInViewport(page, SMALL_FRAME, ['h1', '#address', 'button'], { whole: true });
      fs.mkdirSync(artifactDir, { recursive: true });
      await page.screenshot({ path: path.join(artifactDir, 'error-page-300x150.png') });
    } finally { await context.close(); }
  });
});

// Each selector's element must be rendered within the viewport's width, not
// above its top, and with |whole| also not below its bottom.
async function assertInViewport(page, viewport, selectors, { whole = false } = {}) {
  for (const selector of selectors) {
    const box = await page.locator(selector).first().boundingBox();
    assert.ok(box, `expected ${selector} to be rendered`);
    const where = `x ${box.x}..${box.x + box.width}, y ${box.y}..${box.y + box.height}`;
    assert.ok(box.x >= 0 && box.x + box.width <= viewport.width && box.y >= 0,
      `expected ${selector} within ${viewport.width}px wide and below the top, got ${where}`);
    if (whole) {
      assert.ok(box.y + box.height <= viewport.height,
        `expected ${selector} above ${viewport.height}px, got ${where}`);
    }
  }
}
