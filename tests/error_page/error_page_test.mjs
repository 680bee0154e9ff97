// Browser test of shell/error.html, the local page the shell shows in a frame
// that failed to load. Runs natively (not under Wine) in Debian's headless
// Chromium (chromium-headless-shell), driven by playwright-core:
//   ZELVORA_ERROR_PAGE_URL_FOR=build/test/x86_64/native/error_page_url_for \
//   node --test tests/error_page/error_page_test.mjs
// The page is opened at the addresses the shell's own C++ builds, printed by
// that program. Screenshots go to $ZELVORA_ARTIFACT_DIR (default:
// build/artifacts).

import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
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
  // No process of its own for each site "Try again" goes to (Chromium 49,
  // in CEF 3, had no site isolation): a new renderer costs more than the
  // page's own work.
  '--disable-site-isolation-trials',
];
const SHELL_WINDOW = { width: 1100, height: 800 };
const SMALL_FRAME = { width: 300, height: 150 };
// Long enough for any script or image error handler that sneaked in to run.
const SETTLE_MS = 150;
// A suite's tests run this many at a time, each with a page of its own in
// the one browser: each mostly waits for its page.
const PAGES_AT_ONCE = 4;

// The query the shell appends to error.html for |failedUrl|, from the
// shell's own ErrorPageUrlFor (shell/error_page_url.cc), asked of one
// error_page_url_for process that serves the whole test (a process each
// would cost more than the pages): each address is written to it ended by
// NUL, and its answers come back in order, each ended by NUL. A promise;
// each address is asked once.
const ERROR_PAGE_URL = 'file:///error.html';
const errorPageQueries = new Map(); // failed address -> promise of its query
let urlFor = null; // { child, waiting: [{ resolve, reject }], text, exited }
function shellErrorPageQuery(failedUrl) {
  if (!errorPageQueries.has(failedUrl)) {
    errorPageQueries.set(failedUrl, askUrlFor(failedUrl).then((url) => {
      assert.ok(url.startsWith(ERROR_PAGE_URL + '?'), `expected ${ERROR_PAGE_URL}?..., got ${url}`);
      return url.slice(ERROR_PAGE_URL.length);
    }));
  }
  return errorPageQueries.get(failedUrl);
}
function askUrlFor(failed) {
  if (!urlFor) {
    const program = process.env.ZELVORA_ERROR_PAGE_URL_FOR;
    assert.ok(program && fs.existsSync(program),
      'expected ZELVORA_ERROR_PAGE_URL_FOR to name the built error_page_url_for program');
    // Under AddressSanitizer, as built, with its leak check when it ends.
    const child = spawn(program, [], { stdio: ['pipe', 'pipe', 'inherit'] });
    urlFor = { child, waiting: [], text: '' };
    const served = urlFor;
    child.stdout.setEncoding('utf8');
    child.stdout.on('data', (chunk) => {
      served.text += chunk;
      for (let end; (end = served.text.indexOf('\0')) >= 0;) {
        const url = served.text.slice(0, end);
        served.text = served.text.slice(end + 1);
        const next = served.waiting.shift();
        if (next) next.resolve(url);
      }
    });
    served.exited = new Promise((resolve) => child.on('close', (code, signal) => {
      for (const { reject } of served.waiting.splice(0)) {
        reject(new Error(`error_page_url_for ended (${signal ?? `exit ${code}`}) without an answer`));
      }
      resolve(signal ?? code);
    }));
  }
  return new Promise((resolve, reject) => {
    urlFor.waiting.push({ resolve, reject });
    urlFor.child.stdin.write(failed + '\0');
  });
}

let browser;
// Every page of the test lives in this one browser context. What differs
// between pages (the clock, the answered web requests) is set on each page.
let context;
let pageDir;
let pageUrl; // file:// URL of the copy of error.html, without a query

before(async () => {
  pageDir = fs.mkdtempSync(path.join(os.tmpdir(), 'zelvora-error-page-'));
  fs.copyFileSync(pageSource, path.join(pageDir, 'error.html'));
  pageUrl = pathToFileURL(path.join(pageDir, 'error.html')).href;
  browser = await chromium.launch({ executablePath: '/usr/bin/chromium-headless-shell', args: CHROMIUM_ARGS });
  context = await browser.newContext();
});

after(async () => {
  await browser?.close();
  if (urlFor) {
    urlFor.child.stdin.end();
    assert.equal(await urlFor.exited, 0,
      'expected error_page_url_for to end with exit status 0 (no AddressSanitizer report)');
  }
  if (pageDir) fs.rmSync(pageDir, { recursive: true, force: true });
});

