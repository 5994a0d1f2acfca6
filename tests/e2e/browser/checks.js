// The browser checks. Each returns a list of problems; an empty list is a pass.
//
// A setup says how pages reach the browser: `base` is the URL prefix of the pages, `browser`
// the browser that loads them, `direct` and `directBase` a browser and prefix for the plain
// pages without any blocker (for the comparisons), `wavPath` the sound file the sound statement
// names (null when the sound is off), and `screenshots` an optional keeper of the screenshots.
'use strict';

const { MARKER, openPage, readState, snapshot, sleep, waitUntil } = require('./browser');

// Time left for windows to appear after the page has done what it does.
const SETTLE_MS = 300;

// Pages that try to open windows on their own; `attempts` is how many windows each opens when
// nothing stops it.
const POPUP_PAGES = [
  { file: 'popup-onload.html', title: 'Load pop-ups', attempts: 3,
    what: 'pop-ups while loading (before the title, in the body, on load by document.open)' },
  { file: 'popup-timer.html', title: 'Timer pop-ups', attempts: 2,
    what: 'pop-ups from a timeout and an interval' },
  { file: 'popunder-onload.html', title: 'Pop-under on load', attempts: 1,
    what: 'a pop-under on load' },
  { file: 'popup-link.html', title: 'Script-clicked links', attempts: 3,
    what: 'new-window links clicked by script (target, named target, base target)' },
  { file: 'popup-form.html', title: 'Script-submitted forms', attempts: 3,
    what: 'forms submitted by script into new windows (submit, requestSubmit, shadowed submit)' },
  { file: 'popup-frames.html', title: 'Frame pop-ups', attempts: 2,
    what: 'pop-ups from a same-origin and a cross-origin frame' },
  // Chromium itself opens nothing while a page is really left, so the handlers are called here.
  { file: 'popup-unload.html', title: 'Leaving pop-ups', attempts: 3,
    what: 'pop-ups from beforeunload, pagehide and unload handlers',
    act: (page) => page.evaluate(() => {
      for (const type of ['beforeunload', 'pagehide', 'unload']) {
        window.dispatchEvent(new Event(type));
      }
    }) },
  { file: 'popup-fresh-frame.html', title: 'Fresh frame pop-ups', attempts: 9,
    what: 'pop-ups through fresh frames (markup frame by window.frames, about:blank ' +
      'contentWindow, its open called on the page, its Function, javascript: frame, innerHTML ' +
      'frame, nested frame, frame by index behind a hidden count, srcdoc script)' },
  // A page-wide pointerdown, mousedown and click listener, each opening on one of the clicks.
  { file: 'popunder-page-click.html', title: 'Page click pop-unders', attempts: 3,
    what: 'pop-unders from page-wide listeners on clicks on empty space, text and a picture',
    act: async (page) => {
      await page.mouse.click(400, 500);
      await page.click('#text');
      await page.click('#picture');
    } },
  // Page-wide keydown and keypress listeners: two attempts per key.
  { file: 'popup-page-key.html', title: 'Page key pop-ups', attempts: 4,
    what: 'pop-ups from page-wide key listeners with no control focused (a letter, Enter)',
    act: async (page) => {
      await page.keyboard.press('x');
      await page.keyboard.press('Enter');
    } },
  // A click may open a window, but not one pushed behind the page: that one is closed again.
  { file: 'popunder-click.html', title: 'Pop-under on click', attempts: 1, opensBriefly: true,
    what: 'a pop-under on a real click', act: (page) => page.click('#go') },
];

// Pages that open nothing; with the blocker they must look and read exactly as without it.
const QUIET_PAGES = ['plain-article.html', 'plain-scripted.html', 'plain-rewritten.html',
  'plain-bare.html', 'plain-quirks.html'];

// Waits (at most 3 s) until the tray has counted `count` pop-ups; one marker shows at a time.
async function waitForCaught(page, count) {
  const end = Date.now() + 3000;
  while (Date.now() < end && (await readState(page)).caught < count) await sleep(50);
}

