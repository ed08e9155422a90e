// The cloud endpoint seen by a real remote MCP client: the official SDK's
// Streamable HTTP transport on /mcp/<secret> lists, claims and resolves over
// the copy a desktop sync uploaded, and the next sync returns the change.
import { spawn } from 'node:child_process';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';

import { Client } from '@modelcontextprotocol/sdk/client/index.js';
import { StreamableHTTPClientTransport } from '@modelcontextprotocol/sdk/client/streamableHttp.js';

import { connect, privateHome } from './helpers.mjs';

const nuvem = process.env.QUARO_NUVEM;
if (!nuvem || !fs.existsSync(nuvem)) throw new Error(`QUARO_NUVEM must name the built quaro-nuvem (got ${nuvem})`);

const secret = 'e2eSecretE2eSecretE2eSecretE2eSecretE2e-_12';

// quaro-nuvem on a free loopback port over a fresh database.
async function startServer(t) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'quaro-nuvem-e2e-'));
  const child = spawn(nuvem, ['--listen', '127.0.0.1:0', '--database', path.join(dir, 'nuvem.sqlite')],
                      { stdio: ['ignore', 'ignore', 'pipe'] });
  let stderr = '';
  const port = await new Promise((resolve, reject) => {
    child.stderr.on('data', (chunk) => {
      stderr += chunk;
      const found = /escutando em 127\.0\.0\.1:(\d+)/.exec(stderr);
      if (found) resolve(Number(found[1]));
    });
    child.on('exit', (code) => reject(new Error(`quaro-nuvem saiu com ${code}: ${stderr}`)));
  });
  t.after(() => { child.kill('SIGTERM'); fs.rmSync(dir, { recursive: true, force: true }); });
  return { base: `http://127.0.0.1:${port}`, stderr: () => stderr };
}

async function sync(base, body) {
  const response = await fetch(`${base}/api/sync`, {
    method: 'POST',
    headers: { Authorization: `Bearer ${secret}`, 'Content-Type': 'application/json' },
    body: JSON.stringify(body),
  });
  assert.equal(response.status, 200);
  return response.json();
}

function upload(id, createdAt) {
  return { id, criado_em: createdAt, duracao: 4.4, titulo: `Título ${id}`, transcricao: `fala ${id}`,
           destino_id: 'D1', idioma: 'pt-BR', status: 'pendente', pego_por: null, pego_em: null,
           resultado: null, resolvido_em: null, atualizado_em: createdAt };
}

async function remoteClient(t, base) {
  const client = new Client({ name: 'e2e-nuvem', version: '1.0.0' });
  await client.connect(new StreamableHTTPClientTransport(new URL(`${base}/mcp/${secret}`)));
  t.after(() => client.close());
  return client;
}

const text = (result) => JSON.parse(result.content[0].text);

test('a remote client works the uploaded copy and the next sync brings it home', async (t) => {
  const { base, stderr } = await startServer(t);
  await sync(base, {
    app: { versao: '0.1.0' },
    destinos: [{ id: 'D1', nome: 'Tavlo', instrucao: 'Transforme em uma issue.', cor: '#FF6A1C', ordem: 0 }],
    recados: [upload('R1', 1000), upload('R2', 2000)],
    apagados: [],
    cursor: 0,
  });

  const client = await remoteClient(t, base);
  // The same catalogue, word for word, as the local quaro-mcp offers.
  const local = await connect(t, privateHome(t));
  assert.deepEqual((await client.listTools()).tools, (await local.client.listTools()).tools);

  const listed = text(await client.callTool({ name: 'inbox_list', arguments: {} }));
  assert.deepEqual(listed.recados.map((r) => r.id), ['R2', 'R1']);
  assert.equal(listed.recados[0].destino.instrucao, 'Transforme em uma issue.');

  const claimed = text(await client.callTool({ name: 'recado_claim', arguments: { id: 'R1' } }));
  assert.equal(claimed.pego_por, 'e2e-nuvem');
  const resolved = text(await client.callTool({ name: 'recado_resolve',
                                                arguments: { id: 'R1', resultado: 'Issue #7 criada.' } }));
  assert.equal(resolved.status, 'resolvido');
  const refused = await client.callTool({ name: 'recado_claim', arguments: { id: 'R1' } });
  assert.equal(refused.isError, true);
  assert.equal(refused.content[0].text,
               'Não deu para pegar o recado R1: ele não existe ou ainda está sendo transcrito.');

  const reply = await sync(base, { cursor: 0 });
  assert.equal(reply.recados.length, 1);
  assert.equal(reply.recados[0].id, 'R1');
  assert.equal(reply.recados[0].status, 'resolvido');
  assert.equal(reply.recados[0].resultado, 'Issue #7 criada.');
  assert.equal(reply.recados[0].pego_por, 'e2e-nuvem');
  assert.deepEqual((await sync(base, { cursor: reply.cursor })).recados, []);

  // Neither the secret nor a transcript ever reaches the log.
  assert.ok(!stderr().includes(secret));
  assert.ok(!stderr().includes('fala R'));
});
