// The remote half of the cloud pair test (tests/connect/CloudPairTest.cpp):
// the official SDK's Streamable HTTP client on a personal link lists the
// inbox, claims one recado, resolves it and tries to claim it again, then
// prints what it saw as one JSON line.
// Usage: node cloud_pair_client.mjs <link> <id> <resultado>
import { Client } from '@modelcontextprotocol/sdk/client/index.js';
import { StreamableHTTPClientTransport } from '@modelcontextprotocol/sdk/client/streamableHttp.js';

const [link, id, resultado] = process.argv.slice(2);
const client = new Client({ name: 'par-nuvem', version: '1.0.0' });
await client.connect(new StreamableHTTPClientTransport(new URL(link)));

const text = (result) => {
  if (result.isError) throw new Error(result.content[0].text);
  return JSON.parse(result.content[0].text);
};
const listed = text(await client.callTool({ name: 'inbox_list', arguments: {} }));
const claimed = text(await client.callTool({ name: 'recado_claim', arguments: { id } }));
const resolved = text(await client.callTool({ name: 'recado_resolve', arguments: { id, resultado } }));
const again = await client.callTool({ name: 'recado_claim', arguments: { id } });
await client.close();
process.stdout.write(`${JSON.stringify({
  listados: listed.recados.map((r) => r.id),
  pego_por: claimed.pego_por,
  status: resolved.status,
  recusa: again.isError ? again.content[0].text : null,
})}\n`);
