#!/usr/bin/env python3
"""vemtrix-cli against the site simulator.

For a search on every site and option set: `query` over the network and
`parse` of the same page saved to a file print exactly the same, and both
give the ads the simulator says it put on the page. Also: the count is -1
when nothing can be downloaded, and bad arguments exit with status 2.
"""
import datetime
import json
import os
import subprocess
import sys
import tempfile
import unittest

CLI = os.environ.get("VEMTRIX_CLI", "build/native/vemtrix-cli")
SIM = os.environ.get("VEMTRIX_SITESIM", "tools/sitesim/sitesim.py")

# (host as the catalog gives it, section code, term, --set options)
SEARCHES = [
    ("http://sfbay.craigslist.org/", "sss", "road bike", {}),
    ("sfbay.craigslist.org", "sss", "road bike", {"SearchTitles": 1, "HasPictures": 1}),
    ("toronto.kijiji.ca", "27\\b-furniture", "sofa", {}),
    ("toronto.kijiji.ca", "27\\b-furniture", "sofa", {"SearchTitles": 1}),
    ("losangeles.kijiji.com", "12\\furniture", "desk lamp", {}),
    ("losangeles.kijiji.com", "12\\furniture", "desk lamp", {"HasPictures": 1, "SearchTitles": 1}),
    ("phoenix.backpage.com", "4374\\0\\electronics", "tv", {}),
    ("phoenix.backpage.com", "4374\\5172\\electronics", "tv", {"HasPictures": 1}),
    ("la.daype.com", "Furniture\\furniture", "chair", {}),
    ("la.daype.com", "Furniture\\furniture", "Chair", {"DaypeRSS": 1}),
    ("sfbay.craigslist.org", "sss", "zzznothing", {}),
    ("losangeles.kijiji.com", "12\\furniture", "zzznothing", {}),
    ("toronto.kijiji.ca", "27\\b-furniture", "zzzmany o'neil & co", {}),
]


def unescape(field):
    out = bytearray()
    i = 0
    while i < len(field):
        c = field[i:i + 1]
        if c == b"\\" and i + 1 < len(field):
            out += {b"\\": b"\\", b"t": b"\t", b"r": b"\r", b"n": b"\n"}[field[i + 1:i + 2]]
            i += 2
        else:
            out += c
            i += 1
    return bytes(out)


def run(args, check=True):
    proc = subprocess.run([CLI] + args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
    if check and proc.returncode != 0:
        raise AssertionError("%s failed (%d): %s" % (args, proc.returncode, proc.stderr.decode("latin-1")))
    return proc


def sets(options):
    args = []
    for key, value in options.items():
        args += ["--set", "%s=%s" % (key, value)]
    return args


class CliAgainstSimulator(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.sim = subprocess.Popen([sys.executable, SIM, "--port", "0"], stdout=subprocess.PIPE)
        line = cls.sim.stdout.readline().decode()
        assert line.startswith("sitesim listening on "), line
        cls.port = int(line.split()[-1])
        cls.tmp = tempfile.TemporaryDirectory()

    @classmethod
    def tearDownClass(cls):
        cls.sim.terminate()
        cls.sim.wait(timeout=10)
        cls.tmp.cleanup()

    def control(self, path):
        import socket
        with socket.create_connection(("127.0.0.1", self.port), timeout=10) as s:
            s.sendall(("GET %s HTTP/1.0\r\nHost: control\r\n\r\n" % path).encode())
            while s.recv(4096):
                pass

    def simulator(self, *args):
        return subprocess.run([sys.executable, SIM] + list(args), stdout=subprocess.PIPE,
                              check=True, timeout=60).stdout

    def test_query_and_parse_agree_with_the_simulated_page(self):
        today = datetime.date.today().isoformat()
        for host, section, term, options in SEARCHES:
            with self.subTest(host=host, term=term, options=options):
                common = ["--host", host, "--term", term] + sets(options)
                path_out = run(["path", "--section", section] + common).stdout
                normal, path = path_out.rstrip(b"\n").split(b"\t")
                self.assertEqual(normal.decode(), host.replace("http://", "").rstrip("/"))

                queried = run(["query", "--section", section, "--connect-to",
                               "127.0.0.1:%d" % self.port] + common).stdout
                page_file = os.path.join(self.tmp.name, "page")
                with open(page_file, "wb") as f:
                    f.write(self.simulator("--dump", normal.decode(), path.decode()))
                parsed = run(["parse", "--file", page_file, "--section", section] + common).stdout
                self.assertEqual(queried, parsed)

                expect_args = ["--expect", normal.decode(), path.decode(), "--today", today]
                for key in ("SearchTitles", "HasPictures"):
                    if options.get(key):
                        expect_args += ["--set", "%s=1" % key]
                expected = [json.loads(l) for l in self.simulator(*expect_args).decode().splitlines() if l]

                lines = parsed.split(b"\n")
                self.assertEqual(lines[-1], b"")
                self.assertEqual(int(lines[0]), len(expected))
                got = [[unescape(f) for f in l.split(b"\t")] for l in lines[1:-1]]
                want = [[e[k].encode("latin-1") for k in ("date", "title", "link", "description")]
                        for e in expected]
                self.assertEqual(got, want)
                if "zzznothing" in term:
                    self.assertEqual(lines[0], b"0")
                if "zzzmany" in term:
                    self.assertGreater(len(got), 50)

    def test_nothing_downloaded_gives_minus_one(self):
        self.control("/__sim/fault?mode=close&match=closing.craigslist.org")
        out = run(["query", "--host", "closing.craigslist.org", "--term", "x", "--section", "sss",
                   "--connect-to", "127.0.0.1:%d" % self.port]).stdout
        self.assertEqual(out, b"-1\n")
        # A host of no known site is never asked.
        out = run(["query", "--host", "www.example.org", "--term", "x", "--section", "sss",
                   "--connect-to", "127.0.0.1:%d" % self.port]).stdout
        self.assertEqual(out, b"-1\n")

    def test_a_redirected_search_is_followed_once(self):
        self.control("/__sim/fault?mode=redirect1&match=moved.craigslist.org")
        out = run(["query", "--host", "moved.craigslist.org", "--term", "bike", "--section", "bik",
                   "--connect-to", "127.0.0.1:%d" % self.port]).stdout
        self.assertGreater(int(out.split(b"\n")[0]), 0)
        self.control("/__sim/fault?mode=redirect2&match=twice.craigslist.org")
        out = run(["query", "--host", "twice.craigslist.org", "--term", "bike", "--section", "bik",
                   "--connect-to", "127.0.0.1:%d" % self.port]).stdout
        self.assertEqual(out, b"-1\n")  # a redirect left after the one followed: a failed download

    def test_bad_arguments_exit_with_status_two(self):
        for args in (["parse", "--host", "a.craigslist.org", "--term", "x"],
                     ["query", "--host", "h", "--term", "t", "--section", "s", "--connect-to", "nope"],
                     ["path", "--host", "h", "--term", "t", "--section", "s", "--set", "NoSuchKey=1"],
                     ["frobnicate"], []):
            with self.subTest(args=args):
                proc = run(args, check=False)
                self.assertEqual(proc.returncode, 2)
                self.assertIn(b"usage", proc.stderr)
                self.assertEqual(proc.stdout, b"")


if __name__ == "__main__":
    unittest.main()
