#!/usr/bin/env python3
"""The Windows build of vemtrix-cli searching the simulated sites by their
real host names, under Wine, inside a private network namespace.

Nothing is redirected: the namespace's /etc/hosts points the sites' names at
127.0.0.1 and the simulator listens on port 80, so the program resolves and
connects exactly as it would to the real sites. The store it prints must be
the one the simulator's own account of its pages gives.

With --https-only the sites have moved to https: the simulator also listens
on port 443 with a certificate of a CA made for the test and answers every
plain request with a 301 to https. Wine's crypt32 takes its trusted roots from
/etc/ssl/certs/ca-certificates.crt, so a bundle holding the test CA is
bind-mounted there, inside the test's own mount namespace only. The store
must be the same.

After the search, a handful of the links it found are read by the deep scan
(`vemtrix-cli deep`): one of each site, each text and date as the simulator's
own extraction gives them. Over https every other link is given as
"https://" and the rest reach https by the sites' redirect.

Usage: wine_netns_search.py VEMTRIX_CLI_EXE SITESIM [--https-only]
Exit 77 (skipped) when this machine cannot make a network namespace.
"""
import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
HOSTS = ["seattle.craigslist.org", "boston.craigslist.org", "toronto.kijiji.ca", "losangeles.kijiji.com",
         "phoenix.backpage.com", "la.daype.com"]


