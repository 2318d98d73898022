#!/usr/bin/env python3
"""Real-peer test: net-snmp's snmptrapd decodes the traps that our library
builds and sends, and every decoded field is checked.

    snmptrapd_peer_test.py SENDER [ARG...]

SENDER (with its arguments, for example scripts/wine-run kivo_forwarding_driver.exe)
is run with a port appended; it sends two SNMPv1 and two SNMPv2c traps to
127.0.0.1 on that port and prints "agent A.B.C.D" first. snmptrapd runs in
the foreground on 127.0.0.1 on a free unprivileged port found at run time,
with authorization disabled and numeric output, and is stopped afterwards.
"""

import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__)))), "tools", "wine"))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import kivo_wine  # noqa: E402

ENTERPRISE = "1.3.6.1.4.1.5309.6.1.2.1"
COMMUNITY = "kivo-peer"
EVENT_ID = 7036
# -105900 as the service's 32-bit count: 2^32 - 105900 hundredths.
TICKS = 4294861396
SYS_UP_TIME = kivo_wine.SYS_UP_TIME
SNMP_TRAP_OID = kivo_wine.SNMP_TRAP_OID


def description():
    text = "Description start."
    while len(text) < 8000:
        text += " The service entered the running state 0123456789."
    return text[:8000]


# As parsed: names without their leading dot, strings without their quotes.
EVENT_BINDINGS = [
    (kivo_wine.EVENT_OID + "1", "INTEGER", str(EVENT_ID)),
    (kivo_wine.EVENT_OID + "2", "INTEGER", "3"),
    (kivo_wine.EVENT_OID + "3", "STRING", "Service Control Manager"),
    (kivo_wine.EVENT_OID + "4", "STRING", "KIVO-HOST"),
    (kivo_wine.EVENT_OID + "5", "STRING", "SYSTEM"),
    (kivo_wine.EVENT_OID + "6", "STRING", description()),
    (kivo_wine.EVENT_OID + "7", "INTEGER", "5"),
]


def check_trap(check, trap, agent):
    v1 = trap["version"] == "0"
    label = "v1" if v1 else "v2c"
    check.equal(label + " community", COMMUNITY, trap["community"])
    check.equal(label + " security", "SNMP v1" if v1 else "SNMP v2c",
                re.sub(r"^TRAP2?, (SNMP v\w+),.*$", r"\1", trap["security"]))
    bindings = trap["bindings"]
    if v1:
        specific = trap["specific"]
        label += " specific " + specific
        check.equal(label + " enterprise", ENTERPRISE, trap["enterprise"])
        check.equal(label + " agent address", agent, trap["agent"])
        check.equal(label + " generic trap", "6", trap["generic"])
        check.equal(label + " time stamp", str(TICKS), trap["uptime"])
        event_bindings = bindings
    else:
        if len(bindings) < 2:
            check.fail(label + ": no header bindings")
            return None
        up_name, up_type, up_value = bindings[0]
        check.equal(label + " binding 1 name", SYS_UP_TIME, up_name)
        check.equal(label + " binding 1 type", "Timeticks", up_type)
        check.equal(label + " sysUpTime.0", "(%d)" % TICKS, up_value.split(" ")[0])
        trap_name, trap_type, trap_value = bindings[1]
        trap_value = trap_value.lstrip(".")
        check.equal(label + " binding 2 name", SNMP_TRAP_OID, trap_name)
        check.equal(label + " binding 2 type", "OID", trap_type)
        prefix = ENTERPRISE + ".0."
        specific = trap_value[len(prefix):] if trap_value.startswith(prefix) else trap_value
        label += " specific " + specific
        check.equal(label + " snmpTrapOID.0", prefix + specific, trap_value)
        event_bindings = bindings[2:]
    check.equal(label + " event binding count", len(EVENT_BINDINGS), len(event_bindings))
    for index, (expected, actual) in enumerate(zip(EVENT_BINDINGS, event_bindings), 1):
        for part, want, got in zip(("name", "type", "value"), expected, actual):
            check.equal("%s event binding %d %s" % (label, index, part), want, got)
    return (trap["version"], specific)


def main():
    sender = sys.argv[1:]
    if not sender:
        print(__doc__)
        return 2
    trapd = kivo_wine.TrapReceiver()
    try:
        sent = subprocess.run(sender + [str(trapd.port)], capture_output=True, text=True,
                              timeout=120)
        print(sent.stdout.strip())
        if sent.returncode != 0:
            print("sender failed (%d): %s" % (sent.returncode, sent.stderr))
            return 1
        kivo_wine.wait_for(lambda: len(trapd.traps()) >= 4, 15)
        traps = trapd.traps()
    finally:
        trapd.close()
    agent = re.search(r"^agent (\S+)", sent.stdout, re.M)
    check = kivo_wine.Checks()
    check.equal("traps decoded", 4, len(traps))
    seen = set()
    for trap in traps:
        seen.add(check_trap(check, trap, agent.group(1) if agent else "?"))
    check.equal("traps", {("0", "1"), ("0", str(EVENT_ID)), ("1", "1"), ("1", str(EVENT_ID))},
                seen)
    return check.verdict()


if __name__ == "__main__":
    sys.exit(main())
