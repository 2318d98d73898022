#!/usr/bin/env python3
"""SNMPv3 and informs end to end: kivo-evtfile.exe under Wine's service
manager, in a Wine prefix of its own, with net-snmp's snmptrapd as the
receiver. The passphrases go in with `kivo -p` (DPAPI under Wine); the
engine ID that the service makes at its first SNMPv3 trap is read back
from the store and given to snmptrapd (createUser -e).

- SNMPv2c and SNMPv3 informs are answered, and no retry is sent;
- SNMPv3 traps at authPriv with SHA-256 and AES, authNoPriv with SHA-1 and
  authPriv with SHA-512 carry every field of the event;
- a receiver with another passphrase logs nothing;
- engineBoots goes up across a restart, and snmptrapd keeps accepting;
- with "resume" and "burst" on, snmptrapd stopped for 10 s in a flood of
  500 informs: every record is logged once it is back, at most one twice.

    snmpv3_e2e.py BUILD_DIR PREFIX
"""

import os
import re
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__)))), "tools", "wine"))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import kivo_wine  # noqa: E402
from kivo_wine import CONFIG_KEY  # noqa: E402

SOURCE = "KivoSample"
COMPUTER = "KIVO-V3"
COMMUNITY = "kivo-e2e"
# name, level, auth, priv, auth passphrase, priv passphrase
USERS = {
    "kivo256": (2, "SHA-256", "AES", "kivo-256-auth-pass", "kivo-256-priv-pass"),
    "kivo1": (1, "SHA", "AES", "kivo-1-auth-pass", "kivo-1-priv-pass"),
    "kivo512": (2, "SHA-512", "AES", "kivo-512-auth-pass", "kivo-512-priv-pass"),
    "kivowrong": (2, "SHA-256", "AES", "kivo-sends-this-one", "kivo-sends-this-too"),
}
RECEIVERS_WRONG_PASSPHRASE = "the-receivers-own-one"
FLOOD = 500


class Run:
    def __init__(self, session, build, trapd):
        self.session, self.trapd = session, trapd
        self.program = os.path.join(build, "kivo-evtfile.exe")
        self.logs = kivo_wine.EventLogFiles(session, os.path.join(build, "tools", "evtutil",
                                                                  "evtutil.exe"))
        self.logs.create_all()
        self.logs.register_source(SOURCE, os.path.join(build, "tests", "messages",
                                                       "KivoSample.dll"))

    def store(self, values):
        self.session.registry({CONFIG_KEY: values})

    def passphrase(self, name, text):
        done = self.session.run([self.program, "-p", name], check=False, input=text + b"\r\n")
        return done.returncode, done.stdout.decode(errors="replace").strip()

    def use(self, user):
        level, auth, priv, auth_pass, priv_pass = USERS[user]
        self.store({"version": 3, "v3user": user, "v3level": level, "v3auth": auth,
                    "v3priv": priv})
        for name, text in (("v3authpass", auth_pass), ("v3privpass", priv_pass)):
            code, out = self.passphrase(name, text.encode())
            if code != 0:
                raise RuntimeError("kivo -p %s: %s" % (name, out))

    def send(self, tag):
        self.logs.append(source=SOURCE, strings=(tag, "42"), sid="S-1-5-18", computer=COMPUTER,
                         category=7)

    def arrived(self, tag, seconds=15):
        return self.trapd.wait_for(lambda t: description(t) == description_of(tag), seconds)

    def trace(self):
        path = self.session.drive_c("windows", "EventLogTrace.txt")
        if not os.path.exists(path):
            return ""
        with open(path, errors="replace") as f:
            return f.read()

    def kept(self, name):
        value = self.session.query(CONFIG_KEY, name)
        return value[1].replace(" ", "").lower() if value else None


def description_of(tag):
    return "Backup of %s finished: 42 files copied.\r\n" % tag


