#!/usr/bin/python3
"""Renders the real `quaro` windows on a private desktop (Xvfb, its own
session bus, a tray, PulseAudio with a pipe microphone) over a seeded
temporary inbox, and writes one PNG per view into OUT, named after what it
shows. Driven like a user: a click on the tray icon, the hot key, the
application's bus service.

Usage: screenshots.py QUARO QUARO_MCP GLYPH_TOOL OUT
"""
import os
import subprocess
import sys
import time
import uuid
import wave

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "support"))
from quaro_desktop import RATE, SPEECH, QuaroDesktop, wait_for  # noqa: E402

QUARO, QUARO_MCP, GLYPH_TOOL, OUT = sys.argv[1:5]

# Oldest first: the panel shows the last three.
RECADOS = [
    ("transcrevendo", "Transcrevendo…"),
    ("falhou", ""),
    ("pendente", "Lembrete: ligar para o João às 15h"),
    ("pego", "Ideia: integração com calendário"),
    ("resolvido", "Corrigir acentuação nos títulos — ação, opção, têm"),
    ("pendente", "Revisar as metas do trimestre com o time de produto e atualizar o roadmap público"),
]


class Shots:
    def __init__(self, desk):
        self.desk = desk
        os.makedirs(OUT, exist_ok=True)

    def windows(self):
        """Visible top-level windows of quaro: (id, x, y, width, height)."""
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--classname", "quaro"],
                             env=self.desk.env, capture_output=True, text=True).stdout.split()
        found = []
        for wid in out:
            geo = subprocess.run(["xdotool", "getwindowgeometry", "--shell", wid], env=self.desk.env,
                                 capture_output=True, text=True).stdout
            values = dict(line.split("=", 1) for line in geo.split() if "=" in line)
            if "X" not in values:  # gone meanwhile
                continue
            found.append((wid, int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])))
        return found

    def window(self, which):
        return wait_for(lambda: next((w for w in self.windows() if which(w)), None), "a window", timeout=20)

    def panel(self):
        return self.window(lambda w: w[3] == 360)

    def widget(self):
        return self.window(lambda w: w[3] not in (360,) and w[3] > 40 and w[4] > 40)

    def inbox(self):
        return self.window(lambda w: w[3] >= 900)

    def click(self, geometry, x, y):
        self.desk.key("mousemove", "--window", geometry[0], str(x), str(y), "click", "1")
        time.sleep(0.5)

    def tray_icon(self):
        return self.window(lambda w: w[3] <= 40 and w[4] <= 40)

    def grab(self, name, geometry, pad=0):
        _, x, y, w, h = geometry
        path = os.path.join(OUT, name + ".png")
        # A window's first frame can take a moment: grab until it is drawn.
        for _ in range(20):
            time.sleep(0.4)
            subprocess.check_call(["import", "-silent", "-window", "root", "-crop",
                                   "%dx%d+%d+%d" % (w + 2 * pad, h + 2 * pad, max(0, x - pad), max(0, y - pad)),
                                   "+repage", path], env=self.desk.env)
            mean = subprocess.run(["convert", path, "-format", "%[fx:mean]", "info:"], capture_output=True,
                                  text=True).stdout
            if float(mean or 0) > 0.1:
                break
        print("screenshots:", path)

    def click_tray(self):
        wid = self.tray_icon()[0]
        self.desk.key("mousemove", "--window", wid, "5", "5", "click", "1")

    def open_panel(self):
        self.click_tray()
        return self.panel()

    def close_panel(self):
        self.desk.key("key", "Escape")
        wait_for(lambda: not any(w[3] == 360 for w in self.windows()), "the panel to close", timeout=20)


