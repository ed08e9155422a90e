#!/usr/bin/python3
"""The inbox window of the real `quaro` on a private desktop.

Drops: a file dragged from another program (X drag and drop, driven by
xdotool's pointer) onto the inbox is imported; a web address dragged there
is refused and never fetched.

No tray: the inbox opens at start as a regular window, says once (ever) why,
carries the tray's actions in its "Gravação" menu, and closing it only
minimises it.

Usage: inbox_road.py QUARO QUARO_MCP DRAG_SOURCE
"""
import configparser
import http.server
import os
import subprocess
import sys
import threading
import time
import unittest
import wave

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from quaro_desktop import RATE, SPEECH, QuaroDesktop, wait_for  # noqa: E402

QUARO, QUARO_MCP, DRAG_SOURCE = sys.argv[1], sys.argv[2], sys.argv[3]
INBOX = "Caixa · Quaro"
NOT_AUDIO = "Esse arquivo não é um áudio que o Quaro lê (m4a, mp3, wav, opus…)."
TOLD = "sem bandeja no sistema"


class Counting(http.server.BaseHTTPRequestHandler):
    hits = 0

    def do_GET(self):
        Counting.hits += 1
        self.send_error(404)

    def log_message(self, *args):
        pass


class InboxRoad(unittest.TestCase):
    def start(self, **kwargs):
        self.desk = QuaroDesktop(QUARO, QUARO_MCP, language="pt-BR", **kwargs)
        self.addCleanup(self.desk.stop)

    def x(self, *args):
        return subprocess.run(["xdotool"] + list(args), env=self.desk.env, capture_output=True,
                              text=True).stdout.strip()

    def inbox(self, visible=True):
        """The inbox window: (id, x, y, width, height), or None."""
        search = ["search", "--onlyvisible"] if visible else ["search"]
        for wid in self.x(*search, "--name", "^" + INBOX + "$").split():
            geo = dict(l.split("=", 1) for l in self.x("getwindowgeometry", "--shell", wid).split() if "=" in l)
            return wid, int(geo["X"]), int(geo["Y"]), int(geo["WIDTH"]), int(geo["HEIGHT"])
        return None

    def preference(self, key):
        parser = configparser.ConfigParser(interpolation=None)
        parser.read(os.path.join(self.desk.env["XDG_CONFIG_HOME"], "Quaro", "Quaro.conf"))
        return parser.get("General", key, fallback="").strip('"')

    def run_logged(self, walk):
        try:
            walk()
        except BaseException:
            sys.stderr.write("--- quaro's log\n" + self.desk.app_log())
            raise

    # --- drops

    def test_drops(self):
        self.start()
        self.run_logged(self.walk_drops)

    def drag(self, url):
        """Drags url from a small window beside the inbox to the middle of
        the inbox, step by step as a hand would; returns the source's verdict.
        The source stays until the next drag: the inbox reads what was
        dropped from it after the drop is over, as from a file manager."""
        if getattr(self, "source", None):
            self.source.terminate()
            self.source.wait()
        self.source = self.desk.spawn([DRAG_SOURCE, url, "1190", "300"], stdout=subprocess.PIPE)
        wid = wait_for(lambda: self.x("search", "--onlyvisible", "--name", "^drag source$"), "the drag source")
        self.x("mousemove", "--window", wid, "40", "40")
        self.x("mousedown", "1")
        time.sleep(0.5)
        for step in range(1, 11):
            self.x("mousemove", str(1190 - step * 60), str(300 + step * 10))
            time.sleep(0.1)
        time.sleep(0.5)
        self.x("mouseup", "1")
        return self.source.stdout.readline().decode().strip()

    def walk_drops(self):
        desk = self.desk
        desk.quaro.Show()
        inbox = wait_for(self.inbox, "the inbox window")
        self.x("windowmove", inbox[0], "0", "0")
        wait_for(lambda: self.inbox()[1:3] == (0, 0), "the inbox at the corner")
        counts = lambda: sum(desk.state()["counts"].values())  # noqa: E731
        before = counts()

        # A web address: refused as not audio, and nothing is fetched.
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Counting)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        self.addCleanup(lambda: (server.shutdown(), server.server_close()))
        self.assertEqual(self.drag("http://127.0.0.1:%d/nota.wav" % server.server_address[1]), "drop: copy")
        wait_for(lambda: desk.state()["notice"] == NOT_AUDIO, "the web address to be refused")
        self.assertEqual(Counting.hits, 0, "a dropped web address was fetched")

        # A local audio file, as a file manager drags it.
        audio = os.path.join(desk.dir, "nota de voz.wav")
        with open(SPEECH, "rb") as raw, wave.open(audio, "wb") as out:
            out.setnchannels(1)
            out.setsampwidth(2)
            out.setframerate(RATE)
            out.writeframes(raw.read())
        self.assertEqual(self.drag("file://" + audio.replace(" ", "%20")), "drop: copy")
        wait_for(lambda: counts() == before + 1, "the dropped file to be filed")
        self.assertEqual(Counting.hits, 0)

    # --- no tray

    def test_without_tray(self):
        self.start(tray=False)
        self.run_logged(self.walk_without_tray)

    def walk_without_tray(self):
        desk = self.desk
        inbox = wait_for(self.inbox, "the inbox at start, standing in for the tray")
        wait_for(lambda: TOLD in desk.app_log(), "the user to be told there is no tray")
        self.assertEqual(self.preference("trayMissingTold"), "true")

        # The "Gravação" menu, the last of the bar, records as the tray would:
        # the first menu opens with a click, Left wraps round to the last.
        self.x("key", "--window", inbox[0], "Escape")  # the notice
        time.sleep(0.5)
        self.x("mousemove", "--window", inbox[0], "20", "12", "click", "1")
        time.sleep(0.5)
        self.x("key", "--window", inbox[0], "Left", "Down", "Return")
        wait_for(lambda: desk.state()["phase"] == "recording", "Gravação → Gravar recado")
        desk.quaro.Discard()

        # With a window manager, closing the window minimises it and Quaro
        # stays; Show brings it back.
        desk.spawn(["openbox", "--sm-disable"])
        time.sleep(1.5)
        self.x("windowactivate", "--sync", inbox[0])
        self.x("key", "alt+F4")
        wait_for(lambda: self.inbox() is None, "closing to minimise the window")
        self.assertIsNotNone(self.inbox(visible=False))
        self.assertIsNone(desk.app.poll(), "closing the window quit Quaro")
        desk.quaro.Show()
        wait_for(self.inbox, "the inbox back from the task bar")

        # The next start says nothing about the tray again.
        before = desk.restart()
        wait_for(self.inbox, "the inbox at the second start")
        time.sleep(1)
        self.assertNotIn(TOLD, desk.app_log()[before:])


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + sys.argv[4:])
