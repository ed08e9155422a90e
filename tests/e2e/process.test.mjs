// quaro-mcp as a process: how it ends, what reaches stderr, and what only raw
// bytes can show. The line rules themselves (framing, ids, CRLF, lines that
// are not requests) are tables in the unit tests of tests/mcp.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';

import { privateHome, replyLines, rpc, runRaw, strayStderr } from './helpers.mjs';

test('a raw session: unknown methods, protocol versions, no reply to notifications, exit 0 at EOF', async (t) => {
  const home = privateHome(t);
  const input = [
    rpc(1, 'resources/read'),
    rpc(2, 'tools/call', { name: 3 }),
    rpc(3, 'initialize', { protocolVersion: '1999-01-01' }),
    rpc(4, 'initialize', { protocolVersion: 20250618 }),
    '{"jsonrpc":"2.0","method":"notifications/initialized"}',
    '{"jsonrpc":"2.0","id":6,"method":7}',
    rpc(5, 'ping'),
  ].join('\n'); // no line feed before EOF
  const run = await runRaw(home, input);
  assert.equal(run.code, 0);
  assert.deepEqual(strayStderr(run.stderr), []);
  const replies = replyLines(run.stdout).map((l) => JSON.parse(l));
  assert.deepEqual(replies[0].error, { code: -32601, message: 'Método não suportado: resources/read' });
  assert.deepEqual(replies[1].error, { code: -32602, message: 'Falta o nome da ferramenta' });
  assert.equal(replies[2].result.protocolVersion, '1999-01-01');
  assert.equal(replies[3].result.protocolVersion, '2025-06-18');
  assert.deepEqual(replies[4].error, { code: -32601, message: 'Método não suportado: ' });
  assert.deepEqual(replies[5], { jsonrpc: '2.0', id: 5, result: {} });
  assert.equal(replies.length, 6);
});

test('an inbox that cannot be opened: exit 1, one log line, nothing on stdout, the file left as it was', async (t) => {
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
