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
import socket
import subprocess
import sys
import tempfile
import time

ENTERPRISE = ".1.3.6.1.4.1.5309.6.1.2.1"
COMMUNITY = "kivo-peer"
EVENT_ID = 7036
# -105900 as the service's 32-bit count: 2^32 - 105900 hundredths.
TICKS = 4294861396
SYS_UP_TIME = ".1.3.6.1.2.1.1.3.0"
SNMP_TRAP_OID = ".1.3.6.1.6.3.1.1.4.1.0"


def description():
    text = "Description start."
    while len(text) < 8000:
        text += " The service entered the running state 0123456789."
    return text[:8000]


EVENT_BINDINGS = [
    (".1.3.6.1.4.1.5309.6.1.1.1", "INTEGER", str(EVENT_ID)),
    (".1.3.6.1.4.1.5309.6.1.1.2", "INTEGER", "3"),
    (".1.3.6.1.4.1.5309.6.1.1.3", "STRING", '"Service Control Manager"'),
    (".1.3.6.1.4.1.5309.6.1.1.4", "STRING", '"KIVO-HOST"'),
    (".1.3.6.1.4.1.5309.6.1.1.5", "STRING", '"SYSTEM"'),
    (".1.3.6.1.4.1.5309.6.1.1.6", "STRING", '"' + description() + '"'),
    (".1.3.6.1.4.1.5309.6.1.1.7", "INTEGER", "5"),
]

# One line per trap: fields between '|', bindings separated by '~~'.
FORMAT = "TRAP|%s|%P|%u|%N|%a|%w|%q|%T|%V~~%v\n"
FIELDS = ["version", "security", "community", "enterprise", "agent", "generic",
          "specific", "uptime", "bindings"]


def free_udp_port():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def start_trapd(workdir, port, out):
    config = os.path.join(workdir, "snmptrapd.conf")
    with open(config, "w") as f:
        f.write("disableAuthorization yes\n")
    env = dict(os.environ, SNMP_PERSISTENT_DIR=os.path.join(workdir, "persist"),
               MIBS="", MIBDIRS=os.path.join(workdir, "nomibs"), SNMPCONFPATH=workdir)
    return subprocess.Popen(
        ["snmptrapd", "-f", "-C", "-c", config, "-Lo", "-n", "-On", "-m", "",
         "-F", FORMAT, "udp:127.0.0.1:%d" % port],
        stdout=out, stderr=subprocess.STDOUT, env=env)


def read(path):
    with open(path, errors="replace") as f:
        return f.read()


def wait_for(predicate, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if predicate():
            return True
        time.sleep(0.1)
    return predicate()


class Checker:
    def __init__(self):
        self.failures = []

    def equal(self, what, expected, actual):
        if expected != actual:
            shown = lambda v: v if len(str(v)) < 200 else str(v)[:100] + "...(%d chars)" % len(str(v))
            self.failures.append("%s: expected %s, got %s" % (what, shown(expected), shown(actual)))


def parse_binding(text):
    match = re.match(r"^(\S+) = (?:([A-Za-z0-9-]+): )?(.*)$", text, re.S)
    if not match:
        return (text, None, None)
    return match.groups()


def check_trap(check, trap, agent):
    v1 = trap["version"] == "0"
    label = "v1" if v1 else "v2c"
    check.equal(label + " community", COMMUNITY, trap["community"])
    check.equal(label + " security", "SNMP v1" if v1 else "SNMP v2c",
                re.sub(r"^TRAP2?, (SNMP v\w+),.*$", r"\1", trap["security"]))
    bindings = [parse_binding(b) for b in trap["bindings"].split("~~")]
    if v1:
        specific = trap["specific"].lstrip(".")
        label += " specific " + specific
        check.equal(label + " enterprise", ENTERPRISE, trap["enterprise"])
        check.equal(label + " agent address", agent, trap["agent"])
        check.equal(label + " generic trap", "6", trap["generic"])
        check.equal(label + " time stamp", str(TICKS), trap["uptime"])
        event_bindings = bindings
    else:
        if len(bindings) < 2:
            check.failures.append(label + ": no header bindings")
            return None
        up_name, up_type, up_value = bindings[0]
        check.equal(label + " binding 1 name", SYS_UP_TIME, up_name)
        check.equal(label + " binding 1 type", "Timeticks", up_type)
        check.equal(label + " sysUpTime.0", "(%d)" % TICKS, up_value.split(" ")[0])
        trap_name, trap_type, trap_value = bindings[1]
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
    with tempfile.TemporaryDirectory(prefix="kivo-trapd-") as workdir:
        log = os.path.join(workdir, "trapd.out")
        trapd = None
        port = 0
        for _ in range(5):  # another test may take the port between probe and bind
            port = free_udp_port()
            with open(log, "w") as out:
                trapd = start_trapd(workdir, port, out)
            if wait_for(lambda: "NET-SNMP version" in read(log) or trapd.poll() is not None, 15) \
                    and trapd.poll() is None:
                break
            trapd.wait()
            trapd = None
        if trapd is None:
            print("snmptrapd did not start:\n" + read(log))
            return 1
        try:
            sent = subprocess.run(sender + [str(port)], capture_output=True, text=True, timeout=120)
            print(sent.stdout.strip())
            if sent.returncode != 0:
                print("sender failed (%d): %s" % (sent.returncode, sent.stderr))
                return 1
            wait_for(lambda: read(log).count("TRAP|") >= 4, 15)
        finally:
            trapd.terminate()
            try:
                trapd.wait(10)
            except subprocess.TimeoutExpired:
                trapd.kill()
                trapd.wait()
        agent = re.search(r"^agent (\S+)", sent.stdout, re.M)
        lines = [l for l in read(log).splitlines() if l.startswith("TRAP|")]
        check = Checker()
        check.equal("traps decoded", 4, len(lines))
        seen = set()
        for line in lines:
            trap = dict(zip(FIELDS, line.split("|", len(FIELDS))[1:]))
            seen.add(check_trap(check, trap, agent.group(1) if agent else "?"))
        check.equal("traps", {("0", "1"), ("0", str(EVENT_ID)), ("1", "1"), ("1", str(EVENT_ID))},
                    seen)
        for failure in check.failures:
            print("FAIL " + failure)
        print("%d traps checked, %d failures" % (len(lines), len(check.failures)))
        return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
