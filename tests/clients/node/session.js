// Drives qosa-lsp as VS Code's client does: over vscode-jsonrpc, with the
// capabilities VS Code sends, through a whole session, and checks every answer
// against the schema generated from the protocol's own type declarations.
//
//   node session.js <server binary> <schema.json> <node_modules dir>
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawn } = require('child_process');

const [server, schemaPath, modules] = process.argv.slice(2);
const need = (name) => require(path.join(path.resolve(modules), name));
const rpc = need('vscode-jsonrpc/node');
const protocol = need('vscode-languageserver-protocol');
const Ajv = need('ajv');

// Answers the server gives on purpose although the protocol's types reject
// them. Each is accepted only where it applies, and only it.
const deviations = [
  {
    name: 'code action text edit with a null range',
    method: 'textDocument/codeAction',
    reason: 'the extract and quick-fix edits carry the request\'s "range" as it was received; a request ' +
      'without one gives null, which TextEdit.range does not allow',
    applies: (params) => params.range === undefined,
    // Puts a range in place of each null one, so the rest is still checked.
    repair(answer) {
      let repaired = 0;
      for (const action of Array.isArray(answer) ? answer : []) {
        for (const edits of Object.values(action?.edit?.changes ?? {})) {
          for (const edit of edits) {
            if (edit.range === null) {
              edit.range = { start: { line: 0, character: 0 }, end: { line: 0, character: 0 } };
              repaired++;
            }
          }
        }
      }
      return repaired;
    },
  },
];

let passed = 0, failed = 0, skipped = 0;
function pass(what) { passed++; console.log(`ok      ${what}`); }
function fail(what, detail) { failed++; console.log(`FAILED  ${what}${detail ? `\n        ${detail}` : ''}`); }
function skip(what) { skipped++; console.log(`skipped ${what}`); }
function check(what, condition, detail) { condition ? pass(what) : fail(what, detail); }

const schema = JSON.parse(fs.readFileSync(schemaPath, 'utf8'));
const ajv = new Ajv({ strict: false, allErrors: true });
ajv.addSchema(schema, 'lsp');
const validators = new Map();
function validator(method) {
  if (!validators.has(method)) {
    const pointer = method.replace(/~/g, '~0').replace(/\//g, '~1');
    validators.set(method, ajv.compile({ $ref: `lsp#/definitions/Answers/properties/${pointer}` }));
  }
  return validators.get(method);
}
const errorsOf = (validate) => ajv.errorsText(validate.errors, { separator: '\n        ' });

// Checks `value` against the protocol's type for `method`, allowing only the
// listed deviations that apply to this request.
function conforms(what, method, value, params = {}) {
  const validate = validator(method);
  if (validate(value)) return pass(`${what}: protocol shape`), true;
  const strictErrors = errorsOf(validate);
  for (const d of deviations.filter((d) => d.method === method && d.applies(params))) {
    const copy = structuredClone(value);
    if (d.repair(copy) > 0 && validate(copy)) {
      pass(`${what}: protocol shape, but for the known deviation "${d.name}" (${d.reason})`);
      return true;
    }
  }
  fail(`${what}: protocol shape`, `${strictErrors}\n        answer: ${JSON.stringify(value).slice(0, 600)}`);
  return false;
}

// The two documents, one per keyword language.
const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'qosa-node-client-'));
const turkish = {
  uri: `file://${dir}/sayaç.qosa`.replace('ç', '%C3%A7'),
  text: [
    'değişken sayaç = 0',
    'fonksiyon topla(a, b) {',
    '    dön a + b',
    '}',
    'yazdır(sayaç)',
    'eğer sayaç > 0 ise',
    '',
  ].join('\n'),
  // Positions in UTF-16 columns: "yazdır(" is 7 units.
  use: { line: 4, character: 8 },
  declaration: { line: 0, character: 9 },  // "değişken " is 9 units
  name: 'sayaç',
  call: { line: 4, character: 7 },
};
const english = {
  uri: `file://${dir}/counter.qosa`,
  text: [
    'let counter = 0',
    'function add(a, b) {',
    '    return a + b',
    'print(counter)',
    'if counter > 0 then',
    '',
  ].join('\n'),
  use: { line: 3, character: 7 },
  declaration: { line: 0, character: 4 },
  name: 'counter',
  call: { line: 3, character: 6 },
};

