#!/usr/bin/env python3
"""Inside a private network namespace (started by scripts/run.sh): points the
sites' real host names at 127.0.0.1, starts the site simulator on port 80 and
runs Vemtrix.exe under Wine, either on the user's display or through the
tour that drives it on a virtual one.
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
    parser.add_argument("--mode", choices=("window", "tour"), required=True)
    parser.add_argument("--tour", required=True)
    parser.add_argument("--sample", required=True, help="the saved search the tour opens")
    parser.add_argument("--screenshots", required=True)
    args = parser.parse_args()

    subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
    with open(args.hosts) as f:
        names = [line.strip() for line in f if line.strip()]
    hosts = tempfile.NamedTemporaryFile("w", delete=False)
    hosts.write("127.0.0.1 localhost\n" + "".join("127.0.0.1 %s\n" % name for name in names))
    hosts.close()
    subprocess.run(["mount", "--bind", hosts.name, "/etc/hosts"], check=True)

    server = subprocess.Popen([sys.executable, args.sim, "--port", "80", "--latency-ms", "150"],
                              stdout=subprocess.PIPE)
    line = server.stdout.readline().decode()
    if not line.startswith("sitesim listening on 80"):
        sys.exit("run: the site simulator could not listen on port 80: " + line)
    program = os.path.abspath(os.path.join(args.folder, "Vemtrix.exe"))
    try:
        if args.mode == "window":
            print("run: Vemtrix is starting on your display; close its window to end")
            return subprocess.run(["wine", program], cwd=args.folder).returncode
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
