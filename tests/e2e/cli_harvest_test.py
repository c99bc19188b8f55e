#!/usr/bin/env python3
"""vemtrix-cli harvest-catalogs against the site simulator.

A whole harvest of the simulated world writes the nine catalog files byte for
byte as the simulator's own account of its world says (--expect-catalogs),
and the program's loader reads every one of them with rows. A page that keeps
failing ends the run with the step's fatal line and exit status 1; the files
of the steps before it are written, the later ones left as they were.
"""
import json
import os
import socket
import subprocess
import sys
import tempfile
import unittest

CLI = os.environ.get("VEMTRIX_CLI", "build/native/vemtrix-cli")
SIM = os.environ.get("VEMTRIX_SITESIM", "tools/sitesim/sitesim.py")

# In the order the harvest writes them.
FILES = ["BPcitylist.csv", "BPsectlist.csv", "DAcitylist.csv", "DAsectlist.csv", "CLsectlist.csv",
         "CLstatelist.csv", "CLcitylist.csv", "KJsectlist.csv", "KJcitylist.csv"]
COMPLETE = (b"\r\n\r\nDownloads complete (scroll up to see them all)! You should be able to start "
            b"the program normally now.\r\n\r\n")


def read(path):
    with open(path, "rb") as f:
        return f.read()


