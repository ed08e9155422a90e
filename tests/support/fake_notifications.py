#!/usr/bin/python3
"""A stand-in org.freedesktop.Notifications server for tests.

Owns the name on the session bus and answers Notify (the only call Quaro
makes) with increasing ids.
A control interface on the same object lets a test play the user:

  app.quaro.test.Notifications.InvokeAction(u id, s action)  -> emits ActionInvoked
  app.quaro.test.Notifications.Close(u id, u reason)         -> emits NotificationClosed
  app.quaro.test.Notifications.Calls() -> s                   the Notify calls so far, a JSON array

Prints "ready" on standard output once the name is owned.
"""
import json

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

NAME = "org.freedesktop.Notifications"
PATH = "/org/freedesktop/Notifications"
CONTROL = "app.quaro.test.Notifications"


class Server(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, PATH)
        self.calls = []
        self.next_id = 1

    @dbus.service.method(NAME, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout):
        nid = int(replaces_id) or self.next_id
        self.next_id = max(self.next_id, nid) + 1
        # D-Bus values are subclasses of Python's own: JSON takes them as they are.
        call = {"id": nid, "app_name": app_name, "replaces_id": int(replaces_id), "app_icon": app_icon,
                "summary": summary, "body": body, "actions": actions, "hints": hints,
                "expire_timeout": int(expire_timeout)}
        self.calls.append(call)
        return dbus.UInt32(nid)

    @dbus.service.signal(NAME, signature="us")
    def ActionInvoked(self, nid, action):
        pass

    @dbus.service.signal(NAME, signature="uu")
    def NotificationClosed(self, nid, reason):
        pass

    @dbus.service.method(CONTROL, in_signature="us", out_signature="")
    def InvokeAction(self, nid, action):
        self.ActionInvoked(nid, action)

    @dbus.service.method(CONTROL, in_signature="uu", out_signature="")
    def Close(self, nid, reason):
        self.NotificationClosed(nid, reason)

    @dbus.service.method(CONTROL, in_signature="", out_signature="s")
    def Calls(self):
        return json.dumps(self.calls, ensure_ascii=False)


def main():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = dbus.service.BusName(NAME, bus, do_not_queue=True)
    server = Server(bus)
    print("ready", flush=True)
    GLib.MainLoop().run()
    del name, server


if __name__ == "__main__":
    main()
