// The handshake and the catalogue as the official SDK client sees them.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';

import { connect, privateHome, strayStderr } from './helpers.mjs';

const catalogue = [
  {
    name: 'inbox_list',
    description: 'Lista os recados de voz da caixa do Quaro. Por padrão, só os pendentes, do mais novo para o mais ' +
      'antigo. Cada recado traz a transcrição e a instrução do seu destino.',
    inputSchema: {
      type: 'object',
      properties: {
        status: { type: 'string', enum: ['pendente', 'pego', 'resolvido', 'todos'],
          description: 'Filtro de status. Padrão: pendente.' },
        destino: { type: 'string', description: 'Nome do destino, por exemplo "Tavlo".' },
        limite: { type: 'integer', minimum: 1, maximum: 100, description: 'Máximo de recados. Padrão: 20.' },
      },
    },
  },
  {
    name: 'recado_get',
    description: 'Lê um recado completo: transcrição, destino, instrução, status e resultado.',
    inputSchema: { type: 'object', properties: { id: { type: 'string' } }, required: ['id'] },
  },
  {
    name: 'recado_claim',
    description: 'Marca que você pegou o recado e está trabalhando nele. Chame antes de começar.',
    inputSchema: {
      type: 'object',
      properties: {
        id: { type: 'string' },
        cliente: { type: 'string', description: 'Quem pegou, por exemplo "Claude Desktop".' },
      },
      required: ['id'],
    },
  },
  {
    name: 'recado_resolve',
    description: 'Grava no recado o que você fez e o marca como resolvido. Escreva um resumo curto e inclua links ' +
      'do que criou.',
    inputSchema: {
      type: 'object',
      properties: {
        id: { type: 'string' },
        resultado: { type: 'string', description: 'Resumo do que foi feito.' },
        cliente: { type: 'string' },
      },
      required: ['id', 'resultado'],
    },
  },
  {
    name: 'search',
    description: 'Busca palavras nas transcrições, títulos e resultados de todos os recados.',
    inputSchema: {
      type: 'object',
      properties: { consulta: { type: 'string' }, limite: { type: 'integer', minimum: 1, maximum: 100 } },
      required: ['consulta'],
    },
  },
  {
    name: 'destinos_list',
    description: 'Lista os destinos (projetos) do Quaro com a instrução de cada um.',
    inputSchema: { type: 'object', properties: {} },
  },
];

test('the SDK client connects: server info, capabilities and instructions', async (t) => {
  const home = privateHome(t);
  const { client, close, stderr } = await connect(t, home, 'Claude Code');
  assert.deepEqual(client.getServerVersion(), { name: 'quaro', title: 'Quaro', version: '0.1.0' });
  assert.deepEqual(client.getServerCapabilities(), { tools: { listChanged: false } });
  const instructions = client.getInstructions();
  assert.equal(instructions.split('\n').length, 2);
  assert.ok(instructions.startsWith('O Quaro é a caixa de recados de voz do usuário.'));
  assert.ok(instructions.endsWith('se algo ficou ambíguo, diga no resultado.'));
  // The SDK sent notifications/initialized; a reply to it would have broken
  // the session, so ping still lines up with its own answer.
  assert.deepEqual(await client.ping(), {});
  await close();
  assert.deepEqual(strayStderr(stderr()), []);
});

test('tools/list gives the six tools in order with their exact schemas', async (t) => {
  const home = privateHome(t);
  const { client } = await connect(t, home);
  const { tools } = await client.listTools();
  assert.deepEqual(tools, catalogue);
  // JSON Schema has "required" only where a tool needs arguments.
  assert.ok(!('required' in tools[0].inputSchema));
  assert.ok(!('required' in tools[5].inputSchema));
});

test('resources and prompts are empty lists, although only tools are announced', async (t) => {
  const home = privateHome(t);
  const { client } = await connect(t, home);
  assert.deepEqual((await client.listResources()).resources, []);
  assert.deepEqual((await client.listPrompts()).prompts, []);
});

test('the inbox the server creates is private to the user, whatever the umask', async (t) => {
  const home = privateHome(t);
  const previous = process.umask(0o000);
  t.after(() => process.umask(previous));
  const { client } = await connect(t, home);
  await client.callTool({ name: 'inbox_list', arguments: {} });
  const mode = (file) => fs.statSync(file).mode & 0o777;
  const folder = path.dirname(home.databasePath);
  assert.equal(mode(folder), 0o700);
  for (const name of fs.readdirSync(folder)) {
    const file = path.join(folder, name);
    if (fs.statSync(file).isFile()) assert.equal(mode(file), 0o600, name);
  }
  assert.ok(fs.existsSync(home.databasePath));
});
