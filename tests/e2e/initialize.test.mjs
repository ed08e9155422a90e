// The handshake and the catalogue as the official SDK client sees them.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';

import { connect, privateHome, strayStderr } from './helpers.mjs';

test('the SDK client connects: server info, capabilities, instructions, empty resources and prompts', async (t) => {
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
  // Only tools are announced, yet resources and prompts answer as empty lists.
  assert.deepEqual((await client.listResources()).resources, []);
  assert.deepEqual((await client.listPrompts()).prompts, []);
  await close();
  assert.deepEqual(strayStderr(stderr()), []);
});

// The texts of the catalogue are the server's own table; what a client
// relies on is checked here: the names in order, the required arguments
// and the bounds the SDK validates against.
test('tools/list gives the six tools in order with their required arguments', async (t) => {
  const home = privateHome(t);
  const { client } = await connect(t, home);
  const { tools } = await client.listTools();
  assert.deepEqual(tools.map((tool) => [tool.name, tool.inputSchema.required]), [
    ['inbox_list', undefined],
    ['recado_get', ['id']],
    ['recado_claim', ['id']],
    ['recado_resolve', ['id', 'resultado']],
    ['search', ['consulta']],
    ['destinos_list', undefined],
  ]);
  for (const tool of tools) {
    assert.equal(tool.inputSchema.type, 'object');
    assert.ok(tool.description.length > 0, tool.name);
  }
  const { status, limite } = tools[0].inputSchema.properties;
  assert.deepEqual(status.enum, ['pendente', 'pego', 'resolvido', 'todos']);
  assert.deepEqual([limite.type, limite.minimum, limite.maximum], ['integer', 1, 100]);
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
