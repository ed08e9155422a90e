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
    if path:
        with open(path, "w", encoding="utf-8") as out:
            json.dump({"argv": sys.argv, "cwd": os.getcwd(), **extra}, out, ensure_ascii=False)


def check_argv():
    args = sys.argv[1:]
    if len(args) != len(EXPECTED_FLAGS) or any(w is not None and w != g for w, g in zip(EXPECTED_FLAGS, args)):
        sys.exit(f"argumentos inesperados: {args!r}")
    return args[1], args[3]


def resolve(prompt, config_path):
    client = prompt.split('cliente "')[1].split('"')[0]
    with open(config_path, encoding="utf-8") as f:
        entry = json.load(f)["mcpServers"]["quaro"]
    server = subprocess.Popen([entry["command"], *entry["args"]], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                              text=True, encoding="utf-8")

    def call(method, params):
        server.stdin.write(json.dumps({"jsonrpc": "2.0", "id": 1, "method": method, "params": params}) + "\n")
        server.stdin.flush()
        reply = json.loads(server.stdout.readline())
        if "error" in reply or reply["result"].get("isError"):
            sys.exit(f"{method}: {reply}")
        return reply["result"]

    def tool(name, arguments):
        return json.loads(call("tools/call", {"name": name, "arguments": arguments})["content"][0]["text"])

    call("initialize", {"protocolVersion": "2025-06-18", "capabilities": {},
                        "clientInfo": {"name": "claude-code", "version": "0.0.0"}})
    pending = tool("inbox_list", {"status": "pendente", "limite": 5})["recados"]
    for recado in pending:
        tool("recado_claim", {"id": recado["id"], "cliente": client})
        tool("recado_resolve", {"id": recado["id"], "resultado": "feito: " + recado["transcricao"], "cliente": client})
    server.stdin.close()
    server.wait(timeout=30)
    record({"destinos": [(r.get("destino") or {}).get("nome") for r in pending], "client": client})
    print("Lendo a caixa do Quaro...\n")
    print(f"  Resolvi {len(pending)} recados.  \t\n\n")


def main():
    mode = os.environ.get("FAKE_CLAUDE", "resolve")
    prompt, config_path = check_argv()
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
