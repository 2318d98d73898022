#!/usr/bin/env python3
"""Kivo's main job under Wine (run by scripts/demo after the build): the
service installed and started through Wine's service control manager,
configured through the registry, events of a sample source appended to the
logs, and what arrives at a real snmptrapd and a syslog listener on the
loopback.

    demo.py BUILD_DIR
"""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                                "tools", "wine"))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import kivo_wine  # noqa: E402
from kivo_wine import CONFIG_KEY  # noqa: E402

EVENTS = [  # log, event id, type, insertion strings
    ("Application", 1000, "information", ["C:\\Data", "1234"]),
    ("System", 0x800007D1, "warning", ["D:", "312"]),
    ("Application", 0xC0000BBA, "error", ["Orders", "Access denied."]),
]


def say(text=""):
    print(text, flush=True)


def step(text):
    say()
    say("== " + text)


def show(output):
    for line in output.decode(errors="replace").replace("\r\n", "\n").strip().splitlines():
        say("   " + line)


def visible(text):
    """The text with its line breaks shown as \\r and \\n."""
    return text.replace("\r", "\\r").replace("\n", "\\n")


def describe(trap):
    if trap["version"] == "0":
        head = "SNMPv1 trap, community %s, enterprise %s, agent %s, generic %s, specific %s, " \
               "uptime %s" % (trap["community"], trap["enterprise"], trap["agent"],
                              trap["generic"], trap["specific"], trap["uptime"])
    else:
        head = "SNMPv2c trap, community %s, sysUpTime.0 %s, snmpTrapOID.0 %s" % (
            trap["community"], trap.get("uptime"), trap.get("trap_oid"))
    names = ["event id", "type", "source", "computer", "user", "description", "category"]
    lines = [head]
    for number, name in enumerate(names, 1):
        kind, value = trap["event"].get(str(number), ("-", "(not included)"))
        lines.append("     %s%d %-11s %s: %s" % (kivo_wine.EVENT_OID, number, name, kind,
                                               visible(value)))
    return "\n".join(lines)


def main():
    build = os.path.abspath(sys.argv[1])
    program = os.path.join(build, "kivo-evtfile.exe")
    started = time.monotonic()
    step("A fresh Wine prefix (build/mingw/demo-prefix)")
    session = kivo_wine.WineSession(os.path.join(build, "demo-prefix"))
    trapd = syslog = None
    try:
        trapd = kivo_wine.TrapReceiver()
        syslog = kivo_wine.UdpListener()
        say("   snmptrapd listening on 127.0.0.1:%d, syslog listener on 127.0.0.1:%d"
            % (trapd.port, syslog.port))

        step("The event logs: one .evt file per log, named by its \"File\" value")
        logs = kivo_wine.EventLogFiles(session, os.path.join(build, "tools", "evtutil",
                                                              "evtutil.exe"))
        logs.create_all()
        for log in kivo_wine.LOGS:
            say("   %-11s -> %s" % (log, logs.windows_file(log)))
        module = os.path.join(build, "tests", "messages", "KivoSample.dll")
        for log in ("Application", "System"):
            path = logs.register_source("KivoSample", module, log)
        say("   event source KivoSample, message module %s" % path)

        step("Configure it through the registry (%s)" % CONFIG_KEY)
        settings = {"version": 0, "destination": "127.0.0.1", "port": trapd.port,
                    "community": "public", "logging": 0}
        session.registry({CONFIG_KEY: settings,
                          CONFIG_KEY + r"\Maps\1000": {},
                          CONFIG_KEY + r"\Syslog": {"usefilters": 0},
                          CONFIG_KEY + r"\Syslog\0": {"sysloghost": "127.0.0.1",
                                                      "syslogport": syslog.port}})
        for name, value in settings.items():
            say("   %-12s %s" % (name, value))
        say("   Maps\\1000    (event 1000 gets specific trap 1000)")
        say("   Syslog\\0     127.0.0.1:%d" % syslog.port)

        step("Install and start the service (kivo-evtfile.exe -i, net start kivo)")
        show(kivo_wine.install_and_start(session, program))
        say("   state: %s" % session.service_state())

        step("Append events of KivoSample to the logs (evtutil append)")
        for log, event_id, type_, strings in EVENTS:
            logs.append(log, "KivoSample", event_id, type_, strings, sid="S-1-5-18")
            say("   %-11s id 0x%08X %-11s strings %s" % (log, event_id, type_, strings))
        say("   ... then \"version\" 1 (SNMPv2c) and one more event")
        kivo_wine.wait_for(lambda: len(trapd.traps()) >= len(EVENTS), 20)
        session.registry({CONFIG_KEY: {"version": 1}})
        logs.append("Application", "KivoSample", 1000, "information", ["E:\\Mail", "77"],
                    sid="S-1-5-18")
        kivo_wine.wait_for(lambda: len(trapd.traps()) > len(EVENTS)
                           and len(syslog.messages()) > len(EVENTS), 20)

        step("Traps decoded by snmptrapd")
        for trap in trapd.traps():
            say("   " + describe(trap))
        step("Syslog datagrams received")
        for message in syslog.messages():
            say("   " + visible(message.decode("latin-1")))

        step("Stop and remove the service (net stop kivo, kivo-evtfile.exe -u)")
        show(kivo_wine.stop_and_uninstall(session, program))
        say("   state: %s" % (session.service_state() or "no such service"))
        received = (len(trapd.traps()), len(syslog.messages()))
    finally:
        for peer in (trapd, syslog):
            if peer:
                peer.close()
        session.close()
    say()
    say("%d traps and %d syslog messages for %d events, in %.0f s"
        % (received[0], received[1], len(EVENTS) + 1, time.monotonic() - started))
    return 0 if received == (len(EVENTS) + 1, len(EVENTS) + 1) else 1


if __name__ == "__main__":
    sys.exit(main())
