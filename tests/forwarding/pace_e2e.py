#!/usr/bin/env python3
"""kivo-evtfile.exe under Wine with "burst" and "resume" on: records written
while stopped, a log cleared while stopped, then 20,000 Security records
(Application getting 5 a second, one System record in the middle) through a
stop, a start, a killed process and a start. Records are told apart by the
sequence number in their strings, at the trap and at the syslog listener.

    pace_e2e.py BUILD_DIR PREFIX
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__)))), "tools", "wine"))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import kivo_wine  # noqa: E402

FLOOD = 20000


def main():
    check = kivo_wine.Checks()
    session = kivo_wine.WineSession(sys.argv[2])
    run = None
    try:
        run = kivo_wine.ForwardingRun(session, sys.argv[1], {"burst": 1, "resume": 1},
                                      max_size=8 * 1024 * 1024)
        resume_cases(session, run, check)
        flood(session, run, check)
    finally:
        if run:
            run.close()
        session.close()
    return check.verdict()


def resume_cases(session, run, check):
    check.that(session.net("stop", "STOPPED"), "stopped")
    run.logs.append("Security", strings=("stopped-{n}", "1"), repeat=100, number_from=1)
    check.that(session.net("start", "RUNNING") and run.arrived("stopped-", 100, 60),
               "the 100 records written while stopped arrived")
    session.net("stop", "STOPPED")
    run.logs.clear("Security")
    session.net("start", "RUNNING")
    run.logs.append("Security", strings=("cleared-1", "1"))
    check.that(run.arrived("cleared-", 1, 30), "a record written after a clear arrived")
    with open(session.drive_c("windows", "EventLogTrace.txt"), errors="replace") as trace:
        check.that("records from 101 on of Security were cleared before they were read, going "
                   "on with record 1" in trace.read(), "the records lost to the clear are named")
    for peer in (run.traps, run.syslog):  # each once, in order, none sent again after the clear
        check.equal("written while stopped, then after the clear", (list(range(1, 101)), [1]),
                    (peer.numbers("stopped-"), peer.numbers("cleared-")))


def flood(session, run, check):
    """Proven by the order of arrival, not by timing."""
    writers = [run.logs.append("Application", strings=("app-{n}", "1"), repeat=100,
                               number_from=1, every=200, wait=False),
               run.logs.append("Security", strings=("flood-{n}", "1"), repeat=FLOOD,
                               number_from=1, wait=False)]
    check.that(run.arrived("flood-", 500, 120), "the flood arrives")
    run.logs.append("System", strings=("system-1", "1"))
    check.that(run.arrived("system-", 1, 60) and run.arrived("flood-", 3000, 300),
               "a System record appended")
    check.that(session.net("stop", "STOPPED") and run.syslog.count("flood-") < FLOOD,
               "net stop completed while flood records were still waiting")
    stopped_at = run.syslog.count("flood-")
    check.that(session.net("start", "RUNNING") and run.arrived("flood-", stopped_at + 2000, 300)
               and session.kill("kivo-evtfile.exe"), "started again; process killed in the flood")
    # Wine's service manager goes on reporting a killed service as running,
    # and starts it again all the same.
    check.that(session.net("start", "RUNNING") and run.arrived("flood-", FLOOD, 600)
               and run.arrived("app-", 100, 60), "started again; the whole flood arrived")
    for writer in writers:
        writer.wait()

    for peer in (run.traps, run.syslog):
        (flood_whole, flood_again), (app_whole, app_again) = (
            peer.tally("flood-", FLOOD), peer.tally("app-", 100))
        tags = [tag for m in peer.messages() for tag in (b"flood-", b"system-") if tag in m]
        check.equal("each once, in order, but one sent again after the kill, and flood records "
                    "after the System record", (True, True, True, 1000),
                    (flood_whole, app_whole, flood_again + app_again <= 1,
                     min(1000, len(tags) - tags.index(b"system-"))))
    check.ok("none lost, at most one sent again, the System record in the middle of the flood")


if __name__ == "__main__":
    sys.exit(main())
