// inbox_list, search and destinos_list through the SDK client, over a
// database seeded with better-sqlite3.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { call, connect, destinoIds, insertRecado, openDatabase, privateHome, sortedPretty } from './helpers.mjs';

async function session(t) {
  const home = privateHome(t);
  const { client } = await connect(t, home);
  const db = openDatabase(t, home);
  return { client, db, destinos: destinoIds(db) };
}

test('inbox_list by default: pendente only, newest first, 20 at most, sorted pretty JSON; a limite', async (t) => {
  const { client, db } = await session(t);
  const ids = [];
  for (let i = 0; i < 25; i++) ids.push(insertRecado(db, { created_at: 1750000000 + i, title: `r${i}` }));
  insertRecado(db, { status: 'pego', created_at: 1760000000 });
  insertRecado(db, { status: 'resolvido', created_at: 1760000000 });
  insertRecado(db, { status: 'transcrevendo', created_at: 1760000000 });
  const listed = await call(client, 'inbox_list', {});
  assert.equal(listed.isError, false);
  assert.equal(listed.text, sortedPretty(listed.value));
  assert.equal(listed.value.total, 20);
  assert.deepEqual(listed.value.recados.map((r) => r.id), ids.slice(5).reverse());
  assert.ok(listed.value.recados.every((r) => r.status === 'pendente'));
  // The limit's bounds and non-integers are the unit tests' table.
  assert.equal((await call(client, 'inbox_list', { limite: 7 })).value.total, 7);
});

test('a recado as the AI sees it: keys, dates, rounding, destino and optional fields', async (t) => {
  const { client, db, destinos } = await session(t);
  const plain = insertRecado(db, {
    created_at: 1750255387.987, duration: 2.5, transcript: 'link https://exemplo.com/a/b', title: 'Com link',
    destino_id: destinos.Tavlo, audio_path: '/tmp/x.m4a',
  });
  const full = insertRecado(db, {
    created_at: 1750255300, duration: 2.49, status: 'resolvido', claimed_by: 'Cursor', claimed_at: 1750255400,
    result: 'feito', resolved_at: 1750255500, language: 'pt-BR', destino_id: 'F00D0000-0000-4000-8000-000000000000',
  });
  const listed = await call(client, 'inbox_list', { status: 'todos' });
  const [first, second] = listed.value.recados;
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
});

test('inbox_list status: every status name, "todos" without transcrevendo, unknown names refused', async (t) => {
  const { client, db } = await session(t);
  const byStatus = {};
  let at = 1750000000;
  for (const status of ['transcrevendo', 'pendente', 'pego', 'resolvido', 'falhou']) {
    byStatus[status] = insertRecado(db, { status, created_at: at++ });
  }
  for (const status of ['transcrevendo', 'pendente', 'pego', 'resolvido', 'falhou']) {
    const listed = await call(client, 'inbox_list', { status });
    assert.deepEqual(listed.value.recados.map((r) => r.id), [byStatus[status]], status);
  }
  // The newest recado is transcrevendo: the limit applies before it is removed.
  insertRecado(db, { status: 'transcrevendo', created_at: at++ });
  const todos = await call(client, 'inbox_list', { status: 'todos', limite: 2 });
  assert.deepEqual(todos.value.recados.map((r) => r.id), [byStatus.falhou]);
  assert.equal(todos.value.total, 1);
  const all = await call(client, 'inbox_list', { status: 'todos' });
  assert.equal(all.value.total, 4);

  for (const status of ['Pendente', 'xyz', '']) {
    const refused = await call(client, 'inbox_list', { status, destino: 'Nenhum' });
    assert.equal(refused.isError, true);
    assert.equal(refused.text, `Status desconhecido: ${status}. Use pendente, pego, resolvido ou todos.`);
  }
  // A status that is not a string counts as absent: pendente.
  assert.deepEqual((await call(client, 'inbox_list', { status: 3 })).value.recados.map((r) => r.id),
    [byStatus.pendente]);
});

