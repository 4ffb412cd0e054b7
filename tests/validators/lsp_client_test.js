// An editor's side of the protocol: the client libraries editors build on
// (vscode-languageserver-protocol over vscode-jsonrpc) start `smutil lsp`
// on the sample repository as anna.berg, who may not read
// "Orders"."Discount", and go through what a person does: open a query,
// see its fault, fix it, complete, hover, jump to a definition, format,
// and shut down.
//
//   node tests/validators/lsp_client_test.js build/smutil samples/sample.rpd.xml
'use strict';
const assert = require('node:assert/strict');
const { spawn } = require('node:child_process');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const lsp = require('vscode-languageserver-protocol/node');

const [smutil, repo] = process.argv.slice(2);
const repoUri = pathToFileURL(path.resolve(repo)).href;
const queryUri = 'file:///work/queries/revenue.sql';

function start() {
  const child = spawn(smutil, ['lsp', '--repo', repo, '--user', 'anna.berg'], { stdio: ['pipe', 'pipe', 'inherit'] });
  const connection = lsp.createProtocolConnection(
    new lsp.StreamMessageReader(child.stdout), new lsp.StreamMessageWriter(child.stdin));
  const diagnostics = [];
  let waiting = null;
  connection.onNotification(lsp.PublishDiagnosticsNotification.type, (p) => {
    diagnostics.push(p);
    if (waiting && waiting.test(p)) {
      const w = waiting;
      waiting = null;
      w.resolve(p);
    }
  });
  connection.onRequest(lsp.RegistrationRequest.type, () => null);
  connection.listen();
  // The next diagnostics of uri at version (or later).
  const diagnosticsOf = (uri, version) => {
    const seen = diagnostics.find((p) => p.uri === uri && p.version >= version);
    if (seen) return Promise.resolve(seen);
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => reject(new Error(`no diagnostics of ${uri} version ${version}`)), 20000);
      waiting = { test: (p) => p.uri === uri && p.version >= version, resolve: (p) => { clearTimeout(timer); resolve(p); } };
    });
  };
  const exited = new Promise((resolve) => child.on('exit', (code) => resolve(code)));
  return { child, connection, diagnosticsOf, exited };
}

