// Runs the blocker script checks in headless Chromium and prints one PASS/FAIL line per check.
//
//   node run.js [--script FILE] [--proxy PORT --proxy-wav PATH [--secure CERTS --home DIR]]
//               [--screenshots DIR] [--only RE]
//
// Without --proxy the origin puts the script into the pages itself (sound off and sound on).
// With --proxy the pages go through korvo-proxy on 127.0.0.1:PORT as they are, and PATH is the
// sound file the proxy's sound statement names (empty when its sound is off). With --secure the
// pop-up checks run again on secure origins whose certificate is CERTS/good.pem, in a Chromium
// whose HOME is DIR (its NSS database trusts the proxy's root). --only runs the
// checks whose names match RE. Exits 1 when a check fails.
'use strict';

const fs = require('fs');
const path = require('path');
const vm = require('vm');
const { launch } = require('./browser');
const { blockerChecks, controlChecks } = require('./checks');
const { policyChecks, policyControlChecks } = require('./policy_checks');
const { passthroughChecks, passthroughControlChecks } = require('./passthrough_checks');
const { startOrigin, prepareScript } = require('./origin');
const { sentScriptCheck } = require('./sent_script_checks');

const STANDALONE_WAV = 'C:/Program Files/Korvo Popup Killer/PopUp.wav';

function parseArgs(argv) {
  const options = {
    script: path.join(__dirname, '..', '..', '..', 'data', 'KorvoBlk.js'),
    proxy: 0,
    proxyWav: '',
    secure: '',
    home: '',
    screenshots: '',
    only: null,
  };
  for (let i = 0; i < argv.length; i += 2) {
    const value = argv[i + 1];
    if (value === undefined) throw new Error(`${argv[i]} needs a value`);
    if (argv[i] === '--script') options.script = value;
    else if (argv[i] === '--proxy') options.proxy = Number(value);
    else if (argv[i] === '--proxy-wav') options.proxyWav = value;
    else if (argv[i] === '--secure') options.secure = value;
    else if (argv[i] === '--home') options.home = value;
    else if (argv[i] === '--screenshots') options.screenshots = value;
    else if (argv[i] === '--only') options.only = new RegExp(value);
    else throw new Error(`unknown option ${argv[i]}`);
  }
  return options;
}

function scriptBody(text) {
  return text.replace(/^<script[^>]*>/, '').replace(/<\/script>$/, '');
}

