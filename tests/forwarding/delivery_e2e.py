#!/usr/bin/env python3
"""kivo-evtfile.exe under Wine with "burst" and "resume" on: what an
administrator meets in a month. The records written while the service was
removed and installed again (an upgrade), a damaged kept position, and a
syslog destination whose name does not resolve: its events are held until
it does, and `kivo -s` shows the backlog and the failing destination.
Records are told apart by the sequence number in their strings.

    delivery_e2e.py BUILD_DIR PREFIX
"""

import os
import re
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__)))), "tools", "wine"))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import kivo_wine  # noqa: E402
from kivo_wine import CONFIG_KEY  # noqa: E402

POSITIONS_KEY = CONFIG_KEY + r"\Positions"


def main():
    build = sys.argv[1]
    program = os.path.join(build, "kivo-evtfile.exe")
    check = kivo_wine.Checks()
    session = kivo_wine.WineSession(sys.argv[2])
    run = None
    try:
        run = kivo_wine.ForwardingRun(session, build, {"burst": 1, "resume": 1})
        reinstall(check, session, run, program)
        damaged_position(check, session, run)
        unresolved_destination(check, session, run, program)
    finally:
        if run:
            run.close()
        session.close()
    return check.verdict()


def each_once_in_order(check, run, tag, total):
    for name, peer in (("trap", run.traps), ("syslog", run.syslog)):
        check.equal("%s records %s1..%d at the %s receiver" % (tag, tag, total, name),
                    list(range(1, total + 1)), peer.numbers(tag))


def reinstall(check, session, run, program):
    """An upgrade removes the service and installs it again: the positions
    are kept with the store, so what was written meanwhile arrives."""
    run.logs.append("Application", strings=("before-1", "1"))
    check.that(run.arrived("before-", 1, 30), "a record before the stop arrived")
    kivo_wine.stop_and_uninstall(session, program)
    run.logs.append("Application", strings=("upgrade-{n}", "1"), repeat=10, number_from=1)
    kivo_wine.install_and_start(session, program)
    check.that(run.arrived("upgrade-", 10, 60), "stop, 10 records, -u, -i, start: 10 arrived")
    each_once_in_order(check, run, "upgrade-", 10)


def damaged_position(check, session, run):
    """A kept position of 2 bytes: read from the oldest record, and said."""
    check.that(session.net("stop", "STOPPED"), "stopped")
    run.logs.append("Security", strings=("damaged-{n}", "1"), repeat=5, number_from=1)
    session.run(["reg", "add", POSITIONS_KEY, "/v", "Security", "/t", "REG_BINARY", "/d", "0102",
                 "/f"])
    check.that(session.net("start", "RUNNING") and run.arrived("damaged-", 5, 60),
               "the 5 records written while stopped arrived despite a damaged position")
    each_once_in_order(check, run, "damaged-", 5)
    with open(session.drive_c("windows", "EventLogTrace.txt"), errors="replace") as trace:
        lines = [line for line in trace.read().splitlines() if "damaged" in line]
    check.that(any("Security" in line for line in lines),
               "the trace names the damaged position of Security: %r" % lines)


def unresolved_destination(check, session, run, program):
    """A second syslog destination whose name does not resolve: its events
    are held (none reach it, the other destinations get each once), kivo -s
    shows them waiting and the destination failing; once the store names a
    host that resolves, all arrive once, in order."""
    second = kivo_wine.UdpListener()
    try:
        session.registry({CONFIG_KEY + r"\Syslog\1": {"sysloghost": "kivo-nowhere.invalid",
                                                      "syslogport": second.port}})
        time.sleep(2)  # in burst mode the store is read at most once a second
        run.logs.append("System", strings=("held-{n}", "1"), repeat=4, number_from=1)
        check.that(run.arrived("held-", 1, 30), "the first held record reached the working ones")
        kivo_wine.wait_for(lambda: False, 3)
        check.equal("held records at the unresolved destination", [], second.numbers("held-"))
        check.equal("held records at the trap receiver while held", [1], run.traps.numbers("held-"))
        status = kivo_wine.wait_for(lambda: status_of(session, program), 10)
        check.that(status and status["waiting"] == 4 and status["failing"],
                   "kivo -s: 4 records of System wait, the destination is failing: %r" % status)
        session.registry({CONFIG_KEY + r"\Syslog\1": {"sysloghost": "127.0.0.1"}})
        check.that(kivo_wine.wait_for(lambda: len(second.numbers("held-")) >= 4, 90, 0.5),
                   "once the name resolves, the held records arrive")
        check.equal("held records at the mended destination", [1, 2, 3, 4],
                    second.numbers("held-"))
        each_once_in_order(check, run, "held-", 4)
    finally:
        second.close()


def status_of(session, program):
    """What kivo -s says of System's backlog and the failing destination,
    once it says both."""
    out = session.run([program, "-s"], check=False).stdout.decode(errors="replace")
    waiting = re.search(r"^System: next record \d+, newest record \d+, (\d+) records? wait",
                        out, re.M)
    failing = re.search(r"^the syslog destination 1 \(kivo-nowhere\.invalid:\d+\): failing since "
                        r".* UTC \((.*)\), \d+ sent, \d+ failed", out, re.M)
    if not waiting or not failing:
        return None
    return {"waiting": int(waiting.group(1)), "failing": failing.group(1)}


if __name__ == "__main__":
    sys.exit(main())