def description(trap):
    return trap["event"].get("6", (None, None))[1]


def main():
    build, prefix = sys.argv[1], sys.argv[2]
    check = kivo_wine.Checks()
    session = kivo_wine.WineSession(prefix)
    trapd = None
    try:
        trapd = kivo_wine.TrapReceiver(config_lines=["authCommunity log %s" % COMMUNITY])
        run = Run(session, build, trapd)
        run.store({"version": 1, "inform": 1, "destination": "127.0.0.1", "port": trapd.port,
                   "community": COMMUNITY, "logging": 1})
        passphrases(check, run)
        kivo_wine.install_and_start(session, run.program)
        engine = informs_and_traps(check, run)
        restart(check, run, engine)
        flood(check, run)
        trace = run.trace()
        check.that(not any(p[3] in trace or p[4] in trace for p in USERS.values()),
                   "no passphrase in the trace")
        kivo_wine.stop_and_uninstall(session, run.program)
    finally:
        if trapd:
            trapd.close()
        session.close()
    return check.verdict()


def passphrases(check, run):
    """kivo -p refuses a short passphrase and stores a DPAPI blob, never the
    clear text, and prints neither."""
    check.equal("kivo -p with 7 characters", (1, "The passphrase is shorter than 8 characters; "
                                                 "v3authpass is unchanged."),
                run.passphrase("v3authpass", b"seven77"))
    run.use("kivo256")
    run.store({"version": 1})  # SNMPv2c first
    stored = run.session.query(CONFIG_KEY + r"\Secrets", "v3authpass")
    clear = USERS["kivo256"][3].encode().hex()
    check.that(stored and stored[0] == "REG_BINARY" and clear not in stored[1].lower(),
               "kivo -p stored the passphrase as a blob, not in clear")


def informs_and_traps(check, run):
    """The SNMPv2c inform, the engine the service makes at its first SNMPv3
    trap, the three kinds of trap and a wrong passphrase. Returns the
    engine ID."""
    run.send("v2c-inform")
    inform = run.arrived("v2c-inform")
    check.that(inform and inform["version"] == "1" and inform["security"].startswith("INFORM")
               and "inform acknowledged, 1 datagrams sent" in run.trace(),
               "SNMPv2c inform answered at the first try")

    # snmptrapd knows no SNMPv3 user yet: this trap only makes the engine.
    run.store({"version": 3, "inform": 0})
    run.send("makes-the-engine")
    engine = kivo_wine.wait_for(lambda: run.kept("engineID"), 15)
    check.that(engine and re.match(r"^8000149d05[0-9a-f]{16}$", engine)
               and run.kept("engineBoots") == "0x1",
               "engine ID made at the first SNMPv3 trap: %s, engineBoots 1" % engine)
    lines = ["authCommunity log %s" % COMMUNITY]
    for user, (level, auth, priv, auth_pass, priv_pass) in USERS.items():
        if user == "kivowrong":
            auth_pass = priv_pass = RECEIVERS_WRONG_PASSPHRASE
        lines.append("createUser -e 0x%s %s %s %s %s %s" % (engine, user, auth, auth_pass, priv,
                                                              priv_pass))
        lines.append("authUser log %s %s" % (user, "priv" if level == 2 else "auth"))
    # The informs' user, for snmptrapd's own engine.
    lines.append("createUser kivo256 SHA-256 %s AES %s" % USERS["kivo256"][3:5])
    run.trapd.stop()
    run.trapd.start(lines)

    for user in ("kivo256", "kivo1", "kivo512"):
        run.use(user)
        run.send("v3-" + user)
        trap = run.arrived("v3-" + user)
        if trap is None:
            check.fail("no SNMPv3 trap of %s" % user)
            continue
        header = (trap["version"], trap["security"].split(",")[0], trap["community"],
                  [(n, k) for n, k, _ in trap["bindings"][:2]], trap["bindings"][1][2].lstrip("."))
        check.equal("%s: trap header" % user,
                    ("3", "TRAP2", user, [(kivo_wine.SYS_UP_TIME, "Timeticks"),
                                         (kivo_wine.SNMP_TRAP_OID, "OID")],
                     kivo_wine.DEFAULT_ENTERPRISE + ".0.1"), header)
        kinds = ["INTEGER", "INTEGER", "STRING", "STRING", "STRING", "STRING", "INTEGER"]
        values = ["1000", "3", SOURCE, COMPUTER, "SYSTEM", description_of("v3-" + user), "7"]
        check.equal("%s: event bindings" % user,
                    {str(i + 1): kv for i, kv in enumerate(zip(kinds, values))}, trap["event"])
        check.ok("SNMPv3 trap of %s (%s/%s, level %d): every field as sent"
                 % (user, USERS[user][1], USERS[user][2], USERS[user][0]))

    run.use("kivowrong")
    run.send("v3-kivowrong")
    check.that(kivo_wine.wait_for(lambda: "Authentication failed for kivowrong"
                                  in run.trapd.output(), 15)
               and run.arrived("v3-kivowrong", 2) is None,
               "a receiver with another passphrase refuses the trap and logs nothing")
    return engine


