#!/usr/bin/python3
"""Figures of the running application, on a private desktop (see
tests/support/quaro_desktop.py): hot-key press to the recording phase, second
press to the recado's row, idle CPU between reloads, resident memory before
and after a transcription, tray click to panel on screen, and the inbox
window's first show over 10 000 recados. Prints; asserts nothing.

Usage: desktop_bench.py QUARO QUARO_MCP [ROUNDS]
       desktop_bench.py --scroll QUARO_INBOX_SCROLL_BENCH [SECONDS]
           (the inbox's recado list scrolled on a private display)
"""
import os
import statistics
import subprocess
import sys
import time
import uuid

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "support"))
from desktop_session import Session  # noqa: E402
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


def fill_inbox(desk, count):
    """`count` recados in every status, spread over the destinos."""
    statuses = ("resolvido", "resolvido", "resolvido", "pendente", "pego", "falhou")
    with desk.database() as db:
        destinos = [row[0] for row in db.execute("SELECT id FROM destino ORDER BY sort")]
        now = time.time()
        db.executemany(
            "INSERT INTO recado (id, created_at, duration, transcript, title, destino_id, status) "
            "VALUES (?, ?, ?, ?, ?, ?, ?)",
            ((str(uuid.uuid4()).upper(), now - 60 * i, 12.5,
              "isso é pro roadmap: revisar as metas do trimestre e mandar para o time %d" % i,
              "Revisar as metas do trimestre %d" % i, destinos[i % len(destinos)], statuses[i % 6])
             for i in range(count)))


def inbox_visible(desk):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Caixa"], env=desk.env,
                          capture_output=True, text=True).stdout.strip() != ""


def inbox_first_show(desk, count=10000):
    fill_inbox(desk, count)
    # The 2-second reload has read them before the window is asked for.
    wait_for(lambda: sum(desk.state()["counts"].values()) >= count, "the filled inbox")
    start = time.monotonic()
    desk.quaro.Show()
    wait_for(lambda: inbox_visible(desk), "the inbox window", step=0.002)
    print("inbox first show, %d recados: %.1f ms (D-Bus call to visible window, includes starting xdotool)"
          % (count, (time.monotonic() - start) * 1000))


def widths(desk):
    """The widths of quaro's visible windows, in one look."""
    out = desk.x("search", "--onlyvisible", "--classname", "quaro", "getwindowgeometry", "--shell", "%@")
    return [int(line[6:]) for line in out.splitlines() if line.startswith("WIDTH=")]


def tray_to_panel(desk, rounds=5):
    """Tray click to panel on screen, as the user sees it. xdotool lingers
    after it has clicked, so the looking starts at once beside it; the
    figure includes starting xdotool and up to one look."""
    panel_open = lambda: 360 in widths(desk)  # noqa: E731
    icon = wait_for(lambda: next((w for w in desk.windows() if w[3] <= 40 and w[4] <= 40), None), "tray icon")
    times = []
    for _ in range(rounds):
        time.sleep(0.8)  # two clicks close together make a double click, which opens nothing
        start = time.monotonic()
        clicker = subprocess.Popen(["xdotool", "mousemove", "--window", icon[0], "5", "5", "click", "1"],
                                   env=desk.env)
        wait_for(panel_open, "the panel", step=0.002)
        times.append((time.monotonic() - start) * 1000)
        clicker.wait()
        desk.x("key", "Escape")
        wait_for(lambda: not panel_open(), "the panel to close")
    print("tray click to panel visible: median %.0f ms (%s)" % (statistics.median(times),
                                                              ", ".join("%.0f" % t for t in times)))


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
        tray_to_panel(desk)

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
        inbox_first_show(desk)
        print("resident memory with the inbox open: %.1f MiB" % rss_mib(pid))
    finally:
        desk.stop()


def scroll(bench, seconds):
    session = Session()
    try:
        subprocess.run([bench, seconds], env=dict(os.environ, **session.env), check=True)
    finally:
        session.stop()


if __name__ == "__main__" and sys.argv[1] == "--scroll":
    scroll(sys.argv[2], sys.argv[3] if len(sys.argv) > 3 else "5")
elif __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], int(sys.argv[3]) if len(sys.argv) > 3 else 10)