// The error page's clock, installed before its script runs. Its timers run
// |scale| times faster than asked (0: never), and once one has fired, the
// page's Date.now() is as far on as the timer asked for, in every later
// document of the window too (the time skipped is kept in the window's
// sessionStorage). So the page's own schedule, unchanged, runs in a fraction
// of a second. Each delay the page asks for is reported on the console as
// "clock: <ms>", and each document says whether it found the window's
// sessionStorage ("clock: storage kept") or an empty one ("clock: storage
// new").
function testClock({ scale }) {
  if (location.protocol !== 'file:') return;
  const MARK = 'test clock: window';
  console.debug(sessionStorage.getItem(MARK) ? 'clock: storage kept' : 'clock: storage new');
  sessionStorage.setItem(MARK, '1');
  const KEY = 'test clock: ms skipped';
  const skipped = () => Number(sessionStorage.getItem(KEY)) || 0;
  const realNow = Date.now;
  const realSetTimeout = window.setTimeout;
  Date.now = () => realNow() + skipped();
  window.setTimeout = (callback, ms = 0, ...args) => {
    console.debug(`clock: ${ms}`);
    if (!scale) return 0;
    return realSetTimeout(() => {
      sessionStorage.setItem(KEY, String(skipped() + ms - ms / scale));
      callback(...args);
    }, ms / scale);
  };
}
// Most tests look at the page as it stands: its attempts never come.
const FROZEN = 0;

// Pages are kept open between tests: a new one costs Chromium a new renderer
// process, most of what a test takes. A page stays where its last test left
// it until the next one opens it; its test clock is set for each test.
const idlePages = [];

async function newRecordingPage() {
  const page = await context.newPage();
  page.setDefaultTimeout(10_000);
  // What the page does for the test that holds it.
  page.seen = null;
  page.on('pageerror', (e) => page.seen?.pageErrors.push(String(e)));
  page.on('dialog', (d) => { page.seen?.dialogs.push(`${d.type()}: ${d.message()}`); d.dismiss().catch(() => {}); });
  page.on('request', (r) => page.seen?.requests.push(r.url()));
  // Each load the page's own document sets out on, with the address whole
  // (a request's address has no fragment).
  const devtools = await context.newCDPSession(page);
  await devtools.send('Page.enable');
  devtools.on('Page.frameRequestedNavigation', (e) => page.seen?.navigations.push(e.url));
  // Web requests are answered "204 No Content": the browser then stays on
  // the error page, where a page of the web would cost it a renderer process
  // of its own (file:// and the web never share one), and another one to
  // come back.
  await page.route((u) => u.protocol === 'http:' || u.protocol === 'https:', (route) => {
    page.seen?.webRequests.push(route.request().url());
    route.fulfill({ status: 204 });
  });
  return page;
}

