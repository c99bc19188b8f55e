#!/usr/bin/env python3
"""Watching a saved search from the command line: --new-only and --repeat
against the site simulator, which publishes new ads between two runs.

A minute of --repeat lasts VEMTRIX_CLI_MINUTE_MS here, so a repeat takes
seconds.
"""
import os
import re
import signal
import subprocess
import sys
import threading
import unittest
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cli_search_test as search  # noqa: E402  (catalogs and the simulator)

CLI = search.CLI

SAVED = ("Vemtrix Saved Search\r\n"
         "CurrentSearchname: watched\r\n"
         "SearchTerms: lamp,desk\r\n"
         "CLcityList: http://seattle.craigslist.org/,http://boston.craigslist.org/\r\n"
         "KJcityList: http://toronto.kijiji.ca/\r\n"
         "BPcityList: \r\nDAcityList: \r\n"
         "CLsectionList: bik\r\n"
         "KJsectionList: 27\\b-furniture\r\n"
         "BPsectionList: \r\nDAsectionList: \r\n")
JOBS = 6  # two terms in two Craigslist cities and one Kijiji city, one section each


class StandardError:
    """A process's standard error, read line by line on a thread of its own."""

    def __init__(self, proc):
        self._lines, self._summary = [], threading.Event()
        self._thread = threading.Thread(target=self._read, args=(proc.stderr,), daemon=True)
        self._thread.start()

    def _read(self, stream):
        for line in stream:
            self._lines.append(line.decode("latin-1"))
            if line.startswith(b"Search "):
                self._summary.set()

    def first_summary(self):
        """The first run's summary line, once it has come."""
        assert self._summary.wait(120), "".join(self._lines)
        return next(l for l in self._lines if l.startswith("Search "))

    def lines(self):
        """Every line, once the stream has ended."""
        self._thread.join(120)
        return list(self._lines)


class CliWatch(search.SimulatedSitesCase):
    CATALOG_FILES = search.CATALOGS
    CATALOG_FOLDER = "catalogs"

    def setUp(self):
        self.control("/__sim/reset")
        self.vem = os.path.join(self.tmp.name, "watched.vem")
        with open(self.vem, "w", newline="") as f:
            f.write(SAVED)

    def control(self, target):
        with urllib.request.urlopen("http://127.0.0.1:%d%s" % (self.port, target), timeout=30) as answer:
            return answer.read()

    def args(self, *extra):
        return [CLI, "search", "--vem", self.vem, "--catalogs", self.catalogs, "--connect-to",
                "127.0.0.1:%d" % self.port, "--set", "DiscardSearches=0", "--no-retry-wait"] + list(extra)

    def start(self, args, env=None):
        """Starts the tool; its standard error is read as it comes."""
        proc = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env)
        return proc, StandardError(proc)

    def saved_links(self):
        with open(self.vem, "rb") as f:
            rows = [l for l in f.read().decode("latin-1").split("\r\n") if l.startswith("Result: ")]
        return [row.split('","')[4] for row in rows]

    def test_new_only_prints_just_what_the_run_added_and_saves_everything(self):
        first = subprocess.run(self.args(), capture_output=True, timeout=120)
        self.assertEqual(first.returncode, 0, first.stderr)
        before = first.stdout.decode("latin-1").split("\n")[:-2]
        self.assertGreater(len(before), 0)
        self.assertIn(b"Search complete: %d results, %d new\n" % (len(before), len(before)), first.stderr)

        self.control("/__sim/publish?match=seattle")  # one ad on each Seattle list
        second = subprocess.run(self.args("--new-only"), capture_output=True, timeout=120)
        self.assertEqual(second.returncode, 0, second.stderr)
        new = second.stdout.decode("latin-1").split("\n")
        self.assertEqual(new.pop(), "")  # ads only, no count line
        self.assertEqual(len(new), 2)
        for line in new:
            fields = line.split("\t")
            self.assertEqual((fields[2], fields[3], fields[6]), ("Seattle", "bicycles", "Yes"))
            self.assertNotIn(line, before)
        self.assertIn(b"Search complete: %d results, 2 new\n" % (len(before) + 2), second.stderr)
        self.assertEqual(len(self.saved_links()), len(before) + 2)

    def test_repeat_saves_and_prints_each_runs_new_ads_and_gives_the_last_runs_status(self):
        # Boston fails the first run (two jobs, five attempts each) and answers the second.
        self.control("/__sim/fault?mode=500&match=boston&count=10")
        env = dict(os.environ, VEMTRIX_CLI_MINUTE_MS="2500")
        proc, err = self.start(self.args("--repeat", "1", "--runs", "2"), env)
        first = re.fullmatch(r"Search complete: (\d+) results, (\d+) new; 2 of %d searches failed\n" % JOBS,
                             err.first_summary())
        self.assertIsNotNone(first)
        self.assertEqual(first.group(1), first.group(2))  # a first run finds only new ads
        self.control("/__sim/publish?match=toronto")  # during the wait
        out = proc.stdout.read()  # standard error is the reader thread's alone
        proc.wait(timeout=120)
        err = err.lines()
        self.assertEqual(proc.returncode, 0, "".join(err))  # the last run lost nothing

        failed = [l.strip() for l in err if l.startswith("  failed: ")]
        self.assertEqual(sorted(failed), ["failed: desk in bicycles in United States: server error 500",
                                          "failed: lamp in bicycles in United States: server error 500"])
        summaries = [l for l in err if l.startswith("Search ")]
        self.assertEqual(len(summaries), 2)

        printed = out.decode("latin-1").split("\n")[:-1]
        links = [line.split("\t")[4] for line in printed]
        second = printed[int(first.group(1)):]
        self.assertEqual(summaries[1], "Search complete: %d results, %d new\n" % (len(printed), len(second)))
        self.assertEqual(sum(1 for line in second if line.split("\t")[2] == "Toronto"), 2)
        self.assertTrue(all(line.split("\t")[2] in ("Toronto", "United States") for line in second))
        self.assertEqual(self.saved_links(), links)  # saved after each run, nothing printed twice

    def test_ctrl_c_during_the_wait_ends_the_watch_with_the_file_saved(self):
        proc, err = self.start(self.args("--repeat", "1440"))
        err.first_summary()
        proc.send_signal(signal.SIGINT)
        out = proc.stdout.read()
        proc.wait(timeout=30)
        self.assertEqual(proc.returncode, 0)
        self.assertEqual(len(self.saved_links()), out.count(b"\n"))
        self.assertGreater(len(self.saved_links()), 0)

    def test_wrong_repeat_options_are_usage_errors(self):
        for extra in (["--runs", "2"], ["--repeat", "0"], ["--repeat", "1441"], ["--repeat", "5", "--runs", "x"]):
            proc = subprocess.run(self.args(*extra), capture_output=True, timeout=30)
            self.assertEqual(proc.returncode, 2, extra)
            self.assertIn(b"usage:", proc.stderr)


if __name__ == "__main__":
    unittest.main()
