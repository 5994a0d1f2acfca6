// A small origin web server for the browser checks. It serves the test pages of pages/ under
// three path prefixes:
//   /plain/NAME   the page as it is (the proxy, when there is one, puts the blocker in)
//   /quiet/NAME   the page with the blocker script after its doctype, sound off
//   /sound/NAME   the same with the sound statement and the sound element after <head>
// "__OTHER__" in a page becomes the same prefix on the second origin (another port, so another
// origin for the browser), for cross-origin frames. Scripts NAME.js, XHTML documents NAME.xhtml
// and style sheets NAME.css of pages/ are served as they are, under any prefix. A page NAME.html
// with a sidecar NAME.html.headers gets each "Name: value" line of it as a header line of its
// response (a name may repeat). Under any prefix, "events" is an event stream and "lines" a
// plain text stream (see STREAMS), and "echo" a WebSocket that echoes each text message (see
// acceptWebSocket).
'use strict';

const fs = require('fs');
const http = require('http');
const https = require('https');
const path = require('path');
const { OPCODE_CLOSE, OPCODE_TEXT, acceptValue, frame, readFrame } = require('./websocket');

const PAGES = path.join(__dirname, 'pages');
const SOUND_ELEMENT = "<BGSOUND ID='QX_beep'>";

// The script text ready for a page: the one "%s" becomes two spaces, or with sound the statement
// that points the sound element at wavPath (and each "%%" one "%", as a format would).
function prepareScript(fileText, wavPath) {
  if (wavPath === null) return fileText.replace('%s', '  ');
  const statement = `if( QX_beep ) QX_beep.src="${wavPath.replace(/\\/g, '/')}";`;
  let filled = false;
  return fileText.replace(/%(%|s)/g, (match, next) => {
    if (next === '%') return '%';
    if (filled) return match;
    filled = true;
    return statement;
  });
}

// The page with the script after a leading byte-order mark and doctype, and with sound the
// sound element after the first "<head>" (or "<HEAD>").
function injectPage(page, script, withSound) {
  const lead = /^(\uFEFF)?\s*(<!doctype[^>]*>)?/i.exec(page)[0].length;
  let body = page.slice(0, lead) + script + page.slice(lead);
  if (withSound) {
    let head = body.indexOf('<head>', lead + script.length);
    if (head < 0) head = body.indexOf('<HEAD>', lead + script.length);
    if (head >= 0) body = body.slice(0, head + 6) + SOUND_ELEMENT + body.slice(head + 6);
  }
  return body;
}

// The extra header lines of a page, as a map from name to its values in file order.
function sidecarHeaders(name) {
  const fields = new Map();
  const file = path.join(PAGES, `${name}.headers`);
  if (!fs.existsSync(file)) return fields;
  for (const line of fs.readFileSync(file, 'utf8').split('\n')) {
    const colon = line.indexOf(':');
    if (colon <= 0) continue;
    const field = line.slice(0, colon).trim();
    fields.set(field, [...(fields.get(field) || []), line.slice(colon + 1).trim()]);
  }
  return fields;
}

// Files of pages/ served as they are, by their ending.
const FILE_TYPES = {
  '.js': 'application/javascript',
  '.xhtml': 'application/xhtml+xml',
  '.css': 'text/css',
};

// The streams send their first part at once and their second this long after, then end.
const EVENT_GAP_MS = 1000;

function serveNothing(request, response) {
  const url = new URL(request.url, 'http://origin');
  response.writeHead(url.pathname === '/favicon.ico' ? 204 : 404, { 'Content-Length': 0 });
  response.end();
}

function serveFile(response, name, type) {
  const body = fs.readFileSync(path.join(PAGES, name));
  response.writeHead(200, {
    'Content-Type': type,
    'Content-Length': body.length,
    'Cache-Control': 'no-store',
  });
  response.end(body);
}

// A test page ready to go, with the header lines of its sidecar.
function servePage(response, page, headers) {
  const body = Buffer.from(page, 'utf8');
  for (const [field, values] of headers) response.setHeader(field, values);
  response.writeHead(200, {
    'Content-Type': 'text/html; charset=utf-8',
    'Content-Length': body.length,
    'Cache-Control': 'no-store',
  });
  response.end(body);
}

// Open-ended streams (chunked, no length): the first part at once, the second EVENT_GAP_MS
// later, then the end. The event stream's long retry keeps the browser from coming back for more;
// the plain text one does not start like a page.
const STREAMS = {
  events: {
    type: 'text/event-stream',
    parts: ['retry: 600000\ndata: first\n\n', 'data: second\n\n'],
  },
  lines: { type: 'text/plain; charset=utf-8', parts: ['first line\n', 'second line\n'] },
};

