#!/usr/bin/env python3
"""kivo-evtfile.exe under Wine sending syslog in RFC 5424 to rsyslog over
UDP, TCP and TLS, one rsyslog per protocol on loopback ports, certificates
made here:

- the fields rsyslog parsed match the records, and "é" and "ü" of a
  description arrive in UTF-8;
- servers with a certificate of another CA, of another name and an expired
  one are refused with the reason in the trace, and receive nothing;
- the TCP and TLS receivers stopped in the middle of a flood and started
  again 10 s later: with "resume" off (queued) and on (held), every record
  arrives, in order, and no more than the frames a destination keeps
  (StreamConnection::kFramesKept) twice;
- a stop during a TLS handshake that hangs, and with a destination down,
  ends within seconds.

    syslog_e2e.py BUILD_DIR PREFIX
"""

import datetime
import os
import socket
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__)))), "tools", "wine"))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import kivo_wine  # noqa: E402
from kivo_wine import CONFIG_KEY, SyslogReceiver, wait_for  # noqa: E402

SYSLOG_KEY = CONFIG_KEY + r"\Syslog"
FLOOD = 2000
FRAMES_KEPT = 32  # sent again after a connection breaks
SOURCE = "Kivo Sample"  # an APP-NAME has no spaces: "Kivo_Sample"
GENERATED = 1600000000  # the records' time generated: 2020-09-13T12:26:40Z
REFUSALS = (("other-signed", 'certificate "sysloghost" issued by "Other CA" not trusted'),
            ("otherhost", 'name "sysloghost" does not match certificate "otherhost"'),
            ("expired", 'certificate "sysloghost" expired'))


def main():
    build = sys.argv[1]
    check = kivo_wine.Checks()
    session = kivo_wine.WineSession(sys.argv[2])
    certificates = os.path.join(session.work, "certificates")
    receivers, run = {}, None
    try:
        os.makedirs(certificates)
        kivo_wine.make_certificates(certificates)
        ca_file = session.windows_path(os.path.join(certificates, "ca.pem"))
        for protocol in ("udp", "tcp", "tls"):
            receivers[protocol] = SyslogReceiver(protocol, certificates)
        for name, _ in REFUSALS:
            receivers[name] = SyslogReceiver("tls", certificates, name)
        run = kivo_wine.ForwardingRun(session, build, {"burst": 1, "logging": 1})
        run.logs.register_source(SOURCE, os.path.join(build, "tests", "messages",
                                                      "KivoSample.dll"))
        entries = {SYSLOG_KEY + "\\%d" % n: dict(
            {"sysloghost": "127.0.0.1", "syslogport": receivers[name].port, "format": "rfc5424",
             "protocol": name if name in ("udp", "tcp") else "tls"},
            **({} if name in ("udp", "tcp") else {"tlsca": ca_file}))
            for n, name in enumerate(["udp", "tcp", "tls"] + [r for r, _ in REFUSALS])}
        session.registry({SYSLOG_KEY: None})
        session.registry(dict({SYSLOG_KEY: {"usefilters": 0}}, **entries))
        formats_and_refusals(check, session, run, receivers)
        # Only the TCP and TLS receivers from here on, untraced.
        session.registry({SYSLOG_KEY + "\\" + n: None for n in ("0", "3", "4", "5")})
        session.registry({CONFIG_KEY: {"logging": 0}})
        flood(check, session, run, receivers, "queue-", "resume off: queued")
        check.that(session.net("stop", "STOPPED"), "stopped")
        session.registry({CONFIG_KEY: {"resume": 1}})
        check.that(session.net("start", "RUNNING"), "started with resume on")
        flood(check, session, run, receivers, "hold-", "resume on: held")
        stops(check, session, run)
    finally:
        if run:
            run.close()
        for receiver in receivers.values():
            receiver.close()
        session.close()
    return check.verdict()


