#!/usr/bin/env python3
"""Load on quaro-nuvem over loopback: syncs (200 accounts, 20 recados each,
unchanged or all changed) and remote inbox_list calls per second with their
p99 latency, the same syncs while one address floods the server with bad
links and over-quota bodies, and the server's peak resident memory.

Usage: nuvem_bench.py QUARO_NUVEM [SECONDS] [DATABASE] [--compare OTHER_QUARO_NUVEM]

DATABASE defaults to a fresh SQLite file; a PostgreSQL connection text
(say "host=/tmp/pg port=54329 user=quaro dbname=bench") measures that
storage instead (each server gets an emptied schema of its own). With
--compare the other build runs beside it and each load runs on both in
turns, twice, keeping each build's best: absolute rates drift between
machines and from one minute to the next on a shared one. Needs wrk."""
import http.client
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

here = os.path.dirname(os.path.abspath(__file__))
attacker = "203.0.113.7"  # one address behind the proxy, as a client would be
attack_rate = 100  # requests per second, half bad links, half over-quota bodies
attack_connections = 4


def wrk(port, script, seconds, connections, *args):
    out = subprocess.run(["wrk", "-t2", f"-c{connections}", f"-d{seconds}s", "--latency", "-s",
                          os.path.join(here, script), f"http://127.0.0.1:{port}", "--", *args],
                         capture_output=True, text=True, timeout=seconds + 60).stdout
    rate = float(re.search(r"Requests/sec:\s+([\d.]+)", out).group(1))
    p99 = re.search(r"99%\s+([\d.]+)(us|ms|s)", out)
    scale = {"us": 0.001, "ms": 1.0, "s": 1000.0}[p99.group(2)]
    non2xx = re.search(r"Non-2xx or 3xx responses: (\d+)", out)
    errors = re.search(r"Socket errors: connect (\d+), read (\d+), write (\d+), timeout (\d+)", out)
    failed = (int(non2xx.group(1)) if non2xx else 0) + (sum(int(n) for n in errors.groups()) if errors else 0)
    return rate, float(p99.group(1)) * scale, failed


def peak_rss_mib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024
    return 0.0


def recado(i, transcript):
    return {"id": f"X-{i}", "criado_em": 1750000000.0 + i, "duracao": 1.0, "titulo": "x", "transcricao": transcript,
            "destino_id": None, "idioma": None, "status": "pendente", "pego_por": None, "pego_em": None,
            "resultado": None, "resolvido_em": None, "atualizado_em": 1750000000.0 + i}


def attack(port, stop, counts, lock):
    """Bad links (remote MCP calls with unknown links, syncs with malformed
    ones) and sync bodies over the per-sync caps, at a capped rate, from one
    address: what a careless or hostile client costs the others."""
    too_many = json.dumps({"destinos": [], "recados": [recado(i, "x") for i in range(2001)], "apagados": [],
                           "cursor": 0})
    too_long = json.dumps({"destinos": [], "recados": [recado(0, "x" * (1024 * 1024 + 1))], "apagados": [],
                           "cursor": 0})
    rpc = json.dumps({"jsonrpc": "2.0", "id": 1, "method": "tools/call",
                      "params": {"name": "inbox_list", "arguments": {}}})
    own = "atacanteatacanteatacanteatacanteatacante123"
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
    n = 0
    started = time.monotonic()
    while not stop.is_set():
        n += 1
        path, key, body = "/api/sync", own, too_many if n % 4 == 0 else too_long
        if n % 4 == 1:
            path, body = f"/mcp/invalidoinvalidoinvalidoinvalidoinval{n % 10000:04d}", rpc
        elif n % 4 == 3:
            key, body = "curto", "{}"
        headers = {"Authorization": "Bearer " + key, "Content-Type": "application/json", "X-Forwarded-For": attacker}
        try:
            connection.request("POST", path, body, headers)
            response = connection.getresponse()
            response.read()
            status = response.status
        except (OSError, http.client.HTTPException):
            status = "erro"
            connection.close()
            connection = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
        with lock:
            counts[status] = counts.get(status, 0) + 1
        pause = started + n * attack_connections / attack_rate - time.monotonic()
        if pause > 0:
            time.sleep(pause)
    connection.close()


