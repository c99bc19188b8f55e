#!/usr/bin/env python3
"""vemtrix-cli search --vem and export against the site simulator.

A saved search is run in batch mode (its own terms, cities and sections),
saved back with its results, and then written out as CSV and HTML in the
output scopes.
"""
import csv
import html
import os
import re
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cli_search_test as search  # noqa: E402  (catalogs)

CLI = search.CLI
SIM = search.SIM

SAVED = ("Vemtrix Saved Search\r\n"
         "CurrentSearchname: weekly lamps\r\n"
         "SearchTerms: lamp,desk\r\n"
         "CLcityList: http://seattle.craigslist.org/,http://boston.craigslist.org/\r\n"
         "KJcityList: http://toronto.kijiji.ca/\r\n"
         "BPcityList: \r\nDAcityList: \r\n"
         "CLsectionList: bik\r\n"
         "KJsectionList: 27\\b-furniture\r\n"
         "BPsectionList: \r\nDAsectionList: \r\n"
         "Result: \"2026-11-28\",\"Kept from last week \\\"A\\\"\",\"Seattle\",\"bicycles\","
         "\"http://seattle.craigslist.org/bik/1.html\",\"old text\"\r\n"
         "Result: \"2026-11-27\",\"Brass lamp, C:\\\\desk &#36;1,250\",\"Boston\",\"bicycles\","
         "\"http://boston.craigslist.org/bik/2.html\",\"two\\nlines, \\\"quoted\\\"\"\r\n")


