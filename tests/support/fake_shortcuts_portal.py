#!/usr/bin/env python3
"""A stand-in for the desktop's GlobalShortcuts portal, on the session bus
that DBUS_SESSION_BUS_ADDRESS names (a private one in the tests).

It answers as the desktop's portal does: the interface's version property,
CreateSession and BindShortcuts answered through the Response signal of a
Request object at the path the caller predicts, Close on the session. On
SIGUSR1 it emits Activated for every shortcut bound, as if the user had
pressed its trigger. What it does is printed, one line each, for the test:

    ready
    bound SESSION ID PREFERRED_TRIGGER
    activated SESSION ID
    closed SESSION

    fake_shortcuts_portal.py [--version N | --without-interface]
"""

import signal
import sys
import time

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

SERVICE = "org.freedesktop.portal.Desktop"
PATH = "/org/freedesktop/portal/desktop"
SHORTCUTS = "org.freedesktop.portal.GlobalShortcuts"
REQUEST = "org.freedesktop.portal.Request"
SESSION = "org.freedesktop.portal.Session"


def say(line):
    print(line, flush=True)


class Request(dbus.service.Object):
    @dbus.service.signal(REQUEST, signature="ua{sv}")
    def Response(self, response, results):
        pass

    @dbus.service.method(REQUEST)
    def Close(self):
        self.remove_from_connection()


class Session(dbus.service.Object):
    def __init__(self, bus, path, portal):
        super().__init__(bus, path)
        self.path = path
        self.portal = portal

    @dbus.service.method(SESSION)
    def Close(self):
        self.portal.sessions.pop(self.path, None)
        say("closed " + self.path)
        self.remove_from_connection()


class Portal(dbus.service.Object):
    def __init__(self, bus, version):
        super().__init__(bus, PATH)
        self.bus = bus
        self.version = version  # None: no GlobalShortcuts interface at all
        self.sessions = {}  # session path -> ids bound in it

    def answer(self, sender, token, results):
        """A Request object at the path the caller predicted, its Response
        sent once the method has returned."""
        path = "%s/request/%s/%s" % (PATH, sender[1:].replace(".", "_"), token)
        request = Request(self.bus, path)

        def respond():
            request.Response(dbus.UInt32(0), dbus.Dictionary(results, signature="sv"))
            return False

        GLib.timeout_add(20, respond)
        return dbus.ObjectPath(path)

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if interface == SHORTCUTS and name == "version" and self.version is not None:
            return dbus.UInt32(self.version)
        raise dbus.exceptions.DBusException(
            "no property %s.%s" % (interface, name),
            name="org.freedesktop.DBus.Error.UnknownProperty")

    @dbus.service.method(SHORTCUTS, in_signature="a{sv}", out_signature="o",
                         sender_keyword="sender")
    def CreateSession(self, options, sender=None):
        self.refuse_without_interface()
        session = "%s/session/%s/%s" % (PATH, sender[1:].replace(".", "_"),
                                        options["session_handle_token"])
        Session(self.bus, session, self)
        self.sessions[session] = []
        # The desktop's portal gives the handle as a string.
        return self.answer(sender, options["handle_token"],
                           {"session_handle": dbus.String(session)})

    @dbus.service.method(SHORTCUTS, in_signature="oa(sa{sv})sa{sv}", out_signature="o",
                         sender_keyword="sender")
    def BindShortcuts(self, session, shortcuts, parent_window, options, sender=None):
        self.refuse_without_interface()
        if str(session) not in self.sessions:
            raise dbus.exceptions.DBusException("no such session",
                                                name="org.freedesktop.DBus.Error.InvalidArgs")
        bound = []
        for shortcut_id, properties in shortcuts:
            trigger = str(properties.get("preferred_trigger", ""))
            self.sessions[str(session)].append(str(shortcut_id))
            say("bound %s %s %s" % (session, shortcut_id, trigger))
            bound.append(dbus.Struct((shortcut_id, dbus.Dictionary(
                {"description": properties.get("description", ""),
                 "trigger_description": trigger}, signature="sv")), signature="sa{sv}"))
        return self.answer(sender, options["handle_token"],
                           {"shortcuts": dbus.Array(bound, signature="(sa{sv})")})

    @dbus.service.signal(SHORTCUTS, signature="osta{sv}")
    def Activated(self, session, shortcut_id, timestamp, options):
        pass

    def refuse_without_interface(self):
        if self.version is None:
            raise dbus.exceptions.DBusException(
                "no such interface", name="org.freedesktop.DBus.Error.UnknownMethod")

    def press(self):
        for session, ids in list(self.sessions.items()):
            for shortcut_id in ids:
                self.Activated(dbus.ObjectPath(session), shortcut_id,
                               dbus.UInt64(int(time.monotonic() * 1000)),
                               dbus.Dictionary({}, signature="sv"))
                say("activated %s %s" % (session, shortcut_id))
        return True


def main(argv):
    version = 1
    if "--without-interface" in argv:
        version = None
    elif "--version" in argv:
        version = int(argv[argv.index("--version") + 1])
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    portal = Portal(bus, version)
    name = dbus.service.BusName(SERVICE, bus, do_not_queue=True)
    loop = GLib.MainLoop()
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGUSR1, portal.press)
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGTERM, loop.quit)
    say("ready")
    loop.run()
    del name


if __name__ == "__main__":
    main(sys.argv[1:])
