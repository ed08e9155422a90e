#!/usr/bin/python3
"""A stand-in xdg-desktop-portal offering only GlobalShortcuts, for tests.

Owns org.freedesktop.portal.Desktop on the session bus and answers
CreateSession, BindShortcuts and ListShortcuts through Request objects and
their Response signals, as xdg-desktop-portal 1.16 does: code 0 with the
results, 1 when the user cancelled the dialog, 2 for any other refusal. A
press is Activated then Deactivated. A control interface on the same object:

  app.quaro.test.Portal.Activate(s shortcut_id)   -> a press in every open session
  app.quaro.test.Portal.ActivateIn(o session, s id) -> a press in that session
  app.quaro.test.Portal.Decline(b)                 -> BindShortcuts grants nothing while true
  app.quaro.test.Portal.Answer(u code)             -> the Response code of the next binds (0, 1, 2)
  app.quaro.test.Portal.Delay(u ms)                -> BindShortcuts answers that much later
  app.quaro.test.Portal.BindAs(s trigger)          -> the user picks this trigger in the dialog ("" = the preferred one)
  app.quaro.test.Portal.Log() -> s                 the calls so far, a JSON array

Prints "ready" on standard output once the name is owned.
"""
import json

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

NAME = "org.freedesktop.portal.Desktop"
PATH = "/org/freedesktop/portal/desktop"
SHORTCUTS = "org.freedesktop.portal.GlobalShortcuts"
CONTROL = "app.quaro.test.Portal"


def sender_part(sender):
    return str(sender)[1:].replace(".", "_")


class Request(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, code, results):
        pass


class Session(dbus.service.Object):
    def __init__(self, bus, path, portal):
        super().__init__(bus, path)
        self.path = path
        self.portal = portal

    @dbus.service.method("org.freedesktop.portal.Session", in_signature="", out_signature="")
    def Close(self):
        self.portal.log.append({"call": "Close", "session": self.path})
        self.portal.sessions.pop(self.path, None)
        self.remove_from_connection()


class Portal(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, PATH)
        self.bus = bus
        self.sessions = {}
        self.log = []
        self.decline = False
        self.code = 0
        self.delay_ms = 0
        self.bind_as = ""
        self.bound = {}

    def _answer(self, sender, token, results, code=0, delay_ms=0):
        path = "/org/freedesktop/portal/desktop/request/%s/%s" % (sender_part(sender), token)
        request = Request(self.bus, path)

        def respond():
            if delay_ms:
                self.log.append({"call": "LateResponse"})
            request.Response(dbus.UInt32(code), dbus.Dictionary(results if code == 0 else {}, signature="sv"))
            request.remove_from_connection()
            return False

        GLib.timeout_add(delay_ms, respond) if delay_ms else GLib.idle_add(respond)
        return dbus.ObjectPath(path)

    @dbus.service.method("org.freedesktop.DBus.Properties", in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if interface == SHORTCUTS and name == "version":
            return dbus.UInt32(1)
        raise dbus.exceptions.DBusException("no such property", name="org.freedesktop.DBus.Error.UnknownProperty")

    @dbus.service.method(SHORTCUTS, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, options, sender=None):
        session = "/org/freedesktop/portal/desktop/session/%s/%s" % (sender_part(sender), options["session_handle_token"])
        self.sessions[session] = Session(self.bus, session, self)
        self.log.append({"call": "CreateSession", "session": session})
        return self._answer(sender, options["handle_token"], {"session_handle": dbus.ObjectPath(session)})

    @dbus.service.method(SHORTCUTS, in_signature="oa(sa{sv})sa{sv}", out_signature="o", sender_keyword="sender")
    def BindShortcuts(self, session, shortcuts, parent, options, sender=None):
        entries = [{"id": str(i), "description": str(p.get("description", "")),
                    "preferred_trigger": str(p.get("preferred_trigger", ""))} for i, p in shortcuts]
        self.log.append({"call": "BindShortcuts", "session": str(session), "shortcuts": entries})
        granted = [] if self.decline or self.code else [
            dbus.Struct((e["id"], dbus.Dictionary({"description": e["description"],
                                                   "trigger_description": self.bind_as or e["preferred_trigger"]},
                                                  signature="sv")))
            for e in entries]
        self.bound[str(session)] = granted
        return self._answer(sender, options["handle_token"], {"shortcuts": dbus.Array(granted, signature="(sa{sv})")},
                            self.code, self.delay_ms)

    @dbus.service.method(SHORTCUTS, in_signature="oa{sv}", out_signature="o", sender_keyword="sender")
    def ListShortcuts(self, session, options, sender=None):
        self.log.append({"call": "ListShortcuts", "session": str(session)})
        shortcuts = self.bound.get(str(session), [])
        return self._answer(sender, options["handle_token"], {"shortcuts": dbus.Array(shortcuts, signature="(sa{sv})")})

    @dbus.service.signal(SHORTCUTS, signature="osta{sv}")
    def Activated(self, session, shortcut, timestamp, options):
        pass

    @dbus.service.signal(SHORTCUTS, signature="osta{sv}")
    def Deactivated(self, session, shortcut, timestamp, options):
        pass

    @dbus.service.method(CONTROL, in_signature="os", out_signature="")
    def ActivateIn(self, session, shortcut):
        self.Activated(session, shortcut, dbus.UInt64(0), dbus.Dictionary({}, signature="sv"))
        self.Deactivated(session, shortcut, dbus.UInt64(0), dbus.Dictionary({}, signature="sv"))

    @dbus.service.method(CONTROL, in_signature="s", out_signature="")
    def Activate(self, shortcut):
        for session in list(self.sessions):
            self.ActivateIn(dbus.ObjectPath(session), shortcut)

    @dbus.service.method(CONTROL, in_signature="b", out_signature="")
    def Decline(self, decline):
        self.decline = bool(decline)

    @dbus.service.method(CONTROL, in_signature="u", out_signature="")
    def Answer(self, code):
        self.code = int(code)

    @dbus.service.method(CONTROL, in_signature="u", out_signature="")
    def Delay(self, ms):
        self.delay_ms = int(ms)

    @dbus.service.method(CONTROL, in_signature="s", out_signature="")
    def BindAs(self, trigger):
        self.bind_as = str(trigger)

    @dbus.service.method(CONTROL, in_signature="", out_signature="s")
    def Log(self):
        return json.dumps(self.log)


def main():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = dbus.service.BusName(NAME, bus, do_not_queue=True)
    portal = Portal(bus)
    print("ready", flush=True)
    GLib.MainLoop().run()
    del name, portal


if __name__ == "__main__":
    main()