def launch(server, database):
    """Starts one build on a free port; (process, port)."""
    help_text = subprocess.run([server, "--help"], capture_output=True, text=True).stdout
    arguments = [server, "--listen", "127.0.0.1:0", "--database", database, "--threads", "2", "--quiet"]
    if "--trusted-proxy" in help_text:  # older builds count every client as the proxy
        arguments += ["--trusted-proxy", "127.0.0.1"]
    child = subprocess.Popen(arguments, stderr=subprocess.PIPE, text=True)
    line = child.stderr.readline()
    port = int(re.search(r":(\d+)$", line.strip()).group(1))
    wrk(port, "sync.lua", 2, 4)  # creates the 200 accounts
    return child, port


def under_attack(port, seconds):
    stop, counts, lock = threading.Event(), {}, threading.Lock()
    flood = [threading.Thread(target=attack, args=(port, stop, counts, lock)) for _ in range(attack_connections)]
    for thread in flood:
        thread.start()
    try:
        return wrk(port, "sync.lua", seconds, 16), counts
    finally:
        stop.set()
        for thread in flood:
            thread.join()


def measure(builds, seconds, rounds):
    """Every load against every build (each already running), taking turns
    load by load and keeping each build's best round: on a shared machine the
    turns see the same neighbours, and the best round the least of them."""
    results = {name: {} for name, _, _ in builds}
    loads = [("sync", ("sync.lua",)), ("sync com mudanças", ("sync.lua", "changes")),
             ("inbox_list remoto", ("inbox_list.lua",)), ("sync sob ataque", None)]
    for load, script in loads:
        for _ in range(rounds):
            for name, _, port in builds:
                if script:
                    figures, counts = wrk(port, script[0], seconds, 16, *script[1:]), None
                else:
                    figures, counts = under_attack(port, seconds)
                best = results[name].get(load)
                if best is None or figures[0] > best[0]:
                    results[name][load] = figures
                    if counts is not None:
                        results[name]["ataque"] = counts
    return results


def fresh_database(database, name):
    """A PostgreSQL connection text whose tables live in an emptied schema of their own."""
    subprocess.run(["psql", database, "-q", "-c", f"DROP SCHEMA IF EXISTS bench_{name} CASCADE; CREATE SCHEMA bench_{name}"],
                   check=True, capture_output=True)
    return f"{database} options='-c search_path=bench_{name}'"


def main():
    arguments = sys.argv[1:]
    other = None
    if "--compare" in arguments:
        at = arguments.index("--compare")
        other = arguments[at + 1]
        del arguments[at:at + 2]
    server = arguments[0]
    seconds = int(arguments[1]) if len(arguments) > 1 else 10
    rounds = 2 if other else 1
    database = arguments[2] if len(arguments) > 2 else ""
    folder = tempfile.mkdtemp(prefix="quaro-nuvem-bench-")
    print("armazenamento:", "PostgreSQL" if "=" in database or database.startswith("postgres") else "SQLite")
    builds = [("este", server)] + ([("outro", other)] if other else [])
    running = []
    try:
        for name, binary in builds:
            # PostgreSQL: one database for both, each build in its own schema.
            if database and ("=" in database or database.startswith("postgres")):
                where = fresh_database(database, name)
            else:
                where = os.path.join(folder, name + ".sqlite")
            child, port = launch(binary, where)
            running.append((name, child, port))
        results = measure(running, seconds, rounds)
        for name, child, _ in running:
            results[name]["memória"] = peak_rss_mib(child.pid)
    finally:
        for _, child, _ in running:
            child.terminate()
            child.wait(timeout=30)
        shutil.rmtree(folder, ignore_errors=True)

    for name, binary in builds:
        print(f"{name}: {binary}")
    header = "".join(f"{name:>34}" for name, _ in builds)
    print(f"{'':22}{header}")
    for load in ("sync", "sync com mudanças", "inbox_list remoto", "sync sob ataque"):
        cells = ""
        for name, _ in builds:
            rate, p99, failed = results[name][load]
            cells += f"{f'{rate:7.0f}/s  p99 {p99:6.1f} ms  falhas {failed}':>34}"
        print(f"{load:22}{cells}")
    cells = ""
    for name, _ in builds:
        attacked, calm = results[name]["sync sob ataque"][0], results[name]["sync"][0]
        cells += f"{f'{100 * attacked / calm:.0f}% do sync sem ataque':>34}"
    print(f"{'sob ataque / sem':22}{cells}")
    cells = "".join(f"{' '.join(f'{k}:{v}' for k, v in sorted(results[name]['ataque'].items(), key=str)):>34}"
                    for name, _ in builds)
    print(f"{'respostas ao ataque':22}{cells}")
    cells = "".join(f"{results[name]['memória']:31.1f} MiB" for name, _ in builds)
    print(f"{'memória máxima':22}{cells}")


if __name__ == "__main__":
    main()