// Opens the error page as the shell would for |failedUrl| (or with the exact
// |query| given). Every web request is answered locally with a tiny page and
// recorded; page errors and dialogs are recorded too (dialogs are dismissed).
// release() hands the page back once the test is done with it.
async function openErrorPage(failedUrl, { query, viewport = SHELL_WINDOW, clock = FROZEN } = {}) {
  const page = idlePages.pop() ?? await newRecordingPage();
  if (page.clock !== clock) {
    await page.clockScript?.dispose();
    page.clockScript = await page.addInitScript(testClock, { scale: clock });
    page.clock = clock;
  }
  await page.setViewportSize(viewport);
  const seen = { pageErrors: [], dialogs: [], webRequests: [], requests: [], navigations: [] };
  page.seen = seen;
  const release = async () => {
    page.seen = null;
    idlePages.push(page);
  };
  const url = pageUrl + (query ?? await shellErrorPageQuery(failedUrl));
  await page.goto(url, { waitUntil: 'load' });
  await page.waitForTimeout(SETTLE_MS);
  return { page, release, seen, url };
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

// Clicks "Try again" and returns the address the page set out to load,
// once the server was asked for it.
async function retryTarget(page) {
  const { navigations, webRequests } = page.seen;
  const [loads, asked] = [navigations.length, webRequests.length];
  await retryButton(page).click();
  await waitUntil(() => navigations.length > loads && webRequests.length > asked,
    'a load of the failed address, and the server asked for it');
  assert.equal(navigations.length, loads + 1, `expected one load, got ${navigations.slice(loads).join(', ')}`);
  return navigations.at(-1);
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
  assert.deepEqual(page.seen.navigations, [], `${label}: expected a disabled "Try again" to load nothing`);
}

function assertHealthy(seen, label) {
  assert.deepEqual(seen.pageErrors, [], `${label}: expected no script errors on the page`);
  assert.deepEqual(seen.dialogs, [], `${label}: expected no dialog`);
}

describe('the failed address is shown as it was', { concurrency: PAGES_AT_ONCE }, () => {
  test('"a?b=c&d" shows exactly "a?b=c&d"', async () => {
    const { release, page, seen } = await openErrorPage('a?b=c&d');
    try {
      assert.equal(await shownAddress(page), 'a?b=c&d');
      assertHealthy(seen, 'a?b=c&d');
    } finally { await release(); }
  });

  test('spaces, quotes, angle brackets, "+" and non-ASCII come back unchanged', async () => {
    const failed = 'http://x/a b"c\'<d>`{|}^\\/search?q=a+b&name=Zoë Ünal 😀';
    const { release, page, seen } = await openErrorPage(failed);
    try {
      assert.equal(await shownAddress(page), failed);
      assertHealthy(seen, failed);
    } finally { await release(); }
  });

  test('a "#" and what follows it stay part of the address', async () => {
    const { release, page, seen } = await openErrorPage('http://hall.example/lobby?table=5#seat-2');
    try {
      assert.equal(await shownAddress(page), 'http://hall.example/lobby?table=5#seat-2');
      assertHealthy(seen, '# address');
    } finally { await release(); }
  });
});

// Addresses whose escapes, "%" and "#" the page once read as its own syntax.
describe('escaped addresses are shown and retried exactly', { concurrency: PAGES_AT_ONCE }, () => {
  for (const failed of [
    'http://hall.example/games/a%2Fb',
    'http://hall.example/search?q=50%25',
    'http://hall.example/login?token=abc%2Bdef%3D%3D',
    'http://hall.example/files/a%23b',
    'http://hall.example/login?next=%2Fhall%3Ft%3D1%26s%3D2',
    'http://hall.example/%3Fnot-a-query',
    'http://hall.example/hall#/lobby/7',
    'http://hall.example/lobby?table=5&seat=2',
    'https://portal.zelvora.example/hall/table/7',
  ]) {
    test(failed, async () => {
      const { release, page, seen } = await openErrorPage(failed);
      try {
        assert.equal(await shownAddress(page), failed);
        assert.equal(await retryTarget(page), failed, 'expected "Try again" to go to exactly the failed address');
        assert.equal(seen.webRequests.at(-1), failed.replace(/#.*/, ''),
          'expected the server to be asked for the failed address');
        assertHealthy(seen, failed);
      } finally { await release(); }
    });
  }
});

describe('bidirectional controls', { concurrency: PAGES_AT_ONCE }, () => {
  const visible = (text) => text.replace(/[\u061C\u200E\u200F\u202A-\u202E\u2066-\u2069]/g,
    (c) => '\\u' + c.charCodeAt(0).toString(16).toUpperCase().padStart(4, '0'));
  for (const failed of [
    'http://hall.example/lobby#\u202Etxt.exe',
    'http://hall.example/#\u202A\u202B\u202C\u202D\u202E\u2066\u2067\u2068\u2069\u200E\u200F\u061C',
    'http://hall.example/#\u05E9\u05DC\u05D5\u05DD/\u2067ab\u2069/\u0645\u0631\u062D\u0628\u0627',
  ]) {
    test(`${JSON.stringify(failed)}: shown visibly, read left to right`, async () => {
      const { release, page, seen } = await openErrorPage(failed);
      try {
        const shown = await shownAddress(page);
        assert.equal(shown, visible(failed), 'expected each control shown as its \\u escape');
        // Each character stands to the right of the one before it: nothing
        // is reordered, whatever right-to-left letters the address holds.
        const lefts = await page.evaluate(() => {
          const text = document.getElementById('address').firstChild;
          const range = document.createRange();
          const result = [];
          for (let i = 0; i < text.length; ++i) {
            range.setStart(text, i);
            range.setEnd(text, i + 1);
            const r = range.getClientRects()[0];
            result.push(r ? [r.left, r.top] : null);
          }
          return result;
        });
        for (let i = 1; i < lefts.length; ++i) {
          assert.ok(lefts[i] && lefts[i - 1], `expected character ${i} to be rendered`);
          assert.ok(lefts[i][1] > lefts[i - 1][1] || lefts[i][0] > lefts[i - 1][0],
            `expected character ${i} (${JSON.stringify(shown[i])}) after character ${i - 1} ` +
            `(${JSON.stringify(shown[i - 1])}), got x ${lefts[i][0]} after x ${lefts[i - 1][0]}`);
        }
        assert.equal(await retryTarget(page), new URL(failed).href,
          'expected "Try again" to load the address with its controls');
        assertHealthy(seen, failed);
      } finally { await release(); }
    });
  }
});

describe('Try again', { concurrency: PAGES_AT_ONCE }, () => {
  test('an http address with a query and non-ASCII is shown unchanged and retried exactly', async () => {
    const failed = 'http://hall.example/lobby?table=5&seat=2&name=Zoë';
    const { release, page, seen } = await openErrorPage(failed);
    try {
      assert.equal(await shownAddress(page), failed);
      assert.equal(await retryButton(page).count(), 1, 'expected one "Try again" button');
      assert.equal(await retryButton(page).isEnabled(), true, 'expected "Try again" to be enabled');
      const expected = new URL(failed).href; // the same address, as the browser sends it
      assert.equal(await retryTarget(page), expected);
      assert.equal(seen.webRequests.at(-1), expected);
      assertHealthy(seen, failed);
    } finally { await release(); }
  });

  test('an https address is retried', async () => {
    const failed = 'https://portal.zelvora.example/hall/table/7';
    const { release, page } = await openErrorPage(failed);
    try {
      assert.equal(await retryTarget(page), failed);
    } finally { await release(); }
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
      const { release, page, seen } = await openErrorPage(failed);
      try {
        assert.equal(await shownAddress(page), failed);
        await assertNoWorkingRetry(page, failed);
        assert.equal(await page.evaluate(() => window.__pwned), undefined,
          `${failed}: expected window.__pwned to stay undefined`);
        assert.deepEqual(seen.webRequests, [], `${failed}: expected no web request`);
        assertHealthy(seen, failed);
      } finally { await release(); }
    });
  }
});

describe('addresses carrying markup or script run nothing', { concurrency: PAGES_AT_ONCE }, () => {
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
      const { release, page, seen } = await openErrorPage(payload);
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
      } finally { await release(); }
    });
  }
});

