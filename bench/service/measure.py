#!/usr/bin/env python3
"""Measures kivo-evtfile.exe under Wine (run by hand, not in CI; about ten
minutes, since the service forwards at most two events a second):

- latency from the append of a record to the arrival of its trap, over 50
  events appended one at a time (the append's moment is the .evt file's
  modification time; the trap's is when a UDP socket on 127.0.0.1 that
  stands as trap destination receives it);
- CPU time of the idle service over 60 seconds, from /proc/<pid>/stat of
  the Wine process running kivo-evtfile.exe (and of the prefix's
  wineserver, which serves the service's registry and file calls);
- the service's resident memory (VmRSS) after 100 and after 1,000 events.

Each latency record is appended at a random moment of the service's 500 ms
polling cycle (a random pause of 0 to 500 ms after the previous trap).

With --pace (about two minutes) it measures "burst" instead, tracing off,
each event sent as one trap and one syslog datagram: the sustained rate
over 10,000 Security records written while the service was stopped and
read at its start ("resume" on), from the first to the last syslog
datagram, how long a System record appended in the middle of that flood
takes to arrive, and how long `net stop` takes while records still wait.
With --profile SECONDS it also runs `perf record -g` on the service's
process for that long during the flood (perf.data in the current folder).

With --syslog (about three minutes) it measures the syslog transports in
one run, "burst" and "resume" on, tracing off, every event filtered out
of the traps so that syslog alone is measured: 5,000 Security records
written while the service was stopped, sent in RFC 5424 to one destination
over UDP, then TCP, then TLS (rsyslog on a loopback port, certificates
made here), twice round; the rate from the first to the last message as
rsyslog stamped their arrival.

    measure.py BUILD_DIR [--latency-only | --pace [--profile SECONDS] | --syslog]
"""

import datetime
import os
import random
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__)))), "tools", "wine"))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import kivo_wine  # noqa: E402
from kivo_wine import CONFIG_KEY  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime, stime


def rss_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def pace(session, run, profile_seconds):
    """Burst mode: rate, a System record's way through a flood, a stop."""
    session.net("stop", "STOPPED")
    total = 10000
    run.logs.append("Security", strings=("flood-{n}", "1"), repeat=total, number_from=1)
    session.net("start", "RUNNING")
    if not run.arrived("flood-", 2000, 120):
        print("the flood did not arrive")
        return 1
    perf = None
    if profile_seconds:
        perf = subprocess.Popen(["perf", "record", "-g", "-o", "perf.data", "-p",
                                 str(session.process_pid("kivo-evtfile.exe")), "--",
                                 "sleep", str(profile_seconds)])
    appended = run.logs.append("System", strings=("system-1", "1"))
    if not kivo_wine.wait_for(lambda: run.syslog.count("system-1") > 0, 60, 0.01):
        print("the System record did not arrive")
        return 1
    with run.syslog.lock:
        arrived = next(t for t, d in run.syslog.received if b"system-1" in d)
    print("System record appended during the flood arrived after %.2f s, %d Security "
          "records still waiting" % (arrived - appended, total - run.syslog.count("flood-")),
          flush=True)
    if perf:
        perf.wait()
    if not run.arrived("flood-", total, 600):
        print("only %d of the flood arrived" % run.syslog.count("flood-"))
        return 1
    with run.syslog.lock:
        times = [t for t, d in run.syslog.received if b"flood-" in d]
    print("sustained: %d events in %.1f s, %.0f events/s (trap and syslog each); traps and "
          "syslog each whole and in order, sent again: %s"
          % (total, times[-1] - times[0], (total - 1) / (times[-1] - times[0]),
             [run.traps.tally("flood-", total), run.syslog.tally("flood-", total)]), flush=True)

    run.logs.append("Security", strings=("stop-{n}", "1"), repeat=5000, number_from=1)
    run.arrived("stop-", 500, 60)
    began = time.monotonic()
    session.net("stop", "STOPPED", 60)
    print("net stop during a flood: STOPPED after %.2f s with %d records still waiting"
          % (time.monotonic() - began, 5000 - run.syslog.count("stop-")), flush=True)
    return 0


