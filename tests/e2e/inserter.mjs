// A separate process that keeps filing new recados into the inbox until its
// stdin closes, then prints how many it filed. The concurrency test runs it
// beside the quaro-mcp servers.
import { randomUUID } from 'node:crypto';

import Database from 'better-sqlite3';

const db = new Database(process.argv[2], { timeout: 4000 });
const insert = db.prepare(`INSERT INTO recado(id, created_at, duration, transcript, title, status)
                           VALUES (?, ?, 1, 'novo recado', 'Novo', ?)`);
let stopped = false;
process.stdin.on('end', () => { stopped = true; });
process.stdin.resume();

let filed = 0;
while (!stopped) {
  // Alternate statuses so that the servers' conditional updates meet rows
  // they must leave alone.
  insert.run(randomUUID().toUpperCase(), Date.now() / 1000, filed % 2 ? 'transcrevendo' : 'falhou');
  filed++;
  await new Promise((resolve) => setTimeout(resolve, 2));
}
db.close();
process.stdout.write(`${filed}\n`);
