// The checks of responses that are not pages for the blocker and must reach the browser as they
// come: an XHTML document, a style sheet with markup in a comment, an event stream and a plain
// text stream that stay open, and a WebSocket on a plain http page. Each reads what the page got
// in the browser; through the proxy it must be what the same page gets directly. A raw client
// drives the proxy's switch after a 101 as well. A setup is as in checks.js.
'use strict';

const crypto = require('crypto');
const net = require('net');
const { once } = require('events');
const { openPage, sleep, snapshot, waitUntil } = require('./browser');
const { EVENT_GAP_MS } = require('./origin');
const { OPCODE_CLOSE, OPCODE_TEXT, acceptValue, frame, readFrame } = require('./websocket');

// A stream's first piece must arrive this soon after it is opened, long before its second.
const FIRST_EVENT_MS = 500;

function expectEqual(problems, what, actual, expected) {
  if (actual !== expected) {
    problems.push(`${what}: ${JSON.stringify(actual)}, expected ${JSON.stringify(expected)}`);
  }
}

// Waits (at most timeoutMs) until the page's test() holds, polling from node.
async function waitInPage(page, test, timeoutMs) {
  const end = Date.now() + timeoutMs;
  while (!(await page.evaluate(test)) && Date.now() < end) await sleep(50);
}

// A page that records each piece of an open stream as it comes, with the milliseconds since it
// opened the stream, in window.events. The first piece must come at once, not held back with
// the second, which comes EVENT_GAP_MS later.
function streamScenario(file, what, pieces) {
  return {
    file,
    what,
    async read(page) {
      await waitInPage(page, () => window.events.length >= 2 || window.streamError,
        EVENT_GAP_MS + 3000);
      return page.evaluate(() => ({
        data: JSON.stringify(window.events.map((event) => event.data)),
        times: window.events.map((event) => event.at),
        error: window.streamError === true,
      }));
    },
    expect(problems, got) {
      expectEqual(problems, 'pieces', got.data, JSON.stringify(pieces));
      const [first, second] = got.times;
      if (first > FIRST_EVENT_MS) {
        problems.push(`the first piece came ${first} ms after the stream was opened`);
      }
      if (second - first < EVENT_GAP_MS / 2) {
        problems.push(`the second piece came ${second - first} ms after the first`);
      }
      expectEqual(problems, 'stream error', got.error, false);
    },
    same: ['data'],
  };
}

// Each scenario: `read(page)` returns what the page got once it is done; `expect(problems, got)`
// holds for a right reading wherever it comes from; `same` names the parts of a reading that
// must be equal through the proxy and directly (the rest, such as timings, may differ).
const SCENARIOS = [
  {
    file: 'xhtml-page.xhtml',
    what: 'an XHTML page served as application/xhtml+xml',
    async read(page) {
      await sleep(100);
      const state = await page.evaluate(() => ({
        type: document.contentType,
        parseErrors: document.getElementsByTagName('parsererror').length,
        marker: document.getElementById('marker') && document.getElementById('marker').textContent,
        scriptRan: window.scriptRan === true,
      }));
      // Chromium may not finish a screenshot of its page for an XML parse error.
      if (state.parseErrors) return state;
      const shot = await snapshot(page);
      return { ...state, ...shot, globals: shot.globals.join(',') };
    },
    expect(problems, got) {
      expectEqual(problems, 'document type', got.type, 'application/xhtml+xml');
      expectEqual(problems, 'XML parse errors', got.parseErrors, 0);
      expectEqual(problems, 'marker', got.marker, 'the script ran');
      expectEqual(problems, "page's script ran", got.scriptRan, true);
    },
    same: ['screenshot', 'html', 'title', 'mode', 'globals'],
  },
  {
    file: 'style-sheet.html',
    what: 'a style sheet with a page in a comment',
    read: (page) =>
      page.evaluate(() => {
        const style = (id, pseudo) => getComputedStyle(document.getElementById(id), pseudo);
        const sheet = document.styleSheets[0];
        return {
          beforeWidth: style('before').width,
          beforeColor: style('before').color,
          afterWidth: style('after').width,
          afterBorder: style('after').borderLeft,
          afterContent: style('after', '::before').content,
          rules: sheet ? Array.from(sheet.cssRules, (rule) => rule.cssText).join('\n') : '',
        };
      }),
    expect(problems, got) {
      expectEqual(problems, 'width before the comment', got.beforeWidth, '123px');
      expectEqual(problems, 'color before the comment', got.beforeColor, 'rgb(10, 120, 30)');
      expectEqual(problems, 'width after the comment', got.afterWidth, '321px');
      expectEqual(problems, 'border after the comment', got.afterBorder,
        '7px solid rgb(200, 0, 0)');
      expectEqual(problems, 'generated content', got.afterContent, '"styled: "');
    },
    same: ['rules'],
  },
  streamScenario('event-stream.html', 'an event stream that stays open', ['first', 'second']),
  streamScenario('text-stream.html', 'a plain text stream that stays open',
    ['first line\n', 'second line\n']),
  {
    // Chromium takes a ws:// connection through an HTTP proxy by a CONNECT tunnel, so this one
    // passes the proxy's tunnel; relayedUpgradeCheck drives its switch after a 101.
    file: 'websocket-echo.html',
    what: 'a WebSocket on a plain http page',
    async read(page) {
      await waitInPage(page, () => window.socketClosed !== undefined || window.socketError, 5000);
      return page.evaluate(() => ({
        echoed: window.echo === window.sent,
        echo: window.echo === undefined ? null : window.echo.slice(0, 40),
        closed: window.socketClosed
          ? `${window.socketClosed.code} clean=${window.socketClosed.clean}` : null,
        error: window.socketError === true,
      }));
    },
    expect(problems, got) {
      if (!got.echoed) problems.push(`the echo was ${JSON.stringify(got.echo)}, not the message`);
      expectEqual(problems, 'closed', got.closed, '1000 clean=true');
      expectEqual(problems, 'socket error', got.error, false);
    },
    same: ['echo', 'closed'],
  },
];

