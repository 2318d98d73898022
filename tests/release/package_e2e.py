#!/usr/bin/env python3
"""The MSI package end to end under Wine's msiexec, in a fresh prefix: a
plain install, an install that refuses a bad property, an install with
properties on a machine without a store, a major upgrade from a lower
version, and uninstalls; the service, the store, the event source and the
shortcut after each.

    package_e2e.py PACKAGE PREFIX
"""

import glob
import os
import re
import subprocess
import sys

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(REPO, "tools", "wine"))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
from kivo_wine import CONFIG_KEY, EVENTLOG_KEY, SERVICES_KEY, Checks, WineSession, wait_for  # noqa

INSTALLED = r"C:\Program Files\Kivo"
DEFAULTS = {"version": ("REG_DWORD", "0x0"), "port": ("REG_DWORD", "0xa2"),
            "destination": ("REG_SZ", "192.1.1.1"), "community": ("REG_SZ", "public")}


def main():
    package, prefix = os.path.abspath(sys.argv[1]), sys.argv[2]
    checks = Checks()
    session = WineSession(prefix)
    # No desktop entries in the user's home for the Start-menu shortcut.
    session.env["WINEDLLOVERRIDES"] += ";winemenubuilder.exe=d"
    try:
        older = os.path.join(session.work, "kivo-0.9.0-x64.msi")
        subprocess.run([os.path.join(REPO, "packaging", "make-msi"), "0.9.0",
                        os.path.dirname(package), older], check=True)
        Package(checks, session, package, older).run()
    finally:
        session.close()
    return checks.verdict()


class Package:
    def __init__(self, checks, session, package, older):
        self.checks, self.session = checks, session
        self.package, self.older = session.windows_path(package), session.windows_path(older)

    def msiexec(self, *args):
        return self.session.run(["msiexec"] + list(args) + ["/qn"], check=False).returncode

    def store(self):
        """The whole store as `reg query /s` lists it."""
        return self.session.run(["reg", "query", CONFIG_KEY, "/s"], check=False).stdout

    def value(self, name, key=""):
        return self.session.query(CONFIG_KEY + key, name)

    def run(self):
        checks, session = self.checks, self.session
        if checks.equal("plain install", 0, self.msiexec("/i", self.package)):
            self.installed("plain install")
            checks.equal("default store", DEFAULTS, {name: self.value(name) for name in DEFAULTS})
            checks.equal("keys Filters, Maps, Syslog", [True, True, False],
                         [session.key_exists(CONFIG_KEY + "\\" + key)
                          for key in ("Filters", "Maps", "Syslog")])
            checks.ok("plain install: service running, the default store, source, shortcut")
        self.uninstall()

        before = self.store()
        log = os.path.join(session.work, "refused.log")
        code = self.msiexec("/i", self.package, "TRAPPORT=70000", "/l*v", session.windows_path(log))
        with open(log, "rb") as f:
            text = f.read()
        # Windows Installer ends with 1603; Wine's msiexec with 67.
        if checks.equal("bad TRAPPORT refused", True, code in (1603, 67)) and \
                checks.equal("the reason in the log", True, b"Kivo: TRAPPORT must be a port number "
                             b"from 1 to 65535, not \"70000\"" in text.replace(b"\0", b"")) and \
                checks.equal("nothing installed", None, session.service_state()) and \
                checks.equal("store untouched", before, self.store()):
            checks.ok("TRAPPORT=70000: the install stops with the reason before it changes anything")

        session.registry({CONFIG_KEY: None})
        if checks.equal("install with properties", 0, self.msiexec(
                "/i", self.older, "TRAPDESTINATION=127.0.0.1", "SYSLOGHOST=loghost.example")):
            self.installed("older package")
            expected = dict(DEFAULTS, destination=("REG_SZ", "127.0.0.1"))
            checks.equal("store after properties", expected,
                         {name: self.value(name) for name in DEFAULTS})
            checks.equal("syslog destination", [("REG_DWORD", "0x0"), ("REG_SZ", "loghost.example"),
                                                ("REG_DWORD", "0x202")],
                         [self.value("usefilters", r"\Syslog"),
                          self.value("sysloghost", r"\Syslog\0"),
                          self.value("syslogport", r"\Syslog\0")])
            checks.ok("TRAPDESTINATION, SYSLOGHOST on a machine without a store: "
                      "the default store with them in it")

        before = self.store()
        if checks.equal("upgrade", 0, self.msiexec("/i", self.package)):
            self.installed("upgrade")
            checks.equal("store after upgrade", before, self.store())
            products = session.run(["reg", "query", r"HKLM\Software\Microsoft\Windows"
                                    r"\CurrentVersion\Uninstall", "/s"], check=False).stdout
            version = os.path.basename(self.package).split("-")[1].encode()
            checks.equal("installed versions", [version],
                         re.findall(rb"DisplayVersion\s+REG_SZ\s+(\S+)", products))
            checks.ok("upgrade from 0.9.0: store unchanged, service running again, one version")
        self.uninstall()

    def installed(self, what):
        checks, session = self.checks, self.session
        program = INSTALLED + r"\kivo.exe"
        checks.equal(what + ": state", True, session.wait_for_state("RUNNING"))
        # The service writes its own start-up values once running.
        checks.equal(what + ": service's start-up values", True,
                     bool(wait_for(lambda: self.value("stripCRLF"), 10)))
        service = SERVICES_KEY + r"\kivo"
        checks.equal(what + ": service", [("REG_DWORD", "0x2"), ("REG_SZ", "LocalSystem"),
                                          ("REG_SZ", '"%s"' % program)],
                     [session.query(service, "Start"), session.query(service, "ObjectName"),
                      session.query(service, "ImagePath")])
        source = EVENTLOG_KEY + r"\Application\kivo"
        checks.equal(what + ": event source", [("REG_EXPAND_SZ", program), ("REG_DWORD", "0x7")],
                     [session.query(source, "EventMessageFile"),
                      session.query(source, "TypesSupported")])
        # Wine puts the all-users Start menu of a per-machine install in the
        # user's profile; look in both.
        menu = ("Microsoft", "Windows", "Start Menu", "Programs", "Kivo Configuration.lnk")
        links = glob.glob(session.drive_c("*", "*", "AppData", "Roaming", *menu)) + glob.glob(
            session.drive_c("ProgramData", *menu))
        target = open(links[0], "rb").read() if links else b""
        checks.equal(what + ": shortcut to kivocfg.exe", True,
                     b"kivocfg.exe" in target or "kivocfg.exe".encode("utf-16-le") in target)

    def uninstall(self):
        checks, session = self.checks, self.session
        before = self.store()
        if checks.equal("uninstall", 0, self.msiexec("/x", self.package)) and \
                checks.equal("service after uninstall", None, session.service_state()) and \
                checks.equal("Program Files\\Kivo after uninstall", False,
                             os.path.exists(session.drive_c("Program Files", "Kivo"))) and \
                checks.equal("store after uninstall", before, self.store()):
            checks.ok("uninstall: service and Program Files\\Kivo gone, store kept")


if __name__ == "__main__":
    sys.exit(main())