function expectEqual(problems, what, actual, expected) {
  if (actual !== expected) {
    problems.push(`${what}: ${JSON.stringify(actual)}, expected ${JSON.stringify(expected)}`);
  }
}

function expectNoErrors(problems, errors) {
  if (errors.length) problems.push(`console errors: ${errors.join(' | ')}`);
}

// The marks a blocked pop-up leaves: one marker in front of the page's own title, the tray's
// count, and with the sound on the sound element pointed at the sound file.
function expectReported(problems, setup, state, title, count) {
  expectEqual(problems, 'caught by the tray', state.caught, count);
  expectEqual(problems, 'title', state.title, MARKER + title);
  if (setup.wavPath) {
    expectEqual(problems, 'sound source', state.beep, setup.wavPath);
  } else if (state.hasBeep) {
    problems.push('a sound element is in the page with the sound off');
  }
}

async function withPage(browser, url, body) {
  const visit = await openPage(browser, url);
  try {
    return await body(visit);
  } finally {
    await visit.context.close();
  }
}

// Without the blocker the page really opens its windows, so the suppression checks mean something.
function controlCheck(scenario) {
  return {
    name: `without the blocker ${scenario.file} opens ${scenario.attempts} window(s)`,
    async run(setup) {
      return withPage(setup.browser, setup.base + scenario.file, async (visit) => {
        const problems = [];
        if (scenario.act) await scenario.act(visit.page);
        await waitUntil(() => visit.popups.length >= scenario.attempts, 3000);
        await sleep(200);
        expectEqual(problems, 'windows opened', visit.popups.length, scenario.attempts);
        return problems;
      });
    },
  };
}

function suppressedCheck(scenario) {
  return {
    name: `${scenario.what}: ${scenario.opensBriefly ? 'closed again' : 'none opens'}, each is reported`,
    async run(setup) {
      return withPage(setup.browser, setup.base + scenario.file, async (visit) => {
        const problems = [];
        if (scenario.act) await scenario.act(visit.page);
        await waitForCaught(visit.page, scenario.attempts);
        await sleep(SETTLE_MS);
        const state = await readState(visit.page);
        if (scenario.opensBriefly) {
          expectEqual(problems, 'windows left open', visit.context.pages().length - 1, 0);
        } else {
          expectEqual(problems, 'windows opened', visit.popups.length, 0);
        }
        expectReported(problems, setup, state, scenario.title, scenario.attempts);
        expectEqual(problems, "page's own script finished", state.done, true);
        if (state.stray !== undefined) problems.push(`the page got a message: ${state.stray}`);
        expectNoErrors(problems, visit.errors);
        return problems;
      });
    },
  };
}

// Each user action on user-allowed.html and the windows it should open.
const USER_ACTIONS = [
  { what: 'button click', opens: 1, act: (page) => page.click('#open') },
  { what: 'link click', opens: 1, act: (page) => page.click('#link') },
  {
    what: 'Enter on a focused button',
    opens: 1,
    act: async (page) => {
      await page.focus('#key');
      await page.keyboard.press('Enter');
    },
  },
  { what: 'form submit button', opens: 1, act: (page) => page.click('#send') },
  {
    what: "Enter in a form's text field",
    opens: 1,
    act: async (page) => {
      await page.focus('input[name=form]');
      await page.keyboard.press('Enter');
    },
  },
  { what: 'button opening after a timer', opens: 1, act: (page) => page.click('#later') },
  { what: 'button opening after a fetch', opens: 1, act: (page) => page.click('#fetched') },
  { what: 'role=button handled by a page listener', opens: 1, act: (page) => page.click('#role') },
  { what: 'summary handled by a page listener', opens: 1, act: (page) => page.click('#summary') },
  { what: 'text of an element with its own listener', opens: 1,
    act: (page) => page.click('#tile-text') },
  { what: 'button opening through a fresh frame', opens: 1, act: (page) => page.click('#framed') },
  { what: 'button in a frame of its own', opens: 1,
    act: (page) => page.frameLocator('#loaded').locator('#inner').click() },
  { what: 'button in a srcdoc frame', opens: 1,
    act: (page) => page.frameLocator('#made').locator('#inner').click() },
];

