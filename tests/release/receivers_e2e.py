#!/usr/bin/env python3
"""What administrators' own receivers make of Kivo's output, in a fresh Wine
prefix: kivo-evtfile.exe forwards events to snmptrapd with KIVO-MIB loaded
(symbolic names, SNMPv2c then SNMPv1), which hands each trap to snmptt with
the EVENT definition that snmpttconvertmib made of the MIB; and to rsyslog,
which stores facility, severity, tag and message of each event type.

    receivers_e2e.py BUILD_DIR PREFIX IETF_MIB_DIR
"""

import os
import subprocess
import sys
import time

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(REPO, "tools", "wine"))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import kivo_wine  # noqa: E402
from kivo_wine import CONFIG_KEY, Checks, wait_for  # noqa: E402

SOURCE = "KivoRelease"  # no message file: the description is the insertion string
TRAP_OID = ".1.3.6.1.4.1.5309.6.1.2.1.0.1"
# Event type, rsyslog's severity: the priorities 29, 27, 28 of facility daemon.
TYPES = [("success", "notice"), ("error", "err"), ("warning", "warning"),
         ("information", "notice"), ("audit-success", "err"), ("audit-failure", "notice")]


def main():
    build, prefix, ietf = sys.argv[1], sys.argv[2], sys.argv[3]
    checks = Checks()
    session = kivo_wine.WineSession(prefix)
    work = session.work
    mib_path = ietf + ":" + os.path.join(REPO, "mibs")
    env = dict(os.environ, MIBDIRS=mib_path, MIBS="KIVO-MIB:SNMPv2-MIB",
               SNMP_PERSISTENT_DIR=os.path.join(work, "snmp"))
    trapd = rsyslog = None
    try:
        # snmptt's EVENT definition, made from the MIB.
        conf = os.path.join(work, "kivo.snmptt")
        subprocess.run(["snmpttconvertmib", "--in=" + os.path.join(REPO, "mibs", "KIVO-MIB"),
                        "--out=" + conf, "--net_snmp_perl"], env=env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(conf) as f:
            checks.equal("EVENT of the MIB", True, 'EVENT kivoEventTrap %s "Status Events" Normal'
                         % TRAP_OID in f.read())
        snmptt_log = os.path.join(work, "snmptt.log")
        with open(os.path.join(work, "snmptt.ini"), "w") as f:
            f.write("[General]\nmode = standalone\nnet_snmp_perl_enable = 1\n[Logging]\n"
                    "stdout_enable = 0\nlog_enable = 1\nlog_file = %s\nlog_system_enable = 0\n"
                    "syslog_enable = 0\nsyslog_system_enable = 0\n[TrapFiles]\n"
                    "snmptt_conf_files = <<END\n%s\nEND\n" % (snmptt_log, conf))
        trapd = kivo_wine.TrapReceiver(mibs=("KIVO-MIB", "SNMPv2-MIB"), mib_path=mib_path,
                                       handler="env MIBDIRS=%s /usr/sbin/snmptt --ini=%s" % (
                                           mib_path, os.path.join(work, "snmptt.ini")))
        rsyslog = kivo_wine.SyslogReceiver("udp")

        logs = kivo_wine.EventLogFiles(session, os.path.join(build, "tools", "evtutil",
                                                              "evtutil.exe"))
        logs.create_all()
        session.registry({
            CONFIG_KEY: {"version": 1, "destination": "127.0.0.1", "port": trapd.port,
                         "community": "public"},
            CONFIG_KEY + r"\Syslog": {"usefilters": 0},
            CONFIG_KEY + r"\Syslog\0": {"sysloghost": "127.0.0.1", "syslogport": rsyslog.port}})
        kivo_wine.install_and_start(session, os.path.join(build, "kivo-evtfile.exe"))

        markers = {}
        for type_, severity in TYPES:
            marker = markers[type_] = "%s-%d" % (type_, time.monotonic_ns())
            logs.append(source=SOURCE, type_=type_, strings=(marker,), sid="S-1-5-18")
            record = wait_for(lambda: rsyslog.record(marker), 10) or {}
            checks.equal("rsyslog's record of " + type_, "daemon|%s|%s:| SYSTEM: %s" % (
                severity, SOURCE, marker), b"|".join(record.get(field, b"") for field in (
                    "facility", "severity", "tag", "msg")).decode(errors="replace"))
            if type_ == "information":
                trap_names(checks, trapd, marker, "SNMPv2c", "information(3)")
                session.registry({CONFIG_KEY: {"version": 0}})
        checks.ok("rsyslog stores daemon, the severity of each event type, tag %s:" % SOURCE)
        # The traps after the information event went out as SNMPv1.
        trap_names(checks, trapd, markers["audit-success"], "SNMPv1", "auditSuccess(4)")
        wanted = [markers["information"], markers["audit-success"]]
        logged = wait_for(lambda: [m for m in wanted if any(
            '%s Normal "Status Events" ' % TRAP_OID in line and m in line
            for line in kivo_wine.read_text(snmptt_log).splitlines())] == wanted, 10)
        if checks.equal("snmptt's records of both trap forms", True, logged):
            checks.ok("snmptt matches both trap forms with the EVENT made from the MIB")
    finally:
        for peer in (trapd, rsyslog):
            if peer:
                peer.close()
        session.close()
    return checks.verdict()


def trap_names(checks, trapd, marker, form, type_):
    """The trap of the event, as snmptrapd printed it with the MIB loaded."""
    trap = trapd.wait_for(lambda t: any(marker == b[2] for b in t["bindings"]), 10)
    names = {name: (kind, value) for name, kind, value in (trap or {}).get("bindings", [])}
    expected = {"KIVO-MIB::kivoEventSource": ("STRING", SOURCE),
                "KIVO-MIB::kivoEventUser": ("STRING", "SYSTEM"),
                "KIVO-MIB::kivoEventDescription": ("STRING", marker),
                "KIVO-MIB::kivoEventType": ("INTEGER", type_)}
    if form == "SNMPv2c":
        expected["SNMPv2-MIB::snmpTrapOID.0"] = ("OID", "KIVO-MIB::kivoEventTrap")
    else:
        checks.equal("SNMPv1 enterprise and specific", ("KIVO-MIB::kivoTrapEnterprise",
                                                          "KIVO-MIB::kivoEventTrap"),
                     ((trap or {}).get("enterprise"), (trap or {}).get("specific")))
    if checks.equal(form + " trap by name", expected, {n: names.get(n) for n in expected}):
        checks.ok("%s trap decoded by snmptrapd with KIVO-MIB: %s" % (form, ", ".join(
            "%s = %s" % (n.split("::")[1], v[1]) for n, v in expected.items())))


if __name__ == "__main__":
    sys.exit(main())