async function readVisit(browser, url, scenario) {
  const visit = await openPage(browser, url);
  try {
    return { got: await scenario.read(visit.page), errors: visit.errors };
  } finally {
    await visit.context.close();
  }
}

function expectNoErrors(problems, label, errors) {
  if (errors.length) problems.push(`console errors ${label}: ${errors.join(' | ')}`);
}

// Directly each page gets what it should, so the comparisons through the proxy mean something.
function controlCheck(scenario) {
  return {
    name: `without the proxy ${scenario.what} works (${scenario.file})`,
    async run(setup) {
      const problems = [];
      const direct = await readVisit(setup.browser, setup.base + scenario.file, scenario);
      scenario.expect(problems, direct.got);
      expectNoErrors(problems, 'directly', direct.errors);
      return problems;
    },
  };
}

function passedCheck(scenario) {
  return {
    name: `${scenario.what} works through the proxy as directly (${scenario.file})`,
    async run(setup) {
      const problems = [];
      const direct = await readVisit(setup.direct, setup.directBase + scenario.file, scenario);
      const proxied = await readVisit(setup.browser, setup.base + scenario.file, scenario);
      scenario.expect(problems, proxied.got);
      // A part a wrong reading lacks is one expect() has reported already.
      for (const part of scenario.same.filter((name) => name in proxied.got)) {
        const [actual, expected] = [proxied.got[part], direct.got[part]];
        if (Buffer.isBuffer(actual)) {
          if (!actual.equals(expected)) problems.push(`${part} differs from the direct one`);
        } else {
          expectEqual(problems, `${part} (against direct)`, actual, expected);
        }
      }
      expectNoErrors(problems, 'through the proxy', proxied.errors);
      return problems;
    },
  };
}

// The bytes a socket receives, and whether it has ended.
function receiver(socket) {
  const got = { bytes: Buffer.alloc(0), ended: false, error: null };
  socket.on('data', (bytes) => {
    got.bytes = Buffer.concat([got.bytes, bytes]);
  });
  socket.on('close', () => {
    got.ended = true;
  });
  socket.on('error', (error) => {
    got.error = error.message;
  });
  return got;
}

// The upgrade request as a client that does not tunnel sends it to a proxy, with the absolute
// URL; then a masked text message that reads like a response with a page, the echo, and a close.
// After the 101 the proxy must pass both ways as they are and end with the server.
const relayedUpgradeCheck = {
  name: 'a WebSocket upgrade sent to the proxy as a request: after the 101 both ways pass',
  async run(setup) {
    const problems = [];
    const url = new URL(`${setup.base}echo`);
    const key = crypto.randomBytes(16).toString('base64');
    const message = Buffer.from(`HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n<html>\u00e9 ${
      'filler '.repeat(40)}`);
    const socket = net.connect(setup.proxyPort, '127.0.0.1');
    const got = receiver(socket);
    try {
      await once(socket, 'connect');
      socket.write(`GET ${url.href} HTTP/1.1\r\nHost: ${url.host}\r\nUpgrade: websocket\r\n` +
        `Connection: Upgrade\r\nSec-WebSocket-Key: ${key}\r\nSec-WebSocket-Version: 13\r\n\r\n`);
      await waitUntil(() => got.ended || got.bytes.includes('\r\n\r\n'), 3000);
      const headerEnd = got.bytes.indexOf('\r\n\r\n');
      if (headerEnd < 0) return [`no answer to the upgrade: ${got.error || 'nothing came'}`];
      const header = got.bytes.subarray(0, headerEnd).toString('latin1');
      expectEqual(problems, 'status line', header.split('\r\n')[0],
        'HTTP/1.1 101 Switching Protocols');
      const accept = /\r\nSec-WebSocket-Accept:[ \t]*(\S+)/i.exec(header);
      expectEqual(problems, 'Sec-WebSocket-Accept', accept && accept[1], acceptValue(key));
      got.bytes = got.bytes.subarray(headerEnd + 4);

      socket.write(frame(OPCODE_TEXT, message, true));
      await waitUntil(() => got.ended || readFrame(got.bytes), 3000);
      const echo = readFrame(got.bytes);
      if (!echo || echo.opcode !== OPCODE_TEXT || echo.masked || !echo.payload.equals(message)) {
        const came = got.bytes.toString('latin1').slice(0, 60);
        problems.push(`the echo came as ${JSON.stringify(came)}`);
        return problems;
      }
      got.bytes = got.bytes.subarray(echo.size);

      socket.write(frame(OPCODE_CLOSE, Buffer.from([0x03, 0xe8]), true));
      await waitUntil(() => got.ended, 3000);
      const close = readFrame(got.bytes);
      expectEqual(problems, 'answer to the close', close && close.opcode, OPCODE_CLOSE);
      expectEqual(problems, 'ended with the server', got.ended, true);
      return problems;
    } finally {
      socket.destroy();
    }
  },
};

// The checks for a setup with the proxy; setup.proxyPort is the proxy's port.
function passthroughChecks() {
  return [...SCENARIOS.map(passedCheck), relayedUpgradeCheck];
}

function passthroughControlChecks() {
  return SCENARIOS.map(controlCheck);
}

module.exports = { passthroughChecks, passthroughControlChecks };
