#!/usr/bin/env python3
"""The service end to end under Wine's service control manager, in a fresh
Wine prefix of its own.

kivo.exe, as administrators deploy it: the command line's exact output,
install, the message table, start, user control codes, stop, removal and a
start from a console.

kivo-evtfile.exe (the same program reading .evt files, since Wine keeps no
event log): events appended to the logs arrive as traps at snmptrapd and as
syslog datagrams at a UDP listener, every field checked; settings switched
in the registry while it runs take effect with the next event; it survives a
cleared log, an oversized record, an unreachable trap destination, a deleted
"Syslog" key and tracing switched on and off.

    service_e2e.py BUILD_DIR PREFIX
"""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import kivo_wine  # noqa: E402
from kivo_wine import CONFIG_KEY, EVENTLOG_KEY, SERVICES_KEY, DEFAULT_ENTERPRISE  # noqa: E402

SOURCE = "KivoSample"
COMMUNITY = "kivo-e2e"
COMPUTER = "KIVO-E2E"
WAIT = 10  # seconds an event may take to arrive (it takes about one second)


class Run:
    def __init__(self, build):
        self.build = build
        self.failures = 0
        self.started = time.monotonic()
        self.serial = 0

    def fail(self, text):
        self.failures += 1
        print("FAIL: " + text, flush=True)

    def ok(self, text):
        print("ok %6.1fs: %s" % (time.monotonic() - self.started, text), flush=True)

    def equal(self, what, expected, actual):
        if expected != actual:
            self.fail("%s: expected %r, got %r" % (what, expected, actual))
            return False
        return True


def main():
    build, prefix = sys.argv[1], sys.argv[2]
    run = Run(build)
    deployed = os.path.join(build, "kivo.exe")
    program = os.path.join(build, "kivo-evtfile.exe")
    probe = os.path.join(build, "tests", "service", "service-probe.exe")
    session = kivo_wine.WineSession(prefix)
    trapd = syslog = None
    try:
        run.ok("fresh prefix ready")
        trapd = kivo_wine.TrapReceiver()
        syslog = kivo_wine.UdpListener()
        logs = kivo_wine.EventLogFiles(session, os.path.join(build, "tools", "evtutil",
                                                              "evtutil.exe"))
        logs.create_all()
        logs.register_source(SOURCE, os.path.join(build, "tests", "messages", "KivoSample.dll"))
        session.registry({
            CONFIG_KEY: {"version": 0, "destination": "127.0.0.1", "port": trapd.port,
                         "community": COMMUNITY, "logging": 0},
            CONFIG_KEY + r"\Filters": {}, CONFIG_KEY + r"\Maps": {},
            CONFIG_KEY + r"\Syslog": {"usefilters": 0},
            CONFIG_KEY + r"\Syslog\0": {"sysloghost": "127.0.0.1", "syslogport": syslog.port},
            SERVICES_KEY + r"\kivo\Parameters": {"Start": 41, "Inc": 0}})
        run.ok("logs, sample source, trap receiver on port %d, syslog listener on port %d"
               % (trapd.port, syslog.port))
        deployed_program(run, session, deployed, probe)
        command_line(run, session, program, before_start=True)
        if not net(run, session, "start", "RUNNING", "kivo-evtfile.exe"):
            return 1
        check = Checks(run, session, logs, trapd, syslog, probe)
        check.fields_of_both_trap_versions()
        check.settings_switched_while_running()
        check.controls()
        check.robustness()
        net(run, session, "stop", "STOPPED", "kivo-evtfile.exe")
        command_line(run, session, program, before_start=False)
    finally:
        for peer in (trapd, syslog):
            if peer:
                peer.close()
        session.close()
    if run.failures:
        print("%d check(s) failed" % run.failures)
        return 1
    print("all checks passed in %.1f s" % (time.monotonic() - run.started))
    return 0


MESSAGES = {
    100: "The kivo service was installed.",
    101: "The kivo service was removed.",
    102: "The kivo service could not be removed.",
    103: "The control handler could not be installed.",
    104: "The initialization process failed.",
    105: "The service was started.",
    106: "The service received an unsupported request.",
    108: "The service was stopped.",
}


