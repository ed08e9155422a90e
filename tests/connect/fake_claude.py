#!/usr/bin/python3
# A stand-in for the `claude` command-line client in automatic mode. It
# writes what it was given (argument vector, working folder) to
# $FAKE_CLAUDE_RECORD, then behaves as $FAKE_CLAUDE says:
#   resolve       start the quaro-mcp named in the --mcp-config file, claim
#                 and resolve every pending recado over JSON-RPC lines, print
#                 a few lines ending with the count (the default);
#   exit:N:TEXT   print TEXT and exit with status N;
#   orphan        leave a grandchild holding the output pipe and finish;
#   hang          leave a grandchild holding the output pipe, ignore SIGTERM
#                 and never finish.
import json
import os
import signal
import subprocess
import sys
import time

EXPECTED_FLAGS = ["-p", None, "--mcp-config", None, "--strict-mcp-config", "--allowedTools", None,
                  "--output-format", "text"]


def record(extra):
    path = os.environ.get("FAKE_CLAUDE_RECORD")
    if not path:
        return
    data = {"argv": sys.argv, "cwd": os.getcwd()}
    data.update(extra)
    with open(path, "w", encoding="utf-8") as out:
        json.dump(data, out, ensure_ascii=False)


def check_argv():
    args = sys.argv[1:]
    if len(args) != len(EXPECTED_FLAGS):
        sys.exit(f"argumentos inesperados: {args!r}")
    for want, got in zip(EXPECTED_FLAGS, args):
        if want is not None and want != got:
            sys.exit(f"esperava {want!r}, veio {got!r}")
    return args[1], args[3], args[6]


class Server:
    def __init__(self, config_path):
        with open(config_path, encoding="utf-8") as f:
            entry = json.load(f)["mcpServers"]["quaro"]
        self.proc = subprocess.Popen([entry["command"], *entry["args"]], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, text=True, encoding="utf-8")
        self.next_id = 1

    def request(self, method, params):
        message = {"jsonrpc": "2.0", "id": self.next_id, "method": method, "params": params}
        self.next_id += 1
        self.proc.stdin.write(json.dumps(message) + "\n")
        self.proc.stdin.flush()
        reply = json.loads(self.proc.stdout.readline())
        if "error" in reply:
            sys.exit(f"erro do servidor: {reply['error']}")
        return reply["result"]

    def tool(self, name, arguments):
        result = self.request("tools/call", {"name": name, "arguments": arguments})
        if result.get("isError"):
            sys.exit(f"{name}: {result['content'][0]['text']}")
        return json.loads(result["content"][0]["text"])

    def close(self):
        self.proc.stdin.close()
        self.proc.wait(timeout=30)


def resolve(prompt, config_path):
    client = prompt.split('cliente "')[1].split('"')[0]
    server = Server(config_path)
    server.request("initialize", {"protocolVersion": "2025-06-18", "capabilities": {},
                                  "clientInfo": {"name": "claude-code", "version": "0.0.0"}})
    pending = server.tool("inbox_list", {"status": "pendente", "limite": 5})["recados"]
    destinos = []
    for recado in pending:
        server.tool("recado_claim", {"id": recado["id"], "cliente": client})
        destino = recado.get("destino") or {}
        destinos.append(destino.get("nome"))
        server.tool("recado_resolve", {"id": recado["id"], "resultado": "feito: " + recado["transcricao"],
                                       "cliente": client})
    server.close()
    record({"destinos": destinos, "client": client})
    print("Lendo a caixa do Quaro...")
    print()
    print(f"  Resolvi {len(pending)} recados.  \t")
    print()
    print()


def main():
    mode = os.environ.get("FAKE_CLAUDE", "resolve")
    prompt, config_path, _ = check_argv()
    record({})
    if mode == "resolve":
        resolve(prompt, config_path)
    elif mode.startswith("exit:"):
        _, status, text = mode.split(":", 2)
        print(text, flush=True)
        sys.exit(int(status))
    elif mode == "orphan":
        grandchild = subprocess.Popen(["sleep", "300"])
        record({"grandchild": grandchild.pid})
        print("Resolvi 0 recados.", flush=True)
    elif mode == "hang":
        # Deaf to SIGTERM as well: only SIGKILL to the whole group ends it.
        grandchild = subprocess.Popen(["sleep", "300"],
                                      preexec_fn=lambda: signal.signal(signal.SIGTERM, signal.SIG_IGN))
        record({"grandchild": grandchild.pid})
        signal.signal(signal.SIGTERM, signal.SIG_IGN)
        print("trabalhando", flush=True)
        while True:
            time.sleep(1)


if __name__ == "__main__":
    main()
