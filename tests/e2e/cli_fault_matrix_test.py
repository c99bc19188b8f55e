#!/usr/bin/env python3
"""Every fault of the site simulator against a search and a deep scan.

Each fault is set for a host of its own (two: one searched, one whose ad is
deep-scanned), so the cells run side by side. Retry countdowns take no time
(--no-retry-wait) and a download's read ends after 3 s (--time-cap 3). For
each cell the exit status, the number of attempts the simulator saw, the
message on standard error and what was kept are checked: a failure is
retried and then given up with the give-up message and exit 3; an error
page or padding is never kept as results or as an ad's text.
"""
import concurrent.futures
import json
import os
import subprocess
import sys
import time
import unittest
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cli_deep_test import CLI, SIM, simulator, unescape  # noqa: E402
from cli_search_test import SimulatedSitesCase  # noqa: E402


def term_of(name):
    # The early fault's rule matches a request target only: its own term.
    return "earlylamp" if name == "early" else "lamp"


def search_path(name):
    return "/search/fuo?query=%s&format=rss" % term_of(name)


GAVE_UP, DONE = 3, 0

# name: (fault rule parameters, exit status, attempts the simulator logs or
# None when it logs none, what the run keeps: "all" of the page, or "none")
CELLS = {
    "500": ("mode=500", GAVE_UP, 5, "none"),
    "404": ("mode=404", None, None, "none"),  # search and deep differ: checked on their own
    "redirect1": ("mode=redirect1", DONE, None, "all"),
    "redirect2": ("mode=redirect2", GAVE_UP, None, "none"),
    "hang": ("mode=hang&secs=1", GAVE_UP, 5, "none"),
    "slowdrip": ("mode=drip&ms=6000&count=1", DONE, 2, "all"),  # silence mid-page, then a good answer
    "fastdrip": ("mode=drip&ms=100", GAVE_UP, 5, "none"),  # reaches the 3 s cap every time
    "huge": ("mode=huge&mb=40", GAVE_UP, 5, "none"),
    "close": ("mode=close", GAVE_UP, 5, "none"),
    "reset": ("mode=reset", GAVE_UP, 5, "none"),
    "early": ("mode=early", GAVE_UP, None, "none"),
}


def fault_catalogs():
    """One Craigslist city per fault cell (and one refused), one section."""
    cities = ['"Region","CountryCode","CountryName","CityName","CityURL"']
    for name in list(CELLS) + ["refuse"]:
        cities.append('"North America","US","United States","%s","http://search-%s.craigslist.org/"'
                      % (name, name))
    return {"CLcitylist.csv": "\r\n".join(cities) + "\r\n",
            "CLsectlist.csv": '"MasterSectionCode","SectionCode","SectionName"\r\n'
                              '"sss","fuo","furniture - by owner"\r\n'}


