"""vemtrix-cli catalogs: the nine tables as the program loads them.

A small catalog folder is written into a temporary directory; the command's
output must list the tables in load order with their rows, escaped as the
parse command escapes.
"""

import os
import subprocess
import tempfile
import unittest

CLI = os.environ.get("VEMTRIX_CLI", "vemtrix-cli")

LOAD_ORDER = [
    "BPcitylist.csv", "BPsectlist.csv", "DAcitylist.csv", "DAsectlist.csv",
    "CLcitylist.csv", "CLsectlist.csv", "CLstatelist.csv", "KJcitylist.csv",
    "KJsectlist.csv",
]

FILES = {
    "BPcitylist.csv":
        '"Country","StateCode","StateName","CityName","CityURL"\r\n'
        '"United States","CA","California","Los Angeles","http://la.bp.example/"\r\n',
    "BPsectlist.csv":
        '"Section","SectionName","Category","CategoryName","DirectoryName"\r\n'
        '"4","Buy, Sell, Trade","0","Buy, Sell, Trade","buysell"\r\n'
        '"4","Buy, Sell, Trade","12","Bikes","bikes"\r\n',
    "DAcitylist.csv":
        '"Country","StateCode","StateName","CityName","CityURL"\r\n'
        '"United States","DC","District of Columbia","Washington","http://dc.da.example/"\r\n',
    # DAsectlist.csv is left out: a missing file is an empty table.
    "CLcitylist.csv":
        '"Region","CountryCode","CountryName","CityName","CityURL"\r\n'
        '"Europe","GB","United Kingdom","London","http://london.cl.example/"\r\n'
        '"North America","US","United States","Default"\r\n',
    "CLsectlist.csv":
        '"MasterSectionCode","SectionCode","SectionName"\r\n'
        '"sss","sss","For Sale (All)"\r\n'
        '\r\n'
        'sss , bik ,bikes\\cycles\tand more  \r\n',
    "CLstatelist.csv":
        '"CityURI","StateName","StateCode"\r\n'
        '"Boston.CL.Example","Massachusetts","ma"\r\n'
        '   \r\n',
    "KJcitylist.csv":
        '"Country","State","City","URL"\r\n'
        '\r\n'
        '"Canada","Ontario","Toronto, East","http://toronto.kj.example/"\r\n',
    "KJsectlist.csv": '"MasterSectionName","SectionID","SectionDir","SectionName"\r\n',
}

EXPECTED = (
    "BPcitylist.csv\t1\n"
    "United States\tCalifornia\tLos Angeles\thttp://la.bp.example/\n"
    "BPsectlist.csv\t2\n"
    "4\tBuy, Sell, Trade\t0\tBuy, Sell, Trade\tbuysell\n"
    "4\tBuy, Sell, Trade\t12\tBikes\tbikes\n"
    "DAcitylist.csv\t1\n"
    "District of Columbia\tWashington\thttp://dc.da.example/\n"
    "DAsectlist.csv\t0\n"
    "CLcitylist.csv\t2\n"
    "Europe\tGB\tUnited Kingdom\tLondon\thttp://london.cl.example/\n"
    "North America\tUS\tUnited States\tDefault\t\n"
    "CLsectlist.csv\t3\n"
    "sss\tsss\tFor Sale (All)\n"
    "\t\t\n"
    "sss\tbik\tbikes\\\\cycles\\tand more\n"
    "CLstatelist.csv\t1\n"
    "boston.cl.example\tMassachusetts\tMA\n"
    "KJcitylist.csv\t1\n"
    "Canada\tOntario\tToronto, East\thttp://toronto.kj.example/\n"
    "KJsectlist.csv\t0\n"
)


def run(*args):
    return subprocess.run([CLI, *args], capture_output=True, timeout=60)


class CliCatalogsTest(unittest.TestCase):
    def test_sample_folder(self):
        with tempfile.TemporaryDirectory() as folder:
            for name, text in FILES.items():
                with open(os.path.join(folder, name), "wb") as f:
                    f.write(text.encode("latin-1"))
            done = run("catalogs", "--dir", folder)
            self.assertEqual(done.returncode, 0, done.stderr)
            self.assertEqual(done.stdout.decode("latin-1"), EXPECTED)
            # The one missing file is named on standard error.
            self.assertIn(b"DAsectlist.csv", done.stderr)
            self.assertNotIn(b"BPcitylist.csv", done.stderr)

    def test_empty_folder_lists_every_table_empty(self):
        with tempfile.TemporaryDirectory() as folder:
            done = run("catalogs", "--dir", folder)
            self.assertEqual(done.returncode, 0, done.stderr)
            self.assertEqual(done.stdout.decode(), "".join(n + "\t0\n" for n in LOAD_ORDER))

    def test_dir_is_required(self):
        done = run("catalogs")
        self.assertEqual(done.returncode, 2)
        self.assertEqual(done.stdout, b"")


if __name__ == "__main__":
    unittest.main()
