"""Tests of the site simulator.

The pages are read back with an independent reader that follows the client's
marker rules step by step; what it reads must equal what --expect promises,
and what it extracts from an ad page what --expect-ad promises.
The server is started as a subprocess and spoken to with raw HTTP/1.0.
"""

import datetime
import html
import json
import os
import re
import shutil
import signal
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SIM = os.path.join(HERE, "sitesim.py")
sys.path.insert(0, HERE)
import sitesim  # noqa: E402
import tls_ca  # noqa: E402

# ---------------------------------------------------------------------------
# The client's way of reading pages: first-occurrence marker searches only.


def between(text, start, end):
    i = text.find(start)
    if i < 0:
        return ""
    i += len(start)
    j = text.find(end, i)
    return text[i:] if j < 0 else text[i:j]


def cut_from(text, marker):
    i = text.find(marker)
    return "" if i < 0 else text[i:]


def cut_after(text, marker):
    i = text.find(marker)
    return "" if i < 0 else text[i + len(marker):]


def unwrap(text):
    return between(text, "<![CDATA[", "]]>") if text.startswith("<![CDATA[") else text


def lower(text):
    return "".join(chr(ord(c) + 32) if "A" <= c <= "Z" else c for c in text)


def number(text):
    m = re.match(r" *(\d+)", text)
    return int(m.group(1)) if m else 0


def month_number(text):
    names = ["jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"]
    key = lower(text[:3])
    return names.index(key) + 1 if key in names else 0


def collapse(text):
    for c in "\n\r\t\f\0":
        text = text.replace(c, " ")
    while "  " in text:
        text = text.replace("  ", " ")
    return text


def no_year(month, day, today):
    year = today.year - 1 if today.month < month else today.year
    return "%04d-%02d-%02d" % (year, month, day)


def row(date, title, link, description):
    return {"date": date, "title": title, "link": link, "description": description}


def read_craigslist(page):
    rest = cut_from(page, "</channel>")
    out = []
    for _ in range(rest.count("<title>")):
        out.append(row(between(rest, "<dc:date>", "</dc:date>")[:10],
                       unwrap(between(rest, "<title>", "</title>")),
                       between(rest, "<link>", "</link>"),
                       unwrap(between(rest, "<description>", "</description>")).replace("&amp;", "&")))
        rest = cut_after(rest, "</item>")
    return out


def read_kijiji_ca(page, term, opts):
    key = lower(term).replace('"', "")
    rest = cut_from(page, "</image>")
    out = []
    for _ in range(rest.count("<title>")):
        title = unwrap(between(rest, "<title>", "</title>"))
        if not opts.get("SearchTitles") or key in lower(title):
            words = between(rest, "<pubDate>", "</pubDate>").split(" ")
            date = "%s-%02d-%02d" % (words[3], month_number(words[2]), number(words[1]))
            out.append(row(date, title, between(rest, "<link>", "</link>"),
                           unwrap(between(rest, "<description>", "</description>"))))
        rest = cut_after(rest, "</item>")
    return out


def read_kijiji_us(page, term, opts, today):
    if "Sorry, but no ads matched your search" in page:
        return []
    key = lower(term).replace('"', "")
    n = number(cut_after(cut_from(page, '<div id="ui-search-result-count">'), "Showing 1-")[:2])
    page = cut_from(page, '<ol class="search-results">')
    out = []
    for _ in range(n):
        page = cut_after(page, "<li>")
        item = page[:page.find("</li>")] if "</li>" in page else page
        if opts.get("HasPictures") and not (".jpg" in item or ".jpeg" in item):
            continue
        item = cut_after(item, "</span>")
        title = between(item, '">', "</a>")
        if opts.get("SearchTitles") and key not in lower(title):
            continue
        price = "$" + between(item, "$", " ") if "$" in item else ""
        date = no_year(month_number(between(item, "</em> - ", " ")), number(item[-2:]), today)
        out.append(row(date, title, between(item, 'href="', '"'), price))
    return out


def read_backpage(page, today):
    date = "%04d-%02d-%02d" % (today.year, today.month, today.day)
    out = []
    for _ in range(page.count('<div class="cat">')):
        d, c = page.find('<div class="date">'), page.find('<div class="cat">')
        if 0 <= d < c:
            page = page[d + 18:]
            words = page[:page.find("<")].replace("  ", " ").split(" ")
            date = no_year(month_number(words[1]), number(words[2]), today)
        page = page[page.find('<div class="cat">') + 17:]
        link = page[page.find("href=") + 6:]
        out.append(row(date, between(page, ">", "<"), link[:link.find('"')], ""))
    return out


def read_daype_html(page, today, test):
    marker = ".com/classifieds/details/"
    date = "%04d-%02d-%02d" % (today.year, today.month, today.day)
    out = []
    while marker in page:
        pos = page.find(marker)
        # The client steps back 35 characters: there must be that much room.
        test.assertGreaterEqual(pos, 35)
        page = cut_from(page[pos - 35:], "http://")
        link = page[:page.find('"')]
        page = cut_after(page, ">")
        anchor = page[:page.find("</a>")]
        if '.jpg"' in anchor or '.gif"' in anchor:
            continue
        page = cut_after(page, "<br />")
        desc = collapse(page[:page.find("<br />")])
        title = collapse(anchor).strip(" ").replace("\r", "").replace("\n", "")
        out.append(row(date, title, link, desc))
    return out


