#!/usr/bin/python3
"""A private desktop for tests: an Xvfb display, a session bus of its own and
a fake notification server on it, all in a fresh temporary folder and all
stopped by the PIDs this script started.

  desktop_session.py
      prints one JSON line {"DISPLAY", "DBUS_SESSION_BUS_ADDRESS",
      "XDG_RUNTIME_DIR"} once
      everything is up, then keeps it running until its standard input
      closes (or SIGTERM).

From Python, Session(tray=True) adds a system tray (trayer) for
QSystemTrayIcon. The fake server's control interface is described in
fake_notifications.py. Every child dies with this script (PR_SET_PDEATHSIG).
"""
import ctypes
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PR_SET_PDEATHSIG = 1


def stop_processes(children):
    """Terminates the children, newest first; kills any that linger."""
    for child in reversed(children):
        if child.poll() is None:
            child.terminate()
            try:
                child.wait(timeout=10)
            except subprocess.TimeoutExpired:
                child.kill()
                child.wait()
        if child.stdout:
            child.stdout.close()


def die_with_parent():
    ctypes.CDLL("libc.so.6", use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


class Session:
    def __init__(self, tray=False):
        self.dir = tempfile.mkdtemp(prefix="quaro-desktop-")
        self.children = []
        self.env = {}
        try:
            self._start_display()
            if tray:
                self._start_tray()
            self._start_bus()
            self._start_notifications()
        except BaseException:
            self.stop()
            raise

    def _spawn(self, argv, **kwargs):
        child = subprocess.Popen(argv, preexec_fn=die_with_parent, stdin=subprocess.DEVNULL, **kwargs)
        self.children.append(child)
        return child

    def _start_display(self):
        read_end, write_end = os.pipe()
        with open(os.path.join(self.dir, "xvfb.log"), "wb") as log:
            self._spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                        pass_fds=(write_end,), stdout=log, stderr=log)
        os.close(write_end)
        with os.fdopen(read_end) as ready:
            number = ready.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start; see " + os.path.join(self.dir, "xvfb.log"))
        self.env["DISPLAY"] = ":" + number

    def _start_tray(self):
        # trayer now and then dies on start-up when the machine is loaded (an X
        # error while it claims the tray selection): start it again rather than
        # fail the test that needed a tray.
        env = dict(os.environ, **self.env)
        log_path = os.path.join(self.dir, "trayer.log")
        for _ in range(3):
            with open(log_path, "ab") as log:
                tray = self._spawn(["trayer", "--edge", "top", "--align", "left", "--widthtype", "pixel",
                                    "--width", "200", "--height", "32", "--SetDockType", "false",
                                    "--SetPartialStrut", "false"], env=env, stdout=log, stderr=log)
            deadline = time.monotonic() + 30
            while time.monotonic() < deadline and tray.poll() is None:
                found = subprocess.run(["xdotool", "search", "--classname", "trayer"], env=env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                if found.returncode == 0:
                    return
                time.sleep(0.05)
            stop_processes([tray])
            self.children.remove(tray)
        with open(log_path, errors="replace") as log:
            raise RuntimeError("trayer did not start:\n" + log.read()[-2000:])

    def _start_bus(self):
        socket = os.path.join(self.dir, "bus")
        daemon = self._spawn(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                              "--address=unix:path=" + socket, "--print-address=1"],
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        address = daemon.stdout.readline().decode().strip()
        if not address:
            raise RuntimeError("dbus-daemon did not start")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address

    def _start_notifications(self):
        server = self._spawn(["/usr/bin/python3", os.path.join(HERE, "fake_notifications.py")],
                             env=dict(os.environ, **self.env), stdout=subprocess.PIPE)
        if server.stdout.readline().decode().strip() != "ready":
            raise RuntimeError("the fake notification server did not start")

    def stop(self):
        stop_processes(self.children)
        self.children = []
        shutil.rmtree(self.dir, ignore_errors=True)


def main():
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    session = Session()
    try:
        # A runtime folder of its own, so that test processes running side by
        # side never meet in one (the single-instance lock lives there).
        run = os.path.join(session.dir, "run")
        os.mkdir(run, 0o700)
        print(json.dumps(dict(session.env, XDG_RUNTIME_DIR=run)), flush=True)
        sys.stdin.read()
        return 0
    finally:
        session.stop()


if __name__ == "__main__":
    sys.exit(main())
