"""Kivo's service at work under Wine, with real peers on the loopback: the
pieces that the end-to-end tests, scripts/demo, the service benchmark
(bench/service/measure.py) and the snmptrapd peer test share.

- WineSession: a Wine prefix of its own, its registry (through regedit
  imports, one process per batch of changes) and its service control manager.
- TrapReceiver: net-snmp's snmptrapd in the foreground on 127.0.0.1, on a free
  port found at run time, authorization disabled, numeric output; its traps
  parsed into dictionaries (parse_trap). It needs no Wine.
- UdpListener: a UDP socket on 127.0.0.1 (port 0) that keeps every
  datagram with the time it arrived: the syslog receiver.
- SyslogReceiver: rsyslogd over UDP, TCP or TLS on 127.0.0.1, each message
  stored with the fields rsyslog parsed; make_certificates makes the CAs and
  server certificates that TLS tests need (certtool).
- EventLogFiles: the .evt files of the Application, Security and System logs,
  named by each log's "File" value and written with evtutil.exe.
- ForwardingRun: kivo-evtfile.exe installed and running, each event sent as
  a trap and a syslog datagram to two UdpListeners.
- Checks: the verdicts of a test run, printed as they come.

Python 3 standard library only.
"""

import os
import re
import shutil
import signal
import socket
import subprocess
import tempfile
import threading
import time

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

SERVICES_KEY = r"HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services"
EVENTLOG_KEY = SERVICES_KEY + r"\EventLog"
CONFIG_KEY = r"HKEY_LOCAL_MACHINE\SOFTWARE\Tarvenor\Kivo"
LOGS = ("Application", "Security", "System")

DEFAULT_ENTERPRISE = "1.3.6.1.4.1.5309.6.1.2.1"
EVENT_OID = "1.3.6.1.4.1.5309.6.1.1."
SYS_UP_TIME = "1.3.6.1.2.1.1.3.0"
SNMP_TRAP_OID = "1.3.6.1.6.3.1.1.4.1.0"


def wait_for(predicate, seconds, step=0.05):
    """Polls until predicate() gives something true; returns it, or the last
    (false) result after `seconds`."""
    deadline = time.monotonic() + seconds
    while True:
        result = predicate()
        if result or time.monotonic() >= deadline:
            return result
        time.sleep(step)


def read_text(path):
    """The text of a file that may not be there yet ("" then)."""
    if not os.path.exists(path):
        return ""
    with open(path, errors="replace") as f:
        return f.read()


def free_udp_port():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def free_tcp_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Checks:
    """The verdicts of a test run: each check that fails is printed at once,
    each step that passed with the time since the start."""

    def __init__(self):
        self.failures = 0
        self.started = time.monotonic()

    def fail(self, text):
        self.failures += 1
        print("FAIL: " + text, flush=True)
        return False

    def ok(self, text):
        print("ok %6.1fs: %s" % (time.monotonic() - self.started, text), flush=True)

    def that(self, done, text):
        """A step that passed when `done` is true."""
        return self.ok(text) if done else self.fail(text)

    def equal(self, what, expected, actual):
        if expected == actual:
            return True
        shown = [v if len(str(v)) < 200 else str(v)[:100] + "...(%d chars)" % len(str(v))
                 for v in (expected, actual)]
        return self.fail("%s: expected %r, got %r" % (what, shown[0], shown[1]))

    def verdict(self):
        """Prints the summary; the process exit code."""
        if self.failures:
            print("%d check(s) failed" % self.failures)
            return 1
        print("all checks passed in %.1f s" % (time.monotonic() - self.started))
        return 0


def reg_text(text):
    return '"%s"' % text.replace("\\", "\\\\").replace('"', '\\"')


def reg_expand_sz(text):
    """A REG_EXPAND_SZ value in a REGEDIT4 file: hex(2) bytes, zero ended."""
    data = text.encode("latin-1") + b"\0"
    return "hex(2):" + ",".join("%02x" % b for b in data)


