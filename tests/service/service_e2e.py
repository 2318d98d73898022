#!/usr/bin/env python3
"""The service end to end under Wine's service control manager, in a fresh
Wine prefix of its own: what only the deployed program can show.

kivo.exe, as administrators deploy it: the command line's exact output,
install, the message table, start, user control code 128, stop and removal.
Then kivo-evtfile.exe (the same program reading .evt
files, since Wine keeps no event log) forwards one event, which arrives at
snmptrapd as a trap and at a UDP listener as a syslog datagram.

    service_e2e.py BUILD_DIR PREFIX
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__)))), "tools", "wine"))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import kivo_wine  # noqa: E402
from kivo_wine import CONFIG_KEY, EVENTLOG_KEY, SERVICES_KEY  # noqa: E402

SOURCE = "KivoSample"
COMPUTER = "KIVO-E2E"
MESSAGES = {
    100: "The kivo service was installed.",
    101: "The kivo service was removed.",
    102: "The kivo service could not be removed.",
    103: "The control handler could not be installed.",
    104: "The initialization process failed.",
    105: "The service was started.",
    106: "The service received an unsupported request.",
    108: "The service was stopped.",
    109: "Events cannot be sent to the trap destination x: error 1",
    110: "Events are sent to the trap destination x again.",
    111: "The Security event log cannot be read: error 6",
    112: "The Security event log is read again.",
}
# The inserts of the messages that take others than the service's name.
INSERTS = {109: ["the trap destination x", "error 1"], 110: ["the trap destination x"],
           111: ["Security", "error 6"], 112: ["Security"]}
NOT_INSTALLED = "kivo, version 3.9\nThe service has not been installed.\n"
INSTALL = [("-v", NOT_INSTALLED), ("-i", "kivo successfully installed.\n"),
           ("-I", "kivo has already been installed.\n"),
           ("-v", "kivo, version 3.9\nThe service has been installed.\n")]
UNINSTALL = [("-u", "kivo successfully uninstalled.\n"), ("-U", "kivo has not been installed\n"),
             ("-v", NOT_INSTALLED)]


def main():
    build, prefix = sys.argv[1], sys.argv[2]
    check = kivo_wine.Checks()
    session = kivo_wine.WineSession(prefix)
    trapd = syslog = None
    try:
        trapd = kivo_wine.TrapReceiver()
        syslog = kivo_wine.UdpListener()
        logs = kivo_wine.EventLogFiles(session, os.path.join(build, "tools", "evtutil",
                                                              "evtutil.exe"))
        logs.create_all()
        logs.register_source(SOURCE, os.path.join(build, "tests", "messages", "KivoSample.dll"))
        session.registry({
            CONFIG_KEY: {"version": 0, "destination": "127.0.0.1", "port": trapd.port,
                         "community": "kivo-e2e", "logging": 0},
            CONFIG_KEY + r"\Filters": {}, CONFIG_KEY + r"\Maps": {},
            CONFIG_KEY + r"\Syslog": {"usefilters": 0},
            CONFIG_KEY + r"\Syslog\0": {"sysloghost": "127.0.0.1", "syslogport": syslog.port},
            SERVICES_KEY + r"\kivo\Parameters": {"Start": 41, "Inc": 0}})
        check.ok("fresh prefix, logs, snmptrapd on port %d, syslog listener on port %d"
                 % (trapd.port, syslog.port))
        deployed = os.path.join(build, "kivo.exe")
        deployed_program(check, session, deployed,
                         os.path.join(build, "tests", "service", "service-probe.exe"))
        forwarding(check, session, os.path.join(build, "kivo-evtfile.exe"), logs, trapd, syslog)
    finally:
        for peer in (trapd, syslog):
            if peer:
                peer.close()
        session.close()
    return check.verdict()


def command_line(check, session, program, steps):
    """Each switch's exact output (CR LF line ends on the console)."""
    for switch, text in steps:
        done = session.run([program, switch], check=False)
        if check.equal("kivo %s output" % switch, text.replace("\n", "\r\n").encode(),
                       done.stdout) and check.equal("kivo %s exit code" % switch, 0,
                                                    done.returncode):
            check.ok("%s %s -> %s" % (os.path.basename(program), switch,
                                      text.strip().replace("\n", " | ")))


