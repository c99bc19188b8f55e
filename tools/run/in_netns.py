#!/usr/bin/env python3
"""Inside a private network namespace (started by scripts/run.sh or
scripts/soak.sh): points the sites' real host names at 127.0.0.1, starts the
site simulator on port 80 and runs Vemtrix.exe under Wine, either on the
user's display, through the tour that drives it on a virtual one, or through
the soak that uses it at random for minutes.
"""
import argparse
import os
import subprocess
import sys
import tempfile
import urllib.request


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def slow_down(ms):
    try:
        urllib.request.urlopen("http://127.0.0.1/__sim/latency?ms=%d" % ms, timeout=5).read()
    except OSError as error:
        print("run: could not change the simulated sites' pace: %s" % error)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--sim", required=True)
    parser.add_argument("--folder", required=True)
    parser.add_argument("--hosts", required=True, help="file of host names, one a line")
    parser.add_argument("--mode", choices=("window", "tour", "soak"), required=True)
    parser.add_argument("--tour", help="the tour's program (mode tour)")
    parser.add_argument("--sample", help="the saved search the tour opens")
    parser.add_argument("--screenshots", help="where the tour's screenshots go")
    parser.add_argument("--soak", help="the soak's program (mode soak)")
    parser.add_argument("--seed", help="the soak's seed")
    parser.add_argument("--minutes", help="how long the soak lasts")
    args = parser.parse_args()

    subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
    with open(args.hosts) as f:
        names = [line.strip() for line in f if line.strip()]
    hosts = tempfile.NamedTemporaryFile("w", delete=False)
    hosts.write("127.0.0.1 localhost\n" + "".join("127.0.0.1 %s\n" % name for name in names))
    hosts.close()
    subprocess.run(["mount", "--bind", hosts.name, "/etc/hosts"], check=True)

    latency = "30" if args.mode == "soak" else "150"
    server = subprocess.Popen([sys.executable, args.sim, "--port", "80", "--latency-ms", latency],
                              stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL if args.mode == "soak" else None)
    line = server.stdout.readline().decode()
    if not line.startswith("sitesim listening on 80"):
        sys.exit("run: the site simulator could not listen on port 80: " + line)
    program = os.path.abspath(os.path.join(args.folder, "Vemtrix.exe"))
    try:
        if args.mode == "window":
            print("run: Vemtrix is starting on your display; close its window to end")
            return subprocess.run(["wine", program], cwd=args.folder).returncode
        if args.mode == "soak":
            return subprocess.run(["wine", os.path.abspath(args.soak), windows_path(program), args.seed,
                                   args.minutes, "80"]).returncode
        os.makedirs(args.screenshots, exist_ok=True)
        print("run: no display; touring the program on a virtual one")
        tour = subprocess.Popen(["wine", os.path.abspath(args.tour), windows_path(program),
                                 windows_path(args.screenshots), windows_path(args.sample)],
                                stdout=subprocess.PIPE, text=True)
        for line in tour.stdout:
            print(line, end="", flush=True)
            if line.startswith("tour: Go!"):
                # Slower answers during the search, so that its screenshot
                # shows the workers at work.
                slow_down(800)
            elif line.startswith("tour: saving"):
                slow_down(150)
        return tour.wait()
    finally:
        server.terminate()
        server.wait(timeout=10)
        os.unlink(hosts.name)
        subprocess.run(["wineserver", "-k"], stderr=subprocess.DEVNULL)


if __name__ == "__main__":
    sys.exit(main())