describe('malformed escapes and missing addresses do not break the page', { concurrency: PAGES_AT_ONCE }, () => {
  for (const [failed, shown] of [
    ['http://x/100%zz', 'http://x/100%zz'],
    ['%', '%'],
    ['http://x/%E2%82', 'http://x/%E2%82'], // cut-off UTF-8
    ['http://x/100%zz?a=b&c=d', 'http://x/100%zz?a=b&c=d'],
  ]) {
    test(`${JSON.stringify(failed)} shows ${JSON.stringify(shown)}`, async () => {
      const { release, page, seen } = await openErrorPage(failed);
      try {
        assert.equal(await shownAddress(page), shown);
        assert.match(await headingText(page) ?? '', /didn.t load/, 'expected the heading to be there');
        assertHealthy(seen, failed);
      } finally { await release(); }
    });
  }

  for (const [label, query] of [
    ['no query', ''],
    ['an empty query', '?'],
    ['another parameter only', '?from=hall'],
    ['an empty url parameter', '?url='],
  ]) {
    test(`${label}: heading, no address, no "Try again"`, async () => {
      const { release, page, seen } = await openErrorPage(null, { query });
      try {
        assert.match(await headingText(page) ?? '', /didn.t load/, 'expected the heading to be there');
        assert.equal(await shownAddress(page), null, 'expected no address line');
        assert.equal(await retryButton(page).count(), 0, 'expected no "Try again"');
        const text = await page.evaluate(() => document.body.innerText);
        assert.doesNotMatch(text, /undefined|null/, 'expected no "undefined"/"null" on the page');
        assertHealthy(seen, label);
      } finally { await release(); }
    });
  }
});

describe('the page stands alone', { concurrency: PAGES_AT_ONCE }, () => {
  test('it loads nothing but itself', async () => {
    const { release, page, seen, url } = await openErrorPage('http://hall.example/');
    try {
      assert.deepEqual(seen.requests, [url], 'expected only the request for the page itself');
      const csp = await page.evaluate(() =>
        document.querySelector('meta[http-equiv="Content-Security-Policy"]')?.content ?? '');
      assert.match(csp, /default-src 'none'/, 'expected a CSP that forbids anything external');
    } finally { await release(); }
  });
});

// A hall on 127.0.0.1 that is down until |up| is set: it answers each
// request "204 No Content", which leaves the window on its error page (see
// openShellWindow). Records the path and time (ms) of each request it
// receives.
async function startHall() {
  const hall = { up: false, paths: [], times: [] };
  hall.server = http.createServer((request, response) => {
    hall.paths.push(request.url);
    hall.times.push(performance.now());
    if (!hall.up) {
      response.writeHead(204).end();
      return;
    }
    response.writeHead(200, { 'content-type': 'text/html' });
    response.end('<title>hall</title><link rel="icon" href="data:,">the hall');
  });
  await new Promise((resolve) => hall.server.listen(0, '127.0.0.1', resolve));
  hall.url = `http://127.0.0.1:${hall.server.address().port}`;
  hall.close = () => {
    hall.server.closeAllConnections();
    return new Promise((resolve) => hall.server.close(resolve));
  };
  return hall;
}

