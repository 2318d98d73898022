#!/usr/bin/env python3
"""The MSI package end to end under Wine's msiexec, in a fresh prefix: a
plain install, an install that refuses a bad property, an install with
properties on a machine without a store, a major upgrade from a lower
version, uninstalls, and installs that fail after the store write; the
service, the store, the event source, the shortcut and the install log
after each.

    package_e2e.py PACKAGE PREFIX
"""

import glob
import os
import re
import shutil
import subprocess
import sys

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(REPO, "tools", "wine"))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
from kivo_wine import CONFIG_KEY, EVENTLOG_KEY, SERVICES_KEY, Checks, WineSession, wait_for  # noqa

INSTALLED = r"C:\Program Files\Kivo"
SECRET = "Kivo-e2e-secret-7Qx"  # a community that no install log may show
PASSPHRASES = ("Kivo-e2e-auth-Jq4", "Kivo-e2e-priv-Wz8")  # SNMPv3's, as hidden
POSITIONS = CONFIG_KEY + r"\Positions"
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
        # A copy that fails after the store write: a deferred command that
        # ends with 1, sequenced right after WriteStoreSettings.
        failing = os.path.join(session.work, "failing.msi")
        shutil.copy(package, failing)
        for sql in ["INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES "
                    "('FailAfterStoreWrite', 3106, 'TARGETDIR', 'cmd.exe /c exit 1')",
                    "INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES "
                    "('FailAfterStoreWrite', 5004)"]:
            subprocess.run(["msibuild", failing, "-q", sql], check=True)
        Package(checks, session, package, older, failing).run()
    finally:
        session.close()
    return checks.verdict()