def read_daype_rss(page, today):
    date = "%04d-%02d-%02d" % (today.year, today.month, today.day)
    rest = cut_from(page, "<item>")
    out = []
    for _ in range(rest.count("<title>")):
        desc = unwrap(between(rest, "<description>", "</description>"))
        desc = desc.replace("&amp;", "&").replace("&lt;", "<").replace("&gt;", ">")
        out.append(row(date, unwrap(between(rest, "<title>", "</title>")),
                       between(rest, "<link>", "</link>"), desc))
        rest = cut_after(rest, "</item>")
    return out


# The deep scan's reading of an ad page (the whole response, headers included).


def through(text, start, end):
    """From start through the next end ("" without start, to the end without end)."""
    i = text.find(start)
    if i < 0:
        return ""
    j = text.find(end, i + len(start))
    return text[i:] if j < 0 else text[i:j + len(end)]


def extract_ad(host, page):
    """(text, date) as the deep scan extracts them, one marker rule at a time."""
    host = lower(host)
    if "craigslist" in host:
        if '<div id="userbody">' not in page:
            return page, None
        contact = through(page, '<a href="mailto:', "</a>") or "Could not find a valid email address."
        return contact + "<br /><br />\r\n" + between(page, '<div id="userbody">', "</div>"), None
    if "kijiji" in host:
        if "kijiji.ca" in host:
            heading_marker, desc = '<h1 id="preview-local-title">', through(
                page, '<span id="preview-local-desc">', "</span>")
            i = page.find("title='Zoom'>")
            picture = "" if i < 0 else through(page[i + 13:], "", "/>")
        else:
            heading_marker = '<h1 id="ad-title">'
            desc = between(cut_after(page, '<span class="h3">'), "<p>", "</p>")
            i = page.find('class="imageStack"')
            picture = "" if i < 0 else through(page[i + 19:], "", "/>")
        if heading_marker not in page:
            return page, None
        return through(page, heading_marker, "</h1>") + desc + "<br />\r\n" + picture, None
    if "backpage" in host:
        i = page.find('<div class="adPost">')
        if i < 0:
            return "", None
        j = page.find("<!-- end adPost -->", i)
        return (page[i:j] if j >= 0 else page[i:-1]), None
    if "daype" in host:
        text = cut_from(page, "<!DOCTYPE HTML")
        return text, (cut_after(text, "Date: ")[:10] if "Date: " in text else None)
    return page, None


def deep_scan_reads(host, page):
    text, date = extract_ad(host, page)
    return {"text": text, "date": date, "expired": "This posting has expired." in text}


def observed_kind(host, page, got):
    """The kind of ad page as the client sees it."""
    text = got["text"]
    if "craigslist" in host:
        if got["expired"]:
            return "expired"
        return "plain" if text.startswith('<a href="mailto:') else \
            "nomail" if text.startswith("Could not find a valid email address.<br /><br />\r\n") else "?"
    if "kijiji" in host:
        return "plain" if text.endswith("/>") else "nopicture" if text.endswith("<br />\r\n") else "?"
    if "backpage" in host:
        return "nomarker" if not text else "plain" if "<!-- end adPost -->" in page else "noend"
    return "nodate" if got["date"] is None else "plain"


def enc(term):
    keep = "qwertyuiopasdfghjklzxcvbnmQWERTYUIOPASDFGHJKLZXCVBNM1234567890.-"
    out = "".join("+" if c == " " else c if c in keep else "%%%02X" % ord(c) for c in term)
    return out or "+"


TERMS = ["oak table", 'R&B "vinyl"', "o'neil", "caf\xe9 cr\xe8me", "$5 photo.jpg",
         "a<b>c", "bike", "zzznothing", "zzzmany"]
TODAYS = [datetime.date(2026, 3, 5), datetime.date(2026, 12, 8)]
OPTION_SETS = [{}, {"SearchTitles": 1}, {"HasPictures": 1}, {"SearchTitles": 1, "HasPictures": 1}]


def cases():
    """(kind, host, path, term) over every page kind and a spread of queries."""
    for term in TERMS:
        e = enc(term)
        for host in ("toronto.craigslist.ca", "sfbay.craigslist.org"):
            yield "cl", host, "/search/sss?query=%s&format=rss" % e, term
            yield "cl", host, "/search/fuo?query=%s&format=rss&srchType=T&hasPic=1" % e, term
        yield "kjca", "montreal.kijiji.ca", "/f-SearchAdRss?catId=27&Keyword=%s" % e, term
        yield "kjca", "www.kijiji.ca", "/f-SearchAdRss?catId=10&Keyword=%s" % e, term
        yield "kjus", "losangeles.kijiji.com", "/f-furniture-W0QQCatIdZ27/?q=%s&catId=27" % e, term
        yield "kjus", "boston.kijiji.com", "/f-bikes/?q=%s&catId=7" % e, term
        yield "bp", "losangeles.backpage.com", \
            "/FurnitureForSale/classifieds/Results?section=4378&keyword=%s&category=4390" % e, term
        yield "bp", "sf.backpage.com", \
            "/BuySellTrade/classifieds/Results?section=4378&keyword=%s&hasImage=yes" % e, term
        low = enc(lower(term))
        yield "dah", "losangeles.daype.com", \
            "/classifiedsads/null/furniture/%s/all/null/null/1" % low, term
        yield "dah", "x.daype.com", "/classifiedsads/null/bikes/%s/all/null/null/1" % low, term
        yield "dar", "losangeles.daype.com", "/feed/%s" % low, term


def read_as_client(kind, page, term, opts, today, test):
    if kind == "cl":
        return read_craigslist(page)
    if kind == "kjca":
        return read_kijiji_ca(page, term, opts)
    if kind == "kjus":
        return read_kijiji_us(page, term, opts, today)
    if kind == "bp":
        return read_backpage(page, today)
    if kind == "dah":
        return read_daype_html(page, today, test)
    return read_daype_rss(page, today)