const child = spawn(server, [], { stdio: ['pipe', 'pipe', 'pipe'] });
let stderr = '';
child.stderr.on('data', (d) => { stderr += d; });
const exited = new Promise((resolve) => child.on('exit', (code, signal) => resolve({ code, signal })));

const connection = rpc.createMessageConnection(
  new rpc.StreamMessageReader(child.stdout), new rpc.StreamMessageWriter(child.stdin));
const connectionErrors = [];
connection.onError(([error]) => connectionErrors.push(String(error)));
const diagnostics = new Map();  // uri -> list of published params
const waiting = [];
connection.onNotification('textDocument/publishDiagnostics', (params) => {
  conforms(`publishDiagnostics ${params.uri}`, 'textDocument/publishDiagnostics', params);
  if (!diagnostics.has(params.uri)) diagnostics.set(params.uri, []);
  diagnostics.get(params.uri).push(params);
  waiting.splice(0).forEach((wake) => wake());
});
connection.onUnhandledNotification((n) => fail(`unexpected notification ${n.method}`));
connection.listen();

async function diagnosticsFor(uri, count) {
  const deadline = Date.now() + 10000;
  while ((diagnostics.get(uri) ?? []).length < count) {
    if (Date.now() > deadline) throw new Error(`no diagnostics for ${uri}`);
    await new Promise((wake) => { waiting.push(wake); setTimeout(wake, 200); });
  }
  return diagnostics.get(uri)[count - 1];
}

// Sends one request and checks its answer's shape; gives the answer, or
// undefined when it was skipped or failed.
async function request(method, params, what = method) {
  let answer;
  try {
    answer = await connection.sendRequest(method, params);
  } catch (error) {
    fail(`${what}: answered`, `error ${error.code}: ${error.message}`);
    return undefined;
  }
  return conforms(what, method, answer, params) ? answer : undefined;
}

const at = (doc, position) => ({ textDocument: { uri: doc.uri }, position });
const same = (a, b) => a.line === b.line && a.character === b.character;