class Package:
    def __init__(self, checks, session, package, older, failing):
        self.checks, self.session = checks, session
        self.package, self.older, self.failing = (session.windows_path(path)
                                                  for path in (package, older, failing))

    def msiexec(self, *args):
        return self.session.run(["msiexec"] + list(args) + ["/qn"], check=False).returncode

    def logged_msiexec(self, name, *args):
        """msiexec with a verbose log: its exit code and the log's text."""
        log = os.path.join(self.session.work, name + ".log")
        code = self.msiexec(*args, "/l*v", self.session.windows_path(log))
        with open(log, "rb") as f:
            return code, f.read().replace(b"\0", b"")

    def store(self):
        """The store as `reg query /s` lists it, but for the service's own
        Positions key, which changes while the service runs."""
        lines = self.session.run(["reg", "query", CONFIG_KEY, "/s"], check=False).stdout.splitlines()
        kept, inside = [], False
        for line in lines:
            if line.startswith(b"HKEY_"):
                inside = line.strip() == POSITIONS.encode()
            if not inside:
                kept.append(line)
        return b"\n".join(kept)

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
        # The value given goes into the message as it is, never formatted.
        code, text = self.logged_msiexec("refused", "/i", self.package, "TRAPPORT=[COMMUNITY]",
                                         "COMMUNITY=" + SECRET, "V3AUTHPASS=" + PASSPHRASES[0])
        # Windows Installer ends with 1603; Wine's msiexec with 67.
        if checks.equal("bad TRAPPORT refused", True, code in (1603, 67)) and \
                checks.equal("the reason in the log", True, b"Kivo: TRAPPORT must be a port number "
                             b"from 1 to 65535, not \"[COMMUNITY]\"" in text) and \
                checks.equal("secrets in the log", False, any(
                    secret.encode() in text for secret in (SECRET,) + PASSPHRASES)) and \
                checks.equal("nothing installed", None, session.service_state()) and \
                checks.equal("store untouched", before, self.store()):
            checks.ok("TRAPPORT=[COMMUNITY]: the install stops with the reason, as given, before it "
                      "changes anything; the community and passphrase are not in the log")

        session.registry({CONFIG_KEY: None})
        code, text = self.logged_msiexec(
            "properties", "/i", self.older, "TRAPDESTINATION=127.0.0.1", "COMMUNITY=" + SECRET,
            "SYSLOGHOST=loghost.example", "SYSLOGPROTOCOL=TLS", "SYSLOGCA=C:\\ca.pem", "BURST=1",
            "RESUME=1", "SNMPVERSION=3", "INFORM=1", "V3USER=kivo", "V3LEVEL=2", "V3AUTH=SHA-256",
            "V3PRIV=AES", "V3AUTHPASS=" + PASSPHRASES[0], "V3PRIVPASS=" + PASSPHRASES[1])
        if checks.equal("install with properties", 0, code):
            self.installed("older package")
            checks.equal("secrets in the log", False,
                         any(secret.encode() in text for secret in (SECRET,) + PASSPHRASES))
            expected = dict(DEFAULTS, destination=("REG_SZ", "127.0.0.1"),
                            community=("REG_SZ", SECRET), burst=("REG_DWORD", "0x1"),
                            resume=("REG_DWORD", "0x1"), version=("REG_DWORD", "0x3"),
                            inform=("REG_DWORD", "0x1"), v3user=("REG_SZ", "kivo"),
                            v3level=("REG_DWORD", "0x2"), v3auth=("REG_SZ", "SHA-256"),
                            v3priv=("REG_SZ", "AES"))
            checks.equal("store after properties", expected,
                         {name: self.value(name) for name in expected})
            blobs = [self.value(name, r"\Secrets") for name in ("v3authpass", "v3privpass")]
            checks.equal("passphrases stored as blobs, not in clear", [True, True], [
                bool(blob) and blob[0] == "REG_BINARY"
                and clear.encode().hex() not in blob[1].lower()
                for blob, clear in zip(blobs, PASSPHRASES)])
            checks.equal("syslog destination", [("REG_DWORD", "0x0"), ("REG_SZ", "loghost.example"),
                                                ("REG_DWORD", "0x1972"), ("REG_SZ", "tls"),
                                                ("REG_SZ", "C:\\ca.pem"), None],
                         [self.value("usefilters", r"\Syslog")] +
                         [self.value(name, r"\Syslog\0") for name in (
                             "sysloghost", "syslogport", "protocol", "tlsca", "format")])
            checks.ok("TRAPDESTINATION, COMMUNITY, SYSLOGHOST, SYSLOGPROTOCOL, SYSLOGCA, BURST, "
                      "RESUME, SNMPVERSION=3, INFORM, the SNMPv3 user and its passphrases on a "
                      "machine without a store: the default store with them in it (TLS on port "
                      "6514), the passphrases as DPAPI blobs; no secret in the log")

        # The service's positions, which the upgrade must keep ("resume" is
        # on: a start without it forgets them).
        session.run(["reg", "add", POSITIONS, "/v", "Security", "/t", "REG_BINARY",
                     "/d", "0102030405060708", "/f"])
        before = self.store()
        if checks.equal("upgrade", 0, self.msiexec("/i", self.package)):
            self.installed("upgrade")
            checks.equal("store after upgrade", before, self.store())
            checks.equal("positions after upgrade", ("REG_BINARY", "0102030405060708"),
                         session.query(POSITIONS, "Security"))
            products = session.run(["reg", "query", r"HKLM\Software\Microsoft\Windows"
                                    r"\CurrentVersion\Uninstall", "/s"], check=False).stdout
            version = os.path.basename(self.package).split("-")[1].encode()
            checks.equal("installed versions", [version],
                         re.findall(rb"DisplayVersion\s+REG_SZ\s+(\S+)", products))
            checks.ok("upgrade from 0.9.0: store and positions unchanged, service running again, "
                      "one version")
        self.uninstall()

        session.registry({CONFIG_KEY: {"resume": None}})  # a value the install adds
        before = self.store()
        if checks.equal("failed install on a store", True, self.msiexec(
                "/i", self.failing, "COMMUNITY=other", "RESUME=1", "SYSLOGHOST=other",
                "SYSLOGPROTOCOL=tcp") != 0) and \
                checks.equal("store after the failed install", before, self.store()):
            checks.ok("an install that fails after the store write leaves the store as it was")
        session.registry({CONFIG_KEY: None})
        if checks.equal("failed install without a store", True,
                        self.msiexec("/i", self.failing, "COMMUNITY=other") != 0) and \
                checks.equal("store after it", False, session.key_exists(CONFIG_KEY)):
            checks.ok("an install that fails after the store write removes the store it created")

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
