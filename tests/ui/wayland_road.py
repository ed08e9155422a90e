#!/usr/bin/python3
"""The real `quaro` in a Wayland session: a headless sway, no tray, no X
display, and the GlobalShortcuts portal standing in for the desktop's. Quaro
binds its hot key through the portal without freezing, opens the inbox as
its window since there is no tray, a portal activation starts a recording
with the widget floating on screen, and a second one files the recado.

Usage: wayland_road.py QUARO QUARO_MCP
"""
import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from quaro_desktop import RATE, SPEECH, QuaroDesktop, wait_for  # noqa: E402

QUARO, QUARO_MCP = sys.argv[1], sys.argv[2]
INBOX = "Caixa · Quaro"


class WaylandRoad(unittest.TestCase):
    def test_road(self):
        self.desk = QuaroDesktop(QUARO, QUARO_MCP, wayland=True)
        self.addCleanup(self.desk.stop)
        self.desk.logged(self.walk)

    def walk(self):
        desk = self.desk
        wait_for(lambda: desk.state()["hotKey"] == "working", "the hot key bound through the portal")
        wait_for(lambda: any(w[0] == INBOX for w in desk.sway_windows()), "the inbox, with no tray")

        desk.portal.Activate("gravar")
        wait_for(lambda: desk.state()["phase"] == "recording", "recording from the portal's activation")
        # The widget: a small window that floats instead of filling a tile.
        widget = wait_for(lambda: next((w for w in desk.sway_windows() if w[0] != INBOX), None), "the widget")
        self.assertTrue(widget[1], "the widget was tiled: %s" % (widget,))
        self.assertLess(widget[3], 200)

        with open(SPEECH, "rb") as f:
            desk.microphone.say(b"\0" * RATE + f.read() + b"\0" * RATE)
        wait_for(desk.microphone.quiet, "the sentence to be spoken", timeout=30)
        desk.portal.Activate("gravar")
        recado = wait_for(lambda: next((r for r in desk.state()["recent"] if r["status"] == "pendente"), None),
                          "the recado to be pending", timeout=120)
        self.assertIn("forward", recado["transcript"].lower())


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