async function documentRequests(doc) {
  const label = (m) => `${m} (${path.basename(decodeURIComponent(doc.uri))})`;

  const hover = await request('textDocument/hover', at(doc, { line: 0, character: 1 }), label('hover'));
  if (hover !== undefined) check(label('hover on a keyword has contents'), hover && hover.contents);

  const completion = await request('textDocument/completion',
    { ...at(doc, { line: 0, character: 0 }), context: { triggerKind: 1 } }, label('completion'));
  if (completion !== undefined) {
    const items = Array.isArray(completion) ? completion : completion?.items ?? [];
    check(label('completion offers items'), items.length > 0);
  }

  const definition = await request('textDocument/definition', at(doc, doc.use), label('definition'));
  if (definition !== undefined) {
    check(label('definition points at the declaration'),
      definition && definition.uri === doc.uri && same(definition.range.start, doc.declaration),
      JSON.stringify(definition));
  }

  const references = await request('textDocument/references',
    { ...at(doc, doc.use), context: { includeDeclaration: true } }, label('references'));
  if (references !== undefined) {
    check(label('references include the use and the declaration'),
      Array.isArray(references) && references.some((l) => l.range.start.line === doc.use.line) &&
      references.some((l) => same(l.range.start, doc.declaration)), JSON.stringify(references));
  }

  const prepared = await request('textDocument/prepareRename', at(doc, doc.use), label('prepareRename'));
  if (prepared !== undefined) {
    check(label('prepareRename offers the name'), prepared && prepared.placeholder === doc.name, JSON.stringify(prepared));
  }

  const rename = await request('textDocument/rename', { ...at(doc, doc.use), newName: 'yeni_ad' }, label('rename'));
  if (rename !== undefined) {
    const edits = rename?.changes?.[doc.uri] ?? [];
    check(label('rename edits the declaration and the use'),
      edits.length >= 2 && edits.every((e) => e.newText === 'yeni_ad') &&
      edits.some((e) => same(e.range.start, doc.declaration)), JSON.stringify(rename));
  }

  const symbols = await request('textDocument/documentSymbol', { textDocument: { uri: doc.uri } }, label('documentSymbol'));
  if (symbols !== undefined) {
    check(label('documentSymbol names the variable and the function'),
      Array.isArray(symbols) && symbols.some((s) => s.name === doc.name) && symbols.length >= 2, JSON.stringify(symbols));
  }

  const signature = await request('textDocument/signatureHelp',
    { ...at(doc, doc.call), context: { triggerKind: 2, triggerCharacter: '(', isRetrigger: false } },
    label('signatureHelp'));
  if (signature !== undefined) {
    check(label('signatureHelp has a signature'), signature && signature.signatures.length === 1, JSON.stringify(signature));
  }

  const diagnostic = { range: { start: { line: 1, character: 0 }, end: { line: 1, character: 4 } },
                       message: "Variable 'x' is undefined, expected ';'", severity: 1, source: 'QOSA' };
  const actions = await request('textDocument/codeAction', {
    textDocument: { uri: doc.uri },
    range: { start: { line: 0, character: 0 }, end: { line: 0, character: 3 } },
    context: { diagnostics: [diagnostic], triggerKind: 1 },
  }, label('codeAction'));
  if (actions !== undefined) {
    check(label('codeAction offers the fixes and the extract action'),
      Array.isArray(actions) && actions.some((a) => a.kind === 'quickfix') &&
      actions.some((a) => a.kind === 'refactor.extract'), JSON.stringify(actions));
  }
  // Without a range, which the protocol requires but a client may leave out.
  await request('textDocument/codeAction', { textDocument: { uri: doc.uri }, context: { diagnostics: [] } },
    label('codeAction without a range'));

  const lenses = await request('textDocument/codeLens', { textDocument: { uri: doc.uri } }, label('codeLens'));
  if (lenses !== undefined) {
    check(label('codeLens runs the function'),
      Array.isArray(lenses) && lenses.some((l) => l.command && l.command.command === 'qosa.runFunction'), JSON.stringify(lenses));
  }

  const tokens = await request('textDocument/semanticTokens/full', { textDocument: { uri: doc.uri } }, label('semanticTokens/full'));
  if (tokens !== undefined) {
    check(label('semanticTokens come in fives'), tokens && tokens.data.length > 0 && tokens.data.length % 5 === 0);
  }

  const hints = await request('textDocument/inlayHint', {
    textDocument: { uri: doc.uri },
    range: { start: { line: 0, character: 0 }, end: { line: 6, character: 0 } },
  }, label('inlayHint'));
  if (hints !== undefined) check(label('inlayHint answers a list'), Array.isArray(hints));
}

// The schema must reject what the protocol rejects, and each listed deviation
// must be one the protocol's types really reject.
function checkTheChecks() {
  check('the schema rejects a hover without contents', !validator('textDocument/hover')({ range: null }));
  const nullRange = [{ title: 'Extract to variable', kind: 'refactor.extract',
                       edit: { changes: { 'file:///a.qosa': [{ newText: 'x', range: null }] } } }];
  check('the protocol rejects a text edit with a null range', !validator('textDocument/codeAction')(nullRange));
}

