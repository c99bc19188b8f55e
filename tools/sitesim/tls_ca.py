"""A small certificate authority of a test's own, made at test time with the
openssl command: a root, and certificates it signs for the simulator's hosts
(good, expired, or for other hosts), or self-signed ones.

A test trusts its CA only inside itself: it points the client at a bundle that
holds the CA (SSL_CERT_FILE natively; under Wine, the bundle bind-mounted as
the system's one in the test's own mount namespace). Nothing here touches the
machine's trust store.

    python3 tls_ca.py DIR       # writes DIR/ca.pem, DIR/site.pem, DIR/site.key
"""
import os
import subprocess
import sys

# Every name the simulator answers to (wildcards cover a site's cities).
SITE_NAMES = [
    "craigslist.org", "*.craigslist.org", "*.craigslist.ca", "*.craigslist.co.uk", "*.craigslist.com.au",
    "*.craigslist.com.mx", "kijiji.ca", "*.kijiji.ca", "kijiji.com", "*.kijiji.com", "backpage.com",
    "*.backpage.com", "daype.com", "*.daype.com", "www.quillfen.com", "localhost",
]
KINDS = ("good", "expired", "self-signed", "other-host")
_CURVE = ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"]


def _openssl(args, cwd):
    proc = subprocess.run(["openssl"] + args, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if proc.returncode != 0:
        raise RuntimeError("openssl %s failed: %s" % (args[0], proc.stderr.decode("latin-1")))


def _alt_names(names):
    return ",".join(("IP:" if name.replace(".", "").isdigit() else "DNS:") + name for name in names)


def make_ca(folder, name=None):
    """Writes folder/ca.pem and folder/ca.key; returns the certificate's path.
    Each CA gets a name of its own: a client that once trusted another test
    CA (a Wine prefix keeps the roots it has seen) must not take this one for
    it."""
    os.makedirs(folder, exist_ok=True)
    name = name or "Vemtrix Test CA " + os.urandom(6).hex()
    _openssl(["req", "-x509"] + _CURVE + ["-keyout", "ca.key", "-out", "ca.pem", "-days", "30",
              "-subj", "/CN=" + name, "-addext", "basicConstraints=critical,CA:TRUE",
              "-addext", "keyUsage=critical,keyCertSign,cRLSign"], folder)
    return os.path.join(folder, "ca.pem")


def issue(folder, stem, names, kind="good"):
    """Writes folder/stem.pem and folder/stem.key, a server certificate for
    names: signed by folder's CA ("good"), signed but expired ("expired"),
    signed for other names ("other-host"), or signed by itself
    ("self-signed"). Returns (certificate path, key path)."""
    if kind not in KINDS:
        raise ValueError("kind must be one of " + ", ".join(KINDS))
    if kind == "other-host":
        names = ["other.example.net"]
    key, cert = stem + ".key", stem + ".pem"
    subject = "/CN=" + names[0]
    extensions = ("subjectAltName=%s\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n"
                  "keyUsage=critical,digitalSignature\n" % _alt_names(names))
    signed = extensions + "authorityKeyIdentifier=keyid:always\n"
    if kind == "self-signed":
        _openssl(["req", "-x509"] + _CURVE + ["-keyout", key, "-out", cert, "-days", "30", "-subj", subject]
                 + sum((["-addext", line] for line in extensions.splitlines()), []), folder)
    else:
        with open(os.path.join(folder, stem + ".ext"), "w") as f:
            f.write(signed)
        _openssl(["req", "-new"] + _CURVE + ["-keyout", key, "-out", stem + ".csr", "-subj", subject], folder)
        # -days -1 ends the validity a day before it begins: expired.
        _openssl(["x509", "-req", "-in", stem + ".csr", "-CA", "ca.pem", "-CAkey", "ca.key",
                  "-set_serial", str(int.from_bytes(os.urandom(6), "big") + 2), "-days", "-1" if kind == "expired" else "30",
                  "-extfile", stem + ".ext", "-out", cert], folder)
    return os.path.join(folder, cert), os.path.join(folder, key)


def make_site_world(folder, kind="good"):
    """A CA and the simulator's certificate of the given kind in folder.
    Returns (CA certificate, site certificate, site key)."""
    ca = make_ca(folder)
    cert, key = issue(folder, "site", SITE_NAMES + ["127.0.0.1"], kind)
    return ca, cert, key


if __name__ == "__main__":
    if len(sys.argv) not in (2, 3):
        sys.exit("usage: tls_ca.py DIR [KIND]")
    for path in make_site_world(sys.argv[1], *sys.argv[2:]):
        print(path)