def net(run, session, verb, state, label):
    """net start or net stop, then waits for the state. Wine's net stop
    returns once the stop is sent; the service then stays stop pending until
    its loop notices the stop."""
    start = time.monotonic()
    session.run(["net", verb, "kivo"])
    if session.wait_for_state(state):
        run.ok("%s %s %.1f s after net %s" % (label, state, time.monotonic() - start, verb))
        return True
    run.fail("%s: state after net %s is %s" % (label, verb, session.service_state()))
    return False


def deployed_program(run, session, program, probe):
    """kivo.exe under the service manager: it reads Wine's (empty) event log."""
    command_line(run, session, program, before_start=True)
    run.equal("start type", ("REG_DWORD", "0x2"), session.query(SERVICES_KEY + r"\kivo", "Start"))
    source_key = EVENTLOG_KEY + r"\Application\kivo"
    run.equal("TypesSupported", ("REG_DWORD", "0x7"), session.query(source_key, "TypesSupported"))
    # The message table: language 1033, every text ended by CR LF.
    windows = session.windows_path(program)
    for number, text in MESSAGES.items():
        out = session.run([probe, "message", windows, str(number), "kivo"], check=False).stdout
        run.equal("message %d" % number, (text + "\r\n").encode(), out)
    run.ok("message table: %d texts" % len(MESSAGES))

    net(run, session, "start", "RUNNING", "kivo.exe")
    out = session.run([probe, "control", "kivo", "128"], check=False).stdout
    run.equal("control 128 answer", b"state 4", out.strip())
    if run.equal("Current after control 128", ("REG_DWORD", "0x29"),
                 session.query(SERVICES_KEY + r"\kivo\Status", "Current")):
        run.ok("user control 128 wrote \"Current\" 41")
    out = session.run([probe, "control", "kivo", "129"], check=False).stdout
    if run.equal("control 129 answer", b"state 4", out.strip()) and \
            run.equal("state after control 129", "RUNNING", session.service_state()):
        run.ok("unsupported control 129 answered, still running")
    net(run, session, "stop", "STOPPED", "kivo.exe")
    command_line(run, session, program, before_start=False)

    # From a console, without arguments: the dispatcher refuses a process the
    # manager did not start, and the program ends with code 0, printing
    # nothing. (Wine's dispatcher first tries the control pipe of the service
    # started last; that is kivo, stopped, so it refuses at once.)
    start = time.monotonic()
    done = session.run([program], check=False)
    took = time.monotonic() - start
    if run.equal("kivo without arguments: exit code", 0, done.returncode) and \
            run.equal("kivo without arguments: output", b"", done.stdout + done.stderr) and \
            (took < 5 or run.fail("kivo without arguments took %.1f s" % took)):
        run.ok("kivo without arguments ended with 0, no output, after %.1f s" % took)


def command_line(run, session, program, before_start):
    """The exact output of -v, -i, -i again, -v; or, after the stop, of -u,
    -u again, -v and the event source key that -u leaves."""
    if before_start:
        steps = [("-v", "kivo, version 3.9\nThe service has not been installed.\n"),
                 ("-i", "kivo successfully installed.\n"),
                 ("-I", "kivo has already been installed.\n"),
                 ("-v", "kivo, version 3.9\nThe service has been installed.\n")]
    else:
        steps = [("-u", "kivo successfully uninstalled.\n"),
                 ("-U", "kivo has not been installed\n"),
                 ("-v", "kivo, version 3.9\nThe service has not been installed.\n")]
    for switch, text in steps:
        done = session.run([program, switch], check=False)
        if run.equal("kivo %s output" % switch, text.replace("\n", "\r\n").encode(), done.stdout) \
                and run.equal("kivo %s exit code" % switch, 0, done.returncode):
            run.ok("%s %s -> %s" % (os.path.basename(program), switch,
                                    text.strip().replace("\n", " | ")))
    windows = session.windows_path(program)
    if before_start:
        run.equal("ImagePath", ("REG_SZ", '"%s"' % windows),
                  session.query(SERVICES_KEY + r"\kivo", "ImagePath"))
    run.equal("EventMessageFile of the service's own source", ("REG_EXPAND_SZ", windows),
              session.query(EVENTLOG_KEY + r"\Application\kivo", "EventMessageFile"))


