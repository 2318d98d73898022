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
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__)))), "tools", "wine"))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import kivo_wine  # noqa: E402

def start_s_server(folder, name, port, certificate, options=()):
    output = open(os.path.join(folder, name + ".out"), "w")
    return subprocess.Popen(
        ["openssl", "s_server", "-quiet", "-naccept", "1", "-accept", "127.0.0.1:%d" % port,
         "-cert", os.path.join(folder, certificate + ".pem"),
         "-key", os.path.join(folder, "server.key")] + list(options),
        stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.DEVNULL)


def main():
    wine_run, driver = sys.argv[1:3]
    checks = kivo_wine.Checks()
    with tempfile.TemporaryDirectory(prefix="kivo-tls-") as folder:
        kivo_wine.make_certificates(folder)
        checks.ok("certificates made")
        windows = lambda name: "Z:" + os.path.join(folder, name).replace("/", "\\")  # noqa: E731
        rsyslog = kivo_wine.SyslogReceiver("tls", folder)
        rsyslog_port = rsyslog.port
        servers = []
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
            port = kivo_wine.free_tcp_port()
            servers.append(start_s_server(folder, name, port, certificate, options))
            cases.append((name, port, "sysloghost", windows("ca.pem"), "refused: " + reason))
        kivo_wine.wait_for(lambda: all(kivo_wine.tcp_listening(case[1]) for case in cases), 10)
        try:
            arguments = [str(part) for case in cases for part in case[:4]]
            result = subprocess.run([wine_run, driver] + arguments, stdout=subprocess.PIPE,
                                    text=True, timeout=120)
            lines = dict(line.split(": ", 1) for line in result.stdout.splitlines() if ": " in line)
            for label, _, _, _, expected in cases:
                checks.equal("case " + label, expected, lines.get(label))
            received = lambda: [r["msg"] for r in rsyslog.records()]  # noqa: E731
            kivo_wine.wait_for(lambda: len(received()) >= 2, 10)
            checks.equal("what rsyslog received", [b"tls case pem", b"tls case der"], received())
            for name, _, _, _ in bad_servers:
                checks.equal("what %s's server received" % name, "",
                             kivo_wine.read_text(os.path.join(folder, name + ".out")).strip())
        finally:
            rsyslog.close()
            for server in servers:
                server.terminate()
                server.wait(10)
    return checks.verdict()


if __name__ == "__main__":
    sys.exit(main())
