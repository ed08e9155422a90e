"""The real `quaro` running on a private desktop, for end-to-end tests and
benchmarks: Xvfb, a session bus of its own with a fake notification server,
a tray, PulseAudio whose default microphone is a pipe this module feeds, and
a loopback HTTP server standing in for the speech-model download (404, so
the older en-US recognizer transcribes). Everything lives in one temporary
folder and is stopped by the PIDs started here."""
import configparser
import http.server
import json
import os
import pwd
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import threading
import time

from desktop_session import Session, stop_processes

import dbus

RATE = 16000
SPEECH = "/usr/share/pocketsphinx/test/data/goforward.raw"  # 16 kHz s16 mono: "go forward ten meters"


def wait_for(condition, what, timeout=60.0, step=0.05):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(step)
    raise AssertionError("timed out waiting for " + what)


class NotFound(http.server.BaseHTTPRequestHandler):
    """Answers 404 to everything and counts the requests its server had."""

    def do_GET(self):
        self.server.hits += 1
        self.send_error(404)

    def log_message(self, *args):
        pass


class Microphone:
    """Feeds the pipe source at the pace of real time: silence, or speech
    when asked. A pipe source only delivers while somebody writes."""

    def __init__(self, fifo):
        self.fifo = fifo
        self.queue = b""
        self.lock = threading.Lock()
        self.stopped = False
        self.thread = threading.Thread(target=self._run, daemon=True)
        self.thread.start()

    def say(self, pcm):
        with self.lock:
            self.queue += pcm

    def quiet(self):
        with self.lock:
            return not self.queue

    def _run(self):
        chunk = RATE * 2 // 50  # 20 ms
        try:
            with open(self.fifo, "wb", buffering=0) as out:
                next_at = time.monotonic()
                while not self.stopped:
                    with self.lock:
                        piece, self.queue = self.queue[:chunk], self.queue[chunk:]
                    out.write(piece.ljust(chunk, b"\0"))
                    next_at += 0.02
                    time.sleep(max(0.0, next_at - time.monotonic()))
        except OSError:
            pass  # the sound server went away first

    def stop(self):
        self.stopped = True
        self.thread.join(timeout=5)


# Another program holding Ctrl+Alt+Space on the X server.
HOLD_CTRL_ALT_SPACE = """
import ctypes, time
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XDefaultRootWindow.restype = ctypes.c_ulong
x.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x.XGrabKey.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                       ctypes.c_int]
x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
display = x.XOpenDisplay(None)
root = x.XDefaultRootWindow(display)
space = x.XKeysymToKeycode(display, 0x20)
for extra in (0, 2, 16, 18):  # CapsLock and NumLock variants
    x.XGrabKey(display, space, 4 | 8 | extra, root, 1, 1, 1)
x.XSync(display, 0)
time.sleep(600)
"""



# sway refuses to run as root; the Wayland road runs it as this user.
SWAY_USER = "quaro-road"
SUPPORT = os.path.dirname(os.path.abspath(__file__))