class FaultMatrix(SimulatedSitesCase):
    CATALOG_FILES = fault_catalogs()

    def control(self, target):
        with urllib.request.urlopen("http://127.0.0.1:%d%s" % (self.port, target), timeout=30) as answer:
            return answer.read().decode()

    def attempts(self, host, path):
        log = json.loads(self.control("/__sim/log"))
        first_line = "GET %s HTTP/1.0\r\nHost: %s\r\n" % (path, host)
        # In an https-only world only the requests over TLS reach the page.
        return sum(1 for entry in log
                   if entry["raw"].startswith(first_line) and entry.get("tls", False) == self.HTTPS_ONLY)

    def cli(self, *args):
        return subprocess.run([CLI] + list(args) + ["--connect-to", self.connect_to,
                                                    "--no-retry-wait", "--time-cap", "3"],
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300, env=self.env)

    def search(self, name):
        host = "search-%s.craigslist.org" % name
        proc = self.cli("search", "--terms", term_of(name), "--cities", "http://%s/" % host, "--sections", "CL:fuo",
                        "--catalogs", self.tmp.name)
        rows = proc.stdout.decode("latin-1").split("\n")[:-2]
        return proc, host, rows

    def deep(self, name, path):
        host = "deep-%s.craigslist.org" % name
        return self.cli("deep", "--link", "http://%s%s" % (host, path)), host

    def run_cell(self, name, rule):
        """Sets the cell's rules, runs its search and its deep scan."""
        search_host = "search-%s.craigslist.org" % name
        deep_host = "deep-%s.craigslist.org" % name
        ad = simulator("--list-ads", deep_host, "--kind", "plain").split()[0]
        if name == "early":  # early faults see only the request target
            self.control("/__sim/fault?%s&match=%s" % (rule, "query=" + term_of(name)))
            self.control("/__sim/fault?%s&match=%s" % (rule, ad))
        else:
            self.control("/__sim/fault?%s&match=%s" % (rule, search_host))
            self.control("/__sim/fault?%s&match=%s" % (rule, deep_host))
        with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
            search = pool.submit(self.search, name)
            deep = pool.submit(self.deep, name, ad)
            return search.result(), deep.result(), ad

    def test_every_fault_against_a_search_and_a_deep_scan(self):
        with concurrent.futures.ThreadPoolExecutor(max_workers=4) as pool:
            futures = {name: pool.submit(self.run_cell, name, cell[0]) for name, cell in CELLS.items()}
            results = {name: future.result() for name, future in futures.items()}

        for name, ((search, search_host, rows), (deep, deep_host), ad) in results.items():
            status, attempts, kept = CELLS[name][1:]
            search_err = search.stderr.decode("latin-1")
            deep_err = deep.stderr.decode("latin-1")
            with self.subTest(fault=name, run="search"):
                if name == "404":
                    # A page without ads, named in the status output; no retry.
                    self.assertEqual(search.returncode, DONE, search_err)
                    self.assertEqual(self.attempts(search_host, search_path(name)), 1)
                    self.assertIn("Error 404 for http://%s%s" % (search_host, search_path(name)), search_err)
                    self.assertEqual(rows, [])
                else:
                    self.assertEqual(search.returncode, status, search_err[-800:])
                    if attempts is not None:
                        self.assertEqual(self.attempts(search_host, search_path(name)), attempts)
                    if kept == "all":
                        want = simulator("--expect", search_host, search_path(name)).splitlines()
                        self.assertEqual(len(rows), len(want))
                        self.assertNotIn("trouble", search_err)
                    else:
                        self.assertEqual(rows, [])
                        self.assertIn("I'm having trouble connecting to the search for %s on the server "
                                      "http://%s/ in the section fuo. Aborting search, sorry."
                                      % (term_of(name), search_host), search_err)
            with self.subTest(fault=name, run="deep"):
                deep_status = GAVE_UP if name == "404" else status
                self.assertEqual(deep.returncode, deep_status, deep_err[-800:])
                if attempts is not None or name == "404":
                    self.assertEqual(self.attempts(deep_host, ad), attempts or 5)
                if deep_status == DONE:
                    want = json.loads(simulator("--expect-ad", deep_host, ad))["text"]
                    self.assertEqual(unescape(deep.stdout.decode("latin-1").split("\n")[0]), want)
                else:
                    self.assertEqual(deep.stdout, b"")
                    self.assertIn("I'm having trouble downloading %s from the server %s. Aborting deep scan, "
                                  "sorry." % (ad, deep_host), deep_err)

    def test_a_refusing_site(self):
        # Refusing closes the one listening socket, so it runs alone.
        ad = simulator("--list-ads", "deep-refuse.craigslist.org", "--kind", "plain").split()[0]
        self.control("/__sim/fault?mode=refuse&secs=4")
        (search, _, rows), (deep, _) = self.search("refuse"), self.deep("refuse", ad)
        self.assertEqual(search.returncode, GAVE_UP)
        self.assertEqual(rows, [])
        self.assertEqual(deep.returncode, GAVE_UP)
        self.assertEqual(deep.stdout, b"")
        deadline = time.monotonic() + 30
        while True:  # until it listens again, for the other test
            try:
                self.control("/__sim/log")
                break
            except OSError:
                self.assertLess(time.monotonic(), deadline)
                time.sleep(0.2)


if __name__ == "__main__":
    unittest.main()