test('inbox_list destino: folded name, empty name, unknown names listed, no destinos at all', async (t) => {
  const { client, db, destinos } = await session(t);
  const tavlo = insertRecado(db, { destino_id: destinos.Tavlo, created_at: 1750000002 });
  const roadmap = insertRecado(db, { destino_id: destinos.Roadmap, created_at: 1750000001 });
  const loose = insertRecado(db, { created_at: 1750000000 });
  const ids = async (destino) => (await call(client, 'inbox_list', { destino })).value.recados.map((r) => r.id);
  assert.deepEqual(await ids('  TÁVLO '), [tavlo]);
  assert.deepEqual(await ids('roadmap'), [roadmap]);
  assert.deepEqual(await ids(''), [tavlo, roadmap, loose]);
  assert.deepEqual(await ids(42), [tavlo, roadmap, loose]);

  const unknown = await call(client, 'inbox_list', { destino: 'Tav' });
  assert.equal(unknown.isError, true);
  assert.equal(unknown.text, 'Não existe o destino "Tav". Destinos: Ideias soltas, Tavlo, Roadmap.');

  // A deleted destino shows as null on its recados; with none left the list is empty.
  db.prepare('DELETE FROM destino').run();
  const listed = await call(client, 'inbox_list', {});
  assert.deepEqual(listed.value.recados.map((r) => r.destino), [null, null, null]);
  const none = await call(client, 'inbox_list', { destino: 'Tavlo' });
  assert.equal(none.text, 'Não existe o destino "Tavlo". Destinos: .');
});

test('search: transcript, title and result, no transcrevendo, limite', async (t) => {
  const { client, db } = await session(t);
  const inTranscript = insertRecado(db, { transcript: 'comprar Leite amanhã', created_at: 1750000005 });
  const inTitle = insertRecado(db, { title: 'leite e pão', status: 'pego', created_at: 1750000004 });
  const inResult = insertRecado(db, { result: 'comprei o LEITE', status: 'resolvido', created_at: 1750000003 });
  insertRecado(db, { transcript: 'leite ainda sendo transcrito', status: 'transcrevendo', created_at: 1750000006 });

  const found = await call(client, 'search', { consulta: 'leite' });
  assert.equal(found.text, sortedPretty(found.value));
  assert.deepEqual(found.value.recados.map((r) => r.id), [inTranscript, inTitle, inResult]);
  assert.equal(found.value.total, 3);
  assert.deepEqual((await call(client, 'search', { consulta: 'leite', limite: 2 })).value.recados.map((r) => r.id),
    [inTranscript]);
  assert.equal((await call(client, 'search', { consulta: 'inexistente' })).text, '{\n  "recados": [],\n  "total": 0\n}');

  for (const args of [{}, { consulta: '' }, { consulta: 7 }]) {
    const refused = await call(client, 'search', args);
    assert.equal(refused.isError, true);
    assert.equal(refused.text, 'Falta a consulta.');
  }
});

test('destinos_list: store order with name and instruction only, then empty', async (t) => {
  const { client, db } = await session(t);
  db.prepare("INSERT INTO destino(id, name, instruction, color, sort) VALUES ('A', 'Aaa', 'primeiro', '#000000', -1)")
    .run();
  const listed = await call(client, 'destinos_list', {});
  assert.equal(listed.text, sortedPretty(listed.value));
  assert.deepEqual(listed.value.destinos.map((d) => d.nome), ['Aaa', 'Ideias soltas', 'Tavlo', 'Roadmap']);
  assert.deepEqual(listed.value.destinos[0], { nome: 'Aaa', instrucao: 'primeiro' });
  db.prepare('DELETE FROM destino').run();
  assert.equal((await call(client, 'destinos_list', {})).text, '{\n  "destinos": []\n}');
});
