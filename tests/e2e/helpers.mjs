// Shared harness of the end-to-end tests: a private home per test, the built
// quaro-mcp driven through the MCP SDK client or through raw lines, and the
// inbox database opened beside it with better-sqlite3.
import { spawn } from 'node:child_process';
import { randomUUID } from 'node:crypto';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import Database from 'better-sqlite3';
import { Client } from '@modelcontextprotocol/sdk/client/index.js';
import { StdioClientTransport } from '@modelcontextprotocol/sdk/client/stdio.js';

export const server = process.env.QUARO_MCP;
if (!server || !fs.existsSync(server)) {
  throw new Error(`QUARO_MCP must name the built quaro-mcp (got ${server ?? 'nothing'})`);
}

// Sanitizer settings reach the server so that its leaks and faults surface.
const passedThrough = ['ASAN_OPTIONS', 'UBSAN_OPTIONS', 'LSAN_OPTIONS', 'PATH'];

// A fresh HOME and XDG_DATA_HOME, removed when the test ends.
export function privateHome(t) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'quaro-e2e-'));
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  const env = { HOME: dir, XDG_DATA_HOME: path.join(dir, 'data') };
  for (const key of passedThrough) if (process.env[key] !== undefined) env[key] = process.env[key];
  return { dir, env, databasePath: path.join(dir, 'data', 'Quaro', 'quaro.sqlite') };
}

// quaro-mcp behind the official SDK client. Its stderr is collected so tests
// can check that only "[quaro-mcp] " lines ever appear there.
export async function connect(t, home, clientName = 'e2e') {
  const transport = new StdioClientTransport({ command: server, args: [], env: home.env, stderr: 'pipe' });
  let stderr = '';
  transport.stderr.on('data', (chunk) => { stderr += chunk; });
  const client = new Client({ name: clientName, version: '1.0.0' });
  await client.connect(transport);
  let closed = false;
  const close = async () => {
    if (closed) return;
    closed = true;
    await client.close();
  };
  t.after(close);
  return { client, close, stderr: () => stderr };
}

export async function call(client, name, args) {
  const result = await client.callTool({ name, arguments: args });
  const text = result.content?.[0]?.text;
  let value;
  if (!result.isError) value = JSON.parse(text);
  return { isError: result.isError, text, value };
}

// The database quaro-mcp created; opened after the server started.
export function openDatabase(t, home) {
  const db = new Database(home.databasePath, { timeout: 4000 });
  t.after(() => db.close());
  return db;
}

export function insertRecado(db, fields = {}) {
  const row = {
    id: randomUUID().toUpperCase(), created_at: 1750255387, duration: 3, transcript: 'uma fala', title: 'Uma fala',
    status: 'pendente', ...fields,
  };
  const columns = Object.keys(row);
  db.prepare(`INSERT INTO recado(${columns.join(', ')}) VALUES (${columns.map((c) => `@${c}`).join(', ')})`).run(row);
  return row.id;
}

export function recadoRow(db, id) {
  return db.prepare('SELECT * FROM recado WHERE id = ?').get(id);
}

// The JSON text as a key-sorted, two-space pretty print would show it.
export const sortedPretty = (value) => JSON.stringify(value, (key, v) => (v && typeof v === 'object' && !Array.isArray(v)
  ? Object.fromEntries(Object.entries(v).sort(([a], [b]) => (a < b ? -1 : 1))) : v), 2);

export function runRaw(home, input) {
  return new Promise((resolve, reject) => {
    const child = spawn(server, [], { env: home.env, stdio: ['pipe', 'pipe', 'pipe'] });
    const out = [];
    const err = [];
    child.stdout.on('data', (c) => out.push(c));
    child.stderr.on('data', (c) => err.push(c));
    child.on('error', reject);
    child.on('close', (code, signal) => {
      resolve({ code, signal, stdout: Buffer.concat(out), stderr: Buffer.concat(err).toString('utf8') });
    });
    child.stdin.on('error', () => {});
    child.stdin.end(input);
  });
}

export function replyLines(stdout) {
  const text = stdout.toString('utf8');
  if (text === '') return [];
  if (!text.endsWith('\n')) throw new Error(`stdout does not end in a line feed: ${JSON.stringify(text)}`);
  return text.slice(0, -1).split('\n');
}

// Every stderr line must begin with the server's prefix.
export function strayStderr(stderr) {
  return stderr.split('\n').filter((line) => line !== '' && !line.startsWith('[quaro-mcp] '));
}

export function rpc(id, method, params) {
  const message = { jsonrpc: '2.0', id, method };
  if (params !== undefined) message.params = params;
  return JSON.stringify(message);
}
