#!/usr/bin/env python3
"""kivo-evtfile.exe under Wine, and what real Windows does to the logs it
reads: a clear followed at once by two records (with "resume" off, then on),
a clear that keeps the numbering, and a log's file gone for 5 seconds. Each
record carries a tag and a sequence number, counted at the trap and the
syslog listener; "logging" is 0, so the trace holds only the lines written
whatever it says.

    reader_e2e.py BUILD_DIR PREFIX
"""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__)))), "tools", "wine"))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import kivo_wine  # noqa: E402


def main():
    check = kivo_wine.Checks()
    session = kivo_wine.WineSession(sys.argv[2])
    run = None
    try:
        run = kivo_wine.ForwardingRun(session, sys.argv[1], {}, max_size=64 * 1024)
        trace = session.drive_c("windows", "EventLogTrace.txt")
        clears(session, run, check, trace)
        gone(session, run, check, trace)
    finally:
        if run:
            run.close()
        session.close()
    return check.verdict()


def read(path):
    try:
        with open(path, errors="replace") as f:
            return f.read()
    except FileNotFoundError:
        return ""


def once_each(run, check, tag, count):
    """Both listeners got tag1 .. tag<count>, each once, in order."""
    arrived = run.arrived(tag, count, 30)
    for peer in (run.traps, run.syslog):
        check.equal(tag + " at each listener", list(range(1, count + 1)), peer.numbers(tag))
    return arrived


def clears(session, run, check, trace):
    logs = run.logs
    logs.append("Application", strings=("first-1", "1"))
    check.that(once_each(run, check, "first-", 1), "the service reads")
    logs.append("Application", strings=("clear-{n}", "1"), repeat=2, number_from=1,
                clear_first=True)
    check.that(once_each(run, check, "clear-", 2), "a clear followed at once by two records")

    logs.clear("System", keep_numbering=True)
    time.sleep(1.5)  # the service finds the log empty first
    logs.append("System", strings=("kept-{n}", "1"), repeat=2, number_from=1)
    check.that(once_each(run, check, "kept-", 2) and "overwritten" not in read(trace),
               "a clear that keeps the numbering: the records arrive, nothing is called "
               "overwritten")

    session.registry({kivo_wine.CONFIG_KEY: {"resume": 1}})
    check.that(session.net("stop", "STOPPED") and session.net("start", "RUNNING"),
               "restarted with resume")
    logs.append("Security", strings=("resume-{n}", "1"), repeat=2, number_from=1)
    check.that(once_each(run, check, "resume-", 2), "with resume, records arrive")
    logs.append("Security", strings=("resume-{n}", "1"), repeat=2, number_from=3,
                clear_first=True)
    check.that(once_each(run, check, "resume-", 4),
               "with resume, a clear followed at once by two records")


def gone(session, run, check, trace):
    path = run.logs.unix_file("Application")
    os.rename(path, path + ".away")
    time.sleep(5)
    os.rename(path + ".away", path)
    run.logs.append("Application", strings=("back-{n}", "1"), repeat=3, number_from=1)
    check.that(once_each(run, check, "back-", 3) and session.service_state() == "RUNNING",
               "the log's file gone for 5 s: the service goes on, nothing written since is lost")
    text = read(trace)
    check.that(text.count("the Application event log cannot be read: ") == 1
               and text.count("the Application event log is read again") == 1,
               "the outage and its end are traced once each")


if __name__ == "__main__":
    sys.exit(main())
