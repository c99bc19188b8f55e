#!/usr/bin/env python3
"""Prepares what scripts/run.sh needs beside the program folder.

The program folder gets Vemtrix.exe, afresh each time, and nothing else: on
its first start the program offers its installation and builds its catalogs
from the (simulated) sites itself; a later start goes straight to the main
window. With --soak the folder also gets what scripts/soak.sh starts from
(the catalogs, the settings and the search "soak"), so the program opens
straight on its main window. Beside the folder go a sample search
("sample": a few cities and sections of Craigslist and Kijiji, the term
"bike", made from the simulator's own account of its catalogs) for the tour
to open, and the list of host names the namespace must point at the
simulator.
"""
import argparse
import csv
import os
import shutil
import subprocess
import sys
import tempfile

FIXED_HOSTS = ["www.craigslist.org", "geo.craigslist.org", "toronto.craigslist.ca", "www.kijiji.ca", "www.kijiji.com",
               "losangeles.kijiji.com", "www.backpage.com", "losangeles.backpage.com", "www.daype.com",
               "losangeles.daype.com", "www.quillfen.com"]


def rows(folder, name):
    with open(os.path.join(folder, name), newline="", encoding="latin-1") as f:
        return list(csv.DictReader(f))


def bikes_first(entries):
    # The term is "bike": bicycle sections first when a site has them.
    return sorted(entries, key=lambda e: 0 if "bik" in e.lower() else 1)


def sample_search(catalogs):
    cl_cities = [r["CityURL"] for r in rows(catalogs, "CLcitylist.csv") if r["CountryCode"] == "US"][:3]
    cl_sections = bikes_first([r["SectionCode"] for r in rows(catalogs, "CLsectlist.csv")
                               if r["SectionCode"] != r["MasterSectionCode"]])[:2]
    kj_cities = [r["URL"] for r in rows(catalogs, "KJcitylist.csv")][:2]
    kj_sections = bikes_first([r["SectionID"] + "\\" + r["SectionDir"] for r in rows(catalogs, "KJsectlist.csv")
                               if r["SectionName"] != r["MasterSectionName"]])[:2]
    lines = ["Vemtrix Saved Search", "CurrentSearchname: sample", "SearchTerms: bike",
             "CLcityList: " + ",".join(cl_cities), "KJcityList: " + ",".join(kj_cities), "BPcityList: ",
             "DAcityList: ", "CLsectionList: " + ",".join(cl_sections), "KJsectionList: " + ",".join(kj_sections),
             "BPsectionList: ", "DAsectionList: "]
    return "".join(line + "\r\n" for line in lines)


def soak_folder(sim, folder):
    """A folder that opens straight on the main window: the catalogs, the
    settings (all four sites searched) and the search "soak"."""
    subprocess.run([sys.executable, sim, "--expect-catalogs", folder], check=True, stdout=subprocess.DEVNULL)
    search = sample_search(folder).replace("CurrentSearchname: sample", "CurrentSearchname: soak")
    search = search.replace("SearchTerms: bike", "SearchTerms: bike,sofa")
    with open(os.path.join(folder, "soak.vem"), "w", newline="", encoding="latin-1") as f:
        f.write(search)
    with open(os.path.join(folder, "vemtrix.ini"), "w", newline="", encoding="latin-1") as f:
        f.write("CurrentSearchName: soak\r\nSearchBackpage: 1\r\nSearchDaype: 1\r\n")


def site_hosts(catalogs):
    hosts = set(FIXED_HOSTS)
    for name in os.listdir(catalogs):
        for row in rows(catalogs, name):
            for value in row.values():
                if value and value.startswith("http://"):
                    hosts.add(value[len("http://"):].split("/")[0].lower())
    return sorted(hosts)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--sim", required=True)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--folder", required=True)
    parser.add_argument("--soak", action="store_true",
                        help="also the catalogs, settings and search the soak starts from")
    args = parser.parse_args()

    os.makedirs(args.folder, exist_ok=True)
    shutil.copy2(args.exe, os.path.join(args.folder, "Vemtrix.exe"))
    beside = os.path.dirname(os.path.abspath(args.folder))
    with tempfile.TemporaryDirectory() as catalogs:
        subprocess.run([sys.executable, args.sim, "--expect-catalogs", catalogs], check=True,
                       stdout=subprocess.DEVNULL)
        with open(os.path.join(beside, "sample.vem"), "w", newline="", encoding="latin-1") as f:
            f.write(sample_search(catalogs))
        with open(os.path.join(beside, "hosts.txt"), "w") as f:
            f.write("".join(host + "\n" for host in site_hosts(catalogs)))
    if args.soak:
        soak_folder(args.sim, args.folder)


if __name__ == "__main__":
    main()