function serveStream(response, stream) {
  response.writeHead(200, { 'Content-Type': stream.type, 'Cache-Control': 'no-store' });
  response.write(stream.parts[0]);
  const timer = setTimeout(() => response.end(stream.parts[1]), EVENT_GAP_MS);
  response.on('close', () => clearTimeout(timer));
}

// Takes the upgrade of "echo" to a WebSocket and sends each text message back; a close is
// answered and ends the connection, as does a frame from the browser that is not masked.
// Returns false for any other upgrade.
function acceptWebSocket(request, socket, head) {
  const key = request.headers['sec-websocket-key'];
  const target = new URL(request.url, 'http://origin').pathname;
  const wanted = /^\/(plain|quiet|sound)\/echo$/.test(target);
  if (!wanted || !key || String(request.headers.upgrade).toLowerCase() !== 'websocket') {
    return false;
  }
  socket.write('HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\n' +
    `Connection: Upgrade\r\nSec-WebSocket-Accept: ${acceptValue(key)}\r\n\r\n`);
  let pending = head;
  socket.on('data', (bytes) => {
    pending = Buffer.concat([pending, bytes]);
    for (let message = readFrame(pending); message; message = readFrame(pending)) {
      pending = pending.subarray(message.size);
      if (!message.masked) return socket.destroy();
      if (message.opcode === OPCODE_TEXT) socket.write(frame(OPCODE_TEXT, message.payload, false));
      if (message.opcode === OPCODE_CLOSE) {
        return socket.end(frame(OPCODE_CLOSE, message.payload, false));
      }
    }
    return undefined;
  });
  socket.on('error', () => socket.destroy());
  return true;
}

// Starts the origin and its second port. options: scriptPath (the blocker file), wavPath (the
// sound file named in /sound/ pages), host (the address both listen on, 127.0.0.1 by default).
// Resolves to { url, otherUrl, close() }.
async function startOrigin(options) {
  const fileText = fs.readFileSync(options.scriptPath, 'latin1');
  const scripts = {
    quiet: prepareScript(fileText, null),
    sound: prepareScript(fileText, options.wavPath),
  };
  let otherUrl = '';
  const sockets = new Set();
  const host = options.host || '127.0.0.1';

  // The page under a prefix: the other origin filled in, and the blocker put in but for /plain/.
  function testPage(mode, name) {
    const page = fs.readFileSync(path.join(PAGES, name), 'utf8')
      .split('__OTHER__').join(`${otherUrl}/${mode}`);
    return mode === 'plain' ? page : injectPage(page, scripts[mode], mode === 'sound');
  }

  function handle(request, response) {
    const url = new URL(request.url, 'http://origin');
    const [, mode, name, ending] =
      /^\/(plain|quiet|sound)\/([\w-]+(\.\w+)?)$/.exec(url.pathname) || [];
    const isFile = ending !== undefined && fs.existsSync(path.join(PAGES, name));
    if (STREAMS[name]) {
      serveStream(response, STREAMS[name]);
    } else if (isFile && FILE_TYPES[ending]) {
      serveFile(response, name, FILE_TYPES[ending]);
    } else if (isFile && ending === '.html') {
      servePage(response, testPage(mode, name), sidecarHeaders(name));
    } else {
      serveNothing(request, response);
    }
  }

  function upgrade(request, socket, head) {
    sockets.add(socket);
    socket.on('close', () => sockets.delete(socket));
    if (!acceptWebSocket(request, socket, head)) {
      socket.end('HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n');
    }
  }

  const listen = () =>
    new Promise((resolve, reject) => {
      // With options.tls ({ key, cert }) both origins are secure sites.
      const server = options.tls ? https.createServer(options.tls, handle) : http.createServer(handle);
      server.on('upgrade', upgrade);
      server.on('error', reject);
      server.listen(0, host, () => resolve(server));
    });
  const servers = [await listen(), await listen()];
  const scheme = options.tls ? 'https' : 'http';
  const [url, other] = servers.map((server) => `${scheme}://${host}:${server.address().port}`);
  otherUrl = other;
  return {
    url,
    otherUrl,
    close: () => {
      // Taken-over WebSocket connections are no longer the servers' to close.
      for (const socket of sockets) socket.destroy();
      return Promise.all(
        servers.map((server) => {
          server.closeAllConnections();
          return new Promise((resolve) => server.close(resolve));
        }),
      );
    },
  };
}

module.exports = { EVENT_GAP_MS, startOrigin, prepareScript, injectPage };
