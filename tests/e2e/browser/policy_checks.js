// The checks of pages with a script policy (Content-Security-Policy header or meta tag). Through
// the proxy the blocker runs on each, while the page's own inline script stays refused (or, where
// the policy allows inline scripts, still runs). A setup is as in checks.js.
'use strict';

const { MARKER, openPage, readState, sleep, waitUntil } = require('./browser');

// Chromium's words for it have changed between versions.
const REFUSED = /(Refused to execute|Executing) inline script/;

// `inlineRuns`: the page's own inline script without hash or nonce runs under its policy;
// `policies`: how many policies refuse it, each with a console message.
const POLICY_PAGES = [
  { file: 'csp-header.html', title: 'Policy header', what: "a policy header of script-src 'self'" },
  { file: 'csp-meta.html', title: 'Policy meta tag', what: "a policy meta tag of script-src 'self'",
    meta: true },
  { file: 'csp-several.html', title: 'Several policies',
    what: 'two policy headers, one with two policies joined by a comma', policies: 2 },
  { file: 'csp-nonce.html', title: 'Nonce policy', what: "a policy of a nonce with 'strict-dynamic'" },
  { file: 'csp-inline-allowed.html', title: 'Inline scripts allowed',
    what: "a policy with 'unsafe-inline'", inlineRuns: true },
];

async function withPage(browser, url, body) {
  const visit = await openPage(browser, url);
  try {
    return await body(visit);
  } finally {
    await visit.context.close();
  }
}

function expectEqual(problems, what, actual, expected) {
  if (actual !== expected) {
    problems.push(`${what}: ${JSON.stringify(actual)}, expected ${JSON.stringify(expected)}`);
  }
}

// The console holds exactly the refusals expected: of the page's inline script, and nothing else.
function expectRefusals(problems, errors, count) {
  const refusals = errors.filter((text) => REFUSED.test(text));
  const others = errors.filter((text) => !REFUSED.test(text));
  expectEqual(problems, 'inline scripts refused (console)', refusals.length, count);
  if (others.length) problems.push(`console errors: ${others.join(' | ')}`);
}

function readPolicyState(page) {
  return page.evaluate(() => {
    const meta = document.querySelector('meta[http-equiv="Content-Security-Policy"]');
    return { inlineRan: window.inlineRan === true, meta: meta ? meta.content : null };
  });
}

function policyCheck(scenario) {
  return {
    name: `${scenario.what}: the blocker runs, the pop-up is reported, the page's other inline ` +
      `script ${scenario.inlineRuns ? 'still runs' : 'stays refused'}`,
    async run(setup) {
      return withPage(setup.browser, setup.base + scenario.file, async (visit) => {
        const problems = [];
        const end = Date.now() + 3000;
        while (Date.now() < end && (await readState(visit.page)).caught < 1) await sleep(50);
        await sleep(300);
        const state = await readState(visit.page);
        const policy = await readPolicyState(visit.page);
        expectEqual(problems, 'windows opened', visit.popups.length, 0);
        expectEqual(problems, 'caught by the tray', state.caught, 1);
        expectEqual(problems, 'title', state.title, MARKER + scenario.title);
        expectEqual(problems, "page's allowed script finished", state.done, true);
        expectEqual(problems, "page's other inline script ran", policy.inlineRan,
          scenario.inlineRuns === true);
        expectRefusals(problems, visit.errors, scenario.inlineRuns ? 0 : scenario.policies || 1);
        // A meta policy applies only to what follows it, and the blocker stands in front of it:
        // the tag stays as the page wrote it.
        if (scenario.meta) expectEqual(problems, 'meta policy', policy.meta, "script-src 'self'");
        return problems;
      });
    },
  };
}

// Without the blocker each page opens its window: the policy allows the page's own script.
function policyControlCheck(scenario) {
  return {
    name: `without the blocker ${scenario.file} opens 1 window`,
    async run(setup) {
      return withPage(setup.browser, setup.base + scenario.file, async (visit) => {
        const problems = [];
        await waitUntil(() => visit.popups.length >= 1, 3000);
        await sleep(200);
        expectEqual(problems, 'windows opened', visit.popups.length, 1);
        return problems;
      });
    },
  };
}

// The blocker put in by the origin, the policy header unchanged: the browser refuses it and the
// window opens, so the hash is what lets the blocker run through the proxy.
const unhashedCheck = {
  name: 'csp-header.html with the blocker but without its hash refuses it and opens the window',
  async run(setup) {
    const base = setup.base.replace(/\/plain\/$/, '/quiet/');
    return withPage(setup.browser, base + 'csp-header.html', async (visit) => {
      const problems = [];
      await waitUntil(() => visit.popups.length >= 1, 3000);
      await sleep(200);
      expectEqual(problems, 'windows opened', visit.popups.length, 1);
      expectRefusals(problems, visit.errors, 2);
      return problems;
    });
  },
};

// The checks for a setup with the proxy: the origin does not add any hash itself.
function policyChecks() {
  return POLICY_PAGES.map(policyCheck);
}

function policyControlChecks() {
  return [...POLICY_PAGES.map(policyControlCheck), unhashedCheck];
}

module.exports = { policyChecks, policyControlChecks };