def seed(desk):
    # One recado keeps its audio, for the detail's player.
    audio = os.path.join(desk.dir, "lembrete.wav")
    with open(SPEECH, "rb") as raw, wave.open(audio, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(raw.read())
    db = desk.database()
    destinos = [row[0] for row in db.execute("SELECT id FROM destino ORDER BY sort")]
    now = time.time()
    for i, (status, title) in enumerate(RECADOS):
        db.execute("INSERT INTO recado (id, created_at, duration, audio_path, transcript, title, destino_id, status) "
                   "VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
                   (str(uuid.uuid4()).upper(), now - 60 * (len(RECADOS) - i), 12 + i,
                    audio if title.startswith("Lembrete") else None, title, title,
                    destinos[i % len(destinos)] if status != "falhou" else None, status))
    db.commit()
    db.close()


SETTINGS_TABS = ["geral", "gravacao", "destinos", "conexoes"]
# Where the settings window's tab list starts and how far apart its pills
# are, in window coordinates.
SETTINGS_TAB_X, SETTINGS_TAB_Y, SETTINGS_TAB_STEP = 100, 97, 36
ONBOARDING_STEPS = ["boas-vindas", "microfone", "atalho", "conectar", "pronto"]


def settings(shots):
    """Each settings tab, opened from the tray menu's "Ajustes…"."""
    icon = shots.tray_icon()
    shots.desk.key("mousemove", "--window", icon[0], "5", "5", "click", "3")
    time.sleep(1)
    shots.desk.key("key", "Down", "Down", "Down", "Down", "Down", "Down", "Return")
    window = shots.window(lambda w: w[3] == 820)
    # A second speech model on disk, so the catalogue shows one to use or delete.
    models = os.path.join(shots.desk.env["XDG_DATA_HOME"], "Quaro", "Models")
    os.makedirs(models, exist_ok=True)
    with open(os.path.join(models, "ggml-tiny.bin"), "wb") as model:
        model.write(b"\0" * 1024)
    for i, tab in enumerate(SETTINGS_TABS):
        shots.desk.key("mousemove", "--window", window[0], str(SETTINGS_TAB_X),
                       str(SETTINGS_TAB_Y + i * SETTINGS_TAB_STEP), "click", "1")
        shots.grab("settings-" + tab, window)
        if tab == "gravacao":
            # Further down: the speech models.
            shots.desk.key("mousemove", "--window", window[0], "500", "400", "click", "--repeat", "10", "5")
            shots.grab("settings-gravacao-modelos", window)
    # The rest of Conexões: cloud mode and automatic mode.
    shots.desk.key("mousemove", "--window", window[0], "500", "400", "click", "--repeat", "10", "5")
    shots.grab("settings-conexoes-nuvem-automatico", window)
    hot_key_conflict(shots, window)


def hot_key_conflict(shots, window):
    """Geral with a combination another program holds."""
    holder = shots.desk.hold_ctrl_alt_space()
    try:
        shots.desk.key("mousemove", "--window", window[0], str(SETTINGS_TAB_X), str(SETTINGS_TAB_Y), "click", "1")
        shots.desk.key("mousemove", "--window", window[0], "660", "130", "click", "1")
        time.sleep(0.5)
        shots.desk.key("key", "Down", "Return")
        wait_for(lambda: not shots.desk.state()["hotKeyWorks"], "the conflict")
        shots.grab("settings-geral-atalho-em-uso", window)
    finally:
        holder.kill()


def onboarding():
    """The first run's five steps, on a fresh desktop that has not seen them."""
    desk = QuaroDesktop(QUARO, QUARO_MCP, language="pt-BR", onboarding_done=False)
    try:
        shots = Shots(desk)
        window = shots.window(lambda w: w[3] == 620)
        for i, step in enumerate(ONBOARDING_STEPS):
            shots.grab("onboarding-%d-%s" % (i + 1, step), window)
            if i + 1 < len(ONBOARDING_STEPS):
                desk.key("key", "--window", window[0], "Return")
    except BaseException:
        sys.stderr.write("--- quaro's log\n" + desk.app_log())
        raise
    finally:
        desk.stop()
# Where the inbox's controls are, in the window at its first size.
INBOX_FILTERS = {"pendentes": (90, 136), "pegos": (90, 168), "resolvidos": (90, 200), "todos": (90, 232),
                 "destino": (90, 359)}
INBOX_SECOND_CARD = (390, 290)
INBOX_SEARCH = (1030, 53)
INBOX_APP_MENU = (24, 12)


def inbox_shots(shots, desk):
    inbox = shots.inbox()
    for name, (x, y) in INBOX_FILTERS.items():
        shots.click(inbox, x, y)
        shots.grab("inbox-filter-" + name, inbox)
    # The hovered destino's pencil opens its editor.
    shots.click(inbox, 195, INBOX_FILTERS["destino"][1])
    shots.grab("inbox-destino-editor", inbox)
    desk.key("key", "Escape")
    shots.click(inbox, *INBOX_FILTERS["pendentes"])
    shots.click(inbox, *INBOX_SECOND_CARD)
    shots.grab("inbox-selected-card-with-audio", inbox)
    shots.click(inbox, *INBOX_SEARCH)
    desk.key("type", "--delay", "60", "metas")
    shots.grab("inbox-search", inbox)
    desk.key("key", "ctrl+a", "BackSpace")
    # Something that is not audio, handed over as a file opened with Quaro.
    note = os.path.join(desk.dir, "anotacoes.txt")
    with open(note, "w") as f:
        f.write("não é áudio")
    desk.quaro.Import([note])
    time.sleep(0.5)
    shots.grab("inbox-import-notice", inbox)
    shots.click(inbox, *INBOX_APP_MENU)
    shots.click(inbox, INBOX_APP_MENU[0] + 30, INBOX_APP_MENU[1] + 28)
    shots.grab("inbox-about", inbox)
    desk.key("key", "Escape")
    desk.key("key", "ctrl+w")
    wait_for(lambda: not any(w[3] >= 900 for w in shots.windows()), "the inbox to close", timeout=20)


def wayland():
    """A Wayland session without global shortcuts (headless sway, no tray, no
    portal): the onboarding's hint with the configuration line, and the
    widget floating on screen. Pictures by grim."""
    desk = QuaroDesktop(QUARO, QUARO_MCP, language="pt-BR", onboarding_done=False, wayland=True, portal=False)

    def grab(name, window):
        path = os.path.join(OUT, name + ".png")
        _, _, width, height, x, y = window
        subprocess.check_call(["grim", "-g", "%d,%d %dx%d" % (x, y, width, height), path], env=desk.env)
        print("screenshots: " + path)

    try:
        wait_for(lambda: desk.state()["hotKey"] == "unavailable", "no global shortcut")
        onboarding = wait_for(lambda: next((w for w in desk.sway_windows() if w[0] == "Boas-vindas ao Quaro"), None),
                              "the onboarding")
        time.sleep(1)
        grab("wayland-onboarding-1-no-shortcut", onboarding)
        subprocess.check_call(["swaymsg", '[title="Boas-vindas ao Quaro"] focus'], env=desk.env,
                              stdout=subprocess.DEVNULL)
        # The seat has a keyboard only while wtype runs: it waits for quaro
        # to take it before pressing.
        for step in ("2-microfone", "3-atalho"):
            subprocess.check_call(["wtype", "-s", "1000", "-k", "Return", "-s", "300"], env=desk.env)
            time.sleep(0.5)
            grab("wayland-onboarding-" + step, onboarding)
        desk.quaro.Toggle()
        wait_for(lambda: desk.state()["phase"] == "recording", "recording")
        widget = wait_for(lambda: next((w for w in desk.sway_windows() if w[1] and w[3] < 200), None), "the widget")
        time.sleep(1)
        grab("wayland-widget-recording", widget)
        desk.quaro.Discard()
        # Ajustes from the inbox's menu, the only way in without a tray.
        desk.quaro.Show()
        wait_for(lambda: any(w[0] == "Caixa · Quaro" for w in desk.sway_windows()), "the inbox")
        subprocess.check_call(["swaymsg", '[title="Caixa · Quaro"] focus'], env=desk.env,
                              stdout=subprocess.DEVNULL)
        subprocess.check_call(["wtype", "-s", "1000", "-M", "ctrl", "-k", "comma", "-m", "ctrl", "-s", "300"],
                              env=desk.env)
        settings_window = wait_for(lambda: next((w for w in desk.sway_windows() if w[0].startswith("Ajustes")),
                                                None), "the settings")
        time.sleep(1)
        grab("wayland-settings-geral-no-shortcut", settings_window)
        output = (None, False, 1280, 800, 0, 0)
        grab("wayland-desktop", output)
    except BaseException:
        sys.stderr.write("--- quaro's log\n" + desk.app_log())
        raise
    finally:
        desk.stop()


def glyphs():
    for scale in (1, 2):
        subprocess.check_call([GLYPH_TOOL, OUT, str(scale)], env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))