// A window as the shell keeps it: a failed load of a web address in its main
// frame is answered with the error page for that address (as OnLoadError
// does), a new document. |attempts| lists the web addresses the window set
// out to load, |delays| each delay the page asked its clock for.
// Headless pages are always shown: with |hidden|, the error page says it is
// hidden (document.hidden) until the test sets window.testShown.
function testHidden() {
  if (location.protocol !== 'file:') return;
  Object.defineProperty(document, 'hidden', { configurable: true, get: () => !window.testShown });
}

// A window of its own, so that its sessionStorage starts empty. With
// |offline|, the window's network is cut (as a browser context's setOffline
// does it, for this window alone) until win.goOnline().
async function openShellWindow(failedUrl, clock, { offline = false, hidden = false } = {}) {
  const page = await context.newPage();
  page.setDefaultTimeout(30_000);
  await page.addInitScript(testClock, { scale: clock });
  if (hidden) await page.addInitScript(testHidden);
  const win = { page, attempts: [], delays: [], pageErrors: [], documents: 0, storageLost: false };
  if (offline) {
    const devtools = await context.newCDPSession(page);
    const cut = (yes) => devtools.send('Network.emulateNetworkConditions',
      { offline: yes, latency: 0, downloadThroughput: -1, uploadThroughput: -1 });
    await cut(true);
    win.goOnline = () => cut(false);
  }
  const isWebLoad = (r) => r.isNavigationRequest() && r.frame() === page.mainFrame() &&
    /^https?:/.test(r.url());
  page.on('request', (r) => { if (isWebLoad(r)) win.attempts.push(r.url()); });
  const showErrorPage = (r) => shellErrorPageQuery(r.url())
    .then((query) => page.goto(pageUrl + query)).catch(() => {});
  page.on('requestfailed', async (r) => {
    if (!isWebLoad(r)) return;
    // A hall that is down answers 204: Chromium ends the load without a page
    // (net::ERR_ABORTED) and the window stays on its error page, which a new
    // one replaces as for a failed load. The page sees the same, and the
    // browser is spared a process for its own error page and one for coming
    // back.
    if ((await r.response().catch(() => null))?.status() === 204) {
      showErrorPage(r);
      return;
    }
    // Ours follows Chromium's own error page, as OnLoadError does. Loaded
    // while Chromium's is still coming, ours now and then starts with an
    // empty sessionStorage (about 1 load in 70 under load), which would
    // restart the schedule.
    page.waitForURL((u) => u.protocol === 'chrome-error:', { waitUntil: 'commit' })
      .then(() => showErrorPage(r), () => {});
  });
  page.on('console', (m) => {
    if (m.text() === 'clock: storage new' && win.documents++ > 0) win.storageLost = true;
    const delay = /^clock: (\d+)$/.exec(m.text());
    if (delay) win.delays.push(Number(delay[1]));
  });
  page.on('pageerror', (e) => win.pageErrors.push(String(e)));
  win.close = () => page.close();
  // A page with its clock running may be gone before its load event.
  await page.goto(pageUrl + await shellErrorPageQuery(failedUrl),
    { waitUntil: clock === FROZEN ? 'load' : 'commit' });
  return win;
}

