#!/usr/bin/python3
"""Figures of the running application, on a private desktop (see
tests/support/quaro_desktop.py): hot-key press to the recording phase, second
press to the recado's row, idle CPU between reloads, and resident memory
before and after a transcription. Prints; asserts nothing.

Usage: app_bench.py QUARO QUARO_MCP [ROUNDS]
"""
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "support"))
from quaro_desktop import RATE, SPEECH, QuaroDesktop, wait_for  # noqa: E402


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def rss_mib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def row_count(desk):
    with desk.database() as db:
        return db.execute("select count(*) from recado").fetchone()[0]


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(p / 100 * (len(ordered) - 1))))]


def main(quaro, quaro_mcp, rounds):
    desk = QuaroDesktop(quaro, quaro_mcp)
    try:
        pid = desk.app.pid
        wait_for(lambda: desk.state()["hotKeyWorks"], "the hot key")
        time.sleep(3)
        print("resident memory at start: %.1f MiB" % rss_mib(pid))
        before = cpu_seconds(pid)
        time.sleep(10)
        print("idle CPU over 10 s (5 reloads): %.2f%% of a core" % ((cpu_seconds(pid) - before) * 10))

        to_recording, to_row = [], []
        for _ in range(rounds):
            rows = row_count(desk)
            start = time.monotonic()
            desk.key("key", "alt+space")
            wait_for(lambda: desk.state()["phase"] == "recording", "recording", step=0.002)
            to_recording.append((time.monotonic() - start) * 1000)
            time.sleep(1.0)
            start = time.monotonic()
            desk.key("key", "alt+space")
            wait_for(lambda: row_count(desk) > rows, "the row", step=0.002)
            to_row.append((time.monotonic() - start) * 1000)
            wait_for(lambda: desk.state()["phase"] == "idle", "idle", timeout=30)
        for name, values in (("press -> recording", to_recording), ("second press -> row", to_row)):
            print("%-22s median %.1f ms, p90 %.1f ms, n=%d (includes starting xdotool)"
                  % (name, statistics.median(values), percentile(values, 90), len(values)))

        with open(SPEECH, "rb") as f:
            sentence = f.read()
        desk.key("key", "alt+space")
        wait_for(lambda: desk.state()["phase"] == "recording", "recording")
        desk.microphone.say(sentence)
        wait_for(desk.microphone.quiet, "speech", timeout=30)
        desk.key("key", "alt+space")
        wait_for(lambda: desk.state()["counts"].get("transcrevendo", 0) == 0
                 and desk.state()["phase"] == "idle", "transcriptions", timeout=180)
        time.sleep(2)
        print("resident memory after transcriptions: %.1f MiB" % rss_mib(pid))
    finally:
        desk.stop()


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], int(sys.argv[3]) if len(sys.argv) > 3 else 10)
