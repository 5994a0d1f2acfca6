// One page request through KorvoPop's proxy: Chromium loads a page that opens a pop-up on load,
// the blocker script the proxy put in suppresses it and marks the title. Prints one JSON line,
// { title, popups, injected, ms }, for the script that hands the title on to a Wine window.
//
//   node korvopop.js --proxy PORT [--secure CERTS --home DIR]
//   node korvopop.js --pac URL --host ADDRESS
//
// With --secure the origin is a secure site with the certificate CERTS/good.pem, and Chromium runs
// with HOME DIR, whose NSS database trusts the certificates it should. With --pac Chromium is set
// to that automatic configuration script instead of a proxy, and the origin listens on ADDRESS,
// one of the machine's own besides loopback (which a script's proxy is never asked for).
'use strict';

const fs = require('fs');
const path = require('path');
const os = require('os');
const { MARKER, launch, openPage, sleep } = require('./browser');
const { startOrigin } = require('./origin');

const PAGE = 'popunder-onload.html';

async function main() {
  const option = (name) => {
    const at = process.argv.indexOf(name);
    return at > 0 ? process.argv[at + 1] : '';
  };
  const proxyPort = Number(option('--proxy'));
  const pacUrl = option('--pac');
  if (!proxyPort && !(pacUrl && option('--host'))) {
    throw new Error('usage: node korvopop.js --proxy PORT [--secure CERTS --home DIR] | --pac URL --host ADDRESS');
  }
  const certs = option('--secure');
  const tls = certs ? {
    cert: fs.readFileSync(path.join(certs, 'good.pem')),
    key: fs.readFileSync(path.join(certs, 'good-key.pem')),
  } : undefined;
  const started = Date.now();
  // The origin serves the page as it is (/plain/); its script file is only needed for the other
  // prefixes, so an empty stand-in does.
  const scriptPath = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'korvopop-')), 'blk.js');
  fs.writeFileSync(scriptPath, '<script>%s</script>');
  const origin = await startOrigin({ scriptPath, wavPath: '', tls, host: option('--host') });
  const browser = await launch(proxyPort, option('--home'), pacUrl);
  try {
    const visit = await openPage(browser, `${origin.url}/plain/${PAGE}`);
    // The marker follows the load event; wait for it at most 5 s.
    const end = Date.now() + 5000;
    let title = await visit.page.title();
    while (title.indexOf(MARKER) !== 0 && Date.now() < end) {
      await sleep(50);
      title = await visit.page.title();
    }
    // The script takes itself out of the document; the page as the browser receives it shows it.
    const injected = await visit.page.evaluate(() =>
      fetch(location.href, { cache: 'no-store' }).then((reply) => reply.text())
        .then((text) => text.indexOf('KorvoPopupKiller') >= 0));
    console.log(JSON.stringify({ title, popups: visit.popups.length, injected, ms: Date.now() - started }));
    await visit.context.close();
  } finally {
    await browser.close();
    await origin.close();
    fs.rmSync(path.dirname(scriptPath), { recursive: true, force: true });
  }
}

main().catch((error) => {
  console.error(`korvopop.js: ${error.stack || error}`);
  process.exitCode = 1;
});