// The script file as the proxy takes it: one script element, one "%s" and no other "%", plain
// ASCII, nothing after the closing tag (a line break there would become a text node in the
// page), no head tag (the sound element goes after the page's first one), and old syntax only.
function fileProblems(text) {
  const problems = [];
  const open = /^<script type="text\/javascript">/.exec(text);
  const close = text.lastIndexOf('</script>');
  if (!open) problems.push('does not start with <script type="text/javascript">');
  if (close < 0 || close + '</script>'.length !== text.length) {
    problems.push('does not end with </script>');
  }
  if (text.indexOf('</script') !== close) problems.push('holds a second </script');
  const percents = text.split('%').length - 1;
  if (percents !== 1 || text.indexOf('%s') < 0) problems.push(`${percents} "%" instead of one "%s"`);
  if (/[^\x09\x0a\x0d\x20-\x7e]/.test(text)) problems.push('holds characters outside ASCII');
  if (/<head>/i.test(text)) problems.push('holds a head tag');
  const code = scriptBody(text)
    .replace(/\/\*[\s\S]*?\*\//g, '')
    .replace(/'(?:[^'\\\n]|\\.)*'/g, "''");
  const modern = /=>|`|\b(?:let|const|class)\s|\.\.\./.exec(code);
  if (modern) problems.push(`uses newer syntax: ${modern[0]}`);
  for (const [mode, wav] of [['sound off', null], ['sound on', STANDALONE_WAV]]) {
    try {
      new vm.Script(scriptBody(prepareScript(text, wav)));
    } catch (error) {
      problems.push(`${mode}: ${error.message}`);
    }
  }
  return problems;
}

const results = { passed: 0, failed: 0 };

function report(name, problems, seconds) {
  const took = seconds === undefined ? '' : ` (${seconds.toFixed(1)} s)`;
  if (problems.length) {
    results.failed += 1;
    console.log(`FAIL: ${name}${took}`);
    for (const problem of problems) console.log(`      ${problem}`);
  } else {
    results.passed += 1;
    console.log(`PASS: ${name}${took}`);
  }
}

async function runChecks(label, checks, setup, only) {
  for (const check of checks) {
    const name = `[${label}] ${check.name}`;
    if (only && !only.test(name)) continue;
    const started = Date.now();
    let problems;
    try {
      problems = await check.run(setup);
    } catch (error) {
      problems = [String(error.message || error).split('\n')[0]];
    }
    report(name, problems, (Date.now() - started) / 1000);
  }
}

function screenshotSaver(dir, label) {
  if (!dir) return null;
  fs.mkdirSync(dir, { recursive: true });
  return (file, plain, guarded) => {
    const stem = file.replace(/\.html$/, '');
    fs.writeFileSync(path.join(dir, `${stem}.direct.png`), plain);
    fs.writeFileSync(path.join(dir, `${stem}.${label}.png`), guarded);
  };
}

// The pop-up checks once more, with pages from secure origins through the proxy.
async function runSecureChecks(options, common, browsers) {
  const tls = {
    cert: fs.readFileSync(path.join(options.secure, 'good.pem')),
    key: fs.readFileSync(path.join(options.secure, 'good-key.pem')),
  };
  const origin = await startOrigin({ scriptPath: options.script, wavPath: STANDALONE_WAV, tls });
  try {
    const browser = await launch(options.proxy, options.home);
    browsers.push(browser);
    await runChecks('secure', blockerChecks(), {
      ...common,
      browser,
      base: `${origin.url}/plain/`,
      proxyPort: options.proxy,
      wavPath: options.proxyWav || null,
      screenshots: screenshotSaver(options.screenshots, 'secure'),
    }, options.only);
  } finally {
    await origin.close();
  }
}

async function main() {
  const options = parseArgs(process.argv.slice(2));
  const started = Date.now();
  report('the script file holds one script with one sound placeholder and old syntax',
    fileProblems(fs.readFileSync(options.script, 'latin1')));

  const origin = await startOrigin({ scriptPath: options.script, wavPath: STANDALONE_WAV });
  const browsers = [];
  try {
    const direct = await launch(0);
    browsers.push(direct);
    const plainBase = `${origin.url}/plain/`;
    const common = { direct, directBase: plainBase };
    await runChecks('control',
      [...controlChecks(), ...policyControlChecks(), ...passthroughControlChecks()],
      { ...common, browser: direct, base: plainBase }, options.only);
    if (options.proxy) {
      const proxied = await launch(options.proxy);
      browsers.push(proxied);
      // Only the proxy adds the blocker's hash to a page's script policy.
      const proxyChecks = [sentScriptCheck(fs.readFileSync(options.script, 'latin1')),
        ...blockerChecks(), ...policyChecks(), ...passthroughChecks()];
      await runChecks('proxy', proxyChecks, {
        ...common,
        browser: proxied,
        base: plainBase,
        proxyPort: options.proxy,
        wavPath: options.proxyWav || null,
        screenshots: screenshotSaver(options.screenshots, 'proxy'),
      }, options.only);
      if (options.secure) await runSecureChecks(options, common, browsers);
    } else {
      for (const [label, wavPath] of [['quiet', null], ['sound', STANDALONE_WAV]]) {
        await runChecks(label, blockerChecks(), {
          ...common,
          browser: direct,
          base: `${origin.url}/${label}/`,
          wavPath,
          screenshots: screenshotSaver(options.screenshots, label),
        }, options.only);
      }
    }
  } finally {
    for (const browser of browsers) await browser.close();
    await origin.close();
  }
  const seconds = ((Date.now() - started) / 1000).toFixed(1);
  console.log(`${results.passed} passed, ${results.failed} failed`);
  console.log(`(${seconds} s)`);
  process.exitCode = results.failed ? 1 : 0;
}

main().catch((error) => {
  console.log(`FAIL: the browser checks could not run: ${error.stack || error}`);
  process.exitCode = 1;
});