// Waits until |done()| holds (or resolves to true), for at most |ms|; says |what| was awaited.
// Asks every 50 ms: a |done| that asks the page costs the browser a round trip each time.
async function waitUntil(done, what, ms = 10_000) {
  const end = Date.now() + ms;
  while (!(await done())) {
    assert.ok(Date.now() < end, `expected ${what} within ${ms} ms`);
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
}

async function nextLine(page) {
  return page.evaluate(() => {
    const el = document.getElementById('next');
    return el && el.checkVisibility() ? el.textContent : null;
  });
}

// Now and then (under load, about one document in a few hundred) Chromium
// starts a later document of a window with an empty sessionStorage of its
// own: its wait and its attempt are then no part of the window's schedule.
// A schedule test that fails where that happened runs again, up to 3 times.
// |run| gets a list to put its windows in.
async function againIfStorageLost(run) {
  for (let tries = 1; ; ++tries) {
    const windows = [];
    try {
      return await run(windows);
    } catch (e) {
      if (tries === 3 || !windows.some((win) => win.storageLost)) throw e;
      console.log(`a document started with empty sessionStorage; running again (${e.message.split('\n')[0]})`);
    }
  }
}

describe('the page tries again by itself', { concurrency: PAGES_AT_ONCE }, () => {
  test('the hall comes back with no click once its server is up', async () => {
    const hall = await startHall();
    const failed = `${hall.url}/hall?table=5`;
    let win;
    try {
      win = await openShellWindow(failed, 100);
      await waitUntil(() => hall.paths.length >= 2, 'two attempts while the server is down', 30_000);
      hall.up = true;
      await waitUntil(async () => win.page.url() === failed &&
        await win.page.title().catch(() => '') === 'hall', 'the hall shown', 30_000);
      assert.deepEqual(new Set(hall.paths), new Set(['/hall?table=5']),
        'expected the server asked for the failed address and nothing else');
      assert.deepEqual(win.pageErrors, [], 'expected no script errors on the page');
    } finally { await win?.close(); await hall.close(); }
  });

  // Chromium's schedule with the first wait at 1 s, in this clock's time, 100
  // times faster: attempts 10, 60, 360 and 960 ms after the failure, each
  // later by what its failure and the new page take; the fifth 3 s later.
  test('a server that stays down is asked at the schedule\'s pace, across new error pages', () => againIfStorageLost(async (windows) => {
    const hall = await startHall();
    let win;
    try {
      windows.push(win = await openShellWindow(`${hall.url}/lobby`, 100));
      await win.page.waitForTimeout(3000);
      const asked = hall.paths.length;
      assert.ok(asked <= 4,
        `expected at most 4 requests in 3 s (at 0.01, 0.06, 0.36 and 0.96 s, or later), got ${asked}`);
      await waitUntil(() => hall.paths.length >= 4, 'four requests', 60_000);
      assert.deepEqual(win.delays.slice(0, 4), [1000, 5000, 30000, 60000],
        'expected the page to wait 1 s, 5 s, 30 s, 1 min before its attempts');
      const gaps = hall.times.slice(1, 4).map((t, i) => Math.round(t - hall.times[i]));
      assert.ok(gaps[0] >= 50 && gaps[1] >= 300 && gaps[2] >= 600,
        `expected at least 50, 300 and 600 ms between the requests, got ${gaps.join(', ')} ms`);
    } finally { await win?.close(); await hall.close(); }
  }));

  test('the waits grow to 30 min and stay there', () => againIfStorageLost(async (windows) => {
    const hall = await startHall();
    let win;
    try {
      windows.push(win = await openShellWindow(`${hall.url}/lobby`, 50_000));
      await waitUntil(() => win.delays.length >= 9, 'nine waits', 120_000);
      assert.deepEqual(win.delays.slice(0, 9),
        [1000, 5000, 30000, 60000, 300000, 600000, 1800000, 1800000, 1800000],
        'expected the page to wait 1 s, 5 s, 30 s, 1 min, 5 min, 10 min, then 30 min each time');
      // (The page's console reaches the test later than its requests reach
      // the server: the pace test bounds them from above.)
      assert.ok(hall.paths.length >= 8,
        `expected a request after each of the first 8 waits, got ${hall.paths.length}`);
    } finally { await win?.close(); await hall.close(); }
  }));

  test('a failure 5 min after the last attempt starts the schedule again', () => againIfStorageLost(async (windows) => {
    const hall = await startHall();
    const failed = `${hall.url}/lobby`;
    let win;
    try {
      windows.push(win = await openShellWindow(failed, FROZEN));
      assert.equal(await nextLine(win.page), 'Trying again in 1 s…');
      // A click is an attempt too: its failure brings the next wait.
      await win.page.evaluate(() => document.getElementById('retry').click());
      await waitUntil(() => win.delays.length === 2, 'the wait of the page the failure brings');
      assert.deepEqual(win.delays, [1000, 5000]);
      await win.page.waitForURL((u) => u.protocol === 'file:');
      assert.equal(await nextLine(win.page), 'Trying again in 5 s…');
      await win.page.evaluate(() => sessionStorage.setItem('test clock: ms skipped',
        String(Number(sessionStorage.getItem('test clock: ms skipped')) + 300_001)));
      await win.page.goto(pageUrl + await shellErrorPageQuery(failed));
      assert.deepEqual(win.delays, [1000, 5000, 1000],
        'expected the first wait again for a failure 5 min after the last attempt');
    } finally { await win?.close(); await hall.close(); }
  }));

  test('offline, the page waits; going online makes an attempt at once', async () => {
    const failed = 'http://127.0.0.1:9/hall';
    const [running, frozen] = await Promise.all([
      openShellWindow(failed, 100, { offline: true }),
      openShellWindow(failed, FROZEN, { offline: true }),
    ]);
    try {
      await running.page.waitForTimeout(1000);
      assert.deepEqual(running.attempts, [],
        'expected no attempt while offline (due at 0.01, 0.06, 0.36 and 0.96 s)');
      assert.equal(await nextLine(running.page), 'Waiting for the connection…');
      // A page that comes up offline says so at once: it plans no attempt.
      assert.equal(await nextLine(frozen.page), 'Waiting for the connection…',
        'expected the page opened offline to wait for the connection, not for a time');
      // With its clock stopped, only going online can make the page go.
      await frozen.goOnline();
      await waitUntil(() => frozen.attempts.length > 0, 'an attempt on going online', 5000);
      assert.deepEqual(frozen.attempts, [failed]);
    } finally { await running.close(); await frozen.close(); }
  });

  test('hidden, the page waits; once shown, it goes at once', async () => {
    let win;
    try {
      win = await openShellWindow('http://127.0.0.1:9/hall', 100, { hidden: true });
      await win.page.waitForTimeout(1000);
      assert.deepEqual(win.attempts, [], 'expected no attempt while hidden (due at 0.01 s)');
      await win.page.evaluate(() => {
        window.testShown = true;
        document.dispatchEvent(new Event('visibilitychange'));
      });
      await waitUntil(() => win.attempts.length > 0, 'an attempt once shown');
    } finally { await win?.close(); }
  });

  for (const failed of ['javascript:window.__pwned=1', 'file:///C:/Windows/win.ini',
    'about:blank', 'ftp://files.example/hall.zip']) {
    test(`never for ${failed}, which is not http or https`, async () => {
      const { release, page, seen } = await openErrorPage(failed, { clock: 1000 });
      try {
        const at = page.url();
        await page.waitForTimeout(300);
        assert.equal(page.url(), at, `${failed}: expected the page to stay`);
        assert.deepEqual(seen.requests, [at], `${failed}: expected no request but the page's`);
        assert.equal(await page.evaluate(() => window.__pwned), undefined,
          `${failed}: expected window.__pwned to stay undefined`);
        assert.equal(await nextLine(page), null, `${failed}: expected no "Trying again" line`);
      } finally { await release(); }
    });
  }
});

// CEF's Chromium (49 as shipped, 45 where the page was tried) drops what it
// does not know: text turned black, the button grey, paddings zero.
describe('the page uses nothing newer than Chromium 45', { concurrency: PAGES_AT_ONCE }, () => {
  // [what, pattern, an example it must catch]
  const css = [
    ['custom properties (Chromium 49)', /(^|[\s;{])--[\w-]+\s*:|\bvar\(/, ':root { --text: #fff; }'],
    ['clamp(), min(), max() (Chromium 79)', /\b(clamp|min|max)\(/, 'padding: clamp(1px, 2vw, 3px);'],
    ['gap (flex 84, grid 57)', /(^|[\s;{-])gap\s*:/, 'main { gap: 4px; }'],
    [':focus-visible (86), :focus-within (60)', /:focus-(visible|within)/, 'button:focus-visible {}'],
    [':is(), :where(), :has() (88+)', /:(is|where|has)\(/, 'main :is(h1, p) {}'],
    ['grid layout (57)', /display\s*:\s*(inline-)?grid/, 'main { display: grid; }'],
    ['position: sticky (56)', /position\s*:\s*sticky/, 'h1 { position: sticky; }'],
    ['color-scheme (81)', /color-scheme/, ':root { color-scheme: dark; }'],
    ['overflow-wrap: anywhere (80)', /overflow-wrap\s*:\s*anywhere/, 'p { overflow-wrap: anywhere; }'],
    ['system-ui (56)', /system-ui/, 'body { font: 16px system-ui; }'],
    ['unprefixed filter (53), backdrop-filter (76)', /(^|[\s;{])(backdrop-)?filter\s*:/, 'b:hover { filter: brightness(1.1); }'],
    ['aspect-ratio (88), inset (87), place-* (59)', /(^|[\s;{])(aspect-ratio|inset|place-items|place-content|place-self)\s*:/, 'i { inset: 0; }'],
    ['4- and 8-digit hex colours (62)', /#([0-9a-fA-F]{4}|[0-9a-fA-F]{8})\b/, 'p { color: #ffffff80; }'],
    ['space-separated colour functions (65)', /\b(rgba?|hsla?)\([^),]*\)/, 'p { color: rgb(0 0 0 / 50%); }'],
    ['env() (69), conic-gradient() (69)', /\b(env|conic-gradient)\(/, 'body { padding: env(safe-area-inset-top); }'],
    ['unicode-bidi: isolate/plaintext (48)', /unicode-bidi\s*:\s*(isolate|plaintext)/, 'p { unicode-bidi: isolate; }'],
    ['prefers-* media features (74+)', /prefers-(color-scheme|reduced-motion)/, '@media (prefers-color-scheme: dark) {}'],
    ['@layer, @container, @property (85+)', /@(layer|container|property)\b/, '@layer base {}'],
    ['dynamic viewport units (108)', /\d(dvh|svh|lvh|dvw|svw|lvw)\b/, 'body { height: 100dvh; }'],
    ['::marker (86), ::placeholder (57)', /::(marker|placeholder)/, 'li::marker {}'],
    ['scroll-behavior (61), overscroll-behavior (63), accent-color (93)', /(scroll-behavior|accent-color)\s*:/, 'html { scroll-behavior: smooth; }'],
  ];
  const js = [
    ['optional chaining (80)', /\?\.(?!\d)/, 'a?.b'],
    ['nullish coalescing (80)', /\?\?/, 'a ?? b'],
    ['let and const outside strict mode (49)', /\b(let|const)\s/, 'let a = 1;'],
    ['destructuring (49)', /\b(var|let|const)\s*[[{]/, 'var {a} = b;'],
    ['spread and rest (46/49)', /\.\.\.[\w$[{(]/, 'f(...args)'],
    ['classes outside strict mode (49)', /\bclass\s+[\w$]/, 'class A {}'],
    ['async functions (55)', /\basync\s+(function|\(|[\w$]+\s*=>)|\bawait\s/, 'async function f() {}'],
    ['exponent operator (52)', /[\w)\]]\s*\*\*/, 'a ** 2'],
    ['optional catch binding (66)', /\bcatch\s*\{/, 'try {} catch {}'],
    ['lookbehind (62) and named groups (64)', /\(\?<[=!\w]/, '/(?<=a)b/'],
    ['newer methods', /\.(includes|padStart|padEnd|flat|flatMap|at|replaceAll|matchAll|finally|trimStart|trimEnd|append|prepend|replaceWith|toggleAttribute|checkVisibility)\(/, "s.replaceAll('a', 'b')"],
    ['newer globals', /\b(Object\.(values|entries|fromEntries)|URLSearchParams|globalThis|structuredClone|queueMicrotask)\b/, 'new URLSearchParams(location.search)'],
  ];

  test('each check catches its example', () => {
    for (const [what, pattern, example] of [...css, ...js]) {
      assert.match(example, pattern, `expected the check for ${what} to catch ${example}`);
    }
  });

  test('shell/error.html has none of them', () => {
    const text = fs.readFileSync(pageSource, 'utf8');
    const blocks = (tag) => [...text.matchAll(new RegExp(`<${tag}>([\\s\\S]*?)</${tag}>`, 'g'))].map((m) => m[1]);
    const style = blocks('style').join('\n').replace(/\/\*[\s\S]*?\*\//g, '');
    const script = blocks('script').join('\n').replace(/^\s*\/\/.*$/gm, '');
    assert.ok(style.includes('button') && script.includes('location'), 'expected the page\'s style and script');
    const found = [];
    for (const [source, checks] of [[style, css], [script, js]]) {
      for (const [what, pattern] of checks) {
        const m = pattern.exec(source);
        if (m) found.push(`${what}: ${JSON.stringify(source.slice(Math.max(0, m.index - 20), m.index + 30))}`);
      }
    }
    assert.deepEqual(found, [], 'expected nothing newer than Chromium 45 in error.html');
  });
});

describe('layout', { concurrency: PAGES_AT_ONCE }, () => {
  const longAddresses = {
    'a 2000-character path': ('http://hall.example/' + 'table-5/'.repeat(250)).slice(0, 2000),
    'a 2000-character word': 'http://hall.example/' + 'x'.repeat(1980),
  };
  for (const viewport of [SHELL_WINDOW, SMALL_FRAME]) {
    for (const [label, failed] of Object.entries(longAddresses)) {
      test(`${viewport.width}x${viewport.height}: ${label} wraps, no horizontal scrolling`, async () => {
        assert.equal(failed.length, 2000, 'expected the test address to be 2000 characters');
        const { release, page, seen } = await openErrorPage(failed, { viewport });
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
        } finally { await release(); }
      });
    }
  }

  test('1100x800: a usual address fits without scrolling; screenshot saved', async () => {
    const { release, page } = await openErrorPage('http://portal.zelvora.example/hall');
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
    } finally { await release(); }
  });

  test('300x150: heading, address and "Try again" are all in view', async () => {
    const { release, page } = await openErrorPage('http://portal.zelvora.example/hall', { viewport: SMALL_FRAME });
    try {
      await assertInViewport(page, SMALL_FRAME, ['h1', '#address', 'button'], { whole: true });
      fs.mkdirSync(artifactDir, { recursive: true });
      await page.screenshot({ path: path.join(artifactDir, 'error-page-300x150.png') });
    } finally { await release(); }
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
