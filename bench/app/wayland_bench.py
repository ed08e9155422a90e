#!/usr/bin/python3
"""Figures of the application in a Wayland session (headless sway and the
fake GlobalShortcuts portal, see tests/support/quaro_desktop.py): the
portal's Activated to the recording phase, and how quickly the main thread
answers while the portal takes 5 s to bind the shortcut at start. Prints;
asserts nothing.

Usage: wayland_bench.py QUARO QUARO_MCP [ROUNDS]
"""
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "support"))
from quaro_desktop import QuaroDesktop, wait_for  # noqa: E402


def activated_to_recording(desk, rounds):
    times = []
    for _ in range(rounds):
        start = time.monotonic()
        desk.portal.Activate("gravar")
        wait_for(lambda: desk.state()["phase"] == "recording", "recording", step=0.001)
        times.append((time.monotonic() - start) * 1000)
        desk.quaro.Discard()
        wait_for(lambda: desk.state()["phase"] == "idle", "idle")
    print("portal Activated to recording: median %.1f ms, max %.1f ms over %d (includes the state queries)"
          % (statistics.median(times), max(times), rounds))


def answers_while_binding(quaro, quaro_mcp):
    desk = QuaroDesktop(quaro, quaro_mcp, wayland=True, portal_delay_ms=5000)
    try:
        # Counted from the first answer that says the shortcut waits, until
        # the portal has answered.
        wait_for(lambda: desk.state()["hotKey"] == "waiting", "the wait for the portal")
        latencies = []
        while True:
            start = time.monotonic()
            state = desk.state()
            if state["hotKey"] != "waiting":
                break
            latencies.append((time.monotonic() - start) * 1000)
            time.sleep(0.05)
        print("while the portal takes 5 s to bind: %d calls answered by the main thread, median %.1f ms, "
              "max %.1f ms" % (len(latencies), statistics.median(latencies), max(latencies)))
    finally:
        desk.stop()


def main(quaro, quaro_mcp, rounds):
    answers_while_binding(quaro, quaro_mcp)
    desk = QuaroDesktop(quaro, quaro_mcp, wayland=True)
    try:
        wait_for(lambda: desk.state()["hotKey"] == "working", "the hot key")
        activated_to_recording(desk, rounds)
    finally:
        desk.stop()


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], int(sys.argv[3]) if len(sys.argv) > 3 else 10)
