// A small origin web server for the browser checks. It serves the test pages of pages/ under
// three path prefixes:
//   /plain/NAME   the page as it is (the proxy, when there is one, puts the blocker in)
//   /quiet/NAME   the page with the blocker script after its doctype, sound off
//   /sound/NAME   the same with the sound statement and the sound element after <head>
// "__OTHER__" in a page becomes the same prefix on the second origin (another port, so another
// origin for the browser), for cross-origin frames. Scripts NAME.js of pages/ are served as they
// are. A page NAME.html with a sidecar NAME.html.headers gets each "Name: value" line of it as
// a header line of its response (a name may repeat).
'use strict';

const fs = require('fs');
const http = require('http');
const path = require('path');

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

// Starts the origin and its second port. options: scriptPath (the blocker file), wavPath (the
// sound file named in /sound/ pages). Resolves to { url, otherUrl, close() }.
async function startOrigin(options) {
  const fileText = fs.readFileSync(options.scriptPath, 'latin1');
  const scripts = {
    quiet: prepareScript(fileText, null),
    sound: prepareScript(fileText, options.wavPath),
  };
  let otherUrl = '';

  function handle(request, response) {
    const url = new URL(request.url, 'http://origin');
    const match = /^\/(plain|quiet|sound)\/([\w-]+\.(?:html|js))$/.exec(url.pathname);
    if (!match || !fs.existsSync(path.join(PAGES, match[2]))) {
      response.writeHead(url.pathname === '/favicon.ico' ? 204 : 404, { 'Content-Length': 0 });
      response.end();
      return;
    }
    const [, mode, name] = match;
    if (name.endsWith('.js')) {
      const script = fs.readFileSync(path.join(PAGES, name));
      response.writeHead(200, {
        'Content-Type': 'application/javascript',
        'Content-Length': script.length,
        'Cache-Control': 'no-store',
      });
      response.end(script);
      return;
    }
    let page = fs.readFileSync(path.join(PAGES, name), 'utf8').split('__OTHER__').join(`${otherUrl}/${mode}`);
    if (mode !== 'plain') page = injectPage(page, scripts[mode], mode === 'sound');
    const body = Buffer.from(page, 'utf8');
    for (const [field, values] of sidecarHeaders(name)) response.setHeader(field, values);
    response.writeHead(200, {
      'Content-Type': 'text/html; charset=utf-8',
      'Content-Length': body.length,
      'Cache-Control': 'no-store',
    });
    response.end(body);
  }

  const listen = () =>
    new Promise((resolve, reject) => {
      const server = http.createServer(handle);
      server.on('error', reject);
      server.listen(0, '127.0.0.1', () => resolve(server));
    });
  const servers = [await listen(), await listen()];
  const [url, other] = servers.map((server) => `http://127.0.0.1:${server.address().port}`);
  otherUrl = other;
  return {
    url,
    otherUrl,
    close: () =>
      Promise.all(
        servers.map((server) => {
          server.closeAllConnections();
          return new Promise((resolve) => server.close(resolve));
        }),
      ),
  };
}

module.exports = { startOrigin, prepareScript, injectPage };
