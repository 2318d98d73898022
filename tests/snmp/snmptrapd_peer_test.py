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

import itertools
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__)))), "tools", "wine"))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import kivo_wine  # noqa: E402

ENTERPRISE = kivo_wine.DEFAULT_ENTERPRISE
COMMUNITY = "kivo-peer"
EVENT_ID = "7036"
# -105900 as the service's 32-bit count: 2^32 - 105900 hundredths.
TICKS = "4294861396"
DESCRIPTION = ("Description start." + " The service entered the running state 0123456789." * 160)[
    :8000]
# As parsed: names without their leading dot, strings without their quotes.
EVENT_BINDINGS = [(kivo_wine.EVENT_OID + str(arc), kind, value) for arc, kind, value in (
    (1, "INTEGER", EVENT_ID), (2, "INTEGER", "3"), (3, "STRING", "Service Control Manager"),
    (4, "STRING", "KIVO-HOST"), (5, "STRING", "SYSTEM"), (6, "STRING", DESCRIPTION),
    (7, "INTEGER", "5"))]
V2_HEADER = [(kivo_wine.SYS_UP_TIME, "Timeticks"), (kivo_wine.SNMP_TRAP_OID, "OID")]


def check_trap(check, trap, agent):
    """Checks one trap; its (version, specific code)."""
    v1 = trap["version"] == "0"
    specific = trap["specific"] if v1 else trap.get("trap_oid", "").rpartition(".")[2]
    label = "%s specific %s" % ("v1" if v1 else "v2c", specific)
    expected = {"community": COMMUNITY, "security": "SNMP v1" if v1 else "SNMP v2c",
                "uptime": TICKS}
    if v1:
        expected.update(enterprise=ENTERPRISE, agent=agent, generic="6")
    else:
        expected["trap_oid"] = ENTERPRISE + ".0." + specific
    actual = {name: trap.get(name) for name in expected}
    actual["security"] = re.sub(r"^TRAP2?, (SNMP v\w+),.*$", r"\1", trap["security"])
    check.equal(label + " fields", expected, actual)
    header = [] if v1 else V2_HEADER
    bindings = trap["bindings"]
    check.equal(label + " header bindings", header, [b[:2] for b in bindings[:len(header)]])
    for index, (want, got) in enumerate(itertools.zip_longest(
            EVENT_BINDINGS, bindings[len(header):]), 1):
        check.equal("%s event binding %d" % (label, index), want, got)
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
    seen = {check_trap(check, trap, agent.group(1) if agent else "?") for trap in traps}
    check.equal("traps", {(v, s) for v in "01" for s in ("1", EVENT_ID)}, seen)
    return check.verdict()


if __name__ == "__main__":
    sys.exit(main())
