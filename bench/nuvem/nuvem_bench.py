#!/usr/bin/env python3
"""Load on a quaro-nuvem over loopback: syncs (200 accounts, 20 recados each)
and remote inbox_list calls per second, p99 latency, and the server's peak
resident memory. Usage: nuvem_bench.py QUARO_NUVEM [SECONDS] [DATABASE].
DATABASE defaults to a fresh SQLite file; a PostgreSQL connection text
(say "host=/tmp/pg port=54329 user=quaro dbname=bench") measures that
storage instead. Needs wrk."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))


def wrk(port, script, seconds, connections):
    out = subprocess.run(["wrk", "-t2", f"-c{connections}", f"-d{seconds}s", "--latency", "-s",
                          os.path.join(here, script), f"http://127.0.0.1:{port}"],
                         capture_output=True, text=True, timeout=seconds + 60).stdout
    rate = float(re.search(r"Requests/sec:\s+([\d.]+)", out).group(1))
    p99 = re.search(r"99%\s+([\d.]+)(us|ms|s)", out)
    scale = {"us": 0.001, "ms": 1.0, "s": 1000.0}[p99.group(2)]
    non2xx = re.search(r"Non-2xx or 3xx responses: (\d+)", out)
    return rate, float(p99.group(1)) * scale, int(non2xx.group(1)) if non2xx else 0


def peak_rss_mib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024
    return 0.0


def main():
    server, seconds = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 10
    folder = tempfile.mkdtemp(prefix="quaro-nuvem-bench-")
    database = sys.argv[3] if len(sys.argv) > 3 else os.path.join(folder, "nuvem.sqlite")
    print("armazenamento:", "PostgreSQL" if "=" in database or database.startswith("postgres") else "SQLite")
    child = subprocess.Popen([server, "--listen", "127.0.0.1:0", "--database", database,
                              "--threads", "2", "--quiet", "--trusted-proxy", "127.0.0.1"], stderr=subprocess.PIPE, text=True)
    try:
        line = child.stderr.readline()
        port = int(re.search(r":(\d+)$", line.strip()).group(1))
        wrk(port, "sync.lua", 2, 4)  # creates the 200 accounts
        rate, p99, bad = wrk(port, "sync.lua", seconds, 16)
        print(f"sync (20 recados, 200 contas): {rate:.0f}/s, p99 {p99:.1f} ms, não-2xx {bad}")
        rate, p99, bad = wrk(port, "inbox_list.lua", seconds, 16)
        print(f"inbox_list remoto: {rate:.0f}/s, p99 {p99:.1f} ms, não-2xx {bad}")
        print(f"memória residente máxima do servidor: {peak_rss_mib(child.pid):.1f} MiB")
    finally:
        child.terminate()
        child.wait(timeout=30)
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
