-- POST /api/sync for 200 accounts in turn, 20 recados each; the desktop's
-- cursor follows what the server answered for that account. Each account
-- is its own client behind the proxy (X-Forwarded-For), as deployed.
local accounts = 200
local bodies = {}
local secrets = {}
local counter = 0

local function recado(a, i)
  return string.format('{"id":"A%03d-R%02d","criado_em":%d.25,"duracao":4.5,"titulo":"Recado %d",' ..
    '"transcricao":"fala de teste número %d da conta %d, com algumas palavras a mais para pesar","destino_id":"D1",' ..
    '"idioma":"pt-BR","status":"pendente","pego_por":null,"pego_em":null,"resultado":null,' ..
    '"resolvido_em":null,"atualizado_em":%d.5}', a, i, 1750000000 + i, i, i, a, 1750000000 + i)
end

for a = 1, accounts do
  secrets[a] = string.format("benchbenchbenchbenchbenchbenchbenchbe%07d", a)
  local recados = {}
  for i = 1, 20 do recados[i] = recado(a, i) end
  bodies[a] = '{"app":{"versao":"0.1.0"},"destinos":[{"id":"D1","nome":"Tavlo","instrucao":"Faça","cor":"#FF6A1C",' ..
    '"ordem":0}],"recados":[' .. table.concat(recados, ",") .. '],"apagados":[],"cursor":0}'
end

request = function()
  counter = counter + 1
  local a = (counter % accounts) + 1
  return wrk.format("POST", "/api/sync",
    { ["Authorization"] = "Bearer " .. secrets[a], ["Content-Type"] = "application/json",
      ["X-Forwarded-For"] = string.format("198.18.%d.%d", math.floor(a / 256), a % 256) }, bodies[a])
end
