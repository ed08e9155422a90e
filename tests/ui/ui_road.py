#!/usr/bin/python3
"""The interface of the real `quaro` on a private desktop with a tray: a
click on the tray icon opens the panel, Esc and a click elsewhere close it;
the widget appears when recording starts without taking the keyboard from
the xterm the user is typing in, and remembers where it was moved.

Usage: ui_road.py QUARO QUARO_MCP
"""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from quaro_desktop import QuaroDesktop, wait_for  # noqa: E402

QUARO, QUARO_MCP = sys.argv[1], sys.argv[2]
PANEL_WIDTH = 360


class Road(unittest.TestCase):
    def setUp(self):
        self.desk = QuaroDesktop(QUARO, QUARO_MCP)
        self.addCleanup(self.desk.stop)
        self.x = self.desk.x

    def windows(self):
        """The visible quaro windows as (id, x, y, width, height), in one look."""
        out = self.x("search", "--onlyvisible", "--classname", "quaro", "getwindowgeometry", "--shell", "%@")
        found, geo = [], {}
        for line in out.splitlines():
            key, _, value = line.partition("=")
            geo[key] = value
            if key == "SCREEN":
                found.append((geo["WINDOW"], int(geo["X"]), int(geo["Y"]), int(geo["WIDTH"]), int(geo["HEIGHT"])))
        return found

    def panel_open(self):
        return any(w[3] == PANEL_WIDTH for w in self.windows())

    def widget(self):
        return next((w for w in self.windows() if w[3] != PANEL_WIDTH and w[3] > 40 and w[4] > 40), None)

    def tray_icon(self):
        return wait_for(lambda: next((w for w in self.windows() if w[3] <= 40 and w[4] <= 40), None), "tray icon")

    def click_tray(self, icon=None):
        icon = icon or self.tray_icon()
        self.x("mousemove", "--window", icon[0], "5", "5", "click", "1")

    def test_panel_and_widget(self):
        self.desk.logged(self.walk)

    def walk(self):
        desk = self.desk
        wait_for(lambda: desk.state()["hotKeyWorks"], "the hot key")

        self.click_tray()
        wait_for(self.panel_open, "the panel to open from the tray")
        self.x("key", "Escape")
        wait_for(lambda: not self.panel_open(), "Esc to close the panel")
        time.sleep(0.8)  # two clicks close together make a double click, which opens nothing
        self.click_tray()
        wait_for(self.panel_open, "the panel to open again")
        self.x("mousemove", "1100", "700", "click", "1")
        wait_for(lambda: not self.panel_open(), "a click elsewhere to close the panel")

        # A window manager from here on: it is what hands the keyboard to
        # newly shown windows, so it is what the widget must decline.
        desk.spawn(["openbox", "--sm-disable"])
        time.sleep(1.5)
        term = desk.spawn(["xterm", "-geometry", "60x8+600+500", "-e", "sleep", "600"])
        xterm = wait_for(lambda: self.x("search", "--onlyvisible", "--pid", str(term.pid)).split(), "the xterm")[0]
        self.x("windowactivate", "--sync", xterm)
        focused = wait_for(lambda: self.x("getwindowfocus"), "the xterm's focus")

        desk.quaro.Toggle()
        widget = wait_for(self.widget, "the widget to appear when recording")
        self.assertEqual(desk.state()["phase"], "recording")
        self.assertEqual(self.x("getwindowfocus"), focused, "the widget took the keyboard")

        self.x("windowmove", widget[0], "140", "520")
        wait_for(lambda: desk.preference("widgetOrigin.v2") == "{140, 520}", "the widget's place to be stored")

        desk.quaro.Discard()
        wait_for(lambda: self.widget() is None, "the widget to hide when idle")
        desk.quaro.Toggle()
        widget = wait_for(self.widget, "the widget again")
        self.assertEqual((widget[1], widget[2]), (140, 520))
        self.assertEqual(self.x("getwindowfocus"), focused)
        desk.quaro.Discard()


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
