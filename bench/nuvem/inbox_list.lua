-- tools/call inbox_list on /mcp/<secret> over the 200 accounts sync.lua filled.
local accounts = 200
local counter = 0
local body = '{"jsonrpc":"2.0","id":1,"method":"tools/call","params":{"name":"inbox_list","arguments":{}}}'

request = function()
  counter = counter + 1
  local a = (counter % accounts) + 1
  local secret = string.format("benchbenchbenchbenchbenchbenchbenchbe%07d", a)
  return wrk.format("POST", "/mcp/" .. secret,
    { ["Content-Type"] = "application/json", ["Accept"] = "application/json, text/event-stream" }, body)
end
