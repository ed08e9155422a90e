// recado_get, recado_claim, recado_resolve, unknown tools and store failures.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import {
  call, connect, destinoIds, insertRecado, openDatabase, privateHome, recadoRow, replyLines, rpc, runRaw,
  sortedPretty,
} from './helpers.mjs';

async function session(t, clientName) {
  const home = privateHome(t);
  const { client } = await connect(t, home, clientName);
  const db = openDatabase(t, home);
  return { home, client, db, destinos: destinoIds(db) };
}

const claimRefused = (id) => `Não deu para pegar o recado ${id}: ele não existe ou ainda está sendo transcrito.`;
const resolveRefused = (id) => `Não deu para resolver o recado ${id}: ele não existe ou ainda está sendo transcrito.`;

test('recado_get: the whole recado, a missing id, an unknown id', async (t) => {
  const { client, db, destinos } = await session(t);
  const id = insertRecado(db, { destino_id: destinos.Roadmap, transcript: 'isso é pro Roadmap', language: 'pt-BR' });
  const got = await call(client, 'recado_get', { id });
  assert.equal(got.text, sortedPretty(got.value));
  assert.equal(got.value.id, id);
  assert.equal(got.value.transcricao, 'isso é pro Roadmap');
  assert.equal(got.value.destino.nome, 'Roadmap');
  assert.equal(got.value.idioma, 'pt-BR');
  for (const args of [{}, { id: 12 }, { id: null }]) {
    assert.equal((await call(client, 'recado_get', args)).text, 'Falta o id.');
  }
  const missing = await call(client, 'recado_get', { id: 'NAO-EXISTE' });
  assert.equal(missing.isError, true);
  assert.equal(missing.text, 'Recado NAO-EXISTE não encontrado.');
});

test('recado_claim: claimer from cliente, then the client name; pego taken over; refusals', async (t) => {
  const { client, db } = await session(t, 'Claude Code');
  const id = insertRecado(db);
  const before = Date.now() / 1000;

  const byClient = await call(client, 'recado_claim', { id });
  assert.equal(byClient.isError, false);
  assert.equal(byClient.value.status, 'pego');
  assert.equal(byClient.value.pego_por, 'Claude Code');
  let row = recadoRow(db, id);
  assert.equal(row.claimed_by, 'Claude Code');
  assert.ok(row.claimed_at >= before - 1 && row.claimed_at <= Date.now() / 1000 + 1);

  // Claiming a recado that is already pego hands it to the later claimer.
  const taken = await call(client, 'recado_claim', { id, cliente: 'Cursor' });
  assert.equal(taken.value.pego_por, 'Cursor');
  // An empty cliente is still a name.
  assert.equal((await call(client, 'recado_claim', { id, cliente: '' })).value.pego_por, '');
  assert.equal(recadoRow(db, id).claimed_by, '');

  for (const status of ['transcrevendo', 'resolvido', 'falhou']) {
    const other = insertRecado(db, { status });
    const refused = await call(client, 'recado_claim', { id: other });
    assert.equal(refused.isError, true);
    assert.equal(refused.text, claimRefused(other));
    assert.equal(recadoRow(db, other).status, status);
  }
  assert.equal((await call(client, 'recado_claim', { id: 'X' })).text, claimRefused('X'));
  assert.equal((await call(client, 'recado_claim', { cliente: 'Cursor' })).text, 'Falta o id.');
});

