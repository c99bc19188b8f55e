#!/usr/bin/env python3
"""The tour of scripts/run.sh as a test: Vemtrix.exe under Wine in a private
network namespace whose /etc/hosts points the sites' real host names at the
site simulator on port 80. From a folder holding only the program: the
installation offer (No), the catalog download, the main window; the sample
search opens, Go! harvests it, the search is saved through the save dialog.
The tour must report results, and its screenshots are kept with the other
test artifacts.

Usage: wine_tour.py SITESIM VEMTRIX_EXE TOUR_EXE ARTIFACTS
Exit 77 (skipped) when this machine cannot make a network namespace.
"""
import os
import re
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PAGES = ["0-download-sections-and-cities.png", "1-search-results.png", "2-search-settings.png", "3-vemtrix-settings.png", "4-diagnostics.png",
         "5-html-template.png", "6-diagnostics-during-run.png", "7-results-after-run.png"]


def main(sim, exe, tour, artifacts):
    if subprocess.run(["unshare", "--net", "--mount", "true"], stderr=subprocess.DEVNULL).returncode != 0:
        print("skipped: no private network namespace on this machine")
        return 77
    shots = os.path.join(artifacts, "tour")
    os.makedirs(shots, exist_ok=True)
    with tempfile.TemporaryDirectory() as beside:
        folder = os.path.join(beside, "program")
        subprocess.run([sys.executable, os.path.join(ROOT, "tools/run/prepare.py"), "--sim", sim,
                        "--exe", exe, "--folder", folder], check=True)
        # The namespace needs a wineserver of its own: end the running one.
        subprocess.run(["wineserver", "-k"], stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], stderr=subprocess.DEVNULL)
        try:
            done = subprocess.run(["unshare", "--net", "--mount", "--fork", sys.executable,
                                   os.path.join(ROOT, "tools/run/in_netns.py"), "--sim", sim, "--folder", folder,
                                   "--hosts", os.path.join(beside, "hosts.txt"), "--mode", "tour", "--tour", tour,
                                   "--sample", os.path.join(beside, "sample.vem"), "--screenshots", shots],
                                  stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=900)
        finally:
            # A warm wineserver outside the namespace again, holding no pipe.
            quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            subprocess.run(["wineserver", "-p"], **quiet)
            subprocess.run(["wine", "cmd", "/c", "exit"], **quiet)
        out = done.stdout.decode("latin-1")
        print(out)
        found = re.search(r"^(\d+) results\r?$", out, re.MULTILINE)
        failures = []
        if done.returncode != 0:
            failures.append("the tour ended with status %d" % done.returncode)
        if not found or int(found.group(1)) == 0:
            failures.append("the tour reported no results")
        if "was not saved" in out:
            failures.append("the save did not clear the unsaved-results question")
        saved = os.path.join(folder, "sample.vem")
        if not os.path.exists(saved) or b"\r\nResult: " not in open(saved, "rb").read():
            failures.append("the saved search holds no results")
        if not os.path.exists(os.path.join(folder, "CLcitylist.csv")):
            failures.append("the first run wrote no catalogs")
        for page in PAGES:
            if not os.path.exists(os.path.join(shots, page)):
                failures.append("no screenshot " + page)
        for failure in failures:
            print("FAIL: " + failure)
        return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:5]))
