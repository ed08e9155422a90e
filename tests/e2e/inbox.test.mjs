// The tools through the SDK client, one road per behaviour, over a database
// seeded with better-sqlite3. The refusal texts and the filter rules are the
// unit tests' tables (tests/mcp).
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { call, connect, insertRecado, openDatabase, privateHome, recadoRow, sortedPretty } from './helpers.mjs';

async function session(t, clientName) {
  const home = privateHome(t);
  const { client } = await connect(t, home, clientName);
  const db = openDatabase(t, home);
  return { client, db };
}

test('inbox_list by default: pendente only, newest first, 20 at most; a limite', async (t) => {
  const { client, db } = await session(t);
  const ids = [];
  for (let i = 0; i < 25; i++) ids.push(insertRecado(db, { created_at: 1750000000 + i, title: `r${i}` }));
  insertRecado(db, { status: 'pego', created_at: 1760000000 });
  insertRecado(db, { status: 'transcrevendo', created_at: 1760000000 });
  const listed = await call(client, 'inbox_list', {});
  assert.equal(listed.isError, false);
  assert.equal(listed.value.total, 20);
  assert.deepEqual(listed.value.recados.map((r) => r.id), ids.slice(5).reverse());
  assert.equal((await call(client, 'inbox_list', { limite: 7 })).value.total, 7);
});

test('a recado as the AI sees it: sorted keys, dates, rounding, destino and optional fields', async (t) => {
  const { client, db } = await session(t);
  const tavlo = db.prepare("SELECT id FROM destino WHERE name = 'Tavlo'").get().id;
  const plain = insertRecado(db, {
    created_at: 1750255387.987, duration: 2.5, transcript: 'link https://exemplo.com/a/b', title: 'Com link',
    destino_id: tavlo, audio_path: '/tmp/x.m4a',
  });
  const full = insertRecado(db, {
    created_at: 1750255300, duration: 2.49, status: 'resolvido', claimed_by: 'Cursor', claimed_at: 1750255400,
    result: 'feito', resolved_at: 1750255500, language: 'pt-BR', destino_id: 'F00D0000-0000-4000-8000-000000000000',
  });
  const listed = await call(client, 'inbox_list', { status: 'todos' });
  const [first, second] = listed.value.recados;
  assert.equal(listed.text, sortedPretty(listed.value));
  assert.deepEqual(first, {
    id: plain,
    titulo: 'Com link',
    transcricao: 'link https://exemplo.com/a/b',
    status: 'pendente',
    gravado_em: '2025-06-18T14:03:07Z',
    duracao_segundos: 3,
    destino: {
      nome: 'Tavlo',
      instrucao: 'Transforme em uma issue: título curto, contexto, o que fazer e critérios de aceite.',
    },
  });
  assert.deepEqual(second, {
    id: full, titulo: 'Uma fala', transcricao: 'uma fala', status: 'resolvido', gravado_em: '2025-06-18T14:01:40Z',
    duracao_segundos: 2, destino: null, pego_por: 'Cursor', resultado: 'feito', idioma: 'pt-BR',
  });
  // "/" is never escaped in the text the AI reads.
  assert.ok(listed.text.includes('https://exemplo.com/a/b'));
  assert.deepEqual((await call(client, 'recado_get', { id: full })).value, second);
});

test('search and destinos_list: what they find, in store order', async (t) => {
  const { client, db } = await session(t);
  const found = insertRecado(db, { transcript: 'comprar Leite amanhã' });
  const searched = await call(client, 'search', { consulta: 'leite' });
  assert.deepEqual(searched.value.recados.map((r) => r.id), [found]);
  assert.equal((await call(client, 'search', { consulta: 'inexistente' })).text, '{\n  "recados": [],\n  "total": 0\n}');

  db.prepare("INSERT INTO destino(id, name, instruction, color, sort) VALUES ('A', 'Aaa', 'primeiro', '#000000', -1)")
    .run();
  const listed = await call(client, 'destinos_list', {});
  assert.deepEqual(listed.value.destinos.map((d) => d.nome), ['Aaa', 'Ideias soltas', 'Tavlo', 'Roadmap']);
  assert.deepEqual(listed.value.destinos[0], { nome: 'Aaa', instrucao: 'primeiro' });
});

test('claim then resolve: the client name, the times and the result stored whole', async (t) => {
  const { client, db } = await session(t, 'Claude Code');
  const id = insertRecado(db);
  const before = Date.now() / 1000;
  const claimed = await call(client, 'recado_claim', { id });
  assert.equal(claimed.value.status, 'pego');
  assert.equal(claimed.value.pego_por, 'Claude Code');
  const claimedAt = recadoRow(db, id).claimed_at;
  assert.ok(claimedAt >= before - 1 && claimedAt <= Date.now() / 1000 + 1);

  const result = 'Criei a issue https://tavlo.app/i/42\n  com\u0000NUL e acentuação  ';
  const resolved = await call(client, 'recado_resolve', { id, resultado: result, cliente: 'Zed' });
  assert.equal(resolved.value.status, 'resolvido');
  assert.equal(resolved.value.resultado, result);
  assert.equal(resolved.value.pego_por, 'Zed');
  const row = recadoRow(db, id);
  assert.equal(row.result, result, 'stored unchanged, past the NUL');
  assert.equal(row.claimed_at, claimedAt, 'the earlier claim time survives');
  assert.ok(row.resolved_at >= claimedAt);

  // Never claimed: claimed_at becomes the resolve time.
  const fresh = insertRecado(db);
  await call(client, 'recado_resolve', { id: fresh, resultado: 'ok' });
  const freshRow = recadoRow(db, fresh);
  assert.ok(Math.abs(freshRow.claimed_at - freshRow.resolved_at) < 1);

  const refused = await call(client, 'recado_claim', { id });
  assert.equal(refused.isError, true);
  assert.equal(refused.text, `Não deu para pegar o recado ${id}: ele não existe ou ainda está sendo transcrito.`);
});
