#!/usr/bin/env python3
"""vemtrix-cli in a world where every site has moved to https: the simulator
answers plain requests with a 301 to https and serves the pages over TLS with
a certificate of a CA made for the test, which only the test's own runs trust
(SSL_CERT_FILE). Searches give the same store as over plain http, every fault
of the fault matrix gives what it gives over plain http, and a site whose
certificate is bad is given up (exit 3) with nothing stored from it.
"""
import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cli_fault_matrix_test as matrix  # noqa: E402
import cli_search_test as search  # noqa: E402
from cli_search_test import CLI, SIM  # noqa: E402

sys.path.insert(0, os.path.dirname(os.path.abspath(SIM)))
import tls_ca  # noqa: E402


class HttpsWorldSearch(search.CliSearch):
    HTTPS_ONLY = True


class HttpsWorldFaultMatrix(matrix.FaultMatrix):
    HTTPS_ONLY = True


class BadCertificates(unittest.TestCase):

    def test_a_site_with_a_bad_certificate_is_given_up_and_nothing_is_stored(self):
        with tempfile.TemporaryDirectory() as tmp:
            ca = tls_ca.make_ca(tmp)
            with open(os.path.join(tmp, "CLcitylist.csv"), "w", newline="") as f:
                f.write('"Region","CountryCode","CountryName","CityName","CityURL"\r\n'
                        '"North America","US","United States","Seattle","http://seattle.craigslist.org/"\r\n')
            with open(os.path.join(tmp, "CLsectlist.csv"), "w", newline="") as f:
                f.write('"MasterSectionCode","SectionCode","SectionName"\r\n"sss","fuo","furniture - by owner"\r\n')
            env = dict(os.environ, SSL_CERT_FILE=ca)
            for kind in ("self-signed", "expired", "other-host"):
                with self.subTest(kind=kind):
                    cert, key = tls_ca.issue(tmp, kind, tls_ca.SITE_NAMES, kind)
                    sim = subprocess.Popen([sys.executable, SIM, "--port", "0", "--tls-port", "0", "--tls-cert", cert,
                                            "--tls-key", key, "--https-only"], stdout=subprocess.PIPE)
                    try:
                        ports = [int(sim.stdout.readline().decode().split()[-1]) for _ in range(2)]
                        proc = subprocess.run(
                            [CLI, "search", "--terms", "lamp", "--cities", "http://seattle.craigslist.org/",
                             "--sections", "CL:fuo", "--catalogs", tmp, "--connect-to", "127.0.0.1:%d,%d" % tuple(ports),
                             "--no-retry-wait"],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120, env=env)
                        self.assertEqual(proc.returncode, 3, proc.stderr.decode("latin-1"))
                        self.assertEqual(proc.stdout.decode("latin-1"), "0 results\n")
                        self.assertIn("I'm having trouble connecting to the search for lamp on the server "
                                      "http://seattle.craigslist.org/", proc.stderr.decode("latin-1"))
                    finally:
                        sim.terminate()
                        sim.wait(10)
                        sim.stdout.close()


if __name__ == "__main__":
    unittest.main()
