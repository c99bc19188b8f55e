#!/usr/bin/env python3
"""vemtrix-cli search against the site simulator: a real search run, headless.

The expected store is built from the simulator's own account of every page
(--expect), in job order, with the store's rules for appending (blank titles
and links skipped, links found inside stored links skipped, feed descriptions
over 25 characters kept).
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

CATALOGS = {
    "CLcitylist.csv":
        '"Region","CountryCode","CountryName","CityName","CityURL"\r\n'
        '"North America","US","United States","Seattle","http://seattle.craigslist.org/"\r\n'
        '"North America","US","United States","Default","http://boston.craigslist.org/"\r\n',
    "CLsectlist.csv":
        '"MasterSectionCode","SectionCode","SectionName"\r\n'
        '"sss","bik","bicycles"\r\n"sss","fuo","furniture - by owner"\r\n',
    "KJcitylist.csv":
        '"Country","State","City","URL"\r\n'
        '"Canada","Ontario","Toronto","http://toronto.kijiji.ca/"\r\n'
        '"United States","California","Los Angeles","http://losangeles.kijiji.com/"\r\n',
    "KJsectlist.csv":
        '"MasterSectionName","SectionID","SectionDir","SectionName"\r\n'
        '"Buy and Sell","27","b-furniture","Furniture"\r\n',
    "BPcitylist.csv":
        '"Country","StateCode","StateName","CityName","CityURL"\r\n'
        '"United States","AZ","Arizona","Phoenix","http://phoenix.backpage.com/"\r\n',
    "BPsectlist.csv":
        '"Section","SectionName","Category","CategoryName","DirectoryName"\r\n'
        '"4374","For Sale","5172","Electronics","electronics"\r\n',
    "DAcitylist.csv":
        '"Country","StateCode","StateName","CityName","CityURL"\r\n'
        '"United States","CA","California","Los Angeles","http://la.daype.com/"\r\n',
    "DAsectlist.csv":
        '"SectionName","Category","CategoryName","SectionURL"\r\n'
        '"For Sale","furniture","Furniture","fs"\r\n',
    "CLstatelist.csv": '"CityURI","StateName","StateCode"\r\n',
}

CITIES = ("http://seattle.craigslist.org/,http://toronto.kijiji.ca/,http://losangeles.kijiji.com/,"
          "http://boston.craigslist.org/,http://phoenix.backpage.com/,http://la.daype.com/")
SECTIONS = "CL:bik,CL:fuo,KJ:27\\b-furniture,BP:4374\\5172,DA:fs\\furniture"
TERMS = "lamp,zzzmany,o'neil & co"

CITY_NAMES = {"http://seattle.craigslist.org/": "Seattle", "http://boston.craigslist.org/": "United States",
              "http://toronto.kijiji.ca/": "Toronto", "http://losangeles.kijiji.com/": "Los Angeles",
              "http://phoenix.backpage.com/": "Phoenix", "http://la.daype.com/": "Los Angeles"}
SECTION_NAMES = {"CL:bik": ("bik", "bicycles"), "CL:fuo": ("fuo", "furniture - by owner"),
                 "KJ:27\\b-furniture": ("27\\b-furniture", "Furniture"),
                 "BP:4374\\5172": ("4374\\5172\\electronics", "Electronics"),
                 "DA:fs\\furniture": ("fs\\furniture", "Furniture")}
SITE = {"craigslist": "CL", "kijiji": "KJ", "backpage": "BP", "daype": "DA"}


class SimulatedSitesCase(unittest.TestCase):
    """A site simulator on a free port and a temporary folder with catalog
    files, for a whole test class. CATALOG_FILES names the files; they go in
    the folder itself, or in its sub-folder CATALOG_FOLDER (cls.catalogs).
    With HTTPS_ONLY the simulated sites have moved to https: TLS with a
    certificate of a CA made for the class, which cls.env (SSL_CERT_FILE)
    trusts for the client; cls.connect_to routes both kinds of connection."""
    CATALOG_FILES = {}
    CATALOG_FOLDER = ""
    HTTPS_ONLY = False

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.env = dict(os.environ)
        args = [sys.executable, SIM, "--port", "0"]
        if cls.HTTPS_ONLY:
            sys.path.insert(0, os.path.dirname(os.path.abspath(SIM)))
            import tls_ca
            ca, cert, key = tls_ca.make_site_world(os.path.join(cls.tmp.name, "tls"))
            args += ["--tls-port", "0", "--tls-cert", cert, "--tls-key", key, "--https-only"]
            cls.env["SSL_CERT_FILE"] = ca
        cls.sim = subprocess.Popen(args, stdout=subprocess.PIPE)
        cls.port = int(cls.sim.stdout.readline().decode().split()[-1])
        cls.connect_to = "127.0.0.1:%d" % cls.port
        if cls.HTTPS_ONLY:
            cls.connect_to += ",%d" % int(cls.sim.stdout.readline().decode().split()[-1])
        cls.catalogs = os.path.join(cls.tmp.name, cls.CATALOG_FOLDER) if cls.CATALOG_FOLDER else cls.tmp.name
        os.makedirs(cls.catalogs, exist_ok=True)
        for name, text in cls.CATALOG_FILES.items():
            with open(os.path.join(cls.catalogs, name), "w", newline="", encoding="utf-8") as f:
                f.write(text)

    @classmethod
    def tearDownClass(cls):
        cls.sim.terminate()
        cls.sim.wait(timeout=10)
        cls.tmp.cleanup()


def escape(text):
    return text.replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r").replace("\n", "\\n")


def site_of(host):
    for label, code in SITE.items():
        if label in host:
            return code
    return None


def run(args, env=None):
    proc = subprocess.run([CLI] + args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=600, env=env)
    if proc.returncode != 0:
        raise AssertionError("%s failed: %s" % (args, proc.stderr.decode("latin-1")))
    return proc.stdout


class CliSearch(SimulatedSitesCase):
    CATALOG_FILES = CATALOGS

    def expected_store(self):
        today = datetime.date.today().isoformat()
        rows = []
        for city in CITIES.split(","):
            for entry in SECTIONS.split(","):
                if site_of(city) != entry[:2]:
                    continue
                code, section_name = SECTION_NAMES[entry]
                for term in TERMS.split(","):
                    host, path = run(["path", "--host", city, "--term", term, "--section", code]).decode(
                        "latin-1").rstrip("\n").split("\t")
                    ads = subprocess.run([sys.executable, SIM, "--expect", host, path, "--today", today],
                                         stdout=subprocess.PIPE, check=True).stdout.decode().splitlines()
                    for line in ads:
                        ad = json.loads(line)
                        title, link = ad["title"].strip(" "), ad["link"].strip(" ")
                        if not title or not link or any(link in row[4] for row in rows):
                            continue
                        description = ad["description"]
                        full = "<!--RSS-->" + description.strip(" ") if len(description) > 25 else ""
                        rows.append([ad["date"].strip(" "), title, CITY_NAMES[city], section_name, link, full, "Yes"])
        return rows

    def search(self, *extra):
        out = run(["search", "--terms", TERMS, "--cities", CITIES, "--sections", SECTIONS,
                   "--catalogs", self.tmp.name, "--connect-to", self.connect_to,
                   "--set", "SearchBackpage=1", "--set", "SearchDaype=1"] + list(extra), env=self.env)
        return out.decode("latin-1").split("\n")

    def test_one_worker_fills_the_store_in_job_order(self):
        expected = self.expected_store()
        lines = self.search("--set", "MaxThreads=1")
        self.assertEqual(lines[-1], "")
        self.assertEqual(lines[-2], "%d results" % len(expected))
        got = lines[:-2]
        want = ["\t".join(escape(f) for f in row) for row in expected]
        self.assertEqual(got, want)
        self.assertGreater(len(got), 60)  # zzzmany pages alone give 60 ads each

    def test_twelve_workers_find_the_same_ads(self):
        expected = self.expected_store()
        lines = self.search("--set", "MaxThreads=12")
        got = sorted(lines[:-2])
        self.assertEqual(len(got), len(expected))
        # The order differs, and with it which of two ads sharing a link is kept;
        # the links are the same.
        self.assertEqual(sorted(l.split("\t")[4] for l in got), sorted(escape(r[4]) for r in expected))


QUEBEC = "http://quebec.kijiji.ca/ville-de-qu\u00e9bec"


class CityWithAPath(SimulatedSitesCase):
    """A city whose address goes on to a page of its own, as the simulated
    Kijiji front page lists it."""
    CATALOG_FILES = dict(CATALOGS, **{"KJcitylist.csv": CATALOGS["KJcitylist.csv"] +
                                      '"Canada","Qu\u00e9bec","Ville de Qu\u00e9bec","%s"\r\n' % QUEBEC})

    def test_is_searched_on_its_host_and_saved_under_its_address(self):
        vem = os.path.join(self.tmp.name, "quebec.vem")
        head = ("Vemtrix Saved Search\r\nCurrentSearchname: quebec\r\nSearchTerms: lamp,zzzmany\r\n"
                "CLcityList: \r\nKJcityList: %s\r\nBPcityList: \r\nDAcityList: \r\n"
                "CLsectionList: \r\nKJsectionList: 27\\b-furniture\r\nBPsectionList: \r\nDAsectionList: \r\n"
                % QUEBEC).encode("utf-8")
        with open(vem, "wb") as f:
            f.write(head)
        proc = subprocess.run([CLI, "search", "--vem", vem, "--catalogs", self.tmp.name,
                               "--connect-to", "127.0.0.1:%d" % self.port, "--no-retry-wait", "--time-cap", "10"],
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
        self.assertEqual(proc.returncode, 0, proc.stderr.decode("latin-1")[-500:])
        self.assertNotIn(b"trouble", proc.stderr)
        rows = [line.split(b"\t") for line in proc.stdout.split(b"\n")[:-2]]
        self.assertGreater(len(rows), 10)
        for row in rows:
            self.assertEqual(row[2], "Ville de Qu\u00e9bec".encode("utf-8"))
            self.assertTrue(row[4].startswith(b"http://quebec.kijiji.ca/"), row[4])
        with open(vem, "rb") as f:
            saved = f.read()
        self.assertTrue(saved.startswith(head))  # the city is kept under its whole address
        self.assertEqual(saved.count(b"\r\nResult: "), len(rows))


if __name__ == "__main__":
    unittest.main()