class WineSession:
    """A fresh Wine prefix for one run, with one wineserver kept alive so
    that every step times the program and not Wine's start-up."""

    def __init__(self, prefix):
        self.prefix = os.path.abspath(prefix)
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        if os.path.isdir(self.prefix):
            # A run that was killed may have left its Wine session behind.
            subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True)
            shutil.rmtree(self.prefix)
        subprocess.run([os.path.join(REPO, "scripts", "wine-prefix"), self.prefix], check=True)
        # Persistent until close(): once no ordinary Wine process is left, a
        # wineserver ends the services too when its linger time runs out (3 s
        # by default), and an idle service must outlive that. A killed run's
        # server is ended by the next run on the same prefix.
        subprocess.run(["wineserver", "-p"], env=self.env, check=True)
        self.work = tempfile.mkdtemp(prefix="kivo-wine-")

    def close(self):
        self.run(["net", "stop", "kivo"], check=False)
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True)
        shutil.rmtree(self.work, ignore_errors=True)

    def drive_c(self, *parts):
        return os.path.join(self.prefix, "drive_c", *parts)

    def start(self, args):
        """Starts a Windows program and returns at once: its Popen, whose
        output is thrown away."""
        return subprocess.Popen(["wine"] + list(args), env=self.env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def kill(self, program_name):
        """Ends this prefix's process running the program at once, as a
        crash or a task manager would; False when there is none."""
        pid = self.process_pid(program_name)
        if pid is None:
            return False
        os.kill(pid, signal.SIGKILL)
        return True

    def run(self, args, check=True, timeout=60, input=None):
        """Runs a Windows program (or Wine's own tools), given `input` bytes
        on its standard input; bytes out."""
        # Into files, not pipes: the first program of a session starts Wine's
        # background processes, which inherit the handles and keep pipes open.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err, \
                tempfile.TemporaryFile() as stdin:
            stdin.write(input or b"")
            stdin.seek(0)
            code = subprocess.run(["wine"] + list(args), env=self.env,
                                  stdin=stdin if input is not None else subprocess.DEVNULL,
                                  stdout=out, stderr=err, timeout=timeout).returncode
            out.seek(0)
            err.seek(0)
            done = subprocess.CompletedProcess(args, code, out.read(), err.read())
        if check and done.returncode != 0:
            raise RuntimeError("wine %s ended with %d: %s %s" % (
                " ".join(args), done.returncode, done.stdout.decode(errors="replace"),
                done.stderr.decode(errors="replace")))
        return done

    def windows_path(self, path):
        return self.run(["winepath", "-w", path]).stdout.decode().strip()

    # The registry. Changes go in REGEDIT4 batches, one regedit per batch:
    # {key: {name: value}} where a value is a str (REG_SZ), an int (REG_DWORD),
    # a ("expand", str) pair (REG_EXPAND_SZ) or None (delete the value); a key
    # mapped to None is deleted with its subkeys.
    def registry(self, changes):
        lines = ["REGEDIT4", ""]
        for key, values in changes.items():
            if values is None:
                lines += ["[-%s]" % key, ""]
                continue
            lines.append("[%s]" % key)
            for name, value in values.items():
                if value is None:
                    data = "-"
                elif isinstance(value, tuple):
                    data = reg_expand_sz(value[1])
                elif isinstance(value, int):
                    data = "dword:%08x" % (value & 0xFFFFFFFF)
                else:
                    data = reg_text(value)
                lines.append("%s=%s" % (reg_text(name), data))
            lines.append("")
        path = os.path.join(self.work, "change.reg")
        with open(path, "w", encoding="latin-1", newline="\r\n") as f:
            f.write("\n".join(lines) + "\n")
        self.run(["regedit", "/S", path])

    def query(self, key, name):
        """(type, data) of a value as `reg query` shows it, or None."""
        done = self.run(["reg", "query", key, "/v", name], check=False)
        for line in done.stdout.decode(errors="replace").splitlines():
            match = re.match(r"^\s*%s\s+(REG_\w+)\s*(.*?)\s*$" % re.escape(name), line)
            if match:
                return match.groups()
        return None

    def key_exists(self, key):
        return self.run(["reg", "query", key], check=False).returncode == 0

    # The service control manager.
    def service_state(self, name="kivo"):
        out = self.run(["sc", "query", name], check=False).stdout.decode(errors="replace")
        match = re.search(r"STATE\s*:\s*\d+\s+(\w+)", out)
        return match.group(1) if match else None

    def wait_for_state(self, state, seconds=10, name="kivo"):
        return wait_for(lambda: self.service_state(name) == state, seconds, step=0.1)

    def net(self, verb, state, seconds=30):
        """`net start` or `net stop` kivo, then waits for the state (Wine's
        net stop returns once the stop is sent); True when it came."""
        self.run(["net", verb, "kivo"], check=False)
        return self.wait_for_state(state, seconds)

    def process_pid(self, program_name):
        """The Linux pid of this prefix's process whose program (any argument,
        Linux or Windows path) begins with the name, or None: the Wine process
        running "kivo-evtfile.exe", or the "wineserver"."""
        wanted = program_name.lower().encode()
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open("/proc/%s/cmdline" % entry, "rb") as f:
                    cmdline = f.read().split(b"\0")
                with open("/proc/%s/environ" % entry, "rb") as f:
                    environ = f.read()
            except OSError:
                continue
            names = [re.split(rb"[\\/]", arg)[-1].lower() for arg in cmdline]
            if (any(name.startswith(wanted) for name in names)
                    and b"WINEPREFIX=" + self.prefix.encode() + b"\0" in environ):
                return int(entry)
        return None


class EventLogFiles:
    """The three logs as .evt files in the prefix, registered as each log's
    "File" value, and a message module for sample event sources."""

    def __init__(self, session, evtutil, folder="kivo-logs"):
        self.session = session
        self.evtutil = evtutil
        self.folder = folder
        os.makedirs(session.drive_c(folder), exist_ok=True)

    def windows_file(self, log):
        return "C:\\%s\\%s.evt" % (self.folder, log)

    def unix_file(self, log):
        return self.session.drive_c(self.folder, log + ".evt")

    def create_all(self, max_size=1024 * 1024):
        for log in LOGS:
            self.tool(["create", self.windows_file(log), "--max-size", str(max_size)])
        self.session.registry({"%s\\%s" % (EVENTLOG_KEY, log): {
            "File": ("expand", self.windows_file(log))} for log in LOGS})

    def register_source(self, source, module_path, log="Application"):
        """Copies the message module into the prefix and names it as the
        source's "EventMessageFile"."""
        target = self.session.drive_c(self.folder, os.path.basename(module_path))
        shutil.copyfile(module_path, target)
        windows = "C:\\%s\\%s" % (self.folder, os.path.basename(module_path))
        self.session.registry({"%s\\%s\\%s" % (EVENTLOG_KEY, log, source): {
            "EventMessageFile": ("expand", windows), "TypesSupported": 7}})
        return windows

    def tool(self, args):
        return self.session.run([self.evtutil] + list(args)).stdout.decode(errors="replace")

    def append(self, log="Application", source="KivoSample", event_id=1000, type_="information",
               strings=(), sid=None, computer=None, category=None, repeat=None, number_from=None,
               every=None, time_generated=None, wait=True, clear_first=False):
        """Appends a record (`repeat` records: with `number_from`, "{n}" in
        the strings counts up from it; with `every`, one each that many
        milliseconds; with `clear_first`, right after a clear). Returns the
        time the file was last written, or without `wait` at once the
        writer's Popen."""
        args = ["append", self.windows_file(log), "--source", source, "--id", str(event_id),
                "--type", type_] + (["--clear-first"] if clear_first else [])
        for text in strings:
            args += ["--string", text]
        if sid:
            args += ["--sid", sid]
        if computer:
            args += ["--computer", computer]
        if category is not None:
            args += ["--category", str(category)]
        for option, value in (("--repeat", repeat), ("--number-from", number_from),
                              ("--every", every), ("--time", time_generated)):
            if value is not None:
                args += [option, str(value)]
        if not wait:
            return self.session.start([self.evtutil] + args)
        self.tool(args)
        return os.stat(self.unix_file(log)).st_mtime

    def clear(self, log="Application", keep_numbering=False):
        self.tool(["clear", self.windows_file(log)] + (["--keep-numbering"] if keep_numbering else []))


class UdpListener:
    """Every datagram that reaches a UDP socket on 127.0.0.1, with its
    arrival time."""

    def __init__(self):
        self.socket = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.socket.bind(("127.0.0.1", 0))
        self.socket.settimeout(0.2)
        self.port = self.socket.getsockname()[1]
        self.received = []  # (time, bytes)
        self.lock = threading.Lock()
        self.stopping = False
        self.thread = threading.Thread(target=self._receive, daemon=True)
        self.thread.start()

    def _receive(self):
        while not self.stopping:
            try:
                data, _ = self.socket.recvfrom(65535)
            except socket.timeout:
                continue
            except OSError:
                return
            with self.lock:
                self.received.append((time.time(), data))

    def messages(self):
        with self.lock:
            return [data for _, data in self.received]

    def wait_for(self, predicate, seconds):
        """The first message that satisfies predicate, or None."""
        def find():
            return next((m for m in self.messages() if predicate(m)), None)
        return wait_for(find, seconds)

    def count(self, tag):
        """How many datagrams hold the tag."""
        tag = tag.encode()
        return sum(1 for m in self.messages() if tag in m)

    def numbers(self, tag):
        """The numbers that follow the tag in the datagrams (the sequence
        numbers "tag{n}" of appended records), in order of arrival."""
        return tagged_numbers(tag, self.messages())

    def tally(self, tag, total):
        """How the records tag1 .. tag<total> arrived (see tally())."""
        return tally(self.numbers(tag), total)

    def close(self):
        self.stopping = True
        self.thread.join()
        self.socket.close()


def tcp_listening(port):
    """Whether something listens on the loopback TCP port (asked of /proc,
    since a probe connection would use up an accept)."""
    with open("/proc/net/tcp") as table:
        return any(line.split()[1].endswith(":%04X" % port) and line.split()[3] == "0A"
                   for line in table.readlines()[1:])


def tally(numbers, total):
    """How the records tag1 .. tag<total>, given the numbers of those that
    arrived in order of arrival, came: whether each first came in order and
    none was missing, and how many came again."""
    firsts = list(dict.fromkeys(numbers))
    return firsts == list(range(1, total + 1)), len(numbers) - len(firsts)


def tagged_numbers(tag, texts):
    """The numbers that follow the tag in the texts (bytes), in order."""
    pattern = re.compile(re.escape(tag.encode()) + rb"(\d+)")
    return [int(found.group(1)) for found in map(pattern.search, texts) if found]


# Test certificates (certtool templates): a CA, another CA, and server
# certificates for "sysloghost" (good), for "otherhost", and for "sysloghost"
# that expired in 2020; "other-signed" is the good one signed by the other CA.
CERTIFICATE_TEMPLATES = {
    "ca": 'cn = "Kivo Test CA"\nca\ncert_signing_key\nexpiration_days = 30\n',
    "other-ca": 'cn = "Other CA"\nca\ncert_signing_key\nexpiration_days = 30\n',
    "good": 'cn = "sysloghost"\ndns_name = "sysloghost"\ntls_www_server\nexpiration_days = 30\n',
    "otherhost": 'cn = "otherhost"\ndns_name = "otherhost"\ntls_www_server\n'
                 'expiration_days = 30\n',
    "expired": 'cn = "sysloghost"\ndns_name = "sysloghost"\ntls_www_server\n'
               'activation_date = "2020-01-01 00:00:00 UTC"\n'
               'expiration_date = "2020-02-01 00:00:00 UTC"\n',
}


def make_certificates(folder):
    """ca.pem (and ca.der), other-ca.pem, and good.pem, otherhost.pem,
    expired.pem, other-signed.pem, all for the key server.key, in the
    folder."""
    def tool(*args):
        subprocess.run(["certtool"] + list(args), check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
    path = lambda name: os.path.join(folder, name)  # noqa: E731
    for name, text in CERTIFICATE_TEMPLATES.items():
        with open(path(name + ".tmpl"), "w") as f:
            f.write(text)
    for key in ("ca", "other-ca", "server"):
        tool("--generate-privkey", "--key-type=rsa", "--bits=2048", "--outfile", path(key + ".key"))
    for ca in ("ca", "other-ca"):
        tool("--generate-self-signed", "--load-privkey", path(ca + ".key"), "--template",
             path(ca + ".tmpl"), "--outfile", path(ca + ".pem"))
    for name, ca in (("good", "ca"), ("otherhost", "ca"), ("expired", "ca"),
                     ("other-signed", "other-ca")):
        tool("--generate-certificate", "--load-privkey", path("server.key"), "--load-ca-certificate",
             path(ca + ".pem"), "--load-ca-privkey", path(ca + ".key"), "--template",
             path((name if name != "other-signed" else "good") + ".tmpl"), "--outfile",
             path(name + ".pem"))
    subprocess.run(["openssl", "x509", "-in", path("ca.pem"), "-outform", "DER", "-out",
                    path("ca.der")], check=True)


class SyslogReceiver:
    """rsyslogd in the foreground, unprivileged, as a syslog receiver on a
    loopback port of its own, with its own configuration and work folder:
    over "udp", "tcp" (octet counting) or "tls" (the gtls driver serving the
    certificate of a make_certificates folder, good.pem unless told,
    clients without certificates).
    Each message is stored with the fields rsyslog parsed (FIELDS, the
    times in RFC 3339); stop() and start() again keep the port."""

    FIELDS = ("facility", "severity", "tag", "app-name", "msgid", "structured-data",
              "timereported", "timegenerated", "msg")

    def __init__(self, protocol="udp", certificates=None, certificate="good"):
        self.folder = tempfile.mkdtemp(prefix="kivo-rsyslog-")
        self.protocol = protocol
        self.port = free_udp_port() if protocol == "udp" else free_tcp_port()
        self.received = os.path.join(self.folder, "received")
        self.config = os.path.join(self.folder, "rsyslog.conf")
        self.pid = os.path.join(self.folder, "rsyslogd.pid")
        settings = 'workDirectory="%s"' % self.folder
        if protocol == "tls":
            settings += (' defaultNetstreamDriverCAFile="{0}/ca.pem"'
                         ' defaultNetstreamDriverCertFile="{0}/{1}.pem"'
                         ' defaultNetstreamDriverKeyFile="{0}/server.key"'.format(certificates,
                                                                                  certificate))
        module = {"udp": 'module(load="imudp")\n',
                  "tcp": 'module(load="imtcp")\n',
                  "tls": 'module(load="imtcp" streamDriver.name="gtls" streamDriver.mode="1"'
                         ' streamDriver.authMode="anon")\n'}[protocol]
        fields = "|".join("%%%s%%" % name for name in (
            "syslogfacility-text", "syslogseverity-text", "syslogtag", "app-name", "msgid",
            "structured-data", "timereported:::date-rfc3339", "timegenerated:::date-rfc3339",
            "msg"))
        with open(self.config, "w") as f:
            f.write('global(%s)\n%s'
                    'input(type="im%s" address="127.0.0.1" port="%d")\n'
                    'template(name="fields" type="string" string="%s\\n")\n'
                    '*.* action(type="omfile" file="%s" template="fields")\n'
                    % (settings, module, "udp" if protocol == "udp" else "tcp", self.port,
                       fields, self.received))
        self.process = None
        self.start()

    def start(self):
        if os.path.exists(self.pid):
            os.remove(self.pid)
        self.process = subprocess.Popen(["rsyslogd", "-n", "-f", self.config, "-i", self.pid],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_for(lambda: os.path.exists(self.pid) and (self.protocol == "udp" or
                                                               tcp_listening(self.port)), 10):
            raise RuntimeError("rsyslogd did not start")

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            self.process.wait(10)

    def lines(self):
        if not os.path.exists(self.received):
            return []
        with open(self.received, "rb") as f:
            return f.read().splitlines()

    def records(self):
        """Each message as a dict of FIELDS (bytes values)."""
        return [dict(zip(self.FIELDS, line.split(b"|", len(self.FIELDS) - 1)))
                for line in self.lines()]

    def record(self, marker):
        """The first message that holds the marker (text), or None."""
        return next((r for r in self.records() if marker.encode() in r["msg"]), None)

    def numbers(self, tag):
        return tagged_numbers(tag, self.lines())

    def close(self):
        self.stop()
        shutil.rmtree(self.folder, ignore_errors=True)


# One line per trap: fields between '|', bindings between '~~', then an end
# marker, since text bindings may hold line breaks.
TRAP_FORMAT = "TRAP|%s|%P|%u|%N|%a|%w|%q|%T|%V~~%v|END\n"
TRAP_FIELDS = ["version", "security", "community", "enterprise", "agent", "generic",
               "specific", "uptime", "bindings"]


def parse_binding(text):
    match = re.match(r"^\.?(\S+) = (?:([A-Za-z0-9-]+): )?(.*)$", text, re.S)
    if not match:
        return (text, None, None)
    name, kind, value = match.groups()
    if kind == "STRING" and len(value) >= 2 and value[0] == '"' and value[-1] == '"':
        # snmptrapd quotes the text and escapes quotes and backslashes in it.
        value = re.sub(r'\\(["\\])', r"\1", value[1:-1])
    return (name, kind, value)


def parse_trap(text):
    """A trap of snmptrapd's output as a dict: the fields above, "bindings"
    as (name, type, value) with the leading dot of names and the quotes of
    strings taken off, and "event" the event bindings by their last arc."""
    trap = dict(zip(TRAP_FIELDS, text.split("|", len(TRAP_FIELDS) - 1)))
    bindings = [parse_binding(b) for b in trap.get("bindings", "").split("~~") if b]
    trap["bindings"] = bindings
    trap["enterprise"] = trap.get("enterprise", "").lstrip(".")
    trap["specific"] = trap.get("specific", "").lstrip(".")
    trap["event"] = {name[len(EVENT_OID):]: (kind, value) for name, kind, value in bindings
                     if name.startswith(EVENT_OID)}
    if trap.get("version") == "1" and len(bindings) >= 2:
        trap["uptime"] = re.sub(r"^\((\d+)\).*$", r"\1", bindings[0][2], flags=re.S)
        trap["trap_oid"] = bindings[1][2].lstrip(".")
    return trap


class TrapReceiver:
    """snmptrapd as the trap destination. Given MIB modules (and the folders
    that hold them and their imports) it prints names instead of numbers;
    given a handler command it also hands each trap to it (traphandle);
    given configuration lines (SNMPv3 users and their authUser lines, for
    one) it takes them instead of accepting every community."""

    def __init__(self, mibs=(), mib_path=None, handler=None, config_lines=None):
        self.workdir = tempfile.mkdtemp(prefix="kivo-trapd-")
        self.log = os.path.join(self.workdir, "trapd.out")
        self.config = os.path.join(self.workdir, "snmptrapd.conf")
        self.handler = handler
        self.names = ["-M", mib_path, "-m", ":".join(mibs)] if mibs else ["-On", "-m", ""]
        # Its engine ID and boots persist here across a stop and a start.
        self.env = dict(os.environ, SNMP_PERSISTENT_DIR=os.path.join(self.workdir, "persist"),
                        MIBS="", MIBDIRS=os.path.join(self.workdir, "nomibs"),
                        SNMPCONFPATH=self.workdir)
        self.process = None
        open(self.log, "w").close()
        for _ in range(5):  # another test may take the port between probe and bind
            self.port = free_udp_port()
            if self.start(config_lines):
                return
        raise RuntimeError("snmptrapd did not start:\n" + self.output())

    def start(self, config_lines=None):
        """Starts it on its port, with new configuration lines when given;
        True once it runs. Its output goes on in the same log."""
        if config_lines is not None or not os.path.exists(self.config):
            with open(self.config, "w") as f:
                for line in config_lines or ["disableAuthorization yes"]:
                    f.write(line + "\n")
                if self.handler:
                    f.write("traphandle default %s\n" % self.handler)
        starts = self.output().count("NET-SNMP version")
        with open(self.log, "a") as out:
            self.process = subprocess.Popen(
                ["snmptrapd", "-f", "-C", "-c", self.config, "-Lo", "-n"] + self.names +
                ["-F", TRAP_FORMAT, "udp:127.0.0.1:%d" % self.port],
                stdout=out, stderr=subprocess.STDOUT, env=self.env)
        started = wait_for(lambda: self.output().count("NET-SNMP version") > starts
                           or self.process.poll() is not None, 15)
        if started and self.process.poll() is None:
            return True
        self.process.wait()
        return False

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

    def output(self):
        # newline="": the line breaks inside text bindings as they came.
        with open(self.log, errors="replace", newline="") as f:
            return f.read()

    def traps(self):
        return [parse_trap(t) for t in re.findall(r"^TRAP\|(.*?)\|END\r?$", self.output(),
                                                  re.S | re.M)]

    def wait_for(self, predicate, seconds):
        """The first trap that satisfies predicate, or None."""
        def find():
            return next((t for t in self.traps() if predicate(t)), None)
        return wait_for(find, seconds)

    def close(self):
        self.stop()
        shutil.rmtree(self.workdir, ignore_errors=True)


class ForwardingRun:
    """kivo-evtfile.exe installed and started in a session, with the sample
    source in each of the three logs (of `max_size` bytes each) and each
    event sent as a trap to `traps` and as a syslog datagram to `syslog`;
    `settings` are more values of the store's root key."""

    def __init__(self, session, build, settings, max_size=1024 * 1024):
        self.session = session
        self.traps, self.syslog = UdpListener(), UdpListener()
        self.logs = EventLogFiles(session, os.path.join(build, "tools", "evtutil", "evtutil.exe"))
        self.logs.create_all(max_size)
        for log in LOGS:
            self.logs.register_source(
                "KivoSample", os.path.join(build, "tests", "messages", "KivoSample.dll"), log)
        root = {"version": 0, "destination": "127.0.0.1", "port": self.traps.port,
                "community": "public", "logging": 0}
        root.update(settings)
        session.registry({
            CONFIG_KEY: root, CONFIG_KEY + r"\Syslog": {"usefilters": 0},
            CONFIG_KEY + r"\Syslog\0": {"sysloghost": "127.0.0.1", "syslogport": self.syslog.port}})
        install_and_start(session, os.path.join(build, "kivo-evtfile.exe"))

    def arrived(self, tag, count, seconds):
        """Waits until both listeners hold `count` datagrams with the tag."""
        return wait_for(lambda: min(self.traps.count(tag), self.syslog.count(tag)) >= count,
                        seconds, 0.5)

    def close(self):
        self.traps.close()
        self.syslog.close()


def install_and_start(session, program):
    """kivo -i, then net start; returns the -i output."""
    out = session.run([program, "-i"]).stdout
    session.run(["net", "start", "kivo"])
    if not session.wait_for_state("RUNNING"):
        raise RuntimeError("the service did not start: %s" % session.service_state())
    return out


def stop_and_uninstall(session, program):
    session.run(["net", "stop", "kivo"], check=False)
    session.wait_for_state("STOPPED")
    return session.run([program, "-u"]).stdout