def restart(check, run, engine):
    """engineBoots up by one, the engine ID kept, the traps accepted; then
    SNMPv3 informs, discovered once and answered at the first try."""
    run.use("kivo256")
    check.that(run.session.net("stop", "STOPPED") and run.session.net("start", "RUNNING"),
               "service restarted")
    run.send("restarted")
    check.that(run.arrived("restarted") and run.kept("engineBoots") == "0x2"
               and run.kept("engineID") == engine,
               "after a restart engineBoots is 2, the engine ID the same, the trap accepted")
    run.store({"inform": 1})
    for tag in ("v3-inform-1", "v3-inform-2"):
        run.send(tag)
        inform = run.arrived(tag)
        check.that(inform and inform["version"] == "3" and inform["security"].startswith("INFORM"),
                   "SNMPv3 inform %s logged" % tag)
    sent = re.findall(r"inform acknowledged, (\d+) datagrams sent", run.trace())
    if check.equal("datagrams of the SNMPv3 informs (probe, time, inform; then the inform alone)",
                   ["3", "1"], sent[-2:]):
        check.ok("SNMPv3 informs answered: the receiver discovered once, no retry sent")


def flood(check, run):
    """500 informs; snmptrapd away for 10 s in the middle."""
    run.store({"resume": 1, "burst": 1, "logging": 0})
    run.session.net("stop", "STOPPED")
    run.session.net("start", "RUNNING")
    writer = run.logs.append(source=SOURCE, strings=("flood-{n}", "42"), repeat=FLOOD,
                             number_from=1, every=20, wait=False)
    check.that(kivo_wine.wait_for(lambda: len(numbers(run.trapd)) >= 50, 30),
               "the flood arrives")
    run.trapd.stop()
    away_at = len(numbers(run.trapd))
    time.sleep(10)
    check.that(run.trapd.start(), "snmptrapd back after 10 s, %d records logged before"
               % away_at)
    kivo_wine.wait_for(lambda: len(set(numbers(run.trapd))) >= FLOOD, 90, 0.5)
    writer.wait()
    logged = numbers(run.trapd)
    if check.equal("records logged (each of 1..%d, at most one twice)" % FLOOD,
                   (list(range(1, FLOOD + 1)), True),
                   (sorted(set(logged)), len(logged) - len(set(logged)) <= 1)):
        check.ok("all %d records logged, %d twice" % (FLOOD, len(logged) - len(set(logged))))


def numbers(trapd):
    return [int(m.group(1)) for m in (re.search(r"^Backup of flood-(\d+) ", description(t) or "")
                                      for t in trapd.traps()) if m]


if __name__ == "__main__":
    sys.exit(main())