const userCheck = {
  name: 'windows the user asks for by click or key open, unreported',
  async run(setup) {
    return withPage(setup.browser, setup.base + 'user-allowed.html', async (visit) => {
      const problems = [];
      for (const action of USER_ACTIONS) {
        const before = visit.popups.length;
        await action.act(visit.page);
        await waitUntil(() => visit.popups.length >= before + action.opens, 3000);
        await sleep(100);
        expectEqual(problems, `windows after ${action.what}`, visit.popups.length - before,
          action.opens);
        for (const popup of visit.popups.slice(before)) await popup.close();
      }
      const state = await readState(visit.page);
      expectEqual(problems, 'caught by the tray', state.caught, 0);
      expectEqual(problems, 'title', state.title, 'Asked-for windows');
      expectNoErrors(problems, visit.errors);
      return problems;
    });
  },
};

const oneWindowPerClickCheck = {
  name: 'a click that opens two windows gets the first; the second is reported',
  async run(setup) {
    return withPage(setup.browser, setup.base + 'user-allowed.html', async (visit) => {
      const problems = [];
      await visit.page.click('#double');
      await sleep(SETTLE_MS);
      const urls = visit.popups.map((popup) => popup.url());
      expectEqual(problems, 'windows opened', urls.length, 1);
      if (urls.length && !urls[0].endsWith('?wanted')) problems.push(`opened ${urls[0]}`);
      expectReported(problems, setup, await readState(visit.page), 'Asked-for windows', 1);
      expectNoErrors(problems, visit.errors);
      return problems;
    });
  },
};

const ownNavigationCheck = {
  name: "script navigation of the page's own frame and window is left alone",
  async run(setup) {
    return withPage(setup.browser, setup.base + 'navigate-own.html', async (visit) => {
      const problems = [];
      await waitUntil(() => visit.page.url().endsWith('target.html?self'), 3000);
      await sleep(200);
      for (const suffix of ['target.html?link', 'target.html?form=frame', 'target.html?self']) {
        if (!visit.navigations.some((url) => url.endsWith(suffix))) {
          problems.push(`never loaded ${suffix}`);
        }
      }
      expectEqual(problems, 'windows opened', visit.popups.length, 0);
      expectEqual(problems, 'title', await visit.page.title(), 'Target');
      expectNoErrors(problems, visit.errors);
      return problems;
    });
  },
};

function unchangedCheck(file) {
  return {
    name: `${file} renders and reads as without the blocker`,
    async run(setup) {
      const problems = [];
      const render = (browser, base) =>
        withPage(browser, base + file, async (visit) => {
          await sleep(100);
          const shot = await snapshot(visit.page);
          expectNoErrors(problems, visit.errors);
          return shot;
        });
      const plain = await render(setup.direct, setup.directBase);
      const guarded = await render(setup.browser, setup.base);
      if (setup.screenshots) setup.screenshots(file, plain.screenshot, guarded.screenshot);
      if (!plain.screenshot.equals(guarded.screenshot)) problems.push('screenshots differ');
      expectEqual(problems, 'document', guarded.html, plain.html);
      expectEqual(problems, 'title', guarded.title, plain.title);
      expectEqual(problems, 'rendering mode', guarded.mode, plain.mode);
      const added = guarded.globals.filter((name) => !plain.globals.includes(name));
      const lost = plain.globals.filter((name) => !guarded.globals.includes(name));
      expectEqual(problems, 'globals added', added.join(','), 'KorvoPopupKiller');
      expectEqual(problems, 'globals lost', lost.join(','), '');
      return problems;
    },
  };
}

// The checks for a setup with the blocker in its pages.
function blockerChecks() {
  return [
    ...POPUP_PAGES.map(suppressedCheck),
    userCheck,
    oneWindowPerClickCheck,
    ownNavigationCheck,
    ...QUIET_PAGES.map(unchangedCheck),
  ];
}

// The checks for plain pages without any blocker.
function controlChecks() {
  return POPUP_PAGES.map(controlCheck);
}

module.exports = { blockerChecks, controlChecks };
