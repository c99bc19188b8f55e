#!/usr/bin/env python3
"""Vemtrix.exe meeting the simulated sites by their real host names, under
Wine, inside a private network namespace: the first run with its catalog
download, a download that fails, and the update check.

The namespace's /etc/hosts points the sites' and the maker's host names at
127.0.0.1 and the simulator listens on port 80: nothing is redirected inside
the program. The Windows side is vemtrix_netns_tests (GoogleTest, driving the
program from outside); afterwards the nine catalogs the first run wrote must
equal the simulator's own account of them.

With --https-only every site and the maker have moved to https: the
simulator also listens on port 443 with a certificate of the test's own CA
and answers every plain request (but its control requests) with a 301 to
https; the CA is trusted inside the test's mount namespace only (see
wine_netns_search.py). The catalogs must still be the nine of the plain world
and the update check must give the same answers.

Usage: wine_first_run.py NETNS_TESTS_EXE SITESIM VEMTRIX_EXE ARTIFACTS [--https-only] [GTEST ARGS]
Exit 77 (skipped) when this machine cannot make a network namespace.
"""
import filecmp
import os
import subprocess
import sys
import tempfile

# Every host the first run, the main window and the update check ask for.
HOSTS = ["www.craigslist.org", "geo.craigslist.org", "toronto.craigslist.ca", "www.kijiji.ca", "www.kijiji.com",
         "losangeles.kijiji.com", "www.backpage.com", "losangeles.backpage.com", "www.daype.com",
         "losangeles.daype.com", "www.quillfen.com"]
CATALOGS = ["CLcitylist.csv", "CLsectlist.csv", "CLstatelist.csv", "KJcitylist.csv", "KJsectlist.csv",
            "BPcitylist.csv", "BPsectlist.csv", "DAcitylist.csv", "DAsectlist.csv"]


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def compare_catalogs(sim, folder):
    with tempfile.TemporaryDirectory() as expected:
        subprocess.run([sys.executable, sim, "--expect-catalogs", expected], check=True)
        failures = []
        for name in CATALOGS:
            got = os.path.join(folder, name)
            if not os.path.exists(got):
                failures.append("%s was not written" % name)
            elif not filecmp.cmp(got, os.path.join(expected, name), shallow=False):
                failures.append("%s differs from the simulator's account" % name)
        return failures


def inside(tests, sim, program, artifacts, https_only, gtest_args):
    subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
    os.makedirs(artifacts, exist_ok=True)
    from wine_netns_search import start_site_world
    hosts, tls, server = start_site_world(sim, HOSTS, https_only)
    try:
        with tempfile.TemporaryDirectory() as work:
            env = dict(os.environ, VEMTRIX_E2E_PROGRAM=windows_path(program), VEMTRIX_E2E_WORK=windows_path(work),
                       VEMTRIX_E2E_ARTIFACTS=windows_path(artifacts))
            done = subprocess.run(["wine", tests] + gtest_args, env=env, timeout=840)
            failures = [] if done.returncode == 0 else ["the Windows tests failed (status %d)" % done.returncode]
            if os.path.isdir(os.path.join(work, "firstrun")):
                failures += compare_catalogs(sim, os.path.join(work, "firstrun"))
            for failure in failures:
                print("FAIL: " + failure)
            if not failures:
                print("ok: first run, failing download and update check by real host names%s"
                      % (" over https" if https_only else ""))
            return 1 if failures else 0
    finally:
        server.terminate()
        server.wait(timeout=10)
        server.stdout.close()
        os.unlink(hosts.name)
        tls.cleanup()
        subprocess.run(["wineserver", "-k"], stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], stderr=subprocess.DEVNULL)


if __name__ == "__main__":
    if os.environ.get("VEMTRIX_IN_NETNS") == "1":
        extra = sys.argv[5:]
        sys.exit(inside(*sys.argv[1:5], "--https-only" in extra, [a for a in extra if a != "--https-only"]))
    from wine_netns_search import outside
    sys.exit(outside(__file__))
