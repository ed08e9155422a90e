// The raw line protocol of quaro-mcp: what gets a reply, what is dropped,
// how ids come back, and what reaches stdout and stderr.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';

import { privateHome, replyLines, rpc, runRaw, strayStderr } from './helpers.mjs';

test('lines that are not requests get no reply at all', async (t) => {
  const home = privateHome(t);
  const input = [
    '',
    '   \t  ',
    'not json',
    '{"jsonrpc":"2.0","id":1,"method":"ping"',                  // cut short
    '[{"jsonrpc":"2.0","id":1,"method":"ping"}]',                // a batch
    '[]', '1', '"ping"', 'null', 'true',
    '{"jsonrpc":"2.0","id":null,"method":"ping"}',               // null id
    '{"jsonrpc":"2.0","method":"ping"}',                         // no id
    '{"jsonrpc":"2.0","method":"notifications/initialized"}',
    '{"jsonrpc":"2.0","method":"notifications/cancelled","params":{"requestId":1}}',
    '{"jsonrpc":"2.0","method":"notifications/whatever"}',
    '{"jsonrpc":"2.0","id":1,"method":"ping"} trailing',
    '{"id":1,"method":"ping"}{"id":2,"method":"ping"}',
    '\r',
    '',
  ].join('\n');
  const run = await runRaw(home, input);
  assert.equal(run.code, 0);
  assert.equal(run.stdout.length, 0, `unexpected output: ${run.stdout}`);
  assert.equal(run.stderr, '');
});

test('the id comes back exactly as the client spelled it', async (t) => {
  const home = privateHome(t);
  const ids = ['0', '1', '-7', '1.5', '1.50', '1e3', '-2.5E-3', '9007199254740993',
    '123456789012345678901234567890', '18446744073709551616', '"abc"', '""', '"\\u00e9/\\"x\\""', '-0'];
  const input = ids.map((id) => `{"jsonrpc":"2.0","id": ${id} ,"method":"ping"}`).join('\n') + '\n';
  const run = await runRaw(home, input);
  const lines = replyLines(run.stdout);
  assert.equal(lines.length, ids.length);
  lines.forEach((line, i) => {
    const raw = ids[i].startsWith('"') ? JSON.stringify(JSON.parse(ids[i])) : ids[i];
    assert.equal(line, `{"jsonrpc":"2.0","id":${raw},"result":{}}`);
  });
});

test('CRLF lines, a last line without LF and one compact LF line per reply', async (t) => {
  const home = privateHome(t);
  const input =
    '\t' + rpc(1, 'ping') + '  \r\n' +
    '\r\n' +
    rpc(2, 'tools/call', { name: 'recado_resolve', arguments: { id: 'x', resultado: 'a\nb' } }) + '\r\n' +
    rpc(3, 'tools/list') + '\n' +
    rpc(4, 'tools/call', { name: 'destinos_list' }); // no line feed before EOF
  const run = await runRaw(home, input);
  assert.equal(run.code, 0);
  assert.equal(run.stderr, '');
  const text = run.stdout.toString('utf8');
  assert.ok(!text.includes('\r'), 'no CR in the output');
  const lines = replyLines(run.stdout);
  assert.deepEqual(lines.map((l) => JSON.parse(l).id), [1, 2, 3, 4]);
  for (const line of lines) {
    // Compact: re-serialising the parsed reply gives the same bytes.
    assert.equal(line, JSON.stringify(JSON.parse(line)));
  }
  // Multi-line tool texts travel as \n escapes inside the one line.
  assert.ok(JSON.parse(lines[3]).result.content[0].text.includes('\n'));
});

test('methods: unknown, missing, and the fixed empty lists', async (t) => {
  const home = privateHome(t);
  const input = [
    rpc(1, 'resources/list'),
    rpc(2, 'prompts/list'),
    rpc(3, 'ping'),
    '{"jsonrpc":"2.0","id":4}',
    '{"jsonrpc":"2.0","id":5,"method":""}',
    '{"jsonrpc":"2.0","id":6,"method":7}',
    rpc(7, 'Ping'),
    rpc(8, 'resources/read'),
    rpc(9, 'tools/call', {}),
    rpc(10, 'tools/call', { name: 3 }),
    '{"jsonrpc":"2.0","id":11,"method":"tools/call","params":[1]}',
  ].join('\n') + '\n';
  const replies = replyLines((await runRaw(home, input)).stdout).map((l) => JSON.parse(l));
  assert.deepEqual(replies[0], { jsonrpc: '2.0', id: 1, result: { resources: [] } });
  assert.deepEqual(replies[1], { jsonrpc: '2.0', id: 2, result: { prompts: [] } });
  assert.deepEqual(replies[2], { jsonrpc: '2.0', id: 3, result: {} });
  const unsupported = (id, method) =>
    ({ jsonrpc: '2.0', id, error: { code: -32601, message: `Método não suportado: ${method}` } });
  assert.deepEqual(replies[3], unsupported(4, ''));
  assert.deepEqual(replies[4], unsupported(5, ''));
  assert.deepEqual(replies[5], unsupported(6, ''));
  assert.deepEqual(replies[6], unsupported(7, 'Ping'));
  assert.deepEqual(replies[7], unsupported(8, 'resources/read'));
  const noName = (id) => ({ jsonrpc: '2.0', id, error: { code: -32602, message: 'Falta o nome da ferramenta' } });
  assert.deepEqual(replies[8], noName(9));
  assert.deepEqual(replies[9], noName(10));
  assert.deepEqual(replies[10], noName(11));
  assert.equal(replies.length, 11);
});