async function main() {
  checkTheChecks();
  const initializeParams = JSON.parse(fs.readFileSync(path.join(__dirname, 'initialize-params.json'), 'utf8'));
  initializeParams.processId = process.pid;
  conforms('the initialize params this client sends', '$sent/initialize', initializeParams);
  const init = await request('initialize', initializeParams);
  check('initialize names the server', init && init.serverInfo && init.serverInfo.name === 'QOSA Language Server');
  connection.sendNotification('initialized', {});

  for (const doc of [turkish, english]) {
    connection.sendNotification('textDocument/didOpen',
      { textDocument: { uri: doc.uri, languageId: 'qosa', version: 1, text: doc.text } });
  }
  const turkishDiagnostics = await diagnosticsFor(turkish.uri, 1);
  const englishDiagnostics = await diagnosticsFor(english.uri, 1);
  check('diagnostics of the balanced Turkish text are empty', turkishDiagnostics.diagnostics.length === 0);
  check('diagnostics of the English text report the missing brace', englishDiagnostics.diagnostics.length === 1);

  // A first character outside the BMP is two UTF-16 units: the brace
  // diagnostic's range covers both, never ending inside the surrogate pair.
  const astral = { uri: `file://${dir}/astral.qosa`, text: '😀 fonksiyon f() {\n' };
  connection.sendNotification('textDocument/didOpen',
    { textDocument: { uri: astral.uri, languageId: 'qosa', version: 1, text: astral.text } });
  const [astralDiagnostic] = (await diagnosticsFor(astral.uri, 1)).diagnostics;
  check('the brace diagnostic on a first "😀" is (0,0)-(0,2)',
    protocol.Diagnostic.is(astralDiagnostic) &&
    same(astralDiagnostic.range.start, { line: 0, character: 0 }) &&
    same(astralDiagnostic.range.end, { line: 0, character: 2 }) &&
    astral.text.slice(0, astralDiagnostic.range.end.character) === '😀', JSON.stringify(astralDiagnostic));

  for (const doc of [turkish, english]) await documentRequests(doc);

  // Pipelined: every request is on the wire before the first answer is read,
  // with a $/cancelRequest among them. The server has no cancellation, so
  // each request is still answered, in order.
  const source = new rpc.CancellationTokenSource();
  const pipelined = [
    ['textDocument/hover', at(turkish, { line: 5, character: 1 })],
    ['textDocument/completion', at(english, { line: 0, character: 0 }), source.token],
    ['textDocument/documentSymbol', { textDocument: { uri: english.uri } }],
    ['textDocument/semanticTokens/full', { textDocument: { uri: turkish.uri } }],
    ['textDocument/hover', at(english, { line: 4, character: 0 })],
  ];
  const promises = pipelined.map(([method, params, token]) =>
    (token ? connection.sendRequest(method, params, token) : connection.sendRequest(method, params))
      .then((answer) => ({ method, params, answer }), (error) => ({ method, params, error })));
  source.cancel();
  const outcomes = await Promise.all(promises);
  outcomes.forEach(({ method, params, answer, error }, i) => {
    const what = `pipelined #${i + 1} ${method}`;
    if (!error) return conforms(what, method, answer, params);
    if (error.code === rpc.LSPErrorCodes.RequestCancelled && i === 1) return pass(`${what}: cancelled`);
    fail(`${what}: answered`, `error ${error.code}: ${error.message}`);
  });

  // A change replaces the whole text; the brace is closed and hover sees the new text.
  connection.sendNotification('textDocument/didChange', {
    textDocument: { uri: english.uri, version: 2 },
    contentChanges: [{ text: english.text.replace('    return a + b\n', '    return a + b\n}\n') }],
  });
  const changed = await diagnosticsFor(english.uri, 2);
  check('diagnostics after the change are empty', changed.diagnostics.length === 0, JSON.stringify(changed));
  await request('textDocument/hover', at(english, { line: 3, character: 0 }), 'hover after the change');

  const down = await request('shutdown', undefined);
  check('shutdown answers null', down === null);
  connection.sendNotification('exit');
  const end = await Promise.race([exited, new Promise((r) => setTimeout(() => r({ timeout: true }), 10000))]);
  check('the server exits with code 0 on "exit"', end.code === 0, JSON.stringify(end));
  check('the client logged no error', connectionErrors.length === 0, connectionErrors.join('; '));
  check('the server reported no failure', !stderr.includes('Sunucu hatası') && !stderr.includes('hatası:'), stderr);
  check('the cancel notification reached the server', stderr.includes('Bildirim alındı: $/cancelRequest'));
}

// A server that stops answering fails the session instead of hanging it.
const watchdog = new Promise((_, reject) => setTimeout(() => reject(new Error('no progress for 120 s')), 120000).unref());

Promise.race([main(), watchdog])
  .catch((error) => fail('session', error && error.stack))
  .finally(() => {
    connection.dispose();
    child.kill();
    fs.rmSync(dir, { recursive: true, force: true });
    console.log(`${passed} passed, ${failed} failed, ${skipped} skipped`);
    process.exit(failed > 0 || passed === 0 ? 1 : 0);
  });
