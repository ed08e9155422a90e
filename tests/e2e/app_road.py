#!/usr/bin/python3
"""The whole road of the real `quaro` binary on a private desktop, as a user
walks it: the hot key, speech, the hot key again; the recado is filed,
transcribed (live, stretch by stretch, while the user speaks) and announced; an AI client resolves it through quaro-mcp and the
application shows it; a second launch hands a file to the first; a held hot
key toggles once.

Usage: app_road.py QUARO QUARO_MCP
"""
import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from quaro_desktop import RATE, SPEECH, QuaroDesktop, wait_for  # noqa: E402

QUARO, QUARO_MCP = sys.argv[1], sys.argv[2]


class Road(unittest.TestCase):
    def setUp(self):
        self.desk = QuaroDesktop(QUARO, QUARO_MCP)
        self.addCleanup(self.desk.stop)

    def recent(self):
        return self.desk.state()["recent"]

    def test_road(self):
        self.desk.logged(self.walk)

    def walk(self):
        desk = self.desk
        wait_for(lambda: desk.state()["hotKeyWorks"], "the hot key")
        with open(SPEECH, "rb") as f:
            sentence = f.read()

        # Press, speak twice with a pause, press again once both stretches
        # were transcribed while recording.
        desk.key("key", "alt+space")
        wait_for(lambda: desk.state()["phase"] == "recording", "recording")
        pause = b"\0" * (RATE * 2 * 3 // 2)
        desk.microphone.say(b"\0" * RATE + sentence + pause + sentence + pause)
        wait_for(desk.microphone.quiet, "the sentence to be spoken", timeout=30)
        wait_for(lambda: desk.state()["liveStretches"] == 2, "the stretches before the stop", timeout=60)
        desk.key("key", "alt+space")
        # Filed, transcribed by the fallback recognizer, titled, announced.
        recado = wait_for(lambda: next((r for r in self.recent() if r["status"] == "pendente"), None),
                          "the recado to be pending", timeout=120)
        self.assertEqual(recado["transcript"].lower().count("forward"), 2, recado["transcript"])
        self.assertIn("forward", recado["title"].lower())
        # What the notification says and offers is the nudge's own test; here:
        # it comes, about this recado.
        note = wait_for(desk.notifications, "the notification")[-1]
        self.assertEqual(note["body"], recado["title"])

        # An AI resolves it through its own quaro-mcp; the application shows it.
        reply = desk.mcp({"method": "tools/call", "params": {
            "name": "recado_resolve", "arguments": {"id": recado["id"], "resultado": "Feito."}}})[-1]
        self.assertFalse(reply["result"].get("isError"), reply)
        wait_for(lambda: any(r["id"] == recado["id"] and r["status"] == "resolvido" for r in self.recent()),
                 "the resolution to show", timeout=15)

        # A second launch hands its file to the running instance and leaves.
        note_path = os.path.join(desk.dir, "nota.opus")
        subprocess.check_call(["opusenc", "--quiet", desk.speech_file("nota.wav"), note_path])
        second = subprocess.run([QUARO, note_path], env=desk.env, timeout=60, capture_output=True)
        self.assertEqual(second.returncode, 0, second.stderr)
        wait_for(lambda: any(r["id"] != recado["id"] for r in self.recent()), "the imported recado", timeout=60)

        # Held down, the hot key toggles once.
        desk.key("keydown", "alt+space")
        time.sleep(1.0)  # long enough for the keyboard to repeat
        desk.key("keyup", "alt+space")
        wait_for(lambda: desk.state()["phase"] == "recording", "recording after a held key")
        time.sleep(0.5)
        self.assertEqual(desk.state()["phase"], "recording")
        desk.quaro.Discard()
        wait_for(lambda: desk.state()["phase"] == "idle", "idle after discard")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