test('recado_resolve: result stored whole, resolver rules, resolving again, refusals', async (t) => {
  const { client, db } = await session(t, 'Claude Desktop');
  const claimed = insertRecado(db, { status: 'pego', claimed_by: 'Cursor', claimed_at: 1750000000 });
  const result = 'Criei a issue https://tavlo.app/i/42\n  com\u0000NUL e acentuação  ';
  const resolved = await call(client, 'recado_resolve', { id: claimed, resultado: result, cliente: 'Zed' });
  assert.equal(resolved.isError, false);
  assert.equal(resolved.value.status, 'resolvido');
  assert.equal(resolved.value.resultado, result);
  assert.equal(resolved.value.pego_por, 'Zed');
  let row = recadoRow(db, claimed);
  assert.equal(row.result, result, 'stored unchanged, past the NUL');
  assert.equal(row.claimed_at, 1750000000, 'the earlier claim time survives');
  assert.ok(row.resolved_at > 1750000000);

  // Without cliente the name from initialize resolves; again replaces the result.
  const again = await call(client, 'recado_resolve', { id: claimed, resultado: '   ' });
  assert.equal(again.value.resultado, '   ');
  assert.equal(again.value.pego_por, 'Claude Desktop');

  // Never claimed: claimed_at becomes the resolve time.
  const fresh = insertRecado(db);
  await call(client, 'recado_resolve', { id: fresh, resultado: 'ok' });
  row = recadoRow(db, fresh);
  assert.ok(Math.abs(row.claimed_at - row.resolved_at) < 1);

  for (const [args, text] of [[{ resultado: 'x' }, 'Falta o id.'], [{ id: fresh }, 'Falta o resultado.'],
    [{ id: fresh, resultado: '' }, 'Falta o resultado.'], [{ id: fresh, resultado: 5 }, 'Falta o resultado.']]) {
    assert.equal((await call(client, 'recado_resolve', args)).text, text);
  }
  for (const status of ['transcrevendo', 'falhou']) {
    const other = insertRecado(db, { status });
    assert.equal((await call(client, 'recado_resolve', { id: other, resultado: 'x' })).text, resolveRefused(other));
    assert.equal(recadoRow(db, other).status, status);
  }
  assert.equal((await call(client, 'recado_resolve', { id: 'Y', resultado: 'x' })).text, resolveRefused('Y'));
});

test('without a client name: claims by "IA", resolutions keep the earlier claimer', async (t) => {
  const home = privateHome(t);
  await runRaw(home, ''); // creates the database
  const db = openDatabase(t, home);
  const a = insertRecado(db);
  const b = insertRecado(db, { status: 'pego', claimed_by: 'Cursor', claimed_at: 1750000000 });
  const c = insertRecado(db);
  const tool = (id, name, args) => rpc(id, 'tools/call', { name, arguments: args });
  const input = [
    tool(1, 'recado_claim', { id: a }),
    tool(2, 'recado_resolve', { id: b, resultado: 'feito' }),
    rpc(3, 'initialize', { clientInfo: { name: 'Claude Code' } }),
    tool(4, 'recado_claim', { id: c }),
  ].join('\n') + '\n';
  const replies = replyLines((await runRaw(home, input)).stdout).map((l) => JSON.parse(l));
  const claimers = replies.filter((r) => r.id !== 3).map((r) => JSON.parse(r.result.content[0].text).pego_por);
  assert.deepEqual(claimers, ['IA', 'Cursor', 'Claude Code']);
  assert.equal(recadoRow(db, b).claimed_by, 'Cursor');
});

test('unknown tools, arguments that are not an object, and store failures', async (t) => {
  const { home, client, db } = await session(t);
  const unknown = await call(client, 'apagar_tudo', {});
  assert.equal(unknown.isError, true);
  assert.equal(unknown.text, 'Ferramenta desconhecida: apagar_tudo');

  // Arguments that are not an object run the tool with none.
  const input = [
    rpc(1, 'tools/call', { name: 'recado_get', arguments: 'x' }),
    rpc(2, 'tools/call', { name: 'inbox_list', arguments: [1] }),
  ].join('\n') + '\n';
  const replies = replyLines((await runRaw(home, input)).stdout).map((l) => JSON.parse(l));
  assert.deepEqual(replies[0].result, { content: [{ type: 'text', text: 'Falta o id.' }], isError: true });
  assert.equal(replies[1].result.isError, false);

  // A broken database is reported by every tool, even one that does not exist.
  db.exec('DROP TABLE destino');
  for (const name of ['apagar_tudo', 'inbox_list', 'destinos_list', 'recado_get']) {
    const failed = await call(client, name, { id: 'x' });
    assert.equal(failed.isError, true);
    assert.equal(failed.text, 'Erro no Quaro: Erro no banco: no such table: destino', name);
  }
  db.exec("CREATE TABLE destino (id TEXT PRIMARY KEY, name TEXT NOT NULL, instruction TEXT NOT NULL DEFAULT '', " +
    "color TEXT NOT NULL DEFAULT '#FF6A1C', sort INTEGER NOT NULL DEFAULT 0)");
  db.exec('DROP TABLE recado');
  const failed = await call(client, 'recado_claim', { id: 'x' });
  assert.equal(failed.text, 'Erro no Quaro: Erro no banco: no such table: recado');
});