# ---------------------------------------------------------------------------
# Raw HTTP/1.0 as the client speaks it


def fetch(port, host, target, timeout=5.0):
    """(response bytes, timed out) for one request; a reset counts as an end."""
    data, timed_out = b"", False
    with socket.create_connection(("127.0.0.1", port), timeout=timeout) as s:
        try:
            for line in ("GET %s HTTP/1.0" % target, "Host: " + host,
                         "User-Agent: Mozilla/4.0 (compatible; MSIE 5.5; Windows NT)",
                         "Accept-Language: en-us", ""):
                s.sendall((line + "\r\n").encode("latin-1"))
            while True:
                chunk = s.recv(4096)
                if not chunk:
                    break
                data += chunk
        except socket.timeout:
            timed_out = True
        except (ConnectionResetError, BrokenPipeError):
            pass
    return data, timed_out


def body_of(response):
    return response.split(b"\r\n\r\n", 1)[1]


def start_sim(*args):
    proc = subprocess.Popen([sys.executable, SIM, "--port", "0"] + list(args),
                            stdout=subprocess.PIPE, text=True)
    line = proc.stdout.readline()
    m = re.fullmatch(r"sitesim listening on (\d+)\n", line)
    if not m:
        proc.kill()
        raise RuntimeError("simulator did not start: %r" % line)
    return proc, int(m.group(1))


def run_cli(*args):
    return subprocess.run([sys.executable, SIM] + list(args), capture_output=True,
                          check=True).stdout


# ---------------------------------------------------------------------------


class PageContentTest(unittest.TestCase):

    def test_every_page_reads_back_as_expected(self):
        """What the client's marker rules read from each page equals --expect's
        promise, for every page kind, option set and date side of the year."""
        total = empty = filtered = 0
        for kind, host, path, term in cases():
            page = sitesim.build_page(host, path)
            self.assertEqual(page.status, 200, path)
            text = page.raw().decode("latin-1")
            self.assertNotIn("302 Found", text)
            for opts in OPTION_SETS:
                for today in TODAYS:
                    with self.subTest(host=host, path=path, opts=opts, today=today):
                        expected = page.expect(opts, today)
                        self.assertEqual(read_as_client(kind, text, term, opts, today, self),
                                         expected)
                        for ad in expected:
                            self.assertTrue(ad["title"] and ad["link"])
                            self.assertRegex(ad["date"], r"^\d{4}-\d\d-\d\d$")
            plain = len(page.expect({}, TODAYS[0]))
            total += plain
            empty += plain == 0
            filtered += len(page.expect({"SearchTitles": 1, "HasPictures": 1}, TODAYS[0])) < plain
        self.assertGreater(total, 500)
        self.assertGreater(empty, 10)
        self.assertGreater(filtered, 10)

    def test_empty_term_gives_an_empty_page_in_each_shape(self):
        for kind, host, path, term in cases():
            if term != "zzznothing":
                continue
            page = sitesim.build_page(host, path)
            self.assertEqual(page.expect({}, TODAYS[0]), [], path)
            if kind == "kjus":
                self.assertIn("Sorry, but no ads matched your search", page.body)
            if kind in ("cl", "kjca", "dar"):
                self.assertIn("<channel>" if kind != "cl" else "</channel>", page.body)
                self.assertNotIn("</item>", page.body)

    def test_links_are_absolute_on_the_same_host_with_numeric_ids(self):
        for kind, host, path, term in cases():
            for ad in sitesim.expected_ads(host, path, {}, TODAYS[0]):
                self.assertTrue(ad["link"].startswith("http://%s/" % host), ad["link"])
                self.assertRegex(ad["link"], r"\d{7,}(\.html)?$")

    def test_site_filters_return_subsets(self):
        def links(host, path):
            return [a["link"] for a in sitesim.expected_ads(host, path, {}, TODAYS[0])]

        shrunk = 0
        for term in ("oak table", "bike", "lamp", "chair", "tv"):
            q = "/search/sss?query=%s&format=rss" % enc(term)
            every = links("toronto.craigslist.ca", q)
            titled = sitesim.expected_ads("toronto.craigslist.ca", q + "&srchType=T", {}, TODAYS[0])
            pictured = links("toronto.craigslist.ca", q + "&hasPic=1")
            self.assertTrue(set(pictured) <= set(every))
            self.assertEqual([a["link"] for a in titled if a["link"] in every],
                             [a["link"] for a in titled])
            for ad in titled:
                self.assertIn(term, lower(ad["title"]))
            bp = "/Stuff/classifieds/Results?section=1&keyword=%s" % enc(term)
            with_image = links("la.backpage.com", bp + "&hasImage=yes")
            self.assertTrue(set(with_image) <= set(links("la.backpage.com", bp)))
            shrunk += (len(pictured) < len(every)) + (len(titled) < len(every))
        self.assertGreater(shrunk, 3)

    def test_some_ads_recur_within_a_city_but_not_across_cities(self):
        def links(host, term):
            path = "/f-SearchAdRss?catId=27&Keyword=" + enc(term)
            return {a["link"] for a in sitesim.expected_ads(host, path, {}, TODAYS[0])}

        terms = ["bike", "sofa", "lamp", "desk", "tv", "oak table", "stroller", "tires"]
        toronto = [links("toronto.kijiji.ca", t) for t in terms]
        repeated = set.union(*[a & b for i, a in enumerate(toronto) for b in toronto[i + 1:]])
        self.assertTrue(repeated)
        ottawa = set.union(*[links("ottawa.kijiji.ca", t) for t in terms])
        self.assertFalse(set.union(*toronto) & ottawa)

    def test_unknown_hosts_and_paths_are_404(self):
        self.assertEqual(sitesim.build_page("www.example.com", "/search/sss").status, 404)
        self.assertEqual(sitesim.build_page("toronto.craigslist.ca", "/nothing/here").status, 404)
        self.assertEqual(sitesim.expected_ads("www.example.com", "/", {}, TODAYS[0]), [])