class CliHarvest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.sim = subprocess.Popen([sys.executable, SIM, "--port", "0"], stdout=subprocess.PIPE)
        line = cls.sim.stdout.readline().decode()
        assert line.startswith("sitesim listening on "), line
        cls.port = int(line.split()[-1])
        cls.tmp = tempfile.TemporaryDirectory()
        cls.expected_dir = os.path.join(cls.tmp.name, "expected")
        subprocess.run([sys.executable, SIM, "--expect-catalogs", cls.expected_dir], check=True, timeout=60)
        cls.expected = {name: read(os.path.join(cls.expected_dir, name)) for name in FILES}

    @classmethod
    def tearDownClass(cls):
        cls.sim.terminate()
        cls.sim.wait(timeout=10)
        cls.tmp.cleanup()

    def control(self, path):
        with socket.create_connection(("127.0.0.1", self.port), timeout=10) as s:
            s.sendall(("GET %s HTTP/1.0\r\nHost: control\r\n\r\n" % path).encode())
            data = b""
            while True:
                chunk = s.recv(4096)
                if not chunk:
                    break
                data += chunk
        return data.split(b"\r\n\r\n", 1)[1]

    def setUp(self):
        self.control("/__sim/reset")

    def harvest(self, folder, *extra):
        return subprocess.run([CLI, "harvest-catalogs", "--dir", folder,
                               "--connect-to", "127.0.0.1:%d" % self.port] + list(extra),
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=240)

    def folder(self, name):
        path = os.path.join(self.tmp.name, name)
        os.makedirs(path)
        return path

    def test_whole_harvest_writes_the_simulated_world(self):
        folder = self.folder("whole")
        done = self.harvest(folder)
        self.assertEqual(done.returncode, 0, done.stderr.decode("latin-1"))
        log = done.stdout
        self.assertTrue(log.endswith(COMPLETE), log[-300:])
        for name in FILES:
            with self.subTest(file=name):
                self.assertEqual(read(os.path.join(folder, name)), self.expected[name])

        # The program's loader finds rows in every table.
        listing = subprocess.run([CLI, "catalogs", "--dir", folder], stdout=subprocess.PIPE,
                                 stderr=subprocess.PIPE, timeout=60, check=True)
        counts = {}
        for line in listing.stdout.decode("latin-1").split("\n"):
            parts = line.split("\t")
            if len(parts) == 2 and parts[0] in FILES:
                counts[parts[0]] = int(parts[1])
        self.assertEqual(sorted(counts), sorted(FILES))
        for name, count in counts.items():
            self.assertGreater(count, 0, name)

        # Progress as the dialog shows it, in step order; redirects logged with
        # a trailing "/", accented provinces folded, counts without separators.
        expected_lines = [
            b"Downloading backpage.com front page for city list\r\n  Found 13 city-specific subsites.\r\n"
            b"City data written to BPcitylist.csv\r\n\r\n",
            b"  Found 4 sections and 5 subsections.\r\nSection data written to BPsectlist.csv\r\n\r\n",
            b"  Found 7 cities in 4 states.\r\nCity data written to DAcitylist.csv\r\n\r\n",
            b"  Found 5 sections in 3 supersections.\r\nSection data written to DAsectlist.csv\r\n\r\n",
            b"Scanning 7/9: Resumes (All)\r\nScanning 8/9: For Sale (All)\r\n  Barter\r\n",
            b"\r\nAttempting to build state to URI table\r\n  Scanning 51 US states\r\n    1/51 Alabama...\r\n"
            b"      Found: http://bham.craigslist.org/ (Birmingham, Al)\r\n",
            b"    2/51 Alaska...\r\n      Alaska is not in use on Craigslist.\r\n",
            b"    8/51 Delaware...\r\n      Default city redirects to http://delaware.craigslist.org/\r\n",
            b"  Scanning 8 Australian states\r\n",
            b"Output written to CLstatelist.csv\r\n\r\n1/246: Andorra...\r\n  Andorra is not in use on Craigslist.\r\n",
            b"   Default city redirects to http://jamaica.craigslist.org/\r\n",
            b"246/246: Zimbabwe...\r\n\r\nDone\r\nOutput written to CLcitylist.csv\r\n",
            b"Buy And Sell (10/buy-and-sell)\r\n  Furniture (27/furniture)\r\n",
            b"Processing Kijiji City Data\r\nCanada\r\n  Ontario\r\n    Toronto (GTA) (http://toronto.kijiji.ca)\r\n",
            b"  Quebec\r\n    Montreal (http://montreal.kijiji.ca)\r\n",
            b"United States (Found 3 states)\r\n  California\r\n",
        ]
        position = 0
        for expected in expected_lines:
            found = log.find(expected)
            self.assertGreaterEqual(found, position, expected)
            position = found

    def test_a_page_that_keeps_failing_ends_the_run_and_keeps_earlier_files(self):
        folder = self.folder("failing")
        with open(os.path.join(folder, "KJcitylist.csv"), "wb") as f:
            f.write(b'"Country","State","City","URL"\r\n"Canada","Ontario","Old","http://old.kijiji.ca"\r\n')
        self.control("/__sim/fault?mode=500&match=toronto.craigslist.ca")
        done = self.harvest(folder, "--no-retry-wait")
        self.assertEqual(done.returncode, 1)
        self.assertTrue(done.stdout.endswith(
            b"\r\n  Could not download http://toronto.craigslist.ca/ccc/\r\n"
            b"  Fatal Error: Internet connection problems -- aborting.\r\n\r\n"), done.stdout[-300:])
        self.assertIn(b"[Exit (Try Later)]", done.stderr)
        # Six attempts, then nothing more was asked for.
        log = json.loads(self.control("/__sim/log"))
        targets = [entry["raw"].split(" ")[1] for entry in log]
        self.assertEqual(targets.count("/ccc/"), 6)
        self.assertEqual(targets[-1], "/ccc/")
        for name in FILES[:4]:
            self.assertEqual(read(os.path.join(folder, name)), self.expected[name], name)
        for name in FILES[4:8]:
            self.assertFalse(os.path.exists(os.path.join(folder, name)), name)
        self.assertIn(b"http://old.kijiji.ca", read(os.path.join(folder, "KJcitylist.csv")))

    def test_kijiji_failure_has_its_own_fatal_line(self):
        folder = self.folder("kijiji")
        self.control("/__sim/fault?mode=close&match=www.kijiji.com")
        done = self.harvest(folder, "--no-retry-wait")
        self.assertEqual(done.returncode, 1)
        self.assertTrue(done.stdout.endswith(
            b"United States\r\n\r\n  Could not download http://www.kijiji.com/\r\n"
            b"Fatal Error: Internet connection problems -- aborting.\r\n\r\n"), done.stdout[-300:])
        for name in FILES[:8]:
            self.assertEqual(read(os.path.join(folder, name)), self.expected[name], name)
        self.assertFalse(os.path.exists(os.path.join(folder, "KJcitylist.csv")))

    def test_dir_is_required(self):
        done = subprocess.run([CLI, "harvest-catalogs"], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              timeout=60)
        self.assertEqual(done.returncode, 2)
        self.assertEqual(done.stdout, b"")


if __name__ == "__main__":
    unittest.main()