def formats_and_refusals(check, session, run, receivers):
    time.sleep(2)  # in burst mode the store is read at most once a second
    for n in (1, 2):
        run.logs.append(source=SOURCE, strings=("format-%d caf\u00e9 \u00fcber" % n, "3"),
                        sid="S-1-5-18", category=7, time_generated=GENERATED)
    for n in (1, 2):
        expected = {
            "app-name": b"Kivo_Sample", "msgid": b"1000",
            "structured-data": b'[kivo@5309 log="Application" record="%d" type="3" '
                               b'category="7" user="SYSTEM"]' % n,
            "timereported": b"2020-09-13T12:26:40.000Z",
            "msg": b"\xef\xbb\xbfBackup of format-%d caf\xc3\xa9 \xc3\xbcber finished: 3 files "
                   b"copied." % n}
        for protocol in ("udp", "tcp", "tls"):
            record = wait_for(lambda: receivers[protocol].record("format-%d" % n), 30) or {}
            for field, value in expected.items():
                check.equal("%s of record %d over %s" % (field, n, protocol), value,
                            record.get(field))
            received = datetime.datetime.fromisoformat(record.get("timegenerated", b"").decode())
            check.equal("time received over %s is now" % protocol, True,
                        abs(received.timestamp() - time.time()) < 300)
    check.ok("RFC 5424 over UDP, TCP and TLS: app-name, msgid, structured data, the record's "
             "time, the description in UTF-8 after a BOM")
    trace = session.drive_c("windows", "EventLogTrace.txt")
    for number, (name, reason) in enumerate(REFUSALS, 3):
        line = "sending to the syslog destination %d (127.0.0.1:%d) fails: %s" % (
            number, receivers[name].port, reason)
        check.that(wait_for(lambda: line in kivo_wine.read_text(trace), 10),
                   "refused and traced: " + line)
        check.equal("what the %s server received" % name, [], receivers[name].lines())


def flood(check, session, run, receivers, tag, mode):
    """The TCP and TLS receivers stopped in the middle of a flood, and
    started again 10 s later."""
    streams = [receivers["tcp"], receivers["tls"]]
    run.logs.append("Security", strings=(tag + "{n}", "1"), repeat=FLOOD, number_from=1,
                    wait=False)
    check.that(wait_for(lambda: min(len(r.numbers(tag)) for r in streams) >= 300, 60, 0.01),
               "%s: the flood arrives" % mode)
    for receiver in streams:
        receiver.stop()
    stopped_at = [len(r.numbers(tag)) for r in streams]
    time.sleep(10)
    for receiver in streams:
        receiver.start()
    wait_for(lambda: all(len(set(r.numbers(tag))) >= FLOOD for r in streams), 120, 0.5)
    for protocol, receiver, stopped in zip(("TCP", "TLS"), streams, stopped_at):
        numbers = receiver.numbers(tag)
        whole, again = kivo_wine.tally(numbers, FLOOD)
        check.that(whole and again <= FRAMES_KEPT, "%s: stopped at %d of %d, every record "
                   "arrived over %s, in order; %d twice" % (mode, stopped, FLOOD, protocol, again))


class SilentListener:
    """A loopback TCP listener that takes connections and what is sent on
    them, and never answers: a TLS handshake with it hangs."""

    def __init__(self):
        self.socket = socket.create_server(("127.0.0.1", 0))
        self.port = self.socket.getsockname()[1]
        self.received = 0
        threading.Thread(target=self._serve, daemon=True).start()

    def _serve(self):
        try:
            connection, _ = self.socket.accept()
            while True:
                data = connection.recv(4096)
                if not data:
                    return
                self.received += len(data)
        except OSError:
            return


def stops(check, session, run):
    """`net stop` while a TLS handshake hangs, then while a destination is
    down (its event held, waiting for the next try)."""
    silent = SilentListener()
    session.registry({SYSLOG_KEY + r"\6": {"sysloghost": "127.0.0.1", "syslogport": silent.port,
                                           "protocol": "tls"},
                      SYSLOG_KEY + r"\7": {"sysloghost": "127.0.0.1",
                                           "syslogport": kivo_wine.free_tcp_port(),
                                           "protocol": "tcp"}})
    time.sleep(2)  # in burst mode the store is read at most once a second
    run.logs.append("System", strings=("stop-1", "1"))
    check.that(wait_for(lambda: silent.received > 0, 30), "a TLS handshake waits for an answer")
    timed_stop(check, session, "while a TLS handshake hangs")
    session.registry({SYSLOG_KEY + r"\6": None})
    check.that(session.net("start", "RUNNING"), "started again")
    time.sleep(3)  # the held event's second try fails too; the next is 2 s later
    timed_stop(check, session, "while a destination is down")


def timed_stop(check, session, case):
    began = time.monotonic()
    session.run(["net", "stop", "kivo"], check=False)
    stopped = session.wait_for_state("STOPPED", 20)
    took = time.monotonic() - began
    check.that(stopped and took < 5, "net stop %s: STOPPED after %.2f s" % (case, took))


if __name__ == "__main__":
    sys.exit(main())
