#!/usr/bin/python3
"""The interface of the real `quaro` on a private desktop with a tray: a
click on the tray icon opens the panel, Esc and a click elsewhere close it;
the widget appears when recording starts without taking the keyboard from
the xterm the user is typing in, and remembers where it was moved.

Usage: ui_road.py QUARO QUARO_MCP
"""
import configparser
import os
import statistics
import subprocess
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

    def x(self, *args):
        return subprocess.run(["xdotool"] + list(args), env=self.desk.env, capture_output=True,
                              text=True).stdout.strip()

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
        try:
            self.walk()
        except BaseException:
            sys.stderr.write("--- quaro's log\n" + self.desk.app_log())
            raise

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

        # Tray click to panel on screen, as the user sees it. xdotool lingers
        # for a while after it has clicked, so the looking starts at once
        # beside it; the figure still includes starting xdotool and up to
        # one look.
        times = []
        icon = self.tray_icon()
        for _ in range(5):
            time.sleep(0.8)  # two clicks close together make a double click, which opens nothing
            start = time.monotonic()
            clicker = subprocess.Popen(["xdotool", "mousemove", "--window", icon[0], "5", "5", "click", "1"],
                                       env=self.desk.env)
            wait_for(self.panel_open, "the panel", step=0.002)
            times.append((time.monotonic() - start) * 1000)
            clicker.wait()
            self.x("key", "Escape")
            wait_for(lambda: not self.panel_open(), "the panel to close")
        start = time.monotonic()
        self.panel_open()
        poll = (time.monotonic() - start) * 1000
        print("ui road: tray click to panel visible, median %.0f ms (%s); one look for it takes %.0f ms"
              % (statistics.median(times), ", ".join("%.0f" % t for t in times), poll))

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
        conf = os.path.join(desk.env["XDG_CONFIG_HOME"], "Quaro", "Quaro.conf")

        def saved():
            parser = configparser.ConfigParser(interpolation=None)
            parser.read(conf)
            return parser.get("General", "widgetOrigin.v2", fallback="").strip('"') == "{140, 520}"
        wait_for(saved, "the widget's place to be stored")

        desk.quaro.Discard()
        wait_for(lambda: self.widget() is None, "the widget to hide when idle")
        desk.quaro.Toggle()
        widget = wait_for(self.widget, "the widget again")
        self.assertEqual((widget[1], widget[2]), (140, 520))
        self.assertEqual(self.x("getwindowfocus"), focused)
        desk.quaro.Discard()


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
