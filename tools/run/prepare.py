#!/usr/bin/env python3
"""Prepares the program folder that scripts/run.sh starts Vemtrix.exe in.

The program is copied in afresh; the nine catalogs are harvested from the
site simulator by vemtrix-cli when any is missing; a sample search ("sample":
a few cities and sections of Craigslist and Kijiji, the term "bike") becomes
the current search when the folder has no settings file yet.
"""
import argparse
import csv
import os
import shutil
import subprocess
import sys

CATALOGS = ["CLcitylist.csv", "CLsectlist.csv", "CLstatelist.csv", "KJcitylist.csv", "KJsectlist.csv",
            "BPcitylist.csv", "BPsectlist.csv", "DAcitylist.csv", "DAsectlist.csv"]


def rows(folder, name):
    with open(os.path.join(folder, name), newline="", encoding="latin-1") as f:
        return list(csv.DictReader(f))


def harvest(cli, sim, folder):
    server = subprocess.Popen([sys.executable, sim, "--port", "0"], stdout=subprocess.PIPE)
    try:
        line = server.stdout.readline().decode()
        if not line.startswith("sitesim listening on "):
            sys.exit("run: the site simulator did not start: " + line)
        port = line.split()[-1]
        # The Windows build of the tool runs under Wine and sees the folder on drive Z:.
        command = ["wine", cli] if cli.endswith(".exe") else [cli]
        target = "Z:" + os.path.abspath(folder) if cli.endswith(".exe") else folder
        done = subprocess.run(command + ["harvest-catalogs", "--dir", target, "--connect-to", "127.0.0.1:" + port,
                               "--no-retry-wait"], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        if done.returncode != 0:
            sys.exit("run: harvesting the catalogs failed: " + done.stderr.decode("latin-1"))
    finally:
        server.terminate()
        server.wait(timeout=10)


def sample_search(folder):
    cl_cities = [r["CityURL"] for r in rows(folder, "CLcitylist.csv") if r["CountryCode"] == "US"][:3]
    # Bicycles first when the site has them, the term being "bike".
    def bikes_first(entries):
        return sorted(entries, key=lambda e: 0 if "bik" in e.lower() else 1)
    cl_sections = bikes_first([r["SectionCode"] for r in rows(folder, "CLsectlist.csv")
                               if r["SectionCode"] != r["MasterSectionCode"]])[:2]
    kj_cities = [r["URL"] for r in rows(folder, "KJcitylist.csv")][:2]
    kj_sections = bikes_first([r["SectionID"] + "\\" + r["SectionDir"] for r in rows(folder, "KJsectlist.csv")
                               if r["SectionName"] != r["MasterSectionName"]])[:2]
    lines = ["Vemtrix Saved Search", "CurrentSearchname: sample", "SearchTerms: bike",
             "CLcityList: " + ",".join(cl_cities), "KJcityList: " + ",".join(kj_cities), "BPcityList: ",
             "DAcityList: ", "CLsectionList: " + ",".join(cl_sections), "KJsectionList: " + ",".join(kj_sections),
             "BPsectionList: ", "DAsectionList: "]
    return "".join(line + "\r\n" for line in lines)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--folder", required=True)
    args = parser.parse_args()

    os.makedirs(args.folder, exist_ok=True)
    shutil.copy2(args.exe, os.path.join(args.folder, "Vemtrix.exe"))
    if not all(os.path.exists(os.path.join(args.folder, name)) for name in CATALOGS):
        print("run: harvesting the catalogs from the site simulator")
        harvest(args.cli, args.sim, args.folder)
    settings = os.path.join(args.folder, "vemtrix.ini")
    if not os.path.exists(settings):
        with open(os.path.join(args.folder, "sample.vem"), "w", newline="", encoding="latin-1") as f:
            f.write(sample_search(args.folder))
        with open(settings, "w", newline="", encoding="latin-1") as f:
            f.write("CurrentSearchName: sample\r\nCheckForUpdates: 0\r\nRecentSearches: sample\r\n")


if __name__ == "__main__":
    main()