class QuaroDesktop:
    """wayland=True: quaro draws on a headless sway (no X display, no tray)
    and binds its hot key through the fake GlobalShortcuts portal."""

    def __init__(self, quaro, quaro_mcp, language="en-US", onboarding_done=True, tray=True, wayland=False,
                 portal=True, portal_delay_ms=0):
        self.onboarding_done = onboarding_done
        self.with_portal = portal
        self.portal_delay_ms = portal_delay_ms
        self.tray = tray and not wayland
        self.wayland = wayland
        self.quaro_binary, self.quaro_mcp = quaro, quaro_mcp
        self.dir = tempfile.mkdtemp(prefix="quaro-desktop-")
        self.children = []
        self.stops = []
        try:
            self._start(language)
        except BaseException:
            self.stop()
            raise

    def _start(self, language):
        self.session = Session(tray=self.tray)
        self.stops.append(self.session.stop)
        run = os.path.join(self.dir, "run")
        os.mkdir(run, 0o700)
        self.env = dict(os.environ, **self.session.env)
        self.env.update(
            HOME=os.path.join(self.dir, "home"),
            XDG_RUNTIME_DIR=run,
            XDG_DATA_HOME=os.path.join(self.dir, "data"),
            XDG_CONFIG_HOME=os.path.join(self.dir, "config"),
            XDG_STATE_HOME=os.path.join(self.dir, "state"),
            XDG_CACHE_HOME=os.path.join(self.dir, "cache"),
            PULSE_CLIENTCONFIG=os.path.join(run, "client.conf"),
        )
        with open(self.env["PULSE_CLIENTCONFIG"], "w") as conf:
            conf.write("autospawn=no\n")
        os.makedirs(os.path.join(self.env["XDG_CONFIG_HOME"], "Quaro"))
        with open(os.path.join(self.env["XDG_CONFIG_HOME"], "Quaro", "Quaro.conf"), "w") as conf:
            conf.write("[General]\nlanguageID=%s\nonboardingDone=%s\n"
                       % (language, "true" if self.onboarding_done else "false"))

        self._start_pulse(run)
        model = self.serve_not_found()
        self.env["QUARO_MODEL_URL"] = "http://127.0.0.1:%d/ggml-base.bin" % model.server_address[1]

        self.microphone = Microphone(os.path.join(run, "vmic.fifo"))
        self.stops.append(self.microphone.stop)
        self.log_path = os.path.join(self.dir, "quaro.log")
        self.bus = dbus.bus.BusConnection(self.session.env["DBUS_SESSION_BUS_ADDRESS"])
        if self.wayland:
            self._start_sway()
            if self.with_portal:
                self._start_portal()
        self._start_app()

    def _start_sway(self):
        try:
            pwd.getpwnam(SWAY_USER)
        except KeyError:
            subprocess.check_call(["useradd", "--create-home", SWAY_USER])
        way = tempfile.mkdtemp(prefix="quaro-sway-")
        self.stops.append(lambda: shutil.rmtree(way, ignore_errors=True))
        shutil.chown(way, SWAY_USER)
        config = os.path.join(way, "config")
        with open(config, "w") as conf:
            conf.write("output HEADLESS-1 resolution 1280x800\n")
        self.spawn(["runuser", "-u", SWAY_USER, "--", "env", "-i", "PATH=/usr/bin:/bin", "XDG_RUNTIME_DIR=" + way,
                    "WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman",
                    "sway", "-c", config])
        socket = wait_for(lambda: next((os.path.join(way, f) for f in os.listdir(way) if f.startswith("wayland-")
                                        and not f.endswith(".lock")), None), "sway's socket")
        self.env["SWAYSOCK"] = wait_for(lambda: next((os.path.join(way, f) for f in os.listdir(way)
                                                      if f.startswith("sway-ipc.")), None), "sway's IPC socket")
        self.env.pop("DISPLAY", None)
        self.env.update(WAYLAND_DISPLAY=socket, QT_QPA_PLATFORM="wayland", XDG_SESSION_TYPE="wayland",
                        XDG_CURRENT_DESKTOP="sway")

    def _start_portal(self):
        portal = self.spawn(["/usr/bin/python3", os.path.join(SUPPORT, "fake_portal.py")], stdout=subprocess.PIPE)
        if portal.stdout.readline().strip() != b"ready":
            raise AssertionError("the fake portal did not start")
        self.portal = dbus.Interface(self.bus.get_object("org.freedesktop.portal.Desktop",
                                                         "/org/freedesktop/portal/desktop"), "app.quaro.test.Portal")
        self.portal.Delay(dbus.UInt32(self.portal_delay_ms))

    def sway_windows(self):
        """quaro's windows in sway's tree: (name, floating, width, height, x, y)."""
        tree = json.loads(subprocess.run(["swaymsg", "-t", "get_tree"], env=self.env, capture_output=True,
                                         text=True, check=True).stdout)
        found = []

        def walk(node, floating):
            if node.get("pid") == self.app.pid and node.get("visible"):
                rect = node["rect"]
                found.append((node.get("name"), floating, rect["width"], rect["height"], rect["x"], rect["y"]))
            for child in node.get("nodes", []):
                walk(child, floating)
            for child in node.get("floating_nodes", []):
                walk(child, True)

        walk(tree, False)
        return found

    def _start_app(self):
        log = open(self.log_path, "a")
        self.stops.append(log.close)
        self.app = self.spawn([self.quaro_binary], stdout=log, stderr=subprocess.STDOUT)
        wait_for(lambda: self.bus.name_has_owner("app.quaro.Quaro") or self.app.poll() is not None,
                 "quaro on the session bus")
        if self.app.poll() is not None:
            raise AssertionError("quaro exited with %s:\n%s" % (self.app.returncode, self.app_log()))
        self.quaro = dbus.Interface(self.bus.get_object("app.quaro.Quaro", "/app/quaro/Quaro"), "app.quaro.Quaro")

    def restart(self):
        """Quits quaro and starts it again over the same home, as the next
        login would. Returns how long the log was before, so that the new
        start's lines are app_log()[that:]."""
        self.app.terminate()
        self.app.wait(timeout=30)
        self.children.remove(self.app)
        wait_for(lambda: not self.bus.name_has_owner("app.quaro.Quaro"), "quaro to leave the session bus")
        before = len(self.app_log())
        self._start_app()
        return before

    def serve_not_found(self):
        """A loopback HTTP server, running until stop, that answers 404; its
        `hits` counts the requests it had."""
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), NotFound)
        server.hits = 0
        threading.Thread(target=server.serve_forever, daemon=True).start()
        self.stops.append(lambda: (server.shutdown(), server.server_close()))
        return server

    def speech_file(self, name):
        """The test sentence as a WAV file in the desktop's folder; its path."""
        path = os.path.join(self.dir, name)
        subprocess.check_call(["sox", "-t", "raw", "-r", str(RATE), "-e", "signed", "-b", "16", "-c", "1",
                               SPEECH, path])
        return path

    def spawn(self, argv, **kwargs):
        kwargs.setdefault("stdout", subprocess.DEVNULL)
        kwargs.setdefault("stderr", subprocess.DEVNULL)
        child = subprocess.Popen(argv, env=self.env, stdin=subprocess.DEVNULL, **kwargs)
        self.children.append(child)
        return child

    def hold_ctrl_alt_space(self):
        """A child that holds Ctrl+Alt+Space, as another program would; quaro
        cannot take that combination while it runs."""
        child = self.spawn(["/usr/bin/python3", "-c", HOLD_CTRL_ALT_SPACE])
        time.sleep(1)
        return child

    def _start_pulse(self, run):
        fifo = os.path.join(run, "vmic.fifo")
        self.spawn(["pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n",
                    "--log-target=file:" + os.path.join(run, "pa.log"),
                    "--load=module-native-protocol-unix auth-anonymous=1",
                    "--load=module-null-sink sink_name=vsink rate=48000 channels=1",
                    "--load=module-pipe-source source_name=vmic file=%s format=s16le rate=%d channels=1"
                    % (fifo, RATE)])
        wait_for(lambda: subprocess.call(["pactl", "info"], env=self.env, stdout=subprocess.DEVNULL,
                                         stderr=subprocess.DEVNULL) == 0, "PulseAudio")
        subprocess.check_call(["pactl", "set-default-source", "vmic"], env=self.env)

    def stop(self):
        stop_processes(self.children)
        self.children = []
        for stop in reversed(self.stops):
            stop()
        self.stops = []
        shutil.rmtree(self.dir, ignore_errors=True)

    def app_log(self):
        with open(self.log_path) as log:
            return log.read()

    def state(self):
        return json.loads(str(self.quaro.State()))

    def notifications(self):
        """The Notify calls the fake notification server has had."""
        server = self.bus.get_object("org.freedesktop.Notifications", "/org/freedesktop/Notifications")
        return json.loads(str(server.Calls(dbus_interface="app.quaro.test.Notifications")))

    def key(self, *args):
        subprocess.check_call(["xdotool"] + list(args), env=self.env)

    def x(self, *args):
        """xdotool's answer, stripped ("" when it finds nothing)."""
        return subprocess.run(["xdotool"] + list(args), env=self.env, capture_output=True, text=True).stdout.strip()

    def windows(self, visible=True):
        """quaro's windows as (id, x, y, width, height, title), in one look."""
        out = self.x("search", *(["--onlyvisible"] if visible else []), "--classname", "quaro",
                     "getwindowgeometry", "--shell", "%@", "getwindowname", "%@")
        found, geo = [], {}
        lines = out.splitlines()
        shells = [l for l in lines if "=" in l and l.split("=", 1)[0].isupper()]
        names = [l for l in lines if l not in shells]
        for line in shells:
            key, _, value = line.partition("=")
            geo[key] = value
            if key == "SCREEN":
                found.append((geo["WINDOW"], int(geo["X"]), int(geo["Y"]), int(geo["WIDTH"]), int(geo["HEIGHT"])))
        return [w + (name,) for w, name in zip(found, names)]

    def tray_icon(self):
        """quaro's icon in the tray: its small window, once it is there."""
        return wait_for(lambda: next((w for w in self.windows() if w[3] <= 40 and w[4] <= 40), None), "the tray icon")

    def window(self, title, visible=True):
        """The quaro window with that title: (id, x, y, width, height), or None."""
        return next((w[:5] for w in self.windows(visible) if w[5] == title), None)

    def preference(self, key):
        parser = configparser.ConfigParser(interpolation=None)
        parser.read(os.path.join(self.env["XDG_CONFIG_HOME"], "Quaro", "Quaro.conf"))
        return parser.get("General", key, fallback="").strip('"')

    def logged(self, walk):
        """Runs walk; on failure, writes quaro's log out first."""
        try:
            walk()
        except BaseException:
            sys.stderr.write("--- quaro's log\n" + self.app_log())
            raise

    def database(self):
        return sqlite3.connect(os.path.join(self.env["XDG_DATA_HOME"], "Quaro", "quaro.sqlite"), timeout=5)

    def mcp(self, *requests):
        """Runs quaro-mcp as an AI client would: initialize, then each request."""
        lines = [{"jsonrpc": "2.0", "id": 0, "method": "initialize",
                  "params": {"protocolVersion": "2025-06-18", "capabilities": {},
                             "clientInfo": {"name": "road", "version": "1"}}}]
        lines += [dict(jsonrpc="2.0", id=i + 1, **r) for i, r in enumerate(requests)]
        out = subprocess.run([self.quaro_mcp], env=self.env, input="\n".join(json.dumps(l) for l in lines) + "\n",
                             capture_output=True, text=True, timeout=30, check=True).stdout
        return [json.loads(l) for l in out.splitlines()]
