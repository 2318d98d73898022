#!/usr/bin/env python3
"""Real-peer test of SNMPv3: net-snmp's snmptrapd decodes the traps that our
library authenticates and encrypts, and answers its informs.

    snmpv3_peer_test.py SENDER [ARG...]

SENDER (for example scripts/wine-run snmpv3_peer_driver.exe) is run with a
port and Kivo's engine ID appended (see SnmpV3PeerDriver.cpp). snmptrapd
knows the trap users with that engine ID (createUser -e) and the inform
user with its own, and logs them (authUser log); it has another passphrase
for "kivowrong", whose trap must not be logged.
"""

import os
import secrets
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__)))), "tools", "wine"))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import kivo_wine  # noqa: E402

USERS = [  # name, auth protocol, privacy protocol or None, passphrase
    ("kivo256", "SHA-256", "AES", "kivo-256-passphrase"),
    ("kivo1", "SHA", None, "kivo-1-passphrase"),
    ("kivo512", "SHA-512", "AES", "kivo-512-passphrase"),
    ("kivowrong", "SHA-256", "AES", "the-receivers-passphrase"),
]
DESCRIPTION_OID = kivo_wine.EVENT_OID + "6"


def config(engine):
    lines = ["authCommunity log kivo-peer"]
    for name, auth, priv, passphrase in USERS:
        keys = "%s %s" % (auth, passphrase) + (" %s %s" % (priv, passphrase) if priv else "")
        lines.append("createUser -e 0x%s %s %s" % (engine, name, keys))
        lines.append("authUser log %s %s" % (name, "priv" if priv else "auth"))
    # The inform's user, localized for snmptrapd's own engine.
    lines.append("createUser kivo256 SHA-256 kivo-256-passphrase AES kivo-256-passphrase")
    return lines


def main():
    sender = sys.argv[1:]
    if not sender:
        print(__doc__)
        return 2
    engine = "8000149d05" + secrets.token_hex(8)
    trapd = kivo_wine.TrapReceiver(config_lines=config(engine))
    try:
        sent = subprocess.run(sender + [str(trapd.port), engine], capture_output=True, text=True,
                              timeout=120)
        print(sent.stdout.strip())
        kivo_wine.wait_for(lambda: len(trapd.traps()) >= 5, 15)
        traps = trapd.traps()
        output = trapd.output()
    finally:
        trapd.close()
    check = kivo_wine.Checks()
    check.equal("sender's exit code (%s)" % sent.stderr.strip(), 0, sent.returncode)
    check.equal("inform lines", ["inform v2c: acknowledged, 1 datagrams",
                                 "inform v3: acknowledged, 3 datagrams"],
                sent.stdout.strip().splitlines())
    decoded = {}
    for trap in traps:
        values = dict((n, v) for n, _, v in trap["bindings"])
        decoded[values.get(DESCRIPTION_OID, "?")] = (
            trap["version"], trap["security"].split(",")[0], trap["community"],
            values.get(kivo_wine.SNMP_TRAP_OID, "?").lstrip("."))
    trap_oid = kivo_wine.DEFAULT_ENTERPRISE + ".0.7036"
    expected = {"event kivo256": ("3", "TRAP2", "kivo256", trap_oid),
                "event kivo1": ("3", "TRAP2", "kivo1", trap_oid),
                "event kivo512": ("3", "TRAP2", "kivo512", trap_oid),
                "event inform-v2c": ("1", "INFORM", "kivo-peer", trap_oid),
                "event inform-v3": ("3", "INFORM", "kivo256", trap_oid)}
    check.equal("decoded notifications", expected, decoded)
    check.that("event kivowrong" not in output
               and "Authentication failed for kivowrong" in output,
               "the trap with the wrong passphrase arrives, fails authentication, is not logged")
    return check.verdict()


if __name__ == "__main__":
    sys.exit(main())
