// The check of the script as the proxy sends it: the program of the script file, only smaller.
// Both are parsed (acorn) and their names resolved (eslint-scope); their syntax trees must be
// the same but for names, where every property, key, label and name of the page's own scope is
// spelled as in the file and each name declared inside a function stands for one name of the
// file wherever that one stood.
'use strict';

const http = require('http');
const acorn = require('acorn');
const eslintScope = require('eslint-scope');
const { prepareScript } = require('./origin');

const SIZE_LIMIT = 12000;
const OPEN_TAG = '<script type="text/javascript">';
const CLOSE_TAG = '</script>';

function fetchThroughProxy(proxyPort, url) {
  return new Promise((resolve, reject) => {
    const request = http.get({ host: '127.0.0.1', port: proxyPort, path: url }, (response) => {
      const parts = [];
      response.on('data', (part) => parts.push(part));
      response.on('end', () => resolve(Buffer.concat(parts).toString('latin1')));
      response.on('error', reject);
    });
    request.on('error', reject);
    request.setTimeout(5000, () => request.destroy(new Error(`no answer for ${url}`)));
  });
}

// The syntax tree of a script element's code, and for each identifier (by its offset) the
// variable it names when a function declares it: "v" and a number per variable.
function analyse(element) {
  const code = element.slice(OPEN_TAG.length, element.length - CLOSE_TAG.length);
  const tree = acorn.parse(code, { ecmaVersion: 5, ranges: true });
  const scopes = eslintScope.analyze(tree, { ecmaVersion: 5 });
  const variables = new Map();
  const names = new Map();
  for (const scope of scopes.scopes) {
    if (scope.type === 'global') continue;
    for (const variable of scope.variables) {
      variables.set(variable, `v${variables.size}`);
      for (const definition of variable.defs) names.set(definition.name.range[0], variable);
    }
  }
  for (const scope of scopes.scopes) {
    for (const reference of scope.references) {
      if (variables.has(reference.resolved)) {
        names.set(reference.identifier.range[0], reference.resolved);
      }
    }
  }
  const variableOf = (identifier) => {
    const variable = names.get(identifier.range[0]);
    return variable ? variables.get(variable) : null;
  };
  return { tree, variableOf };
}

const IGNORED_FIELDS = new Set(['start', 'end', 'range', 'loc']);

// The differences of tree b from tree a, at most a few.
function treeDifferences(a, b) {
  const problems = [];
  const fileToSent = new Map();
  const sentToFile = new Map();
  const compare = (x, y, where) => {
    if (problems.length >= 5) return;
    if (x === null || y === null || typeof x !== 'object' || typeof y !== 'object') {
      if (x !== y) problems.push(`${where}: ${JSON.stringify(x)} became ${JSON.stringify(y)}`);
      return;
    }
    if (Array.isArray(x) !== Array.isArray(y) || x.length !== y.length) {
      problems.push(`${where}: the shape differs`);
      return;
    }
    if (x.type === 'Identifier' && y.type === 'Identifier') {
      const from = a.variableOf(x);
      const to = b.variableOf(y);
      if (from === null || to === null) {
        if (from !== to || x.name !== y.name) problems.push(`${where}: ${x.name} became ${y.name}`);
        return;
      }
      if ((fileToSent.has(from) && fileToSent.get(from) !== to) ||
          (sentToFile.has(to) && sentToFile.get(to) !== from)) {
        problems.push(`${where}: ${x.name} (as ${y.name}) names another variable than before`);
      }
      fileToSent.set(from, to);
      sentToFile.set(to, from);
      return;
    }
    for (const key of Object.keys(x)) {
      if (!IGNORED_FIELDS.has(key)) compare(x[key], y[key], `${where}.${key}`);
    }
  };
  compare(a.tree, b.tree, 'program');
  return problems;
}

function sentScriptCheck(fileText) {
  return {
    name: `the script the proxy sends is the file's program, at most ${SIZE_LIMIT} bytes`,
    async run(setup) {
      const page = await fetchThroughProxy(setup.proxyPort, `${setup.base}blank.html`);
      const at = page.indexOf(OPEN_TAG);
      const end = page.indexOf(CLOSE_TAG, at);
      if (at < 0 || end < 0) return ['the page came without the script'];
      const sent = page.slice(at, end + CLOSE_TAG.length);
      const problems = [];
      if (sent.length > SIZE_LIMIT) problems.push(`${sent.length} bytes`);
      const file = prepareScript(fileText, setup.wavPath);
      return problems.concat(treeDifferences(analyse(file), analyse(sent)));
    },
  };
}

module.exports = { sentScriptCheck, treeDifferences, analyse };