def net(check, session, verb, state):
    """net start or net stop, then waits for the state. Wine's net stop
    returns once the stop is sent; the service stays stop pending until its
    loop notices."""
    session.run(["net", verb, "kivo"])
    if session.wait_for_state(state):
        check.ok("net %s kivo: %s" % (verb, state))
    else:
        check.fail("state after net %s is %s" % (verb, session.service_state()))


def deployed_program(check, session, program, probe):
    """kivo.exe under the service manager (it reads Wine's empty event log)."""
    command_line(check, session, program, INSTALL)
    windows = session.windows_path(program)
    service_key, source_key = SERVICES_KEY + r"\kivo", EVENTLOG_KEY + r"\Application\kivo"
    check.equal("ImagePath", ("REG_SZ", '"%s"' % windows), session.query(service_key, "ImagePath"))
    check.equal("start type", ("REG_DWORD", "0x2"), session.query(service_key, "Start"))
    check.equal("EventMessageFile", ("REG_EXPAND_SZ", windows),
                session.query(source_key, "EventMessageFile"))
    check.equal("TypesSupported", ("REG_DWORD", "0x7"), session.query(source_key, "TypesSupported"))
    # The message table: language 1033, every text ended by CR LF.
    for number, text in MESSAGES.items():
        out = session.run([probe, "message", windows, str(number)] + INSERTS.get(number, ["kivo"]),
                          check=False).stdout
        check.equal("message %d" % number, (text + "\r\n").encode(), out)
    check.ok("service registered; message table of %d texts" % len(MESSAGES))

    net(check, session, "start", "RUNNING")
    out = session.run([probe, "control", "kivo", "128"], check=False).stdout
    if check.equal("control 128 answer", b"state 4", out.strip()) and check.equal(
            "Current after control 128", ("REG_DWORD", "0x29"),
            session.query(service_key + r"\Status", "Current")):
        check.ok("user control 128 wrote \"Current\" 41")
    net(check, session, "stop", "STOPPED")
    command_line(check, session, program, UNINSTALL)
    check.equal("event source after -u", ("REG_EXPAND_SZ", windows),
                session.query(source_key, "EventMessageFile"))


def forwarding(check, session, program, logs, trapd, syslog):
    """One event through the installed kivo-evtfile.exe to both peers."""
    kivo_wine.install_and_start(session, program)
    logs.append(source=SOURCE, strings=("e2e", "42"), sid="S-1-5-18", computer=COMPUTER,
                category=7)
    description = "Backup of e2e finished: 42 files copied.\r\n"
    trap = trapd.wait_for(lambda t: True, 10)
    if trap is None:
        check.fail("no trap arrived")
    else:
        check.equal("trap header", ("0", "kivo-e2e", kivo_wine.DEFAULT_ENTERPRISE, "6", "1"),
                    tuple(trap[f] for f in ("version", "community", "enterprise", "generic",
                                            "specific")))
        kinds = ["INTEGER", "INTEGER", "STRING", "STRING", "STRING", "STRING", "INTEGER"]
        values = ["1000", "3", SOURCE, COMPUTER, "SYSTEM", description, "7"]
        check.equal("event bindings", {str(i + 1): kv for i, kv in enumerate(zip(kinds, values))},
                    trap["event"])
        check.ok("SNMPv1 trap at snmptrapd, every field as sent (agent %s)" % trap["agent"])
    message = syslog.wait_for(lambda m: True, 10)
    if check.equal("syslog datagram", ("<29>%s: SYSTEM: %s" % (SOURCE, description)).encode(),
                   message):
        check.ok("syslog datagram: %r" % message)
    check.equal("-u after net stop", b"kivo successfully uninstalled.\r\n",
                kivo_wine.stop_and_uninstall(session, program))


if __name__ == "__main__":
    sys.exit(main())
