-- POST /api/sync for 200 accounts in turn, 20 recados each; the desktop's
-- cursor follows what the server answered for that account. Each account
-- is its own client behind the proxy (X-Forwarded-For), as deployed.
-- With the script argument "changes" (wrk ... -- changes) every sync brings
-- its 20 recados changed (newer atualizado_em and status): each one is a
-- write the server must flush to disk before answering.
local accounts = 200
local bodies = {}
local changing = {} -- the same bodies with WHEN and STATUS to fill in
local changes = false
local secrets = {}
local counter = 0

local function recado(a, i, status, when)
  return string.format('{"id":"A%03d-R%02d","criado_em":%d.25,"duracao":4.5,"titulo":"Recado %d",' ..
    '"transcricao":"fala de teste número %d da conta %d, com algumas palavras a mais para pesar","destino_id":"D1",' ..
    '"idioma":"pt-BR","status":"' .. status .. '","pego_por":null,"pego_em":null,"resultado":null,' ..
    '"resolvido_em":null,"atualizado_em":' .. when .. '}', a, i, 1750000000 + i, i, i, a)
end

local function body(recados)
  return '{"app":{"versao":"0.1.0"},"destinos":[{"id":"D1","nome":"Tavlo","instrucao":"Faça","cor":"#FF6A1C",' ..
    '"ordem":0}],"recados":[' .. table.concat(recados, ",") .. '],"apagados":[],"cursor":0}'
end

for a = 1, accounts do
  secrets[a] = string.format("benchbenchbenchbenchbenchbenchbenchbe%07d", a)
  local same, changed = {}, {}
  for i = 1, 20 do
    same[i] = recado(a, i, "pendente", string.format("%d.5", 1750000000 + i))
    changed[i] = recado(a, i, "STATUS", "WHEN")
  end
  bodies[a] = body(same)
  changing[a] = body(changed)
end

function init(args)
  changes = args[1] == "changes"
end

request = function()
  counter = counter + 1
  local a = (counter % accounts) + 1
  local sent = bodies[a]
  if changes then
    local when = string.format("%.6f", 1800000000 + counter + math.random())
    local status = (counter % 2 == 0) and "pendente" or "falhou"
    sent = changing[a]:gsub("WHEN", when):gsub("STATUS", status)
  end
  return wrk.format("POST", "/api/sync",
    { ["Authorization"] = "Bearer " .. secrets[a], ["Content-Type"] = "application/json",
      ["X-Forwarded-For"] = string.format("198.18.%d.%d", math.floor(a / 256), a % 256) }, sent)
end