def outside(script=__file__):
    """Runs script again inside a private network and mount namespace (with
    VEMTRIX_IN_NETNS set) and returns its status; 77 when this machine cannot
    make one."""
    if subprocess.run(["unshare", "--net", "--mount", "true"], stderr=subprocess.DEVNULL).returncode != 0:
        print("skipped: no private network namespace on this machine")
        return 77
    # Wine's sockets are made by its wineserver, so the server must live in
    # the namespace too: end the running one; the namespace starts its own.
    subprocess.run(["wineserver", "-k"], stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-w"], stderr=subprocess.DEVNULL)
    env = dict(os.environ, VEMTRIX_IN_NETNS="1")
    command = ["unshare", "--net", "--mount", "--fork", sys.executable, script] + sys.argv[1:]
    if os.getuid() != 0:
        command.insert(1, "--map-root-user")
    try:
        return subprocess.run(command, env=env).returncode
    finally:
        # Later tests get a warm wineserver outside the namespace again, one
        # that holds none of their output pipes open.
        quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-p"], **quiet)
        subprocess.run(["wine", "cmd", "/c", "exit"], **quiet)


SYSTEM_BUNDLE = "/etc/ssl/certs/ca-certificates.crt"


def trust_only_here(folder, ca):
    """The system's bundle plus the test CA, mounted over the system's bundle
    in this (private) mount namespace."""
    bundle = os.path.join(folder, "bundle.crt")
    with open(bundle, "wb") as out:
        if os.path.exists(SYSTEM_BUNDLE):
            with open(SYSTEM_BUNDLE, "rb") as f:
                out.write(f.read())
        with open(ca, "rb") as f:
            out.write(b"\n" + f.read())
    if not os.path.exists(SYSTEM_BUNDLE):
        os.makedirs(os.path.dirname(SYSTEM_BUNDLE), exist_ok=True)
        open(SYSTEM_BUNDLE, "w").close()
    subprocess.run(["mount", "--bind", bundle, SYSTEM_BUNDLE], check=True)


def start_site_world(sim, host_names, https_only):
    """Inside the namespace: points host_names at 127.0.0.1 and starts the
    simulator on port 80 (and, https_only, on 443 with a test CA trusted here
    only). Returns the hosts file, the TLS folder and the simulator."""
    hosts = tempfile.NamedTemporaryFile("w", delete=False)
    hosts.write("127.0.0.1 localhost " + " ".join(host_names) + "\n")
    hosts.close()
    subprocess.run(["mount", "--bind", hosts.name, "/etc/hosts"], check=True)

    args = [sys.executable, sim, "--port", "80"]
    tls = tempfile.TemporaryDirectory()
    if https_only:
        sys.path.insert(0, os.path.dirname(os.path.abspath(sim)))
        import tls_ca
        ca, cert, key = tls_ca.make_site_world(tls.name)
        trust_only_here(tls.name, ca)
        args += ["--tls-port", "443", "--tls-cert", cert, "--tls-key", key, "--https-only"]
    server = subprocess.Popen(args, stdout=subprocess.PIPE)
    assert server.stdout.readline().decode().startswith("sitesim listening on 80")
    if https_only:
        assert server.stdout.readline().decode().startswith("sitesim listening for TLS on 443")
    return hosts, tls, server


def refuses_bad_certificates(exe, sim, folder):
    """A certificate of a CA nobody trusts, and an expired one of the trusted
    CA: the download fails (the count is -1)."""
    import tls_ca
    unknown = os.path.join(folder, "unknown")
    tls_ca.make_ca(unknown)
    cases = {"unknown CA": tls_ca.issue(unknown, "good", tls_ca.SITE_NAMES, "good"),
             "expired": tls_ca.issue(folder, "expired", tls_ca.SITE_NAMES, "expired")}
    for name, (cert, key) in cases.items():
        bad = subprocess.Popen([sys.executable, sim, "--port", "81", "--tls-port", "444", "--tls-cert", cert,
                                "--tls-key", key], stdout=subprocess.PIPE)
        try:
            bad.stdout.readline()
            bad.stdout.readline()
            out = subprocess.run(["wine", exe, "query", "--host", "https://seattle.craigslist.org/", "--term", "lamp",
                                  "--section", "fuo", "--connect-to", "127.0.0.1:81,444"],
                                 stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=120).stdout
            if out != b"-1\n":
                print("FAIL: a certificate (%s) was taken: %r" % (name, out[:200]))
                return 1
        finally:
            bad.terminate()
            bad.wait(timeout=10)
            bad.stdout.close()
    print("ok: certificates of an unknown CA and expired ones are refused")
    return 0


def deep_scan_reads_the_same_texts(run, sim, rows, https_only):
    """One found link of each site that has an ad text, read by `deep`."""
    sys.path.insert(0, os.path.dirname(os.path.abspath(sim)))
    import sitesim
    from cli_deep_test import unescape
    started = time.time()
    picked = {}
    for row in rows:
        host, _, path = row[4][len("http://"):].partition("/")
        if host not in HOSTS:
            continue
        site = host.split(".", 1)[1]
        if site in picked:
            continue
        want = sitesim.expected_ad(host, "/" + path)
        if want["text"]:
            picked[site] = (row[4], want)
    if len(picked) < 5:
        print("FAIL: only %d sites with ad texts among the results" % len(picked))
        return 1
    for i, (link, want) in enumerate(picked.values()):
        if https_only and i % 2 == 0:
            link = "https://" + link[len("http://"):]
        lines = run(["deep", "--link", link]).decode("latin-1").split("\n")
        if unescape(lines[0]) != want["text"] or (lines[1] or None) != want["date"]:
            print("FAIL: the deep scan of %s read %r (date %r)" % (link, lines[0][:200], lines[1]))
            return 1
    print("ok: the deep scan read %d ads%s as the simulator gives them, in %.1f s"
          % (len(picked), " over https" if https_only else "", time.time() - started))
    return 0


def inside(exe, sim, https_only=False):
    subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
    hosts, tls, server = start_site_world(sim, HOSTS, https_only)
    try:
        sys.path.insert(0, HERE)
        os.environ["VEMTRIX_SITESIM"] = sim
        import cli_search_test as search

        def run(args):
            proc = subprocess.run(["wine", exe] + args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=600)
            if proc.returncode != 0:
                raise AssertionError("%s failed: %s" % (args, proc.stderr.decode("latin-1")))
            return proc.stdout
        search.run = run
        search.SIM = sim

        with tempfile.TemporaryDirectory() as catalogs:
            for name, text in search.CATALOGS.items():
                with open(os.path.join(catalogs, name), "w", newline="") as f:
                    f.write(text)
            case = search.CliSearch("test_one_worker_fills_the_store_in_job_order")
            expected = case.expected_store()
            started = time.time()
            out = run(["search", "--terms", search.TERMS, "--cities", search.CITIES, "--sections", search.SECTIONS,
                       "--catalogs", "Z:" + catalogs, "--set", "SearchBackpage=1", "--set", "SearchDaype=1",
                       "--set", "MaxThreads=1"]).decode("latin-1").split("\n")
            want = ["\t".join(search.escape(f) for f in row) for row in expected]
            if out[:-2] != want or out[-2] != "%d results" % len(expected):
                for i, (g, w) in enumerate(zip(out, want)):
                    if g != w:
                        print("first difference at row %d:\n got  %r\n want %r" % (i + 1, g, w))
                        break
                print("FAIL: %d lines, expected %d results" % (len(out) - 2, len(expected)))
                return 1
            print("ok: %d results by real host names%s under Wine in %.1f s"
                  % (len(expected), " over https" if https_only else "", time.time() - started))
            if deep_scan_reads_the_same_texts(run, sim, expected, https_only) != 0:
                return 1
            if https_only:
                return refuses_bad_certificates(exe, sim, tls.name)
            return 0
    finally:
        server.terminate()
        server.wait(timeout=10)
        os.unlink(hosts.name)
        tls.cleanup()
        subprocess.run(["wineserver", "-k"], stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], stderr=subprocess.DEVNULL)


if __name__ == "__main__":
    if os.environ.get("VEMTRIX_IN_NETNS") == "1":
        sys.exit(inside(sys.argv[1], sys.argv[2], "--https-only" in sys.argv[3:]))
    sys.exit(outside())