class Checks:
    def __init__(self, run, session, logs, trapd, syslog, probe):
        self.run, self.session, self.logs = run, session, logs
        self.trapd, self.syslog, self.probe = trapd, syslog, probe

    # Sending one event and finding what it became.
    def event(self, message=1000, type_="information", source=SOURCE, extra=()):
        """Appends an event whose first insertion string is a fresh marker;
        returns the marker."""
        self.run.serial += 1
        marker = "e2e-%d" % self.run.serial
        self.logs.append(source=source, event_id=message, type_=type_,
                         strings=(marker,) + tuple(extra), sid="S-1-5-18", computer=COMPUTER,
                         category=7)
        return marker

    def trap_of(self, marker, seconds=WAIT):
        return self.trapd.wait_for(lambda t: any(marker + " " in v or v.endswith(marker)
                                                 for _, v in t["event"].values()), seconds)

    def syslog_of(self, marker, seconds=WAIT):
        return self.syslog.wait_for(lambda m: (marker + " ").encode() in m
                                    or m.endswith(marker.encode()), seconds)

    def expect_trap(self, marker, what):
        trap = self.trap_of(marker)
        if trap is None:
            self.run.fail("%s: no trap for %s" % (what, marker))
        return trap

    def expect_syslog(self, marker, what):
        message = self.syslog_of(marker)
        if message is None:
            self.run.fail("%s: no syslog message for %s" % (what, marker))
        return message

    def expect_neither(self, marker, what, trap=True, syslog=True):
        """For an event sent before one that has already arrived: events
        are handled in order, so what has not come for it never will."""
        if trap and self.trap_of(marker, 0):
            self.run.fail("%s: a trap came for %s" % (what, marker))
        if syslog and self.syslog_of(marker, 0):
            self.run.fail("%s: a syslog message came for %s" % (what, marker))

    def configure(self, values, key=CONFIG_KEY):
        self.session.registry({key: values})

    # The checks.
    def fields_of_both_trap_versions(self):
        run = self.run
        marker = self.event(1000, extra=('42 \\ "quoted"',))
        trap = self.expect_trap(marker, "SNMPv1")
        description = 'Backup of %s finished: 42 \\ "quoted" files copied.\r\n' % marker
        if trap:
            run.equal("v1 version", "0", trap["version"])
            run.equal("v1 community", COMMUNITY, trap["community"])
            run.equal("v1 enterprise", DEFAULT_ENTERPRISE, trap["enterprise"])
            run.equal("v1 generic", "6", trap["generic"])
            run.equal("v1 specific (unmapped)", "1", trap["specific"])
            if not trap["agent"] or trap["agent"].count(".") != 3:
                run.fail("v1 agent address %r" % trap["agent"])
            check_uptime(run, "v1 time stamp", trap["uptime"])
            self.event_bindings("v1", trap, ["1000", "3", SOURCE, COMPUTER, "SYSTEM",
                                             description, "7"])
            run.ok("SNMPv1 trap: every field as sent (agent %s, uptime %s)"
                   % (trap["agent"], trap["uptime"]))
        message = self.expect_syslog(marker, "syslog")
        if message is not None:
            run.equal("syslog datagram", ("<29>%s: SYSTEM: %s" % (SOURCE, description)).encode(),
                      message)
            run.ok("syslog datagram: %r" % message)

        self.configure({"version": 1})
        marker = self.event(0x800007D1, type_="warning", extra=("512",))
        trap = self.expect_trap(marker, "SNMPv2c")
        description = "Disk %s is almost full: 512 MB free.\r\n" % marker
        if trap:
            run.equal("v2c version", "1", trap["version"])
            run.equal("v2c community", COMMUNITY, trap["community"])
            names = [(name, kind) for name, kind, _ in trap["bindings"][:2]]
            run.equal("v2c header bindings", [(kivo_wine.SYS_UP_TIME, "Timeticks"),
                                              (kivo_wine.SNMP_TRAP_OID, "OID")], names)
            check_uptime(run, "v2c sysUpTime.0", trap.get("uptime", ""))
            run.equal("v2c snmpTrapOID.0", DEFAULT_ENTERPRISE + ".0.1", trap.get("trap_oid"))
            self.event_bindings("v2c", trap, ["2001", "2", SOURCE, COMPUTER, "SYSTEM",
                                              description, "7"])
            run.ok("SNMPv2c trap after \"version\" 1: header and event bindings as sent")
        message = self.expect_syslog(marker, "syslog of a warning")
        if message is not None:
            run.equal("syslog of a warning",
                      ("<28>%s: SYSTEM: %s" % (SOURCE, description)).encode(), message)

    def event_bindings(self, label, trap, values):
        kinds = ["INTEGER", "INTEGER", "STRING", "STRING", "STRING", "STRING", "INTEGER"]
        expected = {str(i + 1): (kind, value) for i, (kind, value) in enumerate(zip(kinds, values))}
        self.run.equal(label + " event bindings", expected, trap["event"])
        names = [name for name, _, _ in trap["bindings"] if name.startswith(kivo_wine.EVENT_OID)]
        self.run.equal(label + " binding order", [kivo_wine.EVENT_OID + str(i) for i in range(1, 8)],
                       names)

    def settings_switched_while_running(self):
        run = self.run
        # senderOID, in both versions.
        self.configure({"senderOID": "1.3.6.1.4.1.9999.7"})
        trap = self.expect_trap(self.event(), "senderOID in v2c")
        if trap and run.equal("v2c snmpTrapOID.0 with senderOID", "1.3.6.1.4.1.9999.7.0.1",
                              trap.get("trap_oid")):
            run.ok("\"senderOID\" changes snmpTrapOID.0 with the next event")
        self.configure({"version": 0})
        trap = self.expect_trap(self.event(), "back to v1")
        if trap and run.equal("v1 version", "0", trap["version"]) and \
                run.equal("v1 enterprise with senderOID", "1.3.6.1.4.1.9999.7", trap["enterprise"]):
            run.ok("\"version\" 0 and \"senderOID\": SNMPv1 trap with that enterprise")
        self.configure({"senderOID": ""})

        # The trap-type map.
        self.session.registry({CONFIG_KEY + r"\Maps\1000": {}})
        trap = self.expect_trap(self.event(1000), "mapped")
        if trap and run.equal("specific of a mapped event", "1000", trap["specific"]):
            run.ok("map entry 1000: specific trap 1000")
        self.session.registry({CONFIG_KEY + r"\Maps\1000": None})
        trap = self.expect_trap(self.event(1000), "unmapped again")
        if trap and run.equal("specific once unmapped", "1", trap["specific"]):
            run.ok("map entry removed: specific trap 1")

        # Filters, with syslog forwarding everything and then only what passed.
        self.session.registry({CONFIG_KEY + r"\Filters\0": {
            "filterOn": "EventSource", "filterType": "Exclude", "filterList": "KivoSkip"}})
        skipped = self.event(source="KivoSkip")
        passed = self.event()
        if self.expect_trap(passed, "after an excluded event"):
            self.expect_neither(skipped, "Exclude filter", syslog=False)
            message = self.expect_syslog(skipped, "usefilters 0")
            # A source without a message file: the insertion strings as they are.
            if message is not None:
                run.equal("syslog of an excluded event",
                          ("<29>KivoSkip: SYSTEM: %s" % skipped).encode(), message)
            run.ok("Exclude filter: no trap, syslog still sent (\"usefilters\" 0)")
        self.configure({"usefilters": 1}, CONFIG_KEY + r"\Syslog")
        skipped = self.event(source="KivoSkip")
        passed = self.event()
        if self.expect_trap(passed, "usefilters 1") and self.expect_syslog(passed, "usefilters 1"):
            self.expect_neither(skipped, "usefilters 1")
            run.ok("\"usefilters\" 1: the excluded event goes nowhere")
        self.session.registry({CONFIG_KEY + r"\Filters\0": {
            "filterOn": "EventId", "filterType": "Include", "filterList": "2001"}})
        rejected = self.event(1000)
        included = self.event(0x800007D1, type_="warning")
        if self.expect_trap(included, "Include filter"):
            self.expect_neither(rejected, "Include filter")
            run.ok("Include filter on EventId 2001: 1000 rejected, 2001 passes")
        self.session.registry({CONFIG_KEY + r"\Filters\0": None})
        self.configure({"usefilters": 0}, CONFIG_KEY + r"\Syslog")
        marker = self.event()
        if self.expect_trap(marker, "filters removed") and self.expect_syslog(marker, "filters"):
            run.ok("filters removed: events pass again")

        # Line breaks stripped from the text bindings.
        self.configure({"stripCRLF": 1})
        marker = self.event(0xC0000BBA, type_="error", extra=("disk full",))
        trap = self.expect_trap(marker, "stripCRLF")
        stripped = "The database %s could not be opened:  disk full  " % marker
        if trap and run.equal("stripped description", ("STRING", stripped), trap["event"].get("6")):
            message = self.expect_syslog(marker, "stripCRLF")
            run.equal("syslog of a stripped error", ("<27>%s: SYSTEM: %s" % (SOURCE, stripped))
                      .encode(), message)
            run.ok("\"stripCRLF\" 1: line breaks become spaces in trap and syslog")
        self.configure({"stripCRLF": 0})

        self.tracing_switched(rounds=3)

    def trace_file(self):
        """The service's trace file: it lies in the service's current
        directory, which under Wine's service manager is C:\\windows."""
        return self.session.drive_c("windows", "EventLogTrace.txt")

    def trace_text(self):
        try:
            with open(self.trace_file(), "rb") as f:
                return f.read().decode("latin-1")
        except OSError:
            return ""

    def tracing_switched(self, rounds):
        run = self.run
        for _ in range(rounds):
            self.configure({"logging": 1})
            marker = self.event()
            if self.expect_trap(marker, "logging on"):
                text = self.trace_text()
                if "Desc:<Backup of %s finished" % marker not in text or \
                        "EventID:1000\r\n" not in text:
                    run.fail("logging 1: no event block for %s in %s" % (marker, self.trace_file()))
            self.configure({"logging": 0})
            marker = self.event()
            if self.expect_trap(marker, "logging off"):
                size = len(self.trace_text())
                after = self.event()
                if self.expect_trap(after, "logging off") and (
                        marker in self.trace_text() or len(self.trace_text()) != size):
                    run.fail("logging 0: the trace file still grows")
        run.ok("\"logging\" switched on and off %d times: the trace follows with the next event"
               % rounds)

    def controls(self):
        run = self.run
        out = self.session.run([self.probe, "control", "kivo", "129"], check=False).stdout
        run.equal("control 129 answer", b"state 4", out.strip())
        marker = self.event()
        if self.expect_trap(marker, "after control 129") and \
                run.equal("state after control 129", "RUNNING", self.session.service_state()):
            run.ok("unsupported control 129 answered; still running and forwarding")

    def robustness(self):
        run = self.run
        # A log cleared while the service reads it: the reader re-opens it at
        # its new end, so what is written before it notices is not forwarded.
        self.logs.clear()
        arrived = None
        for _ in range(3):
            marker = self.event()
            if self.trap_of(marker, 4):
                arrived = marker
                break
        if arrived:
            run.ok("log cleared while running: event %s arrives" % arrived)
        else:
            run.fail("no event arrives after the log was cleared")

        big = self.event(extra=("x" * 9000,))
        marker = self.event()
        if self.expect_trap(marker, "after a 9000-byte record"):
            self.expect_neither(big, "9000-byte record")
            run.ok("record of over 9000 bytes skipped, the next one arrives")

        self.configure({"port": kivo_wine.free_udp_port()})
        lost = self.event()
        if self.expect_syslog(lost, "trap destination unreachable"):
            self.configure({"port": self.trapd.port})
            marker = self.event()
            if self.expect_trap(marker, "trap destination back"):
                run.ok("trap destination unreachable: syslog still sent, next trap arrives")

        self.session.registry({CONFIG_KEY + r"\Syslog": None})
        marker = self.event()
        if self.expect_trap(marker, "Syslog key deleted"):
            run.ok("\"Syslog\" key deleted: traps go on")
        self.session.registry({
            CONFIG_KEY + r"\Syslog": {"usefilters": 0},
            CONFIG_KEY + r"\Syslog\0": {"sysloghost": "127.0.0.1", "syslogport": self.syslog.port}})
        marker = self.event()
        if self.expect_syslog(marker, "Syslog key back"):
            run.ok("\"Syslog\" key restored: syslog goes on")


def check_uptime(run, what, text):
    """The uptime in hundredths of a second: the machine's, as Wine gives it."""
    try:
        ticks = int(text)
    except ValueError:
        run.fail("%s: %r" % (what, text))
        return
    with open("/proc/uptime") as f:
        machine = float(f.read().split()[0]) * 100
    if not 0 < ticks <= machine + 100:
        run.fail("%s %d, machine uptime %d" % (what, ticks, machine))


if __name__ == "__main__":
    sys.exit(main())
