#!/usr/bin/env python3
"""Saved searches stay whole: vemtrix-cli search --vem and export on files
larger than the results list's setting, and saves killed at random moments.

The searches here choose no cities, so a run has no jobs and nothing goes
on the network: what is tried is the load, the save and the exit status.
"""
import datetime
import os
import random
import signal
import subprocess
import sys
import tempfile
import time
import unittest

CLI = os.environ.get("VEMTRIX_CLI", "build/native/vemtrix-cli")
NO_DISCARD = ["--set", "DiscardSearches=0"]


def write_search(path, count, key="Result: "):
    """A saved search of count results, written with the given result key."""
    with open(path, "w", newline="") as f:
        f.write("Vemtrix Saved Search\r\nCurrentSearchname: %s\r\nSearchTerms: lamp\r\n"
                % os.path.basename(path)[:-4])
        row = key + ('"2026-01-01","Lamp %d","Seattle","furniture",'
                     '"http://seattle.craigslist.org/fuo/%d.html","<!--RSS-->An old brass lamp, number %d"\r\n')
        for start in range(0, count, 10000):
            f.write("".join(row % (i, i, i) for i in range(start, min(count, start + 10000))))


def read(path):
    with open(path, "rb") as f:
        return f.read()


def cli(*args, timeout=300):
    return subprocess.run([CLI] + list(args), stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout)


class SavedSearchesStayWhole(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.dir = self.tmp.name

    def tearDown(self):
        self.tmp.cleanup()

    def test_a_search_larger_than_max_results_keeps_every_result(self):
        vem = os.path.join(self.dir, "big.vem")
        write_search(vem, 200000)
        proc = cli("search", "--vem", vem, "--catalogs", self.dir, *NO_DISCARD)
        self.assertEqual(proc.returncode, 0, proc.stderr[-500:])
        self.assertTrue(proc.stdout.endswith(b"\n200000 results\n"))
        self.assertEqual(read(vem).count(b"\r\nResult: "), 200000)

        csv = os.path.join(self.dir, "big.csv")
        proc = cli("export", "--vem", vem, "--csv", csv, *NO_DISCARD)
        self.assertEqual(proc.returncode, 0, proc.stderr[-500:])
        self.assertEqual(read(csv).count(b"http://seattle.craigslist.org/fuo/"), 200000)

    def test_a_search_beyond_the_list_limit_is_left_untouched(self):
        vem = os.path.join(self.dir, "huge.vem")
        write_search(vem, 1000001)
        before = read(vem)
        proc = cli("search", "--vem", vem, "--catalogs", self.dir, *NO_DISCARD)
        self.assertEqual(proc.returncode, 1)
        self.assertIn(b"overflowed (1,000,000 elements)", proc.stderr)
        self.assertIn(b"it is left as it was", proc.stderr)
        self.assertEqual(proc.stdout, b"")
        self.assertEqual(read(vem), before)

        # An export writes what fits, and says results were dropped.
        proc = cli("export", "--vem", vem, "--csv", os.path.join(self.dir, "huge.csv"), *NO_DISCARD)
        self.assertEqual(proc.returncode, 4)

    def test_killed_saves_leave_the_old_or_the_new_file_and_one_temporary(self):
        vem = os.path.join(self.dir, "kill.vem")
        tmp = vem + ".tmp"
        # The old file uses the lower-case result key, so the program's save
        # (with "Result: ") differs from it in every line.
        write_search(vem, 60000, key="result: ")
        old = read(vem)
        args = ["search", "--vem", vem, "--catalogs", self.dir] + NO_DISCARD
        started = time.monotonic()
        proc = cli(*args)
        whole_run = time.monotonic() - started
        self.assertEqual(proc.returncode, 0, proc.stderr[-500:])
        new = read(vem)
        self.assertNotEqual(new, old)
        self.assertEqual(new.count(b"\r\nResult: "), 60000)

        rng = random.Random(14)
        kills_during_write = 0
        for attempt in range(50):
            if read(vem) != old:
                with open(vem, "wb") as f:
                    f.write(old)
            before = os.stat(tmp) if os.path.exists(tmp) else None
            child = subprocess.Popen([CLI] + args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if attempt % 2 == 0:
                time.sleep(rng.uniform(0, whole_run))
            else:
                # Aimed at the save: as soon as the temporary file is touched.
                deadline = time.monotonic() + 30
                while time.monotonic() < deadline and child.poll() is None:
                    now = os.stat(tmp) if os.path.exists(tmp) else None
                    if now is not None and (before is None or now.st_mtime_ns != before.st_mtime_ns
                                            or now.st_size != before.st_size):
                        kills_during_write += 1
                        break
                    time.sleep(0.001)
                time.sleep(rng.uniform(0, 0.05))
            child.send_signal(signal.SIGKILL)
            child.wait(timeout=30)
            with self.subTest(attempt=attempt):
                self.assertIn(read(vem), (old, new))
                self.assertLessEqual(set(os.listdir(self.dir)), {"kill.vem", "kill.vem.tmp"})
        self.assertGreater(kills_during_write, 10)

        # The next whole save takes over the stale temporary file.
        proc = cli(*args)
        self.assertEqual(proc.returncode, 0)
        self.assertEqual(read(vem), new)
        self.assertEqual(os.listdir(self.dir), ["kill.vem"])

    def test_a_load_says_what_the_two_month_rule_left_out(self):
        vem = os.path.join(self.dir, "dated.vem")
        today = datetime.date.today().isoformat()
        with open(vem, "w", newline="") as f:
            f.write("Vemtrix Saved Search\r\nSearchTerms: lamp\r\n")
            f.write('Result: "%s","New lamp","Seattle","furniture","http://seattle.craigslist.org/fuo/1.html",""\r\n'
                    % today)
            for i in range(2, 1202):
                f.write('Result: "2000-01-01","Old lamp %d","Seattle","furniture",'
                        '"http://seattle.craigslist.org/fuo/%d.html",""\r\n' % (i, i))
        line = b"Loaded 1 results; 1,200 older than two months were left out.\n"

        proc = cli("export", "--vem", vem, "--csv", os.path.join(self.dir, "dated.csv"))
        self.assertEqual(proc.returncode, 0, proc.stderr)
        self.assertIn(line, proc.stderr)
        proc = cli("export", "--vem", vem, "--csv", os.path.join(self.dir, "dated.csv"), *NO_DISCARD)
        self.assertNotIn(b"older than two months", proc.stderr)

        proc = cli("search", "--vem", vem, "--catalogs", self.dir)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        self.assertIn(line, proc.stderr)
        self.assertEqual(read(vem).count(b"\r\nResult: "), 1)  # the save keeps what was loaded

    def test_a_file_that_is_no_saved_search_is_refused_and_left_as_it_is(self):
        rng = random.Random(21)
        noise = bytes(rng.randrange(256) for _ in range(4096)) + b"\0"
        vem = os.path.join(self.dir, "noise.vem")
        with open(vem, "wb") as f:
            f.write(noise)
        csv = os.path.join(self.dir, "noise.csv")
        for args in (["search", "--vem", vem, "--catalogs", self.dir], ["export", "--vem", vem, "--csv", csv]):
            proc = cli(*args)
            self.assertEqual(proc.returncode, 1, args)
            self.assertIn(b'Error: "noise" is not a saved search.\n', proc.stderr)
            self.assertEqual(proc.stdout, b"")
        self.assertEqual(read(vem), noise)
        self.assertFalse(os.path.exists(csv))


if __name__ == "__main__":
    unittest.main()