def main():
    glyphs()
    wayland()
    desk = QuaroDesktop(QUARO, QUARO_MCP, language="pt-BR")
    try:
        shots = Shots(desk)
        wait_for(lambda: desk.state()["hotKeyWorks"], "the hot key")
        shots.grab("tray-idle", shots.tray_icon(), pad=2)
        shots.grab("panel-empty", shots.open_panel())
        shots.close_panel()

        desk.quaro.Show()
        shots.grab("inbox-empty", shots.inbox())
        desk.key("key", "ctrl+w")
        wait_for(lambda: not any(w[3] >= 900 for w in shots.windows()), "the inbox to close", timeout=20)

        seed(desk)
        wait_for(lambda: len(desk.state()["recent"]) >= 3, "the seeded recados")
        shots.grab("tray-pending", shots.tray_icon(), pad=2)
        shots.grab("panel-with-recados", shots.open_panel())
        shots.close_panel()

        with open(SPEECH, "rb") as f:
            desk.microphone.say(f.read())
        desk.quaro.Toggle()
        wait_for(lambda: desk.state()["phase"] == "recording", "recording")
        time.sleep(1.5)
        shots.grab("widget-recording", shots.widget(), pad=8)
        shots.grab("tray-recording", shots.tray_icon(), pad=2)
        shots.grab("panel-recording", shots.open_panel())
        shots.close_panel()
        desk.quaro.TogglePause()
        wait_for(lambda: desk.state()["phase"] == "paused", "paused")
        shots.grab("widget-paused", shots.widget(), pad=8)
        desk.quaro.TogglePause()
        wait_for(lambda: desk.state()["phase"] == "recording", "recording again")
        desk.quaro.Toggle()
        wait_for(lambda: desk.state()["phase"] == "sent", "sent")
        shots.grab("widget-sent", shots.widget(), pad=8)
        wait_for(lambda: desk.state()["phase"] == "idle", "idle again")

        # Every microphone unplugged: the next recording cannot start.
        for module in ("module-pipe-source", "module-null-sink"):
            subprocess.call(["pactl", "unload-module", module], env=desk.env)
        time.sleep(1)
        desk.quaro.Toggle()
        wait_for(lambda: desk.state()["phase"] == "failed", "the failure")
        shots.grab("widget-failed", shots.widget(), pad=8)
        wait_for(lambda: desk.state()["phase"] == "idle", "idle after the failure")

        desk.quaro.Show()
        inbox_shots(shots, desk)

        # "Mostrar widget sempre" from the tray's context menu: the idle balloon.
        icon = shots.tray_icon()
        desk.key("mousemove", "--window", icon[0], "5", "5", "click", "3")
        time.sleep(1)
        desk.key("key", "Down", "Down", "Down", "Down", "Down", "Return")
        shots.grab("widget-idle-kept", shots.widget(), pad=8)
        settings(shots)
    except BaseException:
        sys.stderr.write("--- quaro's log\n" + desk.app_log())
        raise
    finally:
        desk.stop()
    onboarding()


if __name__ == "__main__":
    main()