async function main() {
  const { connection, diagnosticsOf, exited } = start();
  const init = await connection.sendRequest(lsp.InitializeRequest.type, {
    processId: process.pid, rootUri: null, capabilities: {
      textDocument: { synchronization: { didSave: true } },
      workspace: { didChangeWatchedFiles: { dynamicRegistration: true } },
    },
  });
  assert.equal(init.serverInfo.name, 'smutil lsp');
  assert.match(init.serverInfo.version, /^\d+\.\d+\.\d+/);
  assert.equal(init.capabilities.textDocumentSync.change, lsp.TextDocumentSyncKind.Incremental);
  assert.ok(init.capabilities.completionProvider.triggerCharacters.includes('.'));
  await connection.sendNotification(lsp.InitializedNotification.type, {});

  // A misspelt column: one error on its name, pointing at the column it
  // probably means in the repository file.
  const text = '-- revenue\nSELECT Orders.Revenu\nFROM Sales';
  await connection.sendNotification(lsp.DidOpenTextDocumentNotification.type, {
    textDocument: { uri: queryUri, languageId: 'sql', version: 1, text },
  });
  let published = await diagnosticsOf(queryUri, 1);
  assert.equal(published.diagnostics.length, 1, JSON.stringify(published));
  const fault = published.diagnostics[0];
  assert.equal(fault.code, 'sql.name.nonexistent-column');
  assert.equal(fault.severity, lsp.DiagnosticSeverity.Error);
  assert.deepEqual(fault.range, { start: { line: 1, character: 7 }, end: { line: 1, character: 20 } });
  assert.match(fault.message, /"Orders"\."Revenue"/);
  const related = fault.relatedInformation.find((r) => r.location.uri === repoUri);
  assert.ok(related, JSON.stringify(fault.relatedInformation));
  // <object id="4010:3" name="Revenue" ...> is line 685 of the sample, its </object> line 689.
  assert.deepEqual(related.location.range, { start: { line: 684, character: 2 }, end: { line: 688, character: 11 } });

  // Typing the missing "e" (an incremental change) clears it.
  await connection.sendNotification(lsp.DidChangeTextDocumentNotification.type, {
    textDocument: { uri: queryUri, version: 2 },
    contentChanges: [{ range: { start: { line: 1, character: 20 }, end: { line: 1, character: 20 } }, text: 'e' }],
  });
  published = await diagnosticsOf(queryUri, 2);
  assert.deepEqual(published.diagnostics, []);

  // A second select item being typed after "Orders.": anna.berg's columns
  // of the table, without the one she may not read; names with a blank come quoted.
  await connection.sendNotification(lsp.DidChangeTextDocumentNotification.type, {
    textDocument: { uri: queryUri, version: 3 },
    contentChanges: [{ range: { start: { line: 1, character: 21 }, end: { line: 1, character: 21 } }, text: ', Orders.' }],
  });
  const completion = await connection.sendRequest(lsp.CompletionRequest.type, {
    textDocument: { uri: queryUri }, position: { line: 1, character: 30 },
  });
  const labels = completion.items.map((i) => i.label);
  for (const name of ['Order Id', 'Quantity', 'Revenue', 'Net Revenue', 'Order Count', 'Status']) {
    assert.ok(labels.includes(name), `${name} in ${labels}`);
  }
  assert.ok(!labels.includes('Discount'), 'the column anna.berg may not read is not offered');
  const orderId = completion.items.find((i) => i.label === 'Order Id');
  assert.equal(orderId.textEdit.newText, '"Order Id"');
  assert.deepEqual(orderId.textEdit.range, { start: { line: 1, character: 30 }, end: { line: 1, character: 30 } });
  assert.equal(completion.items.find((i) => i.label === 'Quantity').textEdit.newText, 'Quantity');
  // Complete it, so the query reads again.
  await connection.sendNotification(lsp.DidChangeTextDocumentNotification.type, {
    textDocument: { uri: queryUri, version: 4 },
    contentChanges: [{ range: { start: { line: 1, character: 30 }, end: { line: 1, character: 30 } }, text: 'Quantity' }],
  });
  published = await diagnosticsOf(queryUri, 4);
  assert.deepEqual(published.diagnostics, []);

  // Pointing at Revenue: what it is, where it is defined.
  const hover = await connection.sendRequest(lsp.HoverRequest.type, {
    textDocument: { uri: queryUri }, position: { line: 1, character: 16 },
  });
  assert.equal(hover.contents.kind, 'markdown');
  assert.match(hover.contents.value, /presentation column/);
  assert.match(hover.contents.value, /"Sales Analysis"\.\."Orders"\."Revenue"/);
  assert.match(hover.contents.value, /Quantity times unit price, less discount\./);
  const definition = await connection.sendRequest(lsp.DefinitionRequest.type, {
    textDocument: { uri: queryUri }, position: { line: 1, character: 16 },
  });
  assert.equal(definition.uri, repoUri);
  assert.equal(definition.range.start.line, 684);
  // On the table part of the name: the table, line 652 of the sample.
  const tableDefinition = await connection.sendRequest(lsp.DefinitionRequest.type, {
    textDocument: { uri: queryUri }, position: { line: 1, character: 9 },
  });
  assert.equal(tableDefinition.range.start.line, 651);

  // Formatting writes every name in full; the comment before the statement stays.
  const edits = await connection.sendRequest(lsp.DocumentFormattingRequest.type, {
    textDocument: { uri: queryUri }, options: { tabSize: 2, insertSpaces: true },
  });
  assert.equal(edits.length, 1);
  const formatted = edits[0].newText;
  assert.ok(formatted.startsWith('-- revenue\n'), formatted);
  assert.match(formatted, /"Orders"\."Revenue"/);
  assert.match(formatted, /"Orders"\."Quantity"/);
  assert.match(formatted, /FROM\s+"Sales Analysis"/);
  // ...and it reads back without a fault.
  await connection.sendNotification(lsp.DidOpenTextDocumentNotification.type, {
    textDocument: { uri: 'file:///work/queries/formatted.sql', languageId: 'sql', version: 1, text: formatted },
  });
  published = await diagnosticsOf('file:///work/queries/formatted.sql', 1);
  assert.deepEqual(published.diagnostics, []);

  // A method the server does not have.
  await assert.rejects(connection.sendRequest('textDocument/noSuchThing', {}),
    (e) => e.code === lsp.ErrorCodes.MethodNotFound);

  await connection.sendRequest(lsp.ShutdownRequest.type);
  await connection.sendNotification(lsp.ExitNotification.type);
  assert.equal(await exited, 0);
  connection.dispose();
  console.log('lsp client test: 1 passed, 0 failed');
}

main().catch((e) => {
  console.error(e);
  process.exit(1);
});
