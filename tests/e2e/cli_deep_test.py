#!/usr/bin/env python3
"""vemtrix-cli deep and search --deep against the site simulator.

Every ad page kind of every site is read with `deep` and compared with the
simulator's own extraction (--expect-ad); a search with --deep fills every
row with its ad's text, marks expired postings, and takes Daype's dates.
"""
import json
import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cli_search_test as search  # noqa: E402  (catalogs and helpers)

CLI = search.CLI
SIM = search.SIM

KINDS = [
    ("toronto.craigslist.ca", "plain"), ("toronto.craigslist.ca", "nomail"),
    ("toronto.craigslist.ca", "expired"), ("toronto.kijiji.ca", "plain"),
    ("toronto.kijiji.ca", "nopicture"), ("losangeles.kijiji.com", "plain"),
    ("losangeles.kijiji.com", "nopicture"), ("phoenix.backpage.com", "plain"),
    ("phoenix.backpage.com", "noend"), ("phoenix.backpage.com", "nomarker"),
    ("la.daype.com", "plain"), ("la.daype.com", "nodate"),
]


def simulator(*args):
    return subprocess.run([sys.executable, SIM] + list(args), stdout=subprocess.PIPE, check=True,
                          timeout=120).stdout.decode("latin-1")


def unescape(text):
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append({"\\": "\\", "t": "\t", "r": "\r", "n": "\n"}[text[i + 1]])
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


class CliDeep(search.SimulatedSitesCase):
    CATALOG_FILES = search.CATALOGS

    def cli(self, *args):
        return subprocess.run([CLI] + list(args) + ["--connect-to", "127.0.0.1:%d" % self.port],
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=600)

    def test_every_ad_page_kind_reads_as_the_simulator_says(self):
        for host, kind in KINDS:
            with self.subTest(host=host, kind=kind):
                path = simulator("--list-ads", host, "--kind", kind).split()[0]
                want = json.loads(simulator("--expect-ad", host, path))
                proc = self.cli("deep", "--link", "http://" + host + path, "--no-retry-wait")
                if kind == "nomarker":
                    # No text: five attempts, the give-up message, exit 3.
                    self.assertEqual(proc.returncode, 3)
                    self.assertEqual(proc.stdout, b"")
                    self.assertIn(b"I'm having trouble downloading " + path.encode(), proc.stderr)
                    continue
                self.assertEqual(proc.returncode, 0, proc.stderr)
                lines = proc.stdout.decode("latin-1").split("\n")
                self.assertEqual(unescape(lines[0]), want["text"])
                self.assertEqual(lines[1] or None, want["date"])
                self.assertGreaterEqual(len(want["text"]), 50)

    def test_search_with_deep_scan_fills_every_row(self):
        # Backpage is left out: its pages without a marker fail five times,
        # with real countdowns between the attempts.
        proc = self.cli("search", "--terms", "bike,zzzmany", "--sections", "CL:bik,KJ:27\\b-furniture,DA:fs\\furniture",
                        "--cities", "http://seattle.craigslist.org/,http://toronto.kijiji.ca/,http://la.daype.com/",
                        "--catalogs", self.tmp.name, "--set", "SearchDaype=1", "--deep")
        self.assertEqual(proc.returncode, 0, proc.stderr)
        rows = [l.split("\t") for l in proc.stdout.decode("latin-1").split("\n")[:-2]]
        self.assertGreater(len(rows), 100)
        expired = 0
        for row in rows:
            link = unescape(row[4])
            host, path = link[len("http://"):].split("/", 1)
            want = json.loads(simulator("--expect-ad", host, "/" + path))
            if want["expired"]:
                expired += 1
                self.assertEqual(unescape(row[5]), "This posting has expired and will be removed shortly.")
                self.assertEqual(row[0], "0000-00-00")
            else:
                self.assertEqual(unescape(row[5]), want["text"], link)
                if want["date"]:
                    self.assertEqual(row[0], want["date"])
        self.assertGreater(expired, 0)


if __name__ == "__main__":
    unittest.main()