def syslog_rates(session, run, total=5000, rounds=2):
    """Events a second to one syslog destination over each transport."""
    certificates = os.path.join(session.work, "certificates")
    os.makedirs(certificates)
    kivo_wine.make_certificates(certificates)
    ca_file = session.windows_path(os.path.join(certificates, "ca.pem"))
    receivers = {}
    try:
        for protocol in ("udp", "tcp", "tls"):
            receivers[protocol] = kivo_wine.SyslogReceiver(protocol, certificates)
        session.registry({CONFIG_KEY + r"\Filters\0": {
            "filterOn": "EventSource", "filterType": "Exclude", "filterList": "KivoSample"}})
        for round_ in range(rounds):
            for protocol, receiver in receivers.items():
                tag = "%s%d-" % (protocol, round_)
                session.net("stop", "STOPPED")
                session.registry({CONFIG_KEY + r"\Syslog\0": {
                    "sysloghost": "127.0.0.1", "syslogport": receiver.port, "protocol": protocol,
                    "format": "rfc5424", "tlsca": ca_file}})
                run.logs.append("Security", strings=(tag + "{n}", "1"), repeat=total,
                                number_from=1)
                session.net("start", "RUNNING")
                arrived = lambda: [r["timegenerated"] for r in receiver.records()  # noqa: E731
                                   if tag.encode() in r["msg"]]
                if not kivo_wine.wait_for(lambda: len(arrived()) >= total, 600, 0.5):
                    print("only %d of %d arrived over %s" % (len(arrived()), total, protocol))
                    return 1
                times = [datetime.datetime.fromisoformat(t.decode()).timestamp()
                         for t in arrived()]
                print("%s: %d events in %.2f s, %.0f events/s" % (
                    protocol.upper(), total, times[-1] - times[0],
                    (total - 1) / (times[-1] - times[0])), flush=True)
    finally:
        for receiver in receivers.values():
            receiver.close()
    return 0


def main():
    build = os.path.abspath(sys.argv[1])
    latency_only = "--latency-only" in sys.argv[2:]
    prefix = os.path.join(build, "measure-prefix")
    program = os.path.join(build, "kivo-evtfile.exe")
    session = kivo_wine.WineSession(prefix)
    if "--pace" in sys.argv[2:] or "--syslog" in sys.argv[2:]:
        run = None
        try:
            run = kivo_wine.ForwardingRun(session, build, {"burst": 1, "resume": 1},
                                          max_size=8 * 1024 * 1024)
            if "--syslog" in sys.argv[2:]:
                return syslog_rates(session, run)
            profile = sys.argv[sys.argv.index("--profile") + 1] if "--profile" in sys.argv else 0
            return pace(session, run, profile)
        finally:
            if run:
                run.close()
            session.close()
    traps = kivo_wine.UdpListener()
    try:
        logs = kivo_wine.EventLogFiles(session, os.path.join(build, "tools", "evtutil",
                                                              "evtutil.exe"))
        logs.create_all(max_size=4 * 1024 * 1024)
        logs.register_source("KivoSample", os.path.join(build, "tests", "messages",
                                                        "KivoSample.dll"))
        session.registry({CONFIG_KEY: {"version": 0, "destination": "127.0.0.1",
                                       "port": traps.port, "community": "public",
                                       "logging": 0}})
        kivo_wine.install_and_start(session, program)
        pid = session.process_pid("kivo-evtfile.exe")
        server = session.process_pid("wineserver")
        print("service pid %s, wineserver pid %s" % (pid, server), flush=True)

        latencies = []
        for n in range(50):
            marker = "latency-%d" % n
            time.sleep(random.uniform(0, 0.5))
            appended = logs.append(strings=(marker, "1"), sid="S-1-5-18")

            def arrival():
                with traps.lock:
                    return next((t for t, d in traps.received if marker.encode() + b" " in d),
                                None)
            arrived = kivo_wine.wait_for(arrival, 10, step=0.01)
            if arrived is None:
                print("no trap for %s" % marker)
                return 1
            latencies.append(arrived - appended)
        latencies_ms = sorted(1000 * x for x in latencies)
        print("latency over 50 events: median %.0f ms, worst %.0f ms, best %.0f ms"
              % (statistics.median(latencies_ms), latencies_ms[-1], latencies_ms[0]), flush=True)
        if latency_only:
            return 0

        time.sleep(2)
        before = (cpu_seconds(pid), cpu_seconds(server) if server else 0.0)
        time.sleep(60)
        after = (cpu_seconds(pid), cpu_seconds(server) if server else 0.0)
        print("idle over 60 s: service %.2f s CPU (%.2f %%), wineserver %.2f s CPU (%.2f %%)"
              % (after[0] - before[0], (after[0] - before[0]) / 0.6,
                 after[1] - before[1], (after[1] - before[1]) / 0.6), flush=True)
        print("RSS after %d events: %d KiB" % (len(traps.received), rss_kib(pid)), flush=True)

        for total in (100, 1000):
            missing = total - len(traps.received)
            logs.append(strings=("bulk", "1"), sid="S-1-5-18", repeat=missing)
            if not kivo_wine.wait_for(lambda: len(traps.received) >= total, missing + 60, 0.5):
                print("only %d traps arrived" % len(traps.received))
                return 1
            time.sleep(1)
            print("RSS after %d events: %d KiB" % (len(traps.received), rss_kib(pid)), flush=True)
    finally:
        traps.close()
        session.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
