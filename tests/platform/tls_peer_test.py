#!/usr/bin/env python3
"""Real-peer test of the product's TLS (SChannel under Wine) and of its check
of the server's certificate.

    tls_peer_test.py WINE-RUN DRIVER

Certificates are made here with certtool: a CA, another CA, and server
certificates for "sysloghost" (good), for "otherhost", for "sysloghost"
signed by the other CA, and for "sysloghost" that expired in 2020. rsyslog
(imtcp with the gtls driver, anonymous clients) serves the good certificate;
openssl s_server serves each bad one, and the good one over TLS 1.1 only.
The driver (kivo_tls_driver.exe) sends one frame to each; only rsyslog may
receive one, and each refusal must name its reason.
"""

import os
import socket
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__)))), "tools", "wine"))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import kivo_wine  # noqa: E402

TEMPLATES = {
    "ca": 'cn = "Kivo Test CA"\nca\ncert_signing_key\nexpiration_days = 30\n',
    "other-ca": 'cn = "Other CA"\nca\ncert_signing_key\nexpiration_days = 30\n',
    "good": 'cn = "sysloghost"\ndns_name = "sysloghost"\ntls_www_server\nexpiration_days = 30\n',
    "otherhost": 'cn = "otherhost"\ndns_name = "otherhost"\ntls_www_server\n'
                 'expiration_days = 30\n',
    "expired": 'cn = "sysloghost"\ndns_name = "sysloghost"\ntls_www_server\n'
               'activation_date = "2020-01-01 00:00:00 UTC"\n'
               'expiration_date = "2020-02-01 00:00:00 UTC"\n',
}


def free_tcp_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def make_certificates(folder):
    def tool(*args):
        subprocess.run(["certtool"] + list(args), check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
    path = lambda name: os.path.join(folder, name)  # noqa: E731
    for name, text in TEMPLATES.items():
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


def start_rsyslog(folder, port):
    config = os.path.join(folder, "rsyslog.conf")
    with open(config, "w") as f:
        f.write('global(workDirectory="{0}" defaultNetstreamDriverCAFile="{0}/ca.pem"\n'
                '       defaultNetstreamDriverCertFile="{0}/good.pem"\n'
                '       defaultNetstreamDriverKeyFile="{0}/server.key")\n'
                'module(load="imtcp" streamDriver.name="gtls" streamDriver.mode="1"\n'
                '       streamDriver.authMode="anon")\n'
                'input(type="imtcp" address="127.0.0.1" port="{1}")\n'
                'template(name="message" type="string" string="%msg%\\n")\n'
                '*.* action(type="omfile" file="{0}/received" template="message")\n'
                .format(folder, port))
    pid = os.path.join(folder, "rsyslogd.pid")
    process = subprocess.Popen(["rsyslogd", "-n", "-f", config, "-i", pid],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if not kivo_wine.wait_for(lambda: os.path.exists(pid), 10):
        raise RuntimeError("rsyslogd did not start")
    return process


def start_s_server(folder, name, port, certificate, options=()):
    output = open(os.path.join(folder, name + ".out"), "w")
    return subprocess.Popen(
        ["openssl", "s_server", "-quiet", "-naccept", "1", "-accept", "127.0.0.1:%d" % port,
         "-cert", os.path.join(folder, certificate + ".pem"),
         "-key", os.path.join(folder, "server.key")] + list(options),
        stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.DEVNULL)


def listening(port):
    """Whether something listens on the TCP port (asked of /proc, since a
    probe connection would use up s_server's only accept)."""
    with open("/proc/net/tcp") as table:
        return any(line.split()[1].endswith(":%04X" % port) and line.split()[3] == "0A"
                   for line in table.readlines()[1:])


def read(path):
    return open(path, errors="replace").read() if os.path.exists(path) else ""


def main():
    wine_run, driver = sys.argv[1:3]
    checks = kivo_wine.Checks()
    with tempfile.TemporaryDirectory(prefix="kivo-tls-") as folder:
        make_certificates(folder)
        checks.ok("certificates made")
        windows = lambda name: "Z:" + os.path.join(folder, name).replace("/", "\\")  # noqa: E731
        rsyslog_port = free_tcp_port()
        servers = [start_rsyslog(folder, rsyslog_port)]
        # label, port, the name asked for, the CA file, the expected outcome
        cases = [("pem", rsyslog_port, "sysloghost", windows("ca.pem"), "sent"),
                 ("der", rsyslog_port, "sysloghost", windows("ca.der"), "sent"),
                 ("machine-roots", rsyslog_port, "sysloghost", "-",
                  'refused: certificate "sysloghost" issued by "Kivo Test CA" not trusted')]
        bad_servers = (
            ("other-signed", "other-signed", (),
             'certificate "sysloghost" issued by "Other CA" not trusted'),
            ("otherhost", "otherhost", (), 'name "sysloghost" does not match certificate "otherhost"'),
            ("expired", "expired", (), 'certificate "sysloghost" expired'),
            ("tls1.1", "good", ("-tls1_1", "-cipher", "DEFAULT@SECLEVEL=0"),
             "TLS 1.1 refused: TLS 1.2 at least is required"))
        for name, certificate, options, reason in bad_servers:
            port = free_tcp_port()
            servers.append(start_s_server(folder, name, port, certificate, options))
            cases.append((name, port, "sysloghost", windows("ca.pem"), "refused: " + reason))
        kivo_wine.wait_for(lambda: all(listening(case[1]) for case in cases), 10)
        try:
            arguments = [str(part) for case in cases for part in case[:4]]
            result = subprocess.run([wine_run, driver] + arguments, stdout=subprocess.PIPE,
                                    text=True, timeout=120)
            lines = dict(line.split(": ", 1) for line in result.stdout.splitlines() if ": " in line)
            for label, _, _, _, expected in cases:
                checks.equal("case " + label, expected, lines.get(label))
            received = lambda: read(os.path.join(folder, "received")).splitlines()  # noqa: E731
            kivo_wine.wait_for(lambda: len(received()) >= 2, 10)
            checks.equal("what rsyslog received", ["tls case pem", "tls case der"], received())
            for name, _, _, _ in bad_servers:
                checks.equal("what %s's server received" % name, "",
                             read(os.path.join(folder, name + ".out")).strip())
        finally:
            for server in servers:
                server.terminate()
                server.wait(10)
    return checks.verdict()


if __name__ == "__main__":
    sys.exit(main())
