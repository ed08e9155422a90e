#!/usr/bin/python3
"""A stand-in xdg-desktop-portal offering only GlobalShortcuts, for tests.

Owns org.freedesktop.portal.Desktop on the session bus and answers
CreateSession and BindShortcuts through Request objects and their Response
signals, as the real portal does. A control interface on the same object:

  app.quaro.test.Portal.Activate(s shortcut_id)   -> emits Activated for every open session
  app.quaro.test.Portal.ActivateIn(o session, s id) -> emits Activated for that session
  app.quaro.test.Portal.Decline(b)                 -> BindShortcuts grants nothing while true
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

    def _answer(self, sender, token, results):
        path = "/org/freedesktop/portal/desktop/request/%s/%s" % (sender_part(sender), token)
        request = Request(self.bus, path)

        def respond():
            request.Response(dbus.UInt32(0), dbus.Dictionary(results, signature="sv"))
            request.remove_from_connection()
            return False

        GLib.idle_add(respond)
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
        granted = [] if self.decline else [
            dbus.Struct((e["id"], dbus.Dictionary({"trigger_description": e["preferred_trigger"]}, signature="sv")))
            for e in entries]
        return self._answer(sender, options["handle_token"],
                            {"shortcuts": dbus.Array(granted, signature="(sa{sv})")})

    @dbus.service.signal(SHORTCUTS, signature="osta{sv}")
    def Activated(self, session, shortcut, timestamp, options):
        pass

    @dbus.service.method(CONTROL, in_signature="os", out_signature="")
    def ActivateIn(self, session, shortcut):
        self.Activated(session, shortcut, dbus.UInt64(0), dbus.Dictionary({}, signature="sv"))

    @dbus.service.method(CONTROL, in_signature="s", out_signature="")
    def Activate(self, shortcut):
        for session in list(self.sessions):
            self.ActivateIn(dbus.ObjectPath(session), shortcut)

    @dbus.service.method(CONTROL, in_signature="b", out_signature="")
    def Decline(self, decline):
        self.decline = bool(decline)

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