class CatalogPageTest(unittest.TestCase):
    """The catalog pages of the simulated world and the files it promises."""

    PAGES = [("www.backpage.com", "/"), ("losangeles.backpage.com", "/online/classifieds/index"),
             ("www.daype.com", "/"), ("losangeles.daype.com", "/classifieds.html"),
             ("losangeles.kijiji.com", "/"), ("www.kijiji.ca", "/"), ("www.kijiji.com", "/"),
             ("www.kijiji.com", "/state/texas"), ("geo.craigslist.org", "/iso/ca/on"),
             ("geo.craigslist.org", "/iso/gb")] + [
                 ("toronto.craigslist.ca", "/%s/" % code)
                 for code in ("ccc", "eee", "ggg", "hhh", "jjj", "ppp", "res", "sss", "bbb")]

    def test_pages_are_served_on_their_own_hosts_only(self):
        for host, path in self.PAGES:
            with self.subTest(host=host, path=path):
                self.assertEqual(sitesim.build_page(host, path).status, 200)
                other = "elsewhere." + host.split(".", 1)[1]
                self.assertEqual(sitesim.build_page(other, path).status, 404)
        moved = sitesim.build_page("geo.craigslist.org", "/iso/us/dc").raw()
        self.assertTrue(moved.startswith(b"HTTP/1.0 302 Found\r\n"))
        self.assertIn(b"\r\nLocation: http://washingtondc.craigslist.org/\r\n", moved)
        unused = sitesim.build_page("geo.craigslist.org", "/iso/us/ak").raw()
        self.assertIn(b"Not Found", unused)
        # Searches on the same hosts are untouched.
        self.assertEqual(sitesim.build_page("losangeles.kijiji.com", "/furniture/?q=x&catId=27").status, 200)
        # Accented names travel as UTF-8 bytes.
        self.assertIn("Qu\u00c3\u00a9bec", sitesim.build_page("www.kijiji.ca", "/").body)

    def test_expected_files_are_well_formed(self):
        files = sitesim.catalog_world.expected_catalogs()
        self.assertEqual(len(files), 9)
        for name, data in files.items():
            with self.subTest(file=name):
                lines = data.decode("latin-1").split("\r\n")
                self.assertEqual(lines[-1], "")
                header = lines[0].split(",")
                self.assertGreater(len(lines), 2)
                for line in lines[1:-1]:
                    self.assertTrue(line.startswith('"') and line.endswith('"'), line)
                    self.assertEqual(len(line[1:-1].split('","')), len(header), line)
                    self.assertNotIn("\n", line)
        self.assertIn(b'"Canada","Quebec","Montreal"', files["KJcitylist.csv"])


def path_of(host, link):
    return link[len("http://" + host):]


def rss_dates(page):
    """link -> date of the items of an RSS 2.0 page, from their pubDate."""
    out = {}
    for item in page.split("<item>")[1:]:
        words = between(item, "<pubDate>", "</pubDate>").split(" ")
        out[between(item, "<link>", "</link>")] = "%s-%02d-%02d" % (
            words[3], month_number(words[2]), number(words[1]))
    return out


def id_rule(host, link):
    """The kinds the README promises by the id's last digit."""
    digit = int(re.search(r"(\d+)(\.html)?$", link).group(1)) % 10
    if "craigslist" in host:
        return {3: "expired", 5: "nomail", 8: "nomail"}.get(digit, "plain")
    if "backpage" in host:
        return {7: "nomarker", 3: "noend"}.get(digit, "plain")
    if "daype" in host:
        return "nodate" if digit == 3 else "plain"
    return None


KINDS = {"toronto.craigslist.ca": ("plain", "nomail", "expired"),
         "montreal.kijiji.ca": ("plain", "nopicture"),
         "boston.kijiji.com": ("plain", "nopicture"),
         "sf.backpage.com": ("plain", "nomarker", "noend"),
         "x.daype.com": ("plain", "nodate")}


