// Headless Chromium for the checks: Debian's /usr/bin/chromium driven by playwright-core, and a
// visit of one page in a fresh context that records what the page did.
'use strict';

const { chromium } = require('playwright-core');

const MARKER = 'Korvo Popup Killer.kv Catch Another Popup';

const CHROMIUM_ARGS = [
  '--headless=new',
  '--no-sandbox',
  '--disable-gpu',
  '--disable-quic',
  '--no-first-run',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
  '--disable-popup-blocking',
];

// Playwright gives every launch a fresh temporary --user-data-dir of its own. With home, Chromium
// runs with that HOME, whose .pki/nssdb holds the certificates it trusts. With pacUrl instead of
// a proxy port Chromium asks that automatic configuration script (which loopback addresses
// bypass all the same).
function launch(proxyPort, home, pacUrl) {
  const args = [...CHROMIUM_ARGS];
  if (proxyPort) {
    args.push(`--proxy-server=http://127.0.0.1:${proxyPort}`, '--proxy-bypass-list=<-loopback>');
  } else if (pacUrl) {
    args.push(`--proxy-pac-url=${pacUrl}`);
  }
  return chromium.launch({
    executablePath: '/usr/bin/chromium',
    headless: false,
    args,
    timeout: 30000,
    ...(home ? { env: { ...process.env, HOME: home } } : {}),
  });
}

// Stands in for the tray program in the top window: counts each time the title comes to start
// with the marker, as the tray's title scan would.
const TRAY_WATCH = `(() => {
  if (window.top !== window) return;
  const marker = ${JSON.stringify(MARKER)};
  let caught = 0;
  let marked = false;
  const look = () => {
    const has = document.title.indexOf(marker) === 0;
    if (has && !marked) caught += 1;
    marked = has;
  };
  new MutationObserver(look).observe(document, { subtree: true, childList: true, characterData: true });
  Object.defineProperty(window, '__trayCaught', { get: () => caught });
})();`;

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Waits until test() holds, at most timeoutMs.
async function waitUntil(test, timeoutMs) {
  const end = Date.now() + timeoutMs;
  while (!test() && Date.now() < end) await sleep(20);
  return test();
}

// Opens url in a new context. Returns { context, page, errors, popups, navigations }: console
// errors and uncaught exceptions, every page opened after the first, and the URL of every
// navigation of the page or its frames from the start.
async function openPage(browser, url) {
  const context = await browser.newContext({ viewport: { width: 800, height: 600 } });
  await context.addInitScript(TRAY_WATCH);
  const page = await context.newPage();
  const errors = [];
  const popups = [];
  const navigations = [];
  page.on('framenavigated', (frame) => navigations.push(frame.url()));
  page.on('console', (message) => {
    if (message.type() === 'error') errors.push(message.text());
  });
  page.on('pageerror', (error) => errors.push(String(error)));
  context.on('page', (opened) => {
    if (opened !== page) popups.push(opened);
  });
  await page.goto(url, { waitUntil: 'load', timeout: 15000 });
  return { context, page, errors, popups, navigations };
}

// What a pop-up page left behind: its title, the tray's count, whether its own script ran to its
// end, the blocker's count and the sound element's source.
function readState(page) {
  return page.evaluate(() => {
    const beep = document.getElementById('QX_beep');
    return {
      title: document.title,
      caught: window.__trayCaught,
      done: window.testDone === true,
      beep: beep ? beep.src : undefined,
      hasBeep: beep !== null,
      stray: window.strayMessage,
    };
  });
}

// The page as rendered and as a DOM: a full-page screenshot, the document's markup (the sound
// element and the head's blank text nodes left out, which do not show), the title, the
// rendering mode, and the window's own property names.
async function snapshot(page) {
  const dom = await page.evaluate(() => {
    const root = document.documentElement.cloneNode(true);
    const head = root.querySelector('head');
    if (head) {
      for (const node of Array.from(head.childNodes)) {
        const blank = node.nodeType === Node.TEXT_NODE && node.data.trim() === '';
        const sound = node.nodeType === Node.ELEMENT_NODE && node.id === 'QX_beep';
        if (blank || sound) head.removeChild(node);
      }
    }
    return {
      html: root.outerHTML,
      title: document.title,
      mode: document.compatMode,
      globals: Object.getOwnPropertyNames(window),
    };
  });
  dom.screenshot = await page.screenshot({ fullPage: true });
  return dom;
}

module.exports = { MARKER, launch, openPage, readState, snapshot, sleep, waitUntil };