class CliExport(search.SimulatedSitesCase):
    CATALOG_FILES = search.CATALOGS
    CATALOG_FOLDER = "catalogs"

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.vem = os.path.join(cls.tmp.name, "weekly lamps.vem")
        with open(cls.vem, "w", newline="") as f:
            f.write(SAVED)
        proc = subprocess.run([CLI, "search", "--vem", cls.vem, "--catalogs", cls.catalogs,
                               "--connect-to", "127.0.0.1:%d" % cls.port, "--set", "DiscardSearches=0"],
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
        assert proc.returncode == 0, proc.stderr
        cls.printed = proc.stdout.decode("latin-1").split("\n")[:-2]

    def export(self, *args):
        return subprocess.run([CLI, "export", "--vem", self.vem, "--catalogs", self.catalogs,
                               "--set", "DiscardSearches=0"] + list(args),
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)

    def saved_results(self):
        with open(self.vem, "rb") as f:
            return [l for l in f.read().decode("latin-1").split("\r\n") if l.startswith("Result: ")]

    def test_batch_run_searches_the_saved_selection_and_saves_back(self):
        with open(self.vem, "rb") as f:
            text = f.read().decode("latin-1")
        head = text.split("\r\n")[:11]
        self.assertEqual(head, SAVED.split("\r\n")[:11])  # name, terms and lists kept
        links = [l.split("\t")[4] for l in self.printed]
        self.assertEqual(links[0], "http://seattle.craigslist.org/bik/1.html")  # the old result first
        hosts = {l.split("/")[2] for l in links}
        self.assertEqual(hosts, {"seattle.craigslist.org", "boston.craigslist.org", "toronto.kijiji.ca"})
        self.assertEqual(len(self.saved_results()), len(self.printed))
        self.assertGreater(len(self.printed), 5)

    def test_csv_in_every_scope(self):
        out = os.path.join(self.tmp.name, "all.csv")
        proc = self.export("--csv", out)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        with open(out, "rb") as f:
            lines = f.read().decode("latin-1").split("\r\n")
        self.assertEqual(lines[0], '"Date","Title","City","Section","URI","FullText"')
        self.assertEqual(lines[-1], "")
        self.assertEqual(len(lines) - 2, len(self.printed))
        self.assertEqual(lines[1], '"2026-11-28","Kept from last week \\"A\\"","Seattle","bicycles",'
                                   '"http://seattle.craigslist.org/bik/1.html","old text"')

        proc = self.export("--csv", out, "--set", "IncludeSiteInCSV=1", "--set", "IncludeStateInCSV=1")
        with open(out, "rb") as f:
            lines = f.read().decode("latin-1").split("\r\n")
        self.assertEqual(lines[0], '"Date","Title","City","StateCode","Section","URI","SiteName","FullText"')
        self.assertIn('"Kijiji"', lines[-2] + "".join(lines))

        # Nothing is new right after a load.
        self.export("--csv", out, "--scope", "new")
        with open(out, "rb") as f:
            self.assertEqual(f.read(), b'"Date","Title","City","Section","URI","FullText"\r\n')

        self.export("--csv", out, "--scope", "filter:last week")
        with open(out, "rb") as f:
            self.assertEqual(len(f.read().split(b"\r\n")), 3)  # header, the one match, end

    def read_csv(self, path):
        with open(path, newline="", encoding="latin-1") as f:
            return list(csv.reader(f))

    def test_csv_for_spreadsheets_reads_back_cell_for_cell_with_prices(self):
        out = os.path.join(self.tmp.name, "sheet.csv")
        proc = self.export("--csv", out, "--set", "CsvForSpreadsheets=1", "--set", "IncludePriceInCSV=1")
        self.assertEqual(proc.returncode, 0, proc.stderr)
        rows = self.read_csv(out)
        self.assertEqual(rows[0], ["Date", "Title", "City", "Section", "URI", "FullText", "Price"])
        self.assertEqual(len(rows) - 1, len(self.printed))
        self.assertEqual(rows[1][:6], ["2026-11-28", 'Kept from last week "A"', "Seattle", "bicycles",
                                       "http://seattle.craigslist.org/bik/1.html", "old text"])
        self.assertEqual(rows[2], ["2026-11-27", "Brass lamp, C:\\desk &#36;1,250", "Boston", "bicycles",
                                   "http://boston.craigslist.org/bik/2.html", 'two\r\nlines, "quoted"', "1250"])
        # Every cell as the search printed it; the price is the title's first
        # dollar amount, else the description's.
        money = re.compile(r"\$ ?(\d{1,3}(?:,\d{3})+|\d+)")
        priced = 0
        for row, line in zip(rows[1:], self.printed):
            fields = [f.replace("\\r", "\r").replace("\\n", "\n").replace("\\\\", "\\")
                      for f in line.split("\t")]
            self.assertEqual(len(row), 7)
            self.assertEqual([row[0], row[1], row[4]], [fields[0], fields[1], fields[4]])
            found = money.search(html.unescape(row[1])) or money.search(html.unescape(row[5]))
            self.assertEqual(row[6], found.group(1).replace(",", "") if found else "", row[1])
            priced += row[6] != ""
        self.assertGreater(priced, 3)

        # The range leaves out ads without a price.
        ranged = os.path.join(self.tmp.name, "ranged.csv")
        proc = self.export("--csv", ranged, "--price-from", "45", "--price-to", "1,250",
                           "--set", "CsvForSpreadsheets=1", "--set", "IncludePriceInCSV=1")
        self.assertEqual(proc.returncode, 0, proc.stderr)
        wanted = [r for r in rows[1:] if r[6] and 45 <= int(r[6]) <= 1250]
        self.assertEqual(self.read_csv(ranged)[1:], wanted)
        self.assertIn(rows[2], wanted)
        proc = self.export("--csv", ranged, "--price-from", "cheap")
        self.assertEqual(proc.returncode, 2)

    def test_html_page_and_errors(self):
        out = os.path.join(self.tmp.name, "page.html")
        proc = self.export("--html", out)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        with open(out, "rb") as f:
            page = f.read()
        self.assertTrue(page.startswith(b"<html>\r\n<head>\r\n<title>Vemtrix Search Results "))
        self.assertTrue(page.endswith(b"</html>\r\n"))
        self.assertIn(b"<h3>Vemtrix weekly lamps Search Results", page)
        self.assertEqual(page.count(b'class="lunchbox"'), len(self.printed))

        proc = self.export("--html", os.path.join(self.tmp.name, "no-such-folder", "x.html"))
        self.assertEqual(proc.returncode, 1)
        self.assertIn(b"no-such-folder", proc.stderr)

        proc = subprocess.run([CLI, "export", "--vem", os.path.join(self.tmp.name, "nothing.vem"), "--csv", out],
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
        self.assertEqual(proc.returncode, 1)
        self.assertIn(b"can't be found", proc.stderr)
        proc = subprocess.run([CLI, "export", "--vem", self.vem], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.assertEqual(proc.returncode, 2)


if __name__ == "__main__":
    unittest.main()
