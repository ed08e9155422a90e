// The handshake and the catalogue as the official SDK client sees them.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { connect, privateHome, strayStderr } from './helpers.mjs';

test('the SDK client connects: server info, capabilities, instructions, resources, prompts, tools', async (t) => {
  const home = privateHome(t);
  const { client, close, stderr } = await connect(t, home, 'Claude Code');
  assert.deepEqual(client.getServerVersion(), { name: 'quaro', title: 'Quaro', version: '0.1.0' });
  assert.deepEqual(client.getServerCapabilities(), { tools: { listChanged: false } });
  assert.ok(client.getInstructions().startsWith('O Quaro é a caixa de recados de voz do usuário.'));
  // The SDK sent notifications/initialized; a reply to it would have broken
  // the session, so ping still lines up with its own answer.
  assert.deepEqual(await client.ping(), {});
  // Only tools are announced, yet resources and prompts answer as empty lists.
  assert.deepEqual((await client.listResources()).resources, []);
  assert.deepEqual((await client.listPrompts()).prompts, []);
  // The texts of the catalogue are the server's own table; what a client
  // relies on is checked here: the names in order and the required arguments.
  const { tools } = await client.listTools();
  assert.deepEqual(tools.map((tool) => [tool.name, tool.inputSchema.required]), [
    ['inbox_list', undefined],
    ['recado_get', ['id']],
    ['recado_claim', ['id']],
    ['recado_resolve', ['id', 'resultado']],
    ['search', ['consulta']],
    ['destinos_list', undefined],
  ]);
  await close();
  assert.deepEqual(strayStderr(stderr()), []);
});