class AdPageTest(unittest.TestCase):

    def test_every_listed_link_is_served_as_its_ad_page(self):
        """Each link of every listing gets an ad page that shows the listing's
        title and description, reads back as --expect-ad promises, and has
        the kind its id promises."""
        seen, eight_bit, entities = {}, 0, 0
        for kind, host, path, term in cases():
            listing = sitesim.build_page(host, path)
            pub_dates = rss_dates(listing.body) if kind == "dar" else {}
            for ad in listing.expect({}, TODAYS[0]):
                with self.subTest(host=host, link=ad["link"]):
                    page = sitesim.build_page(host, path_of(host, ad["link"]))
                    self.assertEqual(page.status, 200)
                    raw = page.raw().decode("latin-1")
                    got = deep_scan_reads(host, raw)
                    self.assertEqual(got, sitesim.expected_ad(host, path_of(host, ad["link"])))
                    ad_kind = observed_kind(host, raw, got)
                    seen.setdefault(host, set()).add(ad_kind)
                    if id_rule(host, ad["link"]):
                        self.assertEqual(ad_kind, id_rule(host, ad["link"]))
                    self.assertEqual(raw.count("This posting has expired."),
                                     1 if ad_kind == "expired" else 0)
                    if ad_kind == "nomarker":
                        self.assertEqual(got["text"], "")
                    else:
                        self.assertGreaterEqual(len(got["text"]), 50)
                    eight_bit += max(got["text"], default="") > "\x7f"
                    entities += re.search(r"&(#\d+|[a-z]+);", got["text"]) is not None
                    if ad_kind == "expired":
                        continue
                    shown = html.unescape(raw)
                    self.assertIn(html.unescape(ad["title"]), shown)
                    if ad_kind == "nomarker":
                        continue
                    desc = re.sub(r"^<img [^>]*> ", "", ad["description"]).strip(" ")
                    self.assertIn(html.unescape(desc), shown)
                    if pub_dates:
                        self.assertEqual(got["date"], pub_dates[ad["link"]] if
                                         ad_kind == "plain" else None)
        for host, kinds in KINDS.items():
            self.assertEqual(seen[host], set(kinds), host)
        self.assertGreater(eight_bit, 300)
        self.assertGreater(entities, 600)

    def test_pages_without_markers_and_unknown_ads(self):
        """Listings and 404s hold no ad markers; a changed id or query token
        is a 404; the same path always gives the same bytes."""
        for host, listing in (("toronto.craigslist.ca", "/search/sss?query=desk&format=rss"),
                              ("toronto.kijiji.ca", "/f-SearchAdRss?catId=27&Keyword=desk"),
                              ("boston.kijiji.com", "/f-bikes/?q=desk&catId=7"),
                              ("sf.backpage.com", "/Bikes/classifieds/Results?section=1&keyword=desk"),
                              ("x.daype.com", "/feed/desk")):
            links = [a["link"] for a in sitesim.expected_ads(host, listing, {}, TODAYS[0])]
            token_link = next(link for link in links if "/q" in link)
            path = path_of(host, token_link)
            changed_id = re.sub(r"(\d+)((\.html)?)$",
                                lambda m: "%d%s" % (int(m.group(1)) + 1, m.group(2)), path)
            changed_term = path.replace("x", "x20", 1)   # a blank before the next part
            for target in (listing, changed_id, changed_term, "/no/such/page"):
                with self.subTest(host=host, target=target):
                    page = sitesim.build_page(host, target)
                    if target != listing:
                        self.assertEqual(page.status, 404)
                    got = deep_scan_reads(host, page.raw().decode("latin-1"))
                    self.assertEqual(got, sitesim.expected_ad(host, target))
                    whole = "backpage" not in host and "daype" not in host
                    self.assertEqual(got["text"] != "", whole)
            self.assertEqual(sitesim.build_page(host, path).raw(),
                             sitesim.build_page(host, path).raw())

    def test_recurring_ads_have_one_page_whatever_the_listing(self):
        terms = ["bike", "sofa", "lamp", "desk", "tv", "oak table", "stroller", "tires"]
        for host, make in (("boston.kijiji.com", "/f-%s/?q=%s&catId=7"),
                           ("sf.backpage.com", "/%s/classifieds/Results?section=1&keyword=%s")):
            pages = {}
            for segment in ("bikes", "furniture"):
                for term in terms:
                    for ad in sitesim.expected_ads(host, make % (segment, enc(term)), {}, TODAYS[0]):
                        if "/q" not in ad["link"]:
                            pages.setdefault(ad["title"], set()).add(extract_ad(
                                host, sitesim.build_page(host, path_of(host, ad["link"]))
                                .raw().decode("latin-1"))[0])
            self.assertTrue(pages, host)
            for title, texts in pages.items():
                self.assertEqual(len(texts), 1, title)

    def test_ads_listed_by_kind(self):
        for host, kinds in KINDS.items():
            every = sitesim.list_ads(host)
            for kind in kinds:
                paths = sitesim.list_ads(host, kind)
                self.assertTrue(paths and set(paths) <= set(every), (host, kind))
                for path in paths[:3]:
                    raw = sitesim.build_page(host, path).raw().decode("latin-1")
                    self.assertEqual(observed_kind(host, raw, deep_scan_reads(host, raw)), kind, path)

    def test_list_ads_and_expect_ad_on_the_command_line(self):
        # The expired ads that an everyday search shows.
        host, listing = "toronto.craigslist.ca", "/search/sss?query=bike&format=rss"
        expired = run_cli("--list-ads", host, "--kind", "expired",
                          "--from", listing).decode("ascii").splitlines()
        links = [a["link"] for a in sitesim.expected_ads(host, listing, {}, TODAYS[0])]
        self.assertTrue(expired)
        for path in expired:
            self.assertIn("http://" + host + path, links)
        raw = run_cli("--dump", host, expired[0]).decode("latin-1")
        got = json.loads(run_cli("--expect-ad", host, expired[0]))
        self.assertEqual(got, deep_scan_reads(host, raw))
        self.assertTrue(got["expired"])
        bad = subprocess.run([sys.executable, SIM, "--list-ads", "x.daype.com", "--kind", "expired"],
                             capture_output=True)
        self.assertEqual(bad.returncode, 2)


