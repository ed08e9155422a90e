// Four quaro-mcp processes claim and resolve the same 200 recados, each in
// its own random order. Rows a claim must leave alone are the unit tests'.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import {
  call, connect, insertRecado, openDatabase, privateHome, recadoRow, runRaw, strayStderr,
} from './helpers.mjs';

function shuffled(list) {
  const copy = [...list];
  for (let i = copy.length - 1; i > 0; i--) {
    const j = Math.floor(Math.random() * (i + 1));
    [copy[i], copy[j]] = [copy[j], copy[i]];
  }
  return copy;
}

test('four servers share one inbox without errors or damage', { timeout: 240000 }, async (t) => {
  const home = privateHome(t);
  await runRaw(home, ''); // creates the database
  const db = openDatabase(t, home);
  const ids = [];
  for (let i = 0; i < 200; i++) ids.push(insertRecado(db, { created_at: 1750000000 + i }));

  const workers = await Promise.all([1, 2, 3, 4].map((n) => connect(t, home, `W${n}`)));
  const problems = [];
  await Promise.all(workers.map(async ({ client }, w) => {
    for (const id of shuffled(ids)) {
      const claimed = await call(client, 'recado_claim', { id });
      if (claimed.isError) {
        // Only a recado that another server already resolved may be refused.
        const status = recadoRow(db, id).status;
        if (status !== 'resolvido') problems.push(`claim ${id}: ${claimed.text} (status ${status})`);
      }
      const resolved = await call(client, 'recado_resolve', { id, resultado: `feito por W${w + 1}` });
      if (resolved.isError) problems.push(`resolve ${id}: ${resolved.text}`);
    }
  }));

  assert.deepEqual(problems, []);
  const statuses = db.prepare('SELECT status, COUNT(*) AS n FROM recado GROUP BY status').all();
  assert.deepEqual(statuses, [{ status: 'resolvido', n: 200 }]);
  for (const id of ids) {
    const row = recadoRow(db, id);
    assert.match(row.claimed_by, /^W[1-4]$/);
    assert.match(row.result, /^feito por W[1-4]$/);
  }
  assert.equal(db.pragma('integrity_check', { simple: true }), 'ok');

  for (const worker of workers) await worker.close();
  for (const worker of workers) assert.deepEqual(strayStderr(worker.stderr()), []);
});
