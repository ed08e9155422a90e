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
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from quaro_desktop import QuaroDesktop, wait_for  # noqa: E402

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

        # What is said and how it is transcribed is the X road's (app_road);
        # here, a second of silence, past the shortest recording kept.
        time.sleep(1)
        desk.portal.Activate("gravar")
        wait_for(lambda: desk.state()["recent"], "the recado to be filed")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