class ServerTest(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        cls.proc, cls.port = start_sim()

    @classmethod
    def tearDownClass(cls):
        cls.proc.send_signal(signal.SIGTERM)
        cls.proc.wait(10)
        cls.proc.stdout.close()

    def setUp(self):
        self.control("/__sim/reset")

    def control(self, target):
        response, _ = fetch(self.port, "sim", target)
        self.assertTrue(response.startswith(b"HTTP/1.0 200 OK"), response[:200])
        return body_of(response)

    def get(self, host, target, timeout=5.0):
        return fetch(self.port, host, target, timeout)[0]

    CL = ("toronto.craigslist.ca", "/search/sss?query=oak+table&format=rss")
    KJ = ("losangeles.kijiji.com", "/f-furniture/?q=oak+table&catId=27")

    def test_served_bytes_are_stable_and_match_dump_and_expect(self):
        for host, target in (self.CL, self.KJ):
            first = self.get(host, target)
            self.assertEqual(first, self.get(host, target))
            self.assertEqual(first, run_cli("--dump", host, target))
            self.assertTrue(first.startswith(b"HTTP/1.0 200 OK\r\n"))
            head, body = first.split(b"\r\n\r\n", 1)
            self.assertIn(b"Content-Length: %d\r\n" % len(body), head + b"\r\n")
        out = run_cli("--expect", self.KJ[0], self.KJ[1], "--set", "SearchTitles=1",
                      "--set", "HasPictures=1", "--today", "2026-03-05")
        rows = [json.loads(line) for line in out.decode("ascii").splitlines()]
        self.assertEqual(rows, sitesim.expected_ads(self.KJ[0], self.KJ[1],
                                                    {"SearchTitles": 1, "HasPictures": 1},
                                                    datetime.date(2026, 3, 5)))
        page = first.decode("latin-1")
        self.assertEqual(rows, read_kijiji_us(page, "oak table",
                                              {"SearchTitles": 1, "HasPictures": 1},
                                              datetime.date(2026, 3, 5)))

    def test_published_ads_head_the_lists_they_match_until_reset(self):
        def links(host, target):
            page = self.get(host, target).decode("latin-1")
            if "craigslist" in host:
                return [row["link"] for row in read_craigslist(page)]
            return [row["link"] for row in read_kijiji_us(page, "oak table", {}, datetime.date(2026, 12, 1))]

        before_cl, before_kj = links(*self.CL), links(*self.KJ)
        published = json.loads(self.control("/__sim/publish?count=2&match=toronto"))
        self.assertEqual(published, [{"count": 2, "match": "toronto"}])
        after_cl = links(*self.CL)
        self.assertEqual(after_cl[2:], before_cl)
        self.assertEqual(len(set(after_cl[:2]) - set(before_cl)), 2)
        self.assertEqual(links(*self.KJ), before_kj)  # not matched
        # A published ad has its own page, like any ad of its list.
        new_ad = after_cl[0].split(self.CL[0], 1)[1]
        self.assertTrue(self.get(self.CL[0], new_ad).startswith(b"HTTP/1.0 200 OK"))

        self.control("/__sim/publish")  # one more ad on every list
        self.assertEqual(links(*self.CL)[3:], before_cl)
        self.assertEqual(links(*self.CL)[1:3], after_cl[:2])  # the newest first
        self.assertEqual(links(*self.KJ)[1:], before_kj)
        self.assertTrue(self.get("sim", "/__sim/publish?count=0").startswith(b"HTTP/1.0 400"))

        self.control("/__sim/reset")
        self.assertEqual(links(*self.CL), before_cl)
        self.assertTrue(self.get(self.CL[0], new_ad).startswith(b"HTTP/1.0 404"))

    def test_log_holds_the_exact_request_bytes(self):
        self.get(*self.CL)
        self.get("www.example.com", "/x?y=%27")
        log = json.loads(self.control("/__sim/log"))
        self.assertEqual([e["raw"] for e in log], [
            "GET %s HTTP/1.0\r\nHost: %s\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 5.5; "
            "Windows NT)\r\nAccept-Language: en-us\r\n\r\n" % (t, h)
            for h, t in (self.CL, ("www.example.com", "/x?y=%27"))])
        raw = self.control("/__sim/log?format=raw")
        self.assertEqual(raw.count(b"GET "), 2)
        self.control("/__sim/reset")
        self.assertEqual(json.loads(self.control("/__sim/log")), [])

    def test_unknown_host_answers_404(self):
        self.assertTrue(self.get("www.example.com", "/").startswith(b"HTTP/1.0 404 Not Found"))
        # A city's path sent as part of the host name is no host at all.
        self.assertEqual(self.get("quebec.kijiji.ca/ville-de-quebec", "/f-SearchAdRss?catId=27&Keyword=x"), b"")

    def test_many_connections_at_once(self):
        want = self.get(*self.CL)
        results = []

        def worker():
            results.append(self.get(*self.CL))

        threads = [threading.Thread(target=worker) for _ in range(40)]
        for t in threads:
            t.start()
        for t in threads:
            t.join(20)
        self.assertEqual(results, [want] * 40)

    def test_status_faults_obey_match_and_count(self):
        self.control("/__sim/fault?mode=404&match=kijiji&count=1")
        self.control("/__sim/fault?mode=500&match=craigslist")
        self.assertTrue(self.get(*self.KJ).startswith(b"HTTP/1.0 404 Not Found"))
        self.assertTrue(self.get(*self.KJ).startswith(b"HTTP/1.0 200 OK"))
        for _ in range(2):
            self.assertTrue(self.get(*self.CL).startswith(b"HTTP/1.0 500 Internal Server Error"))
        self.control("/__sim/fault?mode=none&match=craigslist")
        self.assertTrue(self.get(*self.CL).startswith(b"HTTP/1.0 200 OK"))

    def test_connection_faults_give_empty_answers(self):
        for mode in ("close", "reset", "early"):
            self.control("/__sim/fault?mode=%s&count=1" % mode)
            self.assertEqual(self.get(*self.CL), b"", mode)
            self.assertTrue(self.get(*self.CL).startswith(b"HTTP/1.0 200 OK"), mode)

    def test_hang_sends_part_then_goes_silent(self):
        full = self.get(*self.CL)
        self.control("/__sim/fault?mode=hang&count=1")
        started = time.monotonic()
        part, timed_out = fetch(self.port, *self.CL, timeout=1.0)
        self.assertTrue(timed_out)
        self.assertGreaterEqual(time.monotonic() - started, 0.9)
        self.assertTrue(full.startswith(part) and b"\r\n\r\n" in part and len(part) < len(full))

    def test_drip_delivers_the_whole_page_slowly(self):
        full = self.get(*self.KJ)
        self.control("/__sim/fault?mode=drip&ms=30&bytes=400")
        started = time.monotonic()
        self.assertEqual(self.get(*self.KJ), full)
        self.assertGreaterEqual(time.monotonic() - started, 0.03 * (len(full) // 400))

    def test_huge_answer_has_the_asked_size_and_still_the_page(self):
        page = body_of(self.get(*self.CL))
        self.control("/__sim/fault?mode=huge&mb=3&count=1")
        response = self.get(*self.CL, timeout=20)
        head, body = response.split(b"\r\n\r\n", 1)
        self.assertEqual(len(body), 3 * 1024 * 1024)
        self.assertIn(b"Content-Length: %d" % len(body), head)
        self.assertTrue(body.startswith(page))

    def test_redirects_lead_to_the_real_page(self):
        host, target = self.CL
        page = self.get(host, target)
        self.control("/__sim/fault?mode=redirect1")
        first = self.get(host, target).decode("latin-1")
        self.assertTrue(first.startswith("HTTP/1.0 302 Found\r\n"))
        location = between(first, "Location: http://", "\r\n")
        self.assertEqual(location, host + target + "&r=1")
        self.assertEqual(self.get(host, location[len(host):]), page)

        self.control("/__sim/fault?mode=redirect2")
        hop1 = between(self.get(host, target).decode("latin-1"), "Location: http://", "\r\n")
        second = self.get(host, hop1[len(host):]).decode("latin-1")
        self.assertIn("302 Found", second)
        hop2 = between(second, "Location: http://", "\r\n")
        self.assertEqual(self.get(host, hop2[len(host):]), page)

    def test_latency_delays_answers(self):
        self.control("/__sim/latency?ms=300")
        for host, target in (self.CL, self.ad(*self.CL)):
            started = time.monotonic()
            self.assertTrue(self.get(host, target).startswith(b"HTTP/1.0 200 OK"))
            self.assertGreaterEqual(time.monotonic() - started, 0.3)

    def ad(self, host, listing, index=0):
        link = sitesim.expected_ads(host, listing, {}, TODAYS[0])[index]["link"]
        return host, path_of(host, link)

    def test_ad_pages_are_served_and_faulted_like_listings(self):
        host, first = self.ad(*self.KJ)
        second = self.ad(*self.KJ, index=1)[1]
        page = self.get(host, first)
        self.assertEqual(page, run_cli("--dump", host, first))
        self.assertEqual(deep_scan_reads(host, page.decode("latin-1")),
                         json.loads(run_cli("--expect-ad", host, first)))
        # A rule matched on one ad's id hits that ad only.
        self.control("/__sim/fault?mode=500&match=" + re.search(r"\d+$", first).group(0))
        self.assertTrue(self.get(host, first).startswith(b"HTTP/1.0 500"))
        self.assertTrue(self.get(host, second).startswith(b"HTTP/1.0 200 OK"))
        self.control("/__sim/fault?mode=redirect1&match=W0QQAdIdZ&count=1")
        location = between(self.get(host, second).decode("latin-1"), "Location: http://", "\r\n")
        self.assertEqual(self.get(host, location[len(host):]), self.get(host, second))

    def test_refuse_stops_listening_for_a_while(self):
        self.control("/__sim/fault?mode=refuse&secs=1")
        with self.assertRaises(ConnectionRefusedError):
            fetch(self.port, *self.CL)
        deadline = time.monotonic() + 5
        while True:
            try:
                self.assertTrue(self.get(*self.CL).startswith(b"HTTP/1.0 200 OK"))
                break
            except ConnectionRefusedError:
                self.assertLess(time.monotonic(), deadline)
                time.sleep(0.1)

    def test_bad_control_requests_are_rejected(self):
        for target in ("/__sim/fault?mode=explode", "/__sim/fault?mode=404&count=0",
                       "/__sim/fault?mode=refuse&match=x", "/__sim/nothing"):
            self.assertTrue(self.get("sim", target).startswith(b"HTTP/1.0 400"), target)


class MakerPageTest(unittest.TestCase):
    """The maker's product page that the update check reads."""

    START, END = "<!--vemclver-->", "<!--endvemclver-->"

    def published(self, response):
        return between(response.decode("latin-1"), self.START, self.END)

    def test_page_publishes_the_program_version_unless_told_otherwise(self):
        page = sitesim.build_page("www.quillfen.com", "/blog/vemtrix/")
        self.assertEqual(page.status, 200)
        self.assertEqual(self.published(page.raw()), "2.10")
        self.assertEqual(self.published(sitesim.build_page("WWW.QuillFen.com", "/blog/vemtrix/",
                                                           "2.11").raw()), "2.11")
        for host, path in (("www.quillfen.com", "/blog/"), ("www.quillfen.com", "/blog/vemtrix"),
                           ("quillfen.com", "/blog/vemtrix/")):
            self.assertEqual(sitesim.build_page(host, path).status, 404, (host, path))
        dumped = run_cli("--dump", "www.quillfen.com", "/blog/vemtrix/", "--published-version", "2.1")
        self.assertEqual(self.published(dumped), "2.1")

    def test_server_switches_serves_and_logs_the_page(self):
        proc, port = start_sim("--published-version", "2.11")
        try:
            def get(target, host="www.quillfen.com"):
                return fetch(port, host, target)[0]

            self.assertEqual(self.published(get("/blog/vemtrix/")), "2.11")
            log = json.loads(body_of(get("/__sim/log", "sim")))
            self.assertEqual(len(log), 1)
            self.assertTrue(log[0]["raw"].startswith(
                "GET /blog/vemtrix/ HTTP/1.0\r\nHost: www.quillfen.com\r\n"))
            # Switched while running; a reset goes back to the command line's.
            self.assertIn(b'"published": "2.1"', get("/__sim/maker?version=2.1", "sim"))
            self.assertEqual(self.published(get("/blog/vemtrix/")), "2.1")
            get("/__sim/maker?version=coming+soon", "sim")
            self.assertEqual(self.published(get("/blog/vemtrix/")), "coming soon")
            self.assertTrue(get("/__sim/maker", "sim").startswith(b"HTTP/1.0 400"))
            get("/__sim/reset", "sim")
            self.assertEqual(self.published(get("/blog/vemtrix/")), "2.11")
            # Faults apply to it like to any page.
            get("/__sim/fault?mode=redirect1&match=quillfen&count=1", "sim")
            moved = get("/blog/vemtrix/")
            self.assertTrue(moved.startswith(b"HTTP/1.0 302 Found"), moved[:100])
            self.assertEqual(self.published(get("/blog/vemtrix/?r=1")), "2.11")
        finally:
            proc.send_signal(signal.SIGTERM)
            proc.wait(10)
            proc.stdout.close()


class TlsTest(unittest.TestCase):
    """The same world over TLS, with a certificate of a CA made for the test."""

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="sitesim-tls-")
        cls.ca, cls.cert, cls.key = tls_ca.make_site_world(cls.folder)
        cls.client = ssl.create_default_context(cafile=cls.ca)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)

    def start(self, *args):
        proc = subprocess.Popen([sys.executable, SIM, "--port", "0", "--tls-port", "0", "--tls-cert", self.cert,
                                 "--tls-key", self.key] + list(args), stdout=subprocess.PIPE, text=True)
        plain = re.fullmatch(r"sitesim listening on (\d+)\n", proc.stdout.readline())
        secure = re.fullmatch(r"sitesim listening for TLS on (\d+)\n", proc.stdout.readline())
        self.addCleanup(lambda: (proc.terminate(), proc.wait(5), proc.stdout.close()))
        self.assertTrue(plain and secure)
        return int(plain.group(1)), int(secure.group(1))

    def fetch_tls(self, port, host, target):
        with socket.create_connection(("127.0.0.1", port), timeout=5) as raw:
            with self.client.wrap_socket(raw, server_hostname=host) as s:
                s.sendall(("GET %s HTTP/1.0\r\nHost: %s\r\n\r\n" % (target, host)).encode("latin-1"))
                data = b""
                while True:
                    try:
                        chunk = s.recv(4096)
                    except (ssl.SSLError, ConnectionResetError):
                        break
                    if not chunk:
                        break
                    data += chunk
                return data

    def test_tls_serves_the_plain_pages_and_https_only_moves_plain_requests(self):
        host, target = "sfbay.craigslist.org", "/search/bik?query=bike&format=rss"
        plain_port, tls_port = self.start()
        plain, _ = fetch(plain_port, host, target)
        self.assertEqual(self.fetch_tls(tls_port, host, target), plain)
        log = json.loads(fetch(plain_port, "sim", "/__sim/log")[0].split(b"\r\n\r\n", 1)[1])
        self.assertEqual([(e.get("tls", False), e.get("server_name")) for e in log],
                         [(False, None), (True, host)])
        # A fault applies over TLS as over plain http.
        fetch(plain_port, "sim", "/__sim/fault?mode=500&count=1")
        self.assertTrue(self.fetch_tls(tls_port, host, target).startswith(b"HTTP/1.0 500 "))

        plain_port, tls_port = self.start("--https-only")
        moved, _ = fetch(plain_port, host, target)
        self.assertTrue(moved.startswith(b"HTTP/1.0 301 Moved Permanently\r\n"), moved)
        self.assertIn(b"\r\nLocation: https://" + host.encode() + target.encode() + b"\r\n", moved)
        self.assertEqual(self.fetch_tls(tls_port, host, target), plain)
        # Control requests stay plain.
        self.assertTrue(fetch(plain_port, "sim", "/__sim/reset")[0].startswith(b"HTTP/1.0 200 OK"))

    def test_certificates_of_each_kind_fail_where_they_should(self):
        for kind, problem in (("good", None), ("expired", "expired"), ("self-signed", "self-signed"),
                              ("other-host", "mismatch")):
            cert, _ = tls_ca.issue(self.folder, kind, ["*.craigslist.org"], kind)
            with self.subTest(kind=kind):
                verified = subprocess.run(
                    ["openssl", "verify", "-CAfile", self.ca, "-verify_hostname", "sfbay.craigslist.org", cert],
                    capture_output=True, text=True)
                self.assertEqual(verified.returncode == 0, problem is None, verified.stdout + verified.stderr)
                if problem:
                    self.assertIn(problem, verified.stdout + verified.stderr)


class ShutdownTest(unittest.TestCase):

    def test_signal_ends_the_server_even_with_hanging_connections(self):
        for sig in (signal.SIGTERM, signal.SIGINT):
            proc, port = start_sim("--fault", "hang")
            holder = socket.create_connection(("127.0.0.1", port))
            holder.sendall(b"GET /feed/x HTTP/1.0\r\nHost: a.daype.com\r\n\r\n")
            holder.settimeout(5)
            self.assertTrue(holder.recv(100).startswith(b"HTTP/1.0 200 OK"))
            proc.send_signal(sig)
            self.assertEqual(proc.wait(5), 0)
            holder.close()
            proc.stdout.close()


if __name__ == "__main__":
    unittest.main()