test('initialize: protocol version echoed, defaulted, and the fixed result', async (t) => {
  const home = privateHome(t);
  const input = [
    rpc(1, 'initialize', { protocolVersion: '1999-01-01', clientInfo: { name: 'x' } }),
    rpc(2, 'initialize', {}),
    rpc(3, 'initialize', { protocolVersion: 20250618 }),
  ].join('\n') + '\n';
  const replies = replyLines((await runRaw(home, input)).stdout).map((l) => JSON.parse(l));
  const expected = (id, protocolVersion) => ({
    jsonrpc: '2.0',
    id,
    result: {
      protocolVersion,
      capabilities: { tools: { listChanged: false } },
      serverInfo: { name: 'quaro', title: 'Quaro', version: '0.1.0' },
      instructions:
        'O Quaro é a caixa de recados de voz do usuário. Cada recado é uma fala já transcrita, gravada no ' +
        'computador, com um destino (um projeto) e a instrução daquele destino.\n' +
        'Fluxo esperado: 1) inbox_list para ver os pendentes; 2) recado_claim antes de trabalhar num recado; ' +
        '3) faça o que a instrução do destino pede, usando a transcrição; 4) recado_resolve com um resumo curto ' +
        'do que você fez (e links, se criou algo). Não invente partes da fala: se algo ficou ambíguo, diga no ' +
        'resultado.',
    },
  });
  assert.deepEqual(replies[0], expected(1, '1999-01-01'));
  assert.deepEqual(replies[1], expected(2, '2025-06-18'));
  assert.deepEqual(replies[2], expected(3, '2025-06-18'));
});

test('exit 0 at EOF, only prefixed stderr lines, and big lines pass whole', async (t) => {
  const home = privateHome(t);
  const big = 'x'.repeat(3 * 1024 * 1024);
  const input = rpc(1, 'tools/call', { name: 'search', arguments: { consulta: big } }) + '\n' + rpc(2, 'ping') + '\n';
  const run = await runRaw(home, input);
  assert.equal(run.code, 0);
  assert.deepEqual(strayStderr(run.stderr), []);
  const replies = replyLines(run.stdout).map((l) => JSON.parse(l));
  assert.deepEqual(replies.map((r) => r.id), [1, 2]);
  assert.equal(replies[0].result.isError, false);
});

test('bytes that are not UTF-8 are read as U+FFFD instead of losing the request', async (t) => {
  const home = privateHome(t);
  const input = Buffer.concat([
    Buffer.from('{"jsonrpc":"2.0","id":"a'),
    Buffer.from([0xff, 0xc3]),
    Buffer.from('","method":"ping"}\n'),
  ]);
  const lines = replyLines((await runRaw(home, input)).stdout);
  assert.deepEqual(JSON.parse(lines[0]), { jsonrpc: '2.0', id: 'a\uFFFD\uFFFD', result: {} });
});

test('a database that cannot be opened: exit 1, one log line, nothing on stdout', async (t) => {
  const home = privateHome(t);
  const file = path.join(home.dir, 'plain-file');
  fs.writeFileSync(file, 'not a folder');
  const env = { ...home.env, XDG_DATA_HOME: path.join(file, 'data') };
  const run = await runRaw(home, rpc(1, 'ping') + '\n', { env });
  assert.equal(run.code, 1);
  assert.equal(run.stdout.length, 0);
  assert.match(run.stderr, /^\[quaro-mcp\] não abri a caixa do Quaro: Não abri o banco: .+\n$/);
});

test('a file that is not a database: exit 1 with the reason, the file left as it was', async (t) => {
  const home = privateHome(t);
  fs.mkdirSync(path.dirname(home.databasePath), { recursive: true });
  const garbage = Buffer.alloc(8192, 0x5a);
  fs.writeFileSync(home.databasePath, garbage);
  const run = await runRaw(home, rpc(1, 'ping') + '\n');
  assert.equal(run.code, 1);
  assert.equal(run.stdout.length, 0);
  assert.match(run.stderr, /^\[quaro-mcp\] não abri a caixa do Quaro: Erro no banco: file is not a database\n$/);
  assert.deepEqual(fs.readFileSync(home.databasePath), garbage);
});
