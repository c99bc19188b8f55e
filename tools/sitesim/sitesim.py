#!/usr/bin/env python3
"""Site simulator: stands in for the four classified-ad sites over HTTP/1.0.

It answers by the Host header with search feeds and result pages whose
content is derived deterministically from the request, serves the page of
every ad they link to, can be told to misbehave (refuse, close, hang, drip,
huge, 404, 500, redirects), logs the raw requests it receives, and can print a
page, the ads a client should read from it or the text a deep scan should
extract from an ad page without starting a server. Python 3 standard library
only.

Pages are text with code points 0-255 and are sent as Latin-1 bytes (the
client handles 8-bit text).
"""

import argparse
import dataclasses
import datetime
import functools
import hashlib
import json
import os
import re
import select
import signal
import socket
import ssl
import struct
import sys
import threading

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import catalog_world  # noqa: E402

# ---------------------------------------------------------------------------
# Small text helpers

_ASCII_UPPER = "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
_ASCII_LOWER = "abcdefghijklmnopqrstuvwxyz"
_TO_LOWER = str.maketrans(_ASCII_UPPER, _ASCII_LOWER)
_TO_UPPER = str.maketrans(_ASCII_LOWER, _ASCII_UPPER)


def ascii_lower(text):
    """Lower-cases A-Z only, as the client does; 8-bit letters stay."""
    return text.translate(_TO_LOWER)


def ascii_upper(text):
    return text.translate(_TO_UPPER)


def ascii_title(text):
    return " ".join(ascii_upper(w[:1]) + w[1:] for w in text.split(" "))


def url_decode(text):
    """'+' is a space, %XX a byte; every byte maps to one code point."""
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c == "+":
            out.append(" ")
        elif c == "%" and re.fullmatch(r"[0-9A-Fa-f]{2}", text[i + 1:i + 3]):
            out.append(chr(int(text[i + 1:i + 3], 16)))
            i += 2
        else:
            out.append(c)
        i += 1
    return "".join(out)


def parse_query(query):
    """Query string to {key: decoded value}; the first of repeated keys wins."""
    values = {}
    for part in query.split("&"):
        if not part:
            continue
        key, _, value = part.partition("=")
        values.setdefault(url_decode(key), url_decode(value))
    return values


def xml_text(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def html_text(text):
    return xml_text(text).replace('"', "&quot;")


def no_angles(text):
    """For CDATA content: no '<' or '>' means no marker and no ']]>' inside."""
    return text.replace("<", "&lt;").replace(">", "&gt;")


def collapse_whitespace(text):
    """Line breaks, tabs, form feeds and NULs to spaces, then runs of spaces to one."""
    for c in "\n\r\t\f\0":
        text = text.replace(c, " ")
    while "  " in text:
        text = text.replace("  ", " ")
    return text


def slug(text, limit=40):
    s = re.sub(r"[^A-Za-z0-9]+", "-", text).strip("-")
    return (s[:limit].strip("-")) or "ad"


def city_name(host):
    label = host.split(".")[0]
    return "Online" if label in ("www", "") else label.capitalize()


WEEKDAYS = ["Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"]
MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]
MONTHS_FULL = ["January", "February", "March", "April", "May", "June", "July",
               "August", "September", "October", "November", "December"]
BP_MONTHS = ["Jan.", "Feb.", "Mar.", "Apr.", "May", "June", "July", "Aug.", "Sept.",
             "Oct.", "Nov.", "Dec."]


def rfc822(when):
    return "%s, %02d %s %04d %02d:%02d:%02d GMT" % (
        WEEKDAYS[when.weekday()], when.day, MONTHS[when.month - 1], when.year,
        when.hour, when.minute, when.second)


def date_without_year(month, day, today):
    """This year, or last year when the month lies after the current month."""
    year = today.year - (1 if today.month < month else 0)
    return "%04d-%02d-%02d" % (year, month, day)


class Rng:
    """Deterministic numbers from a key (SHA-256 in counter mode), stable
    across Python versions, so a request always yields the same page."""

    def __init__(self, *key):
        self.key = "\x1f".join(str(k) for k in key).encode("utf-8", "surrogatepass")
        self.counter = 0

    def next(self):
        digest = hashlib.sha256(self.key + self.counter.to_bytes(8, "big")).digest()
        self.counter += 1
        return int.from_bytes(digest[:8], "big")

    def below(self, n):
        return self.next() % n

    def pick(self, seq):
        return seq[self.below(len(seq))]


# ---------------------------------------------------------------------------
# Ads

# Ads are dated within 300 days before this moment; pages do not depend on
# the real clock.
SITE_NOW = datetime.datetime(2026, 11, 30, 22, 45, 0)
POOL_SIZE = 8          # per-city ads that recur across queries
NOTHING_TERM = "zzznothing"
MANY_TERM = "zzzmany"
MANY_COUNT = 60

ADJECTIVES = ["Excellent", "Like new", "Barely used", "Vintage", "Great", "Clean",
              "Rare", "Cheap", "Solid", "Beautiful", "Used", "Brand new"]
OTHER_ITEMS = ["oak dining table", "mountain bike", "leather sofa", "camera lens",
               "winter tires", "guitar amp", "baby stroller", "bookshelf",
               "microwave", "snowblower", "espresso machine", "drum kit",
               "caf\xe9 chairs"]
TITLES_WITH_TERM = ["{T} - {adj} condition", "{Adj} {T} for sale", "Selling my {T}",
                    "{T} (must go this week)", "WANTED: {T}", "{T} & {item}",
                    "{Adj} {T}, best offer", "Bargain: {T}"]
TITLES_WITHOUT_TERM = ["{Adj} {item}", "{Adj} {item} - must sell", "{item} & more",
                       "Selling {item} and other things"]
SENTENCES = ["Pick up only & cash please.", "Located near downtown.",
             "Serious buyers only.", "Comes with the original box & manual.",
             "Price is firm.", "Call or text after 5pm.", "Smoke-free, pet-free home.",
             "Livraison possible \xe0 Montr\xe9al.", "<b>Must go this week!</b>",
             "First come, first served.", "Can deliver for a small fee.",
             "Open to trades.", "Sizes 3 < 5 > 2, ask for details."]
TERM_SENTENCES = ["Also selling {T} in great shape.", "Ask me about the {T}.",
                  "Includes a {T} at no extra cost."]
POOL_TITLES = ["Moving sale - everything must go", "Estate sale this weekend",
               "Garage sale: tools, toys & furniture", "Downsizing - lots of items",
               "Storage unit clear-out", "Huge yard sale Saturday",
               "Basement clean-out, make an offer", "Liquidation: home & office"]
POOL_SECTIONS = ["fuo", "bik", "ele", "hsh", "tls", "msg"]


@dataclasses.dataclass
class Ad:
    num: int                  # numeric id in the ad's link
    title: str                # plain text; each page kind escapes it
    desc: str
    price: int                # 0 = no price shown
    pictured: bool
    in_title: bool            # the term occurs in the title (title search finds it)
    when: datetime.datetime
    sub: str                  # section part of a Craigslist link
    pool: bool = False        # one of the city's recurring ads


ID_BASE = {"cl": 1000000000, "kj": 100000000, "bp": 10000000, "da": 1000000}


def _ad_id(rng, site):
    base = ID_BASE[site]
    return base + rng.below(9 * base)


def _when(rng):
    return SITE_NOW - datetime.timedelta(days=rng.below(300), seconds=rng.below(86400))


def _price(rng):
    return 0 if rng.below(100) < 30 else rng.pick([5, 20, 45, 80, 150, 300, 450, 1250, 2400])


def _fill(template, rng, shown):
    adj = rng.pick(ADJECTIVES)
    return template.format(T=shown, adj=ascii_lower(adj), Adj=adj, item=rng.pick(OTHER_ITEMS))


def _description(rng, shown, with_term):
    pool = list(SENTENCES)
    sentences = [pool.pop(rng.below(len(pool))) for _ in range(1 + rng.below(3))]
    if with_term:
        sentences.insert(rng.below(len(sentences) + 1),
                         _fill(rng.pick(TERM_SENTENCES), rng, shown))
    return " ".join(sentences)


def pool_ad(site, host, k):
    """One of a city's recurring ads: the same for every query in that city."""
    rng = Rng("pool", site, host, k)
    return Ad(num=_ad_id(rng, site), title=POOL_TITLES[k % len(POOL_TITLES)],
              desc=_description(rng, "", False) + " Everything must go.",
              price=_price(rng), pictured=rng.below(100) < 60, in_title=False,
              when=_when(rng), sub=rng.pick(POOL_SECTIONS), pool=True)


def query_ad(rng, site, section, term):
    shown = term.replace('"', "").strip() or "misc"
    shown = rng.pick([shown, ascii_title(shown), ascii_upper(shown), ascii_lower(shown)])
    in_title = rng.below(100) < 75
    if in_title:
        title = _fill(rng.pick(TITLES_WITH_TERM), rng, shown)
    else:
        title = _fill(rng.pick(TITLES_WITHOUT_TERM), rng, shown)
    return Ad(num=_ad_id(rng, site), title=title,
              desc=_description(rng, shown, not in_title),
              price=_price(rng), pictured=rng.below(100) < 60, in_title=in_title,
              when=_when(rng), sub=slug(section, 8).lower())


def make_ads(site, host, scope, term, news=()):
    """The unfiltered result list of one query, newest first.

    About a quarter of the slots show one of the city's recurring ads, so the
    same link turns up under different terms and sections of one city. news
    is what /__sim/publish added since the start: (count, match) pairs, each
    putting count fresh ads on top of every list whose host or term contains
    match."""
    if not isinstance(scope, str):
        scope = "|".join(scope)
    return list(_make_ads(site, host, scope, term, tuple(news)))


@functools.lru_cache(maxsize=512)
def _make_ads(site, host, scope, term, news):
    # Cached: every ad page of a query rebuilds the query's list.
    lowered = ascii_lower(term)
    if NOTHING_TERM in lowered:
        return ()
    return tuple(fresh_ads(site, host, scope, term, news)) + _base_ads(site, host, scope, term)


def fresh_ads(site, host, scope, term, news):
    """The ads published while the simulator runs, newest (last published) first:
    dated SITE_NOW (a fraction of a second later, in the order published), so
    they head the list."""
    ads = []
    for number, (count, match) in enumerate(news, 1):
        if match and match not in host and match not in term:
            continue
        for k in range(count):
            ad = query_ad(Rng("fresh", number, k, site, host, scope, term), site, scope, term)
            later = datetime.timedelta(microseconds=number * 1000 + k)
            ads.append(dataclasses.replace(ad, when=SITE_NOW + later))
    ads.sort(key=lambda ad: ad.when, reverse=True)
    return ads


@functools.lru_cache(maxsize=512)
def _base_ads(site, host, scope, term):
    lowered = ascii_lower(term)
    rng = Rng("query", site, host, scope, term)
    if MANY_TERM in lowered:
        count = MANY_COUNT
    elif rng.below(100) < 8:
        count = 0
    else:
        count = 1 + rng.below(12)
    ads, used = [], set()
    for _ in range(count):
        if rng.below(100) < 25:
            k = rng.below(POOL_SIZE)
            if k not in used:
                used.add(k)
                ads.append(pool_ad(site, host, k))
                continue
        ads.append(query_ad(rng, site, scope, term))
    ads.sort(key=lambda ad: ad.when, reverse=True)
    return tuple(ads)


# ---------------------------------------------------------------------------
# Ad links
#
# A recurring ad's link is the same in every query of its city. Any other ad
# exists only in its query's result list, so its link carries that query: a
# path segment "q" + the hex of each scope part and of the term (UTF-8),
# joined by "x", placed just before the part that ends in the numeric id. The
# ad page is found again by rebuilding that list.

SITE_CODE = {"craigslist": "cl", "kijiji-ca": "kj", "kijiji-us": "kj",
             "backpage": "bp", "daype": "da"}
TOKEN = r"q[0-9a-fx]*"


def scope_parts(scope):
    return [scope] if isinstance(scope, str) else list(scope)


def query_token(scope, term):
    return "q" + "x".join(part.encode("utf-8", "surrogatepass").hex()
                          for part in scope_parts(scope) + [term])


def parse_token(token):
    """(scope, term) of a token; ValueError when it is not one."""
    parts = [bytes.fromhex(h).decode("utf-8", "surrogatepass") for h in token[1:].split("x")]
    if len(parts) < 2:
        raise ValueError("token without a scope")
    scope = parts[0] if len(parts) == 2 else tuple(parts[:-1])
    return scope, parts[-1]


def ad_link(site, host, scope, term, ad):
    """The link of ad in the result list of (scope, term) on host."""
    tok = "" if ad.pool else query_token(scope, term) + "/"
    if site == "craigslist":
        return "http://%s/%s/%s%d.html" % (host, ad.sub, tok, ad.num)
    if site == "kijiji-ca":
        return "http://%s/%sc-%s-W0QQAdIdZ%d" % (host, tok, slug(ad.title), ad.num)
    if site == "kijiji-us":
        return "http://%s/%sc-%s-%s-W0QQAdIdZ%d" % (
            host, tok, slug(scope_parts(scope)[0], 20), slug(ad.title), ad.num)
    if site == "backpage":
        return "http://%s/%s/%s/%s%d" % (host, scope_parts(scope)[0], slug(ad.title).lower(),
                                         tok, ad.num)
    return "http://%s/classifieds/details/%s%d" % (host, tok, ad.num)


def pool_path_fits(site, ad, path):
    """Whether path is a link path of the recurring ad (Kijiji US and Backpage
    links of recurring ads differ by the section they were listed in)."""
    if site == "craigslist":
        return path == "/%s/%d.html" % (ad.sub, ad.num)
    if site == "kijiji-ca":
        return path == "/c-%s-W0QQAdIdZ%d" % (slug(ad.title), ad.num)
    if site == "kijiji-us":
        return re.fullmatch(r"/c-[A-Za-z0-9-]+-%s-W0QQAdIdZ%d" % (re.escape(slug(ad.title)), ad.num),
                            path) is not None
    if site == "backpage":
        return re.fullmatch(r"/[^/]+/%s/%d" % (re.escape(slug(ad.title).lower()), ad.num),
                            path) is not None
    return path == "/classifieds/details/%d" % ad.num


def find_ad(site, host, path, token, num, news=()):
    """The ad whose link is http://host/path, or None."""
    code, num = SITE_CODE[site], int(num)
    if token:
        try:
            scope, term = parse_token(token)
        except ValueError:
            return None
        link = "http://%s%s" % (host, path)
        for ad in make_ads(code, host, scope, term, news):
            if ad.num == num and ad_link(site, host, scope, term, ad) == link:
                return ad
        return None
    for k in range(POOL_SIZE):
        ad = pool_ad(code, host, k)
        if ad.num == num and pool_path_fits(site, ad, path):
            return ad
    return None


# ---------------------------------------------------------------------------
# Pages


@dataclasses.dataclass
class Request:
    host: str          # Host header without a port
    target: str        # request target (path and query) without the redirect marker
    path: str          # target without its query
    query: dict        # decoded query values, redirect marker "r" removed
    news: tuple = ()   # the ads published so far: (count, match) pairs


@dataclasses.dataclass
class Page:
    status: int
    reason: str
    ctype: str
    body: str
    # expect(options, today) -> list of {"date", "title", "link", "description"}
    expect: object = None
    headers: tuple = ()
    # Ad pages: what the client's deep scan extracts, {"text", "date", "expired"},
    # and the page's kind (see AD_KINDS).
    ad: dict = None
    kind: str = None

    def raw(self):
        body = self.body.encode("latin-1")
        head = ["HTTP/1.0 %d %s" % (self.status, self.reason), "Server: sitesim"]
        head += list(self.headers)
        head += ["Content-Type: " + self.ctype, "Content-Length: %d" % len(body),
                 "Connection: close", "", ""]
        return "\r\n".join(head).encode("latin-1") + body


def _row(date, title, link, description):
    return {"date": date, "title": title, "link": link, "description": description}


def _match_key(term):
    return ascii_lower(term).replace('"', "")


def error_page(status, reason, detail=""):
    body = ("<html><head><title>%d %s</title></head>\n<body><h1>%s</h1>\n<p>%s</p>\n"
            "</body></html>\n" % (status, reason, reason, html_text(detail)))
    return Page(status, reason, "text/html; charset=iso-8859-1", body,
                expect=lambda options, today: [])


def craigslist_search(req, section):
    term = req.query.get("query", "")
    if req.query.get("format") != "rss":
        return None
    ads = make_ads("cl", req.host, section, term, req.news)
    if req.query.get("srchType") == "T":
        ads = [ad for ad in ads if ad.in_title]
    if req.query.get("hasPic") == "1":
        ads = [ad for ad in ads if ad.pictured]
    feed_url = "http://%s%s" % (req.host, req.target)
    city = city_name(req.host)
    links, items, rows = [], [], []
    for ad in ads:
        link = ad_link("craigslist", req.host, section, term, ad)
        plain_title = ad.title + (" - $%d" % ad.price if ad.price else "") + " (%s)" % city
        title = html_text(plain_title)
        desc = html_text(ad.desc)
        stamp = ad.when.strftime("%Y-%m-%dT%H:%M:%S") + "-05:00"
        links.append('<rdf:li rdf:resource="%s" />' % link)
        enclosure = ('<enc:enclosure resource="http://images.%s/%d.jpg" type="image/jpeg" />\n'
                     % (req.host, ad.num) if ad.pictured else "")
        items.append(
            '<item rdf:about="%s">\n<title><![CDATA[%s]]></title>\n<link>%s</link>\n'
            '<description><![CDATA[%s]]></description>\n<dc:date>%s</dc:date>\n'
            '<dc:language>en-us</dc:language>\n<dc:source>%s</dc:source>\n%s'
            '<dc:type>text</dc:type>\n</item>\n'
            % (link, title, link, desc, stamp, link, enclosure))
        rows.append(_row(stamp[:10], title, link, desc.replace("&amp;", "&")))
    body = (
        '<?xml version="1.0" encoding="ISO-8859-1"?>\n'
        '<rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#" '
        'xmlns="http://purl.org/rss/1.0/" xmlns:dc="http://purl.org/dc/elements/1.1/" '
        'xmlns:enc="http://purl.oclc.org/net/rss_2.0/enc#">\n'
        '<channel rdf:about="%s">\n<title>craigslist %s | %s search &quot;%s&quot;</title>\n'
        '<link>%s</link>\n<description></description>\n<dc:language>en-us</dc:language>\n'
        '<items>\n <rdf:Seq>\n%s\n </rdf:Seq>\n</items>\n</channel>\n%s</rdf:RDF>\n'
        % (xml_text(feed_url), xml_text(city), xml_text(section), xml_text(term),
           xml_text(feed_url), "\n".join(links), "".join(items)))
    return Page(200, "OK", "application/rss+xml; charset=iso-8859-1", body,
                expect=lambda options, today: rows)


def kijiji_ca_feed(req):
    if "Keyword" not in req.query:
        return None
    term = req.query["Keyword"]
    cat = req.query.get("catId", "")
    ads = make_ads("kj", req.host, cat, term, req.news)
    items, found = [], []
    for ad in ads:
        link = ad_link("kijiji-ca", req.host, cat, term, ad)
        # Titles alternate between CDATA and escaped text, as the real feed did.
        if ad.num % 2:
            title_xml = "<![CDATA[%s]]>" % no_angles(ad.title)
            title = no_angles(ad.title)
        else:
            title_xml = xml_text(ad.title)
            title = title_xml
        picture = ('<img src="http://%s/i/%d.jpg" /> ' % (req.host, ad.num)
                   if ad.pictured else "")
        desc = picture + no_angles(ad.desc)
        items.append(
            "<item>\n<title>%s</title>\n<link>%s</link>\n"
            "<description><![CDATA[%s]]></description>\n<pubDate>%s</pubDate>\n"
            "<guid>%s</guid>\n</item>\n" % (title_xml, link, desc, rfc822(ad.when), link))
        found.append(_row(ad.when.strftime("%Y-%m-%d"), title, link, desc))
    body = (
        '<?xml version="1.0" encoding="ISO-8859-1"?>\n<rss version="2.0">\n<channel>\n'
        "<title>Kijiji %s: %s</title>\n<link>http://%s/</link>\n"
        "<description>Ads matching %s</description>\n<language>en-ca</language>\n"
        "<image>\n<title>Kijiji</title>\n<url>http://%s/images/logo.gif</url>\n"
        "<link>http://%s/</link>\n</image>\n%s</channel>\n</rss>\n"
        % (xml_text(city_name(req.host)), xml_text(term), req.host, xml_text(term),
           req.host, req.host, "".join(items)))
    key = _match_key(term)

    def expect(options, today):
        if options.get("SearchTitles"):
            return [row for row in found if key in ascii_lower(row["title"])]
        return found

    return Page(200, "OK", "application/rss+xml; charset=iso-8859-1", body, expect=expect)


def kijiji_us_results(req, segment):
    if "q" not in req.query:
        return None
    term = req.query["q"]
    cat = req.query.get("catId", "")
    ads = make_ads("kj", req.host, (segment, cat), term, req.news)
    city = city_name(req.host)
    # '$' is shown as an entity in titles: the client takes the first '$' of
    # an item as the start of its price.
    shown = lambda text: html_text(text).replace("$", "&#36;")
    lis, items = [], []
    for ad in ads:
        link = ad_link("kijiji-us", req.host, (segment, cat), term, ad)
        if ad.pictured:
            ext = "jpeg" if ad.num % 4 == 0 else "jpg"
            thumb = '<span class="thumb"><img src="http://%s/i/%d.%s" alt="photo"></span>' % (
                req.host, ad.num, ext)
        else:
            thumb = '<span class="thumb nophoto">No photo</span>'
        price = "${:,}".format(ad.price) if ad.price else ""
        month = (MONTHS_FULL if ad.num % 3 == 0 else MONTHS)[ad.when.month - 1]
        title = shown(ad.title)
        li = ('<li>%s\n<a href="%s">%s</a><br>%s<em>%s</em> - %s %02d</li>'
              % (thumb, link, title, price + " - " if price else "", xml_text(city),
                 month, ad.when.day))
        lis.append(li)
        items.append((li, _row(None, title, link, price), ad.when))
    if ads:
        results = ('<div id="ui-search-result-count"><span>Showing 1-%d of %d</span></div>\n'
                   '<ol class="search-results">\n%s\n</ol>\n' % (len(ads), len(ads), "\n".join(lis)))
    else:
        results = ('<div id="ui-search-result-count"><span>0 results</span></div>\n'
                   '<p class="no-results">Sorry, but no ads matched your search &quot;%s&quot;.'
                   ' Try fewer words.</p>\n' % html_text(term))
    body = (
        "<html>\n<head><title>%s - Kijiji %s</title></head>\n<body>\n"
        '<ul class="nav"><li><a href="http://%s/">Home</a></li><li>Search</li></ul>\n'
        '<h1>Results for &quot;%s&quot;</h1>\n%s<div class="footer">Kijiji %s</div>\n'
        "</body>\n</html>\n"
        % (html_text(term), xml_text(city), req.host, html_text(term), results, xml_text(city)))
    key = _match_key(term)

    def expect(options, today):
        rows = []
        for li, row, when in items:
            # With the pictures option the client keeps only pictured ads.
            if options.get("HasPictures") and not (".jpg" in li or ".jpeg" in li):
                continue
            if options.get("SearchTitles") and key not in ascii_lower(row["title"]):
                continue
            rows.append(dict(row, date=date_without_year(when.month, when.day, today)))
        return rows

    return Page(200, "OK", "text/html; charset=iso-8859-1", body, expect=expect)


def backpage_date_text(day):
    # Single-digit days are padded with a second space, as the site aligned them.
    return "%s. %s%s%d" % (WEEKDAYS[day.weekday()], BP_MONTHS[day.month - 1],
                            "  " if day.day < 10 else " ", day.day)


def backpage_results(req, segment):
    if "keyword" not in req.query:
        return None
    term = req.query["keyword"]
    section = req.query.get("section", "")
    category = req.query.get("category", "0")
    scope = (segment, section, category)
    ads = make_ads("bp", req.host, scope, term, req.news)
    if req.query.get("hasImage") == "yes":
        ads = [ad for ad in ads if ad.pictured]
    # Featured ads head the list without a date header.
    featured = Rng("featured", req.host, scope, term).below(3) if len(ads) >= 3 else 0
    parts, entries = [], []   # entries: (row, when or None for "today")

    def cat(ad):
        link = ad_link("backpage", req.host, scope, term, ad)
        icon = (' <img src="http://%s/images/camera.gif" alt="pic">' % req.host
                if ad.pictured else "")
        title = html_text(ad.title)
        parts.append('<div class="cat"><a href="%s">%s</a>%s</div>\n' % (link, title, icon))
        return _row(None, title, link, "")

    if featured:
        parts.append('<div class="featured">\n')
        for ad in ads[:featured]:
            entries.append((cat(ad), None))
        parts.append("</div>\n")
    shown_day = None
    for ad in ads[featured:]:
        if ad.when.date() != shown_day:
            shown_day = ad.when.date()
            parts.append('<div class="date">%s</div>\n' % backpage_date_text(shown_day))
        entries.append((cat(ad), shown_day))
    if not ads:
        parts.append('<p class="noResults">No matches found for &quot;%s&quot;.</p>\n'
                     % html_text(term))
    body = (
        "<html>\n<head><title>%s classifieds - backpage.com</title></head>\n<body>\n"
        '<div id="header"><a href="http://%s/">%s</a></div>\n<div id="results">\n%s</div>\n'
        "</body>\n</html>\n"
        % (xml_text(city_name(req.host)), req.host, xml_text(city_name(req.host)), "".join(parts)))

    def expect(options, today):
        rows = []
        for row, day in entries:
            if day is None:
                date = "%04d-%02d-%02d" % (today.year, today.month, today.day)
            else:
                date = date_without_year(day.month, day.day, today)
            rows.append(dict(row, date=date))
        return rows

    return Page(200, "OK", "text/html; charset=iso-8859-1", body, expect=expect)


def daype_text(text):
    # ".com/" never appears in free text: the client finds ads by that marker.
    return html_text(text).replace(".com/", ".com&#47;")


def daype_results(req, segment, term_part):
    term = url_decode(term_part)
    ads = make_ads("da", req.host, segment, term, req.news)
    rows, parts = [], []
    for ad in ads:
        link = ad_link("daype", req.host, segment, term, ad)
        if ad.pictured:
            ext = "gif" if ad.num % 5 == 0 else "jpg"
            picture = "http://%s/images/thumbs/%d.%s" % (req.host, ad.num, ext)
        elif ad.num % 2 == 0:
            picture = "http://%s/images/nophoto.gif" % req.host
        else:
            picture = ""
        thumb = ('<a href="%s"><img src="%s" alt="" border="0"></a>' % (link, picture)
                 if picture else "&nbsp;")
        # Titles and descriptions carry line breaks and runs of spaces.
        title_raw = "\n      " + daype_text(ad.title).replace(" ", "  ", 2) + "\n    "
        desc_raw = "\n  " + daype_text(ad.desc).replace(". ", ".\n    ") + "  \n"
        parts.append(
            '<tr><td class="thumb">%s</td>\n<td class="ad"><a href="%s" class="title">%s</a>'
            '<br />%s<br /><span class="posted">Posted %s %d</span></td></tr>\n'
            % (thumb, link, title_raw, desc_raw, MONTHS[ad.when.month - 1], ad.when.day))
        title = collapse_whitespace(title_raw).strip(" ").replace("\r", "").replace("\n", "")
        rows.append(_row(None, title, link, collapse_whitespace(desc_raw)))
    if ads:
        listing = '<table class="results">\n%s</table>\n' % "".join(parts)
    else:
        listing = '<p class="noresults">No ads found for &quot;%s&quot;.</p>\n' % html_text(term)
    body = (
        "<html>\n<head><title>%s classifieds: %s</title>\n"
        '<link rel="stylesheet" href="http://%s/css/site.css"></head>\n<body>\n'
        '<div class="head"><a href="http://%s/classifieds.html">All classifieds</a></div>\n'
        "%s<div class=\"bg_footer\">daype</div>\n</body>\n</html>\n"
        % (xml_text(city_name(req.host)), html_text(term), req.host, req.host, listing))
    # The client finds ads only on a ".com" host and steps back 35 characters
    # from ".com/classifieds/details/", so "http://" + host must fit in that.
    readable = req.host.endswith(".com") and len("http://" + req.host) - 4 <= 35

    def expect(options, today):
        date = "%04d-%02d-%02d" % (today.year, today.month, today.day)
        return [dict(row, date=date) for row in rows] if readable else []

    return Page(200, "OK", "text/html; charset=iso-8859-1", body, expect=expect)


def daype_feed(req, term_part):
    term = url_decode(term_part)
    ads = make_ads("da", req.host, "feed", term, req.news)
    items, rows = [], []
    for ad in ads:
        link = ad_link("daype", req.host, "feed", term, ad)
        title = no_angles(ad.title)
        desc = xml_text(ad.desc)
        items.append(
            "<item>\n<title><![CDATA[%s]]></title>\n<link>%s</link>\n"
            "<description>%s</description>\n<pubDate>%s</pubDate>\n</item>\n"
            % (title, link, desc, rfc822(ad.when)))
        plain = desc.replace("&amp;", "&").replace("&lt;", "<").replace("&gt;", ">")
        rows.append(_row(None, title, link, plain))
    body = (
        '<?xml version="1.0" encoding="ISO-8859-1"?>\n<rss version="2.0">\n<channel>\n'
        "<title>Daype search: %s</title>\n<link>http://%s/</link>\n"
        "<description>Latest ads for %s</description>\n%s</channel>\n</rss>\n"
        % (xml_text(term), req.host, xml_text(term), "".join(items)))

    def expect(options, today):
        date = "%04d-%02d-%02d" % (today.year, today.month, today.day)
        return [dict(row, date=date) for row in rows]

    return Page(200, "OK", "application/rss+xml; charset=iso-8859-1", body, expect=expect)


# ---------------------------------------------------------------------------
# Ad pages (the deep scan's downloads)

# Kinds of ad page per site; "plain" has every part the client looks for.
AD_KINDS = {
    "craigslist": ("plain", "nomail", "expired"),
    "kijiji-ca": ("plain", "nopicture"),
    "kijiji-us": ("plain", "nopicture"),
    "backpage": ("plain", "nomarker", "noend"),
    "daype": ("plain", "nodate"),
}
EXPIRED = "This posting has expired."
EXTRA_LINES = [
    "Tr\xe8s bon \xe9tat &ndash; peu utilis\xe9.",
    "Dimensions: 30\xbd x 60 in. (76 x 152&nbsp;cm)",
    "Pick-up in {city} only &amp; no holds, sorry.",
    "Gr\xf6\xdfe: M &middot; Farbe: blau",
    "&quot;As is&quot;, no returns. Don&#39;t ask if it&#39;s still available: it is.",
    "Paiement comptant seulement, re\xe7u fourni.",
    "See the photos &gt;&gt; more on request.",
    "Ask for Ren\xe9e or Jos\xe9 after 6&nbsp;pm.",
    "Prix n\xe9gociable, \xe9change possible \xe0 {city}.",
    "Works perfectly, tested yesterday.",
]
PRICE_LINES = ["Asking {price}, or best offer.", "Price: {price} firm.", "{price} cash only."]


def ad_kind(site, ad):
    """Kinds follow from the id's last digit (Kijiji: from the picture)."""
    digit = ad.num % 10
    if site == "craigslist":
        return "expired" if digit == 3 else "nomail" if digit in (5, 8) else "plain"
    if site in ("kijiji-ca", "kijiji-us"):
        return "plain" if ad.pictured else "nopicture"
    if site == "backpage":
        return "nomarker" if digit == 7 else "noend" if digit == 3 else "plain"
    return "nodate" if digit == 3 else "plain"


def ad_html(text):
    """An ad's own text on its page: HTML-escaped, and never the expiry notice
    or a "Date: " that the client would take for the page's own."""
    return html_text(text).replace(EXPIRED, "This posting has expired&#46;").replace(
        "Date: ", "Date:&#32;")


def ad_lines(site, host, ad):
    """The lines of an ad's text as HTML: the listing's description, then a
    price line and one to three more lines."""
    rng = Rng("adpage", site, host, ad.num)
    city = xml_text(city_name(host))
    lines = [ad_html(ad.desc)]
    if ad.price:
        lines.append(rng.pick(PRICE_LINES).format(price="${:,}".format(ad.price)))
    extra = list(EXTRA_LINES)
    for _ in range(1 + rng.below(3)):
        lines.append(extra.pop(rng.below(len(extra))).format(city=city))
    return lines


def _ad_page(body, kind, text, date=None, expired=False, headers=()):
    page = Page(200, "OK", "text/html; charset=iso-8859-1", body, headers=headers, kind=kind)
    if text is None:        # the client takes the whole response
        text = page.raw().decode("latin-1")
    page.ad = {"text": text, "date": date, "expired": expired}
    return page


def craigslist_ad(req, ad, kind):
    city = city_name(req.host)
    heading = ad_html(ad.title + (" - $%d" % ad.price if ad.price else "") + " (%s)" % city)
    crumbs = ('<div class="bchead"><a href="http://%s/">%s craigslist</a> &gt; '
              '<a href="http://%s/%s/">%s</a></div>\n'
              % (req.host, xml_text(city), req.host, ad.sub, ad.sub))
    if kind == "expired":
        body = ("<!DOCTYPE html>\n<html>\n<head><title>craigslist | %s</title></head>\n<body>\n%s"
                "<h2>%s</h2>\n<p>(The title on the listings page will be removed in just a few "
                "minutes.)</p>\n</body>\n</html>\n" % (xml_text(city), crumbs, EXPIRED))
        return _ad_page(body, kind, None, expired=True)
    address = "sale-%d@craigslist.org" % ad.num
    if kind == "plain":
        subject = "".join(c if c.isalnum() and ord(c) < 128 else "%%%02X" % (ord(c) % 256)
                          for c in ad.title)
        contact = '<a href="mailto:%s?subject=%s">%s</a>' % (address, subject, address)
        reply = "Reply to: " + contact
    else:
        contact = "Could not find a valid email address."
        # Either a link that is not a mail link, or no link at all.
        reply = ('Reply to: <a href="http://%s/reply/%d">reply by web form</a>' % (req.host, ad.num)
                 if ad.num % 10 == 5 else "Reply to: see below")
    pictures = "".join('<br>\r\n<img src="http://images.%s/%d_%d.jpg" alt="">' % (req.host, ad.num, i)
                       for i in range(2 if ad.pictured else 0))
    userbody = "\r\n" + "<br>\r\n".join(ad_lines("craigslist", req.host, ad)) + pictures + "\r\n"
    body = (
        '<!DOCTYPE html>\n<html>\n<head><title>%s</title></head>\n<body class="posting">\n%s'
        '<h2 class="postingtitle">%s</h2>\n<div class="dateReplyBar">\n%s<br>\n'
        '<span class="postingdate">Posted: %s EST</span>\n</div>\n'
        '<div id="userbody">%s</div>\n'
        '<ul class="blurbs">\n<li>Location: %s</li>\n<li>it&#39;s NOT ok to contact this poster '
        'with services or other commercial interests</li>\n</ul>\n'
        '<p class="postinginfo">PostingID: %d</p>\n</body>\n</html>\n'
        % (heading, crumbs, heading, reply, ad.when.strftime("%Y-%m-%d, %I:%M%p"), userbody,
           xml_text(city), ad.num))
    return _ad_page(body, kind, contact + "<br /><br />\r\n" + userbody)


def kijiji_ca_ad(req, ad, kind):
    city = xml_text(city_name(req.host))
    title = ad_html(ad.title)
    heading = '<h1 id="preview-local-title">%s</h1>' % title
    desc = ('<span id="preview-local-desc">%s</span>'
            % "<br />\n".join(ad_lines("kijiji-ca", req.host, ad)))
    picture = ""
    pic_block = ""
    if kind == "plain":
        picture = '<img src="http://%s/i/%d.jpg" alt="%s" border="0" />' % (req.host, ad.num, title)
        pic_block = ('<div id="preview-local-pic"><a href="http://%s/i/%d_big.jpg" title=\'Zoom\'>'
                     '%s</a></div>\n' % (req.host, ad.num, picture))
    price = "${:,}.00".format(ad.price) if ad.price else "Please Contact"
    body = (
        "<html>\n<head><title>%s - Kijiji %s</title></head>\n<body>\n"
        '<div id="breadcrumbs"><a href="http://%s/">Kijiji %s</a> &gt; %s</div>\n%s\n'
        '<table class="ad-attributes">\n<tr><td>Date Listed</td><td>%s</td></tr>\n'
        "<tr><td>Price</td><td>%s</td></tr>\n<tr><td>Address</td><td>%s</td></tr>\n</table>\n"
        "%s%s\n<div class=\"footer\">Kijiji %s &copy; 2026</div>\n</body>\n</html>\n"
        % (title, city, req.host, city, title, heading, ad.when.strftime("%d-%b-%y"), price,
           city, pic_block, desc, city))
    return _ad_page(body, kind, heading + desc + "<br />\r\n" + picture)


def kijiji_us_ad(req, ad, kind):
    city = xml_text(city_name(req.host))
    title = ad_html(ad.title)
    heading = '<h1 id="ad-title">%s</h1>' % title
    desc = "<br />\n".join(ad_lines("kijiji-us", req.host, ad))
    picture = ""
    if kind == "plain":
        picture = '<img src="http://%s/i/%d.jpg" alt="%s" />' % (req.host, ad.num, title)
        pic_block = '<div class="imageStack">%s</div>\n' % picture
    else:
        pic_block = '<div class="noImage">No photo</div>\n'
    price = "${:,}".format(ad.price) if ad.price else "Contact seller"
    # A paragraph before the description heading: the client looks for "<p>"
    # only after it.
    body = (
        "<html>\n<head><title>%s - %s - Kijiji</title></head>\n<body>\n"
        '<div id="crumbs"><a href="http://%s/">Kijiji %s</a></div>\n%s\n<p>Posted %s %d</p>\n%s'
        '<table id="attributeTable"><tr><td>Price</td><td>%s</td></tr></table>\n'
        '<span class="h3">Description</span>\n<div id="ad-desc"><p>%s</p>\n'
        "<p>Contact the poster through Kijiji.</p></div>\n</body>\n</html>\n"
        % (title, city, req.host, city, heading, MONTHS[ad.when.month - 1], ad.when.day,
           pic_block, price, desc))
    return _ad_page(body, kind, heading + desc + "<br />\r\n" + picture)


def backpage_ad(req, ad, kind):
    city = xml_text(city_name(req.host))
    title = ad_html(ad.title)
    when = ad.when
    posted = "%s, %d, %d:%02d %s" % (backpage_date_text(when.date()).replace("  ", " "), when.year,
                                     (when.hour + 11) % 12 + 1, when.minute,
                                     "AM" if when.hour < 12 else "PM")
    picture = ('<img src="http://%s/imager/%d.jpg" alt="">\n' % (req.host, ad.num)
               if ad.pictured else "")
    if kind == "nomarker":
        # An ad held for review: its block has another class.
        post = ('<div class="adPost pending">\n<h1>%s</h1>\n<p>This ad is awaiting review and '
                "will be visible shortly.</p>\n</div>\n" % title)
    else:
        post = ('<div class="adPost">\n<h1>%s</h1>\n<div class="posting">\n%s\n</div>\n%s'
                '<div class="adInfo">Posted: %s &middot; Post ID: %d %s</div>\n</div>\n'
                % (title, "<br>\n".join(ad_lines("backpage", req.host, ad)), picture, posted,
                   ad.num, city))
    end = "" if kind == "noend" else "<!-- end adPost -->\n"
    rest = '<div id="footer">backpage.com &copy; 2026</div>\n</body>\n</html>\n'
    body = ("<html>\n<head><title>%s - %s backpage.com</title></head>\n<body>\n"
            '<div id="pageHeader"><a href="http://%s/">%s.backpage.com</a></div>\n%s%s%s'
            % (title, city, req.host, city, post, end, rest))
    if kind == "nomarker":
        text = ""
    elif kind == "noend":
        text = (post + rest)[:-1]
    else:
        text = post
    return _ad_page(body, kind, text)


def daype_ad(req, ad, kind):
    city = xml_text(city_name(req.host))
    title = ad_html(ad.title)
    if kind == "nodate":
        date, dated = None, "Posted: %s %d" % (MONTHS[ad.when.month - 1], ad.when.day)
    else:
        date = ad.when.strftime("%Y-%m-%d")
        dated = "Date: " + date
    price = "${:,}".format(ad.price) if ad.price else "-"
    picture = ('<img src="http://%s/images/full/%d.jpg" alt="">' % (req.host, ad.num)
               if ad.pictured else "&nbsp;")
    # The dated line comes before any of the ad's own text.
    body = (
        '<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01 Transitional//EN" '
        '"http://www.w3.org/TR/html4/loose.dtd">\n<html>\n<head><title>Daype %s classifieds: '
        "ad %d</title></head>\n<body>\n"
        '<div class="head"><a href="http://%s/classifieds.html">All classifieds</a></div>\n'
        '<div class="posted">%s</div>\n<table class="details">\n'
        '<tr><td class="label">Title:</td><td class="title">%s</td></tr>\n'
        '<tr><td class="label">Price:</td><td>%s</td></tr>\n'
        '<tr><td class="pic">%s</td><td class="desc">\n%s\n</td></tr>\n</table>\n'
        '<div class="bg_footer">daype</div>\n</body>\n</html>\n'
        % (city, ad.num, req.host, dated, title, price, picture,
           "<br />\n".join(ad_lines("daype", req.host, ad))))
    # A Date header too: the client takes its date from the text only.
    return _ad_page(body, kind, body, date=date, headers=("Date: " + rfc822(SITE_NOW),))


AD_PAGE_BUILDERS = {"craigslist": craigslist_ad, "kijiji-ca": kijiji_ca_ad,
                    "kijiji-us": kijiji_us_ad, "backpage": backpage_ad, "daype": daype_ad}


def ad_page(site, req, token, num):
    ad = find_ad(site, req.host, req.path, token, num, req.news)
    if ad is None:
        return None
    return AD_PAGE_BUILDERS[site](req, ad, ad_kind(site, ad))


def _ad_route(site):
    return lambda req, token, num: ad_page(site, req, token, num)


def catalog_route(req):
    """A catalog page of the simulated world (catalog_world), or None."""
    found = catalog_world.page(req.host, req.path)
    if found is None:
        return None
    status, body, location = found
    if status == 302:
        return Page(302, "Found", "text/html; charset=iso-8859-1", body,
                    expect=lambda options, today: [], headers=("Location: " + location,))
    return Page(200, "OK", "text/html; charset=iso-8859-1", body, expect=lambda options, today: [])


# The maker's product page, read by the client's update check: the newest
# published version between two comment markers.
MAKER_HOST = "www.quillfen.com"
MAKER_PATH = "/blog/vemtrix/"
VERSION_START, VERSION_END = "<!--vemclver-->", "<!--endvemclver-->"
# The version the page publishes unless told otherwise: the program's own.
PROGRAM_VERSION = "2.10"


def maker_page(req, published):
    if req.path != MAKER_PATH:
        return error_page(404, "Not Found", "No such page: " + req.path)
    body = ("<html><head><title>Vemtrix</title></head>\n<body><h1>Vemtrix</h1>\n"
            "<p>Newest version: %s%s%s</p>\n<p>Harvests classified ads from four sites.</p>\n"
            "</body></html>\n" % (VERSION_START, published, VERSION_END))
    return Page(200, "OK", "text/html; charset=iso-8859-1", body, expect=lambda options, today: [])


# Which site a host belongs to, in the client's order of recognition.
def site_of_host(host):
    host = host.lower()
    if "craigslist" in host:
        return "craigslist"
    if "kijiji" in host:
        return "kijiji-ca" if "kijiji.ca" in host else "kijiji-us"
    if "backpage" in host:
        return "backpage"
    if "daype" in host:
        return "daype"
    return None


# (site, pattern matched against the whole path without query, page function).
# A page function gets the request and the pattern's groups and returns a Page,
# or None when the query does not fit (a 404 then).
ROUTES = [
    ("craigslist", re.compile(r"/search/([^/?]+)"), craigslist_search),
    ("kijiji-ca", re.compile(r"/f-SearchAdRss"), kijiji_ca_feed),
    ("kijiji-us", re.compile(r"/([^/]+)/"), kijiji_us_results),
    ("backpage", re.compile(r"/([^/]+)/classifieds/Results"), backpage_results),
    ("daype", re.compile(r"/classifiedsads/null/([^/]*)/([^/]*)/all/null/null/1"), daype_results),
    ("daype", re.compile(r"/feed/([^/]*)"), daype_feed),
    # Ad pages: groups (query token or None, numeric id).
    ("craigslist", re.compile(r"/[^/]+/(?:(%s)/)?(\d+)\.html" % TOKEN), _ad_route("craigslist")),
    ("kijiji-ca", re.compile(r"/(?:(%s)/)?c-[^/]+-W0QQAdIdZ(\d+)" % TOKEN), _ad_route("kijiji-ca")),
    ("kijiji-us", re.compile(r"/(?:(%s)/)?c-[^/]+-W0QQAdIdZ(\d+)" % TOKEN), _ad_route("kijiji-us")),
    ("backpage", re.compile(r"/[^/]+/[^/]+/(?:(%s)/)?(\d+)" % TOKEN), _ad_route("backpage")),
    ("daype", re.compile(r"/classifieds/details/(?:(%s)/)?(\d+)" % TOKEN), _ad_route("daype")),
    # Catalog pages (catalog_world): the page depends on the host too.
    ("craigslist", re.compile(r"/iso/[a-z]+(?:/[a-z]+)?|/[a-z]{3}/"), catalog_route),
    ("kijiji-ca", re.compile(r"/"), catalog_route),
    ("kijiji-us", re.compile(r"/|/state/[a-z-]+"), catalog_route),
    ("backpage", re.compile(r"/|/online/classifieds/index"), catalog_route),
    ("daype", re.compile(r"/|/classifieds\.html"), catalog_route),
]


def without_marker(query):
    """The query's parts without the redirect marker "r"."""
    return [p for p in query.split("&") if p and not (p == "r" or p.startswith("r="))]


def make_request(host, target, news=()):
    host = host.split(":", 1)[0].strip()
    path, _, query = target.partition("?")
    # A redirected request gets the page of the original one.
    kept = "&".join(without_marker(query))
    return Request(host=host, target=path + ("?" + kept if kept else ""), path=path,
                   query=parse_query(kept), news=tuple(news))


def build_page(host, target, published=PROGRAM_VERSION, news=()):
    """The page served for host and target when no fault applies; published is
    the version the maker's page announces, news the ads published so far."""
    req = make_request(host, target, news)
    if ascii_lower(req.host) == MAKER_HOST:
        return maker_page(req, published)
    site = site_of_host(req.host)
    if site is None:
        return error_page(404, "Not Found", "No such site: " + req.host)
    for route_site, pattern, handler in ROUTES:
        if route_site != site:
            continue
        m = pattern.fullmatch(req.path)
        if m:
            page = handler(req, *m.groups())
            if page is not None:
                return page
    return error_page(404, "Not Found", "No such page: " + req.path)


def expected_ads(host, target, options, today):
    page = build_page(host, target)
    return page.expect(options, today) if page.expect else []


def expected_ad(host, target):
    """What the client's deep scan extracts from the page: {"text", "date",
    "expired"}. Pages other than ad pages hold none of the markers, so
    Craigslist, Kijiji and unknown hosts give the whole response and Backpage
    and Daype give nothing."""
    page = build_page(host, target)
    if page.ad is not None:
        return page.ad
    whole = site_of_host(host.split(":", 1)[0]) not in ("backpage", "daype")
    text = page.raw().decode("latin-1") if whole else ""
    return {"text": text, "date": None, "expired": EXPIRED in text}


# Listings that --list-ads reads by default: 60 ads each.
LIST_SOURCES = {
    "craigslist": ["/search/%s?query=zzzmany&format=rss" % s for s in ("sss", "fuo", "bik")],
    "kijiji-ca": ["/f-SearchAdRss?catId=%s&Keyword=zzzmany" % c for c in ("0", "27", "7")],
    "kijiji-us": ["/f-%s/?q=zzzmany&catId=%s" % p for p in (("all", "0"), ("furniture", "27"),
                                                           ("bikes", "7"))],
    "backpage": ["/%s/classifieds/Results?section=4378&keyword=zzzmany" % g
                 for g in ("BuySellTrade", "FurnitureForSale", "Electronics")],
    "daype": ["/feed/zzzmany"] + ["/classifiedsads/null/%s/zzzmany/all/null/null/1" % g
                                  for g in ("furniture", "bikes")],
}


def list_ads(host, kind=None, source=None):
    """Paths of the ad links on the listing source (default: LIST_SOURCES of
    the host's site), first appearance order, of the given kind or all."""
    host = host.split(":", 1)[0].strip()
    site = site_of_host(host)
    if site is None:
        return []
    paths = []
    prefix = "http://" + host
    for listing in [source] if source else LIST_SOURCES[site]:
        for row in expected_ads(host, listing, {}, SITE_NOW.date()):
            path = row["link"][len(prefix):]
            if path in paths:
                continue
            if kind is None or build_page(host, path).kind == kind:
                paths.append(path)
    return paths


# ---------------------------------------------------------------------------
# Server

MODES = ("refuse", "early", "close", "reset", "hang", "drip", "huge", "404", "500",
         "redirect1", "redirect2")


@dataclasses.dataclass
class Rule:
    mode: str
    match: str = ""
    count: object = None     # requests left; None = unlimited
    params: dict = dataclasses.field(default_factory=dict)

    def describe(self):
        return {"mode": self.mode, "match": self.match, "count": self.count,
                "params": self.params}


class BadControl(Exception):
    pass


def redirect_target(target, hops_left):
    """target with its redirect marker set to hops_left (1 = the real page next)."""
    path, _, query = target.partition("?")
    kept = without_marker(query) + ["r=%d" % hops_left]
    return path + "?" + "&".join(kept)


def tls_context(cert, key):
    """A server context for the certificate and key files (tls_ca.py makes them)."""
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.minimum_version = ssl.TLSVersion.TLSv1_2
    context.load_cert_chain(cert, key)
    return context


class SiteSimulator:
    """Threaded HTTP/1.0 server: one thread per connection, answer, close.
    With a TLS context it also serves the same pages over TLS on tls_port;
    https_only answers every plain request (but control requests) with a 301
    to the same host and path on https, as sites that moved to https do."""

    def __init__(self, bind="127.0.0.1", port=0, fault=None, latency_ms=0, drip_ms=200,
                 drip_bytes=16, huge_mb=40.0, hang_s=600.0, refuse_s=5.0,
                 published=PROGRAM_VERSION, tls=None, tls_port=0, https_only=False):
        self.bind, self.port = bind, port
        self.tls, self.tls_port, self.https_only = tls, tls_port, https_only
        self.tls_listener = None
        self.server_name = threading.local()
        if tls is not None:
            tls.sni_callback = self._note_server_name
        self.start_published = self.published = published
        self.defaults = {"ms": drip_ms, "bytes": drip_bytes, "mb": huge_mb,
                         "hang_secs": hang_s, "refuse_secs": refuse_s}
        self.start_fault, self.start_latency = fault, latency_ms
        self.lock = threading.Lock()
        self.stop_event = threading.Event()
        self.rules, self.log, self.log_seq = [], [], 0
        self.news = []                         # /__sim/publish: (count, match) pairs
        self.latency_ms = latency_ms
        self.refuse_request = None             # seconds to refuse, set by control
        self.refuse_started = threading.Event()
        self.listener = None
        self.accept_thread = None
        if fault and fault != "none":
            if fault == "refuse":
                self.refuse_request = refuse_s
            else:
                self.rules.append(Rule(fault))

    # -- listening -----------------------------------------------------------

    def _socket(self, listen, port=None):
        sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        sock.bind((self.bind, self.port if port is None else port))
        if listen:
            sock.listen(128)
            sock.settimeout(0.1)
        return sock

    def start(self):
        self.listener = self._socket(listen=True)
        self.port = self.listener.getsockname()[1]
        if self.tls is not None:
            self.tls_listener = self._socket(listen=True, port=self.tls_port)
            self.tls_port = self.tls_listener.getsockname()[1]
        self.accept_thread = threading.Thread(target=self._accept_loop, daemon=True)
        self.accept_thread.start()
        return self.port

    def stop(self):
        self.stop_event.set()
        if self.accept_thread:
            self.accept_thread.join(5)

    def _refuse(self, seconds):
        """Stops listening (connections are refused) for seconds (0 = until
        stopped), holding the port bound so nobody else takes it."""
        ports = [self.port] + ([self.tls_port] if self.tls_listener else [])
        for listener in (self.listener, self.tls_listener):
            if listener:
                listener.close()
        holders = []
        for port in ports:
            try:
                holders.append(self._socket(listen=False, port=port))
            except OSError:
                pass
        self.refuse_started.set()
        self.stop_event.wait(seconds if seconds > 0 else None)
        for holder in holders:
            holder.close()
        while not self.stop_event.is_set():
            try:
                self.listener = self._socket(listen=True)
                if self.tls_listener:
                    self.tls_listener = self._socket(listen=True, port=self.tls_port)
                return
            except OSError:
                self.stop_event.wait(0.1)

    def _accept_loop(self):
        while not self.stop_event.is_set():
            with self.lock:
                seconds, self.refuse_request = self.refuse_request, None
            if seconds is not None:
                self._refuse(seconds)
                continue
            listeners = [l for l in (self.listener, self.tls_listener) if l]
            try:
                ready, _, _ = select.select(listeners, [], [], 0.1)
                for listener in ready:
                    conn, _ = listener.accept()
                    secure = listener is self.tls_listener
                    threading.Thread(target=self._serve_connection, args=(conn, secure), daemon=True).start()
            except (socket.timeout, BlockingIOError):
                continue
            except (OSError, ValueError):
                if self.stop_event.wait(0.05):
                    break
                continue
        for listener in (self.listener, self.tls_listener):
            try:
                if listener:
                    listener.close()
            except OSError:
                pass

    # -- faults and log ------------------------------------------------------

    def _take_rule(self, early, host="", target=""):
        """The newest rule that matches, one use of its count taken. Early
        rules are looked up on the request line alone (no host yet)."""
        with self.lock:
            for rule in self.rules:
                if early != (rule.mode == "early"):
                    continue
                if rule.match and rule.match not in host and rule.match not in target:
                    continue
                if rule.count is not None:
                    rule.count -= 1
                    if rule.count <= 0:
                        self.rules.remove(rule)
                return rule
        return None

    def _param(self, rule, name):
        return rule.params.get(name, self.defaults[name])

    def reset(self):
        with self.lock:
            self.log.clear()
            self.rules = ([Rule(self.start_fault)] if self.start_fault
                          and self.start_fault not in ("none", "refuse") else [])
            self.latency_ms = self.start_latency
            self.published = self.start_published
            self.news = []

    # -- one connection ------------------------------------------------------

    def _note_server_name(self, sslobj, name, context):
        self.server_name.value = name

    def _serve_connection(self, conn, secure=False):
        try:
            conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            conn.settimeout(10)
            server_name = None
            if secure:
                self.server_name.value = None
                try:
                    conn = self.tls.wrap_socket(conn, server_side=True)
                except (ssl.SSLError, OSError):
                    return          # the client gave up on the certificate, or left
                server_name = self.server_name.value
            first = read_until(conn, b"", (b"\n",))
            parts = first.split(b"\n", 1)[0].decode("latin-1").split(" ")
            target = parts[1] if len(parts) > 1 else "/"
            control = target.startswith("/__sim/")
            if not control and self._take_rule(early=True, target=target):
                return          # "early": closed while the client is still sending
            raw = read_request(conn, first)
            line, host = parse_request_head(raw)
            if line is None:
                return
            if control:
                self._control(conn, target)
                return
            with self.lock:
                self.log_seq += 1
                entry = {"seq": self.log_seq, "raw": raw.decode("latin-1")}
                if secure:
                    entry["tls"], entry["server_name"] = True, server_name
                self.log.append(entry)
                del self.log[:-10000]
                latency = self.latency_ms
            if latency and self.stop_event.wait(latency / 1000.0):
                return
            if self.https_only and not secure:
                send_all(conn, moved_to_https(host, target))
                return
            self._answer(conn, host, target)
        except OSError:
            pass
        finally:
            try:
                conn.close()
            except OSError:
                pass

    def _answer(self, conn, host, target):
        if "/" in host:
            return      # no host name (a path sent as part of it): on the real net it does not resolve
        with self.lock:
            published, news = self.published, tuple(self.news)
        req = make_request(host, target)
        hops = parse_query(target.partition("?")[2]).get("r", "")
        if hops.isdigit() and int(hops) >= 1:
            # A redirect we sent earlier: more hops, or the real page.
            if int(hops) >= 2:
                send_all(conn, redirect_page(req.host, redirect_target(target, int(hops) - 1)))
            else:
                send_all(conn, build_page(host, target, published, news).raw())
            return
        rule = self._take_rule(early=False, host=req.host, target=target)
        mode = rule.mode if rule else None
        if mode == "close":
            return
        if mode == "reset":
            conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            return
        if mode in ("404", "500"):
            reason = "Not Found" if mode == "404" else "Internal Server Error"
            send_all(conn, error_page(int(mode), reason, "Simulated error").raw())
            return
        if mode in ("redirect1", "redirect2"):
            send_all(conn, redirect_page(req.host, redirect_target(target, int(mode[-1]))))
            return
        page = build_page(host, target, published, news).raw()
        if mode == "hang":
            head_end = page.index(b"\r\n\r\n") + 4
            conn.sendall(page[:head_end + (len(page) - head_end) // 2])
            self.stop_event.wait(self._param(rule, "hang_secs"))
        elif mode == "drip":
            step = max(1, int(self._param(rule, "bytes")))
            delay = self._param(rule, "ms") / 1000.0
            for i in range(0, len(page), step):
                conn.sendall(page[i:i + step])
                if self.stop_event.wait(delay):
                    return
        elif mode == "huge":
            send_huge(conn, page, int(self._param(rule, "mb") * 1024 * 1024))
        else:
            send_all(conn, page)

    # -- control requests ----------------------------------------------------

    def _control(self, conn, target):
        path, _, query = target.partition("?")
        args = parse_query(query)
        try:
            if path == "/__sim/fault":
                result = self._set_fault(args)
            elif path == "/__sim/latency":
                with self.lock:
                    self.latency_ms = _number(args, "ms", int, 0)
                result = {"latency_ms": self.latency_ms}
            elif path == "/__sim/log":
                with self.lock:
                    entries = list(self.log)
                if args.get("format") == "raw":
                    body = "".join(e["raw"] for e in entries)
                    send_all(conn, Page(200, "OK", "text/plain; charset=iso-8859-1", body).raw())
                    return
                result = entries
            elif path == "/__sim/maker":
                if "version" not in args:
                    raise BadControl("/__sim/maker wants version=TEXT")
                with self.lock:
                    self.published = args["version"]
                result = {"published": self.published}
            elif path == "/__sim/publish":
                count = _number(args, "count", int, 1)
                if count < 1 or count > 100:
                    raise BadControl("count must be 1 to 100")
                with self.lock:
                    self.news.append((count, args.get("match", "")))
                    result = [{"count": c, "match": m} for c, m in self.news]
            elif path == "/__sim/reset":
                self.reset()
                result = {"reset": True}
            else:
                raise BadControl("unknown control " + path)
        except BadControl as err:
            send_all(conn, Page(400, "Bad Request", "text/plain", str(err) + "\n").raw())
            return
        body = json.dumps(result, ensure_ascii=True) + "\n"
        send_all(conn, Page(200, "OK", "application/json", body).raw())

    def _set_fault(self, args):
        mode = args.get("mode", "")
        match = args.get("match", "")
        if mode == "none":
            with self.lock:
                self.rules = [r for r in self.rules if match and r.match != match]
                return [r.describe() for r in self.rules]
        if mode not in MODES:
            raise BadControl("unknown mode " + repr(mode))
        if mode == "refuse" and (match or "count" in args):
            raise BadControl("refuse acts before any request is read: no match or count")
        if mode == "refuse":
            seconds = _number(args, "secs", float, self.defaults["refuse_secs"])
            self.refuse_started.clear()
            with self.lock:
                self.refuse_request = seconds
            self.refuse_started.wait(2)
            return {"refusing_secs": seconds}
        count = _number(args, "count", int, None)
        if count is not None and count < 1:
            raise BadControl("count must be at least 1")
        params = {}
        for name, key, kind in (("ms", "ms", float), ("bytes", "bytes", int),
                                ("mb", "mb", float), ("secs", "hang_secs", float)):
            if name in args:
                params[key] = _number(args, name, kind, None)
        with self.lock:
            self.rules = [r for r in self.rules if r.match != match]
            self.rules.insert(0, Rule(mode, match, count, params))
            return [r.describe() for r in self.rules]


def _number(args, name, kind, default):
    if name not in args:
        return default
    try:
        return kind(args[name])
    except ValueError:
        raise BadControl("bad number for " + name) from None


def read_until(conn, data, ends, limit=65536):
    """Receives onto data until it holds one of ends, the peer stops sending,
    the wait times out or limit bytes have come."""
    while len(data) < limit and not any(end in data for end in ends):
        try:
            chunk = conn.recv(4096)
        except socket.timeout:
            break
        if not chunk:
            break
        data += chunk
    return data


def read_request(conn, data=b""):
    """Bytes up to and including the blank line that ends the request head."""
    data = read_until(conn, data, (b"\r\n\r\n", b"\n\n"))
    ends = [(data.find(end), len(end)) for end in (b"\r\n\r\n", b"\n\n") if end in data]
    if ends:
        pos, size = min(ends)
        return data[:pos + size]
    return data


def parse_request_head(raw):
    """(request line, Host header value) of a raw request; (None, "") if empty."""
    lines = raw.decode("latin-1").replace("\r\n", "\n").split("\n")
    if not lines or not lines[0].strip():
        return None, ""
    host = ""
    for line in lines[1:]:
        name, _, value = line.partition(":")
        if name.strip().lower() == "host":
            host = value.strip()
            break
    return lines[0], host


def redirect_page(host, target):
    location = "http://%s%s" % (host, target)
    body = ('<html><head><title>302 Found</title></head><body>\n'
            '<p>The page has moved <a href="%s">here</a>.</p>\n</body></html>\n'
            % html_text(location))
    return Page(302, "Found", "text/html; charset=iso-8859-1", body,
                headers=("Location: " + location,)).raw()


def moved_to_https(host, target):
    location = "https://%s%s" % (host, target)
    body = ('<html><head><title>301 Moved Permanently</title></head><body>\n'
            '<p>The page has moved <a href="%s">here</a>.</p>\n</body></html>\n' % html_text(location))
    return Page(301, "Moved Permanently", "text/html; charset=iso-8859-1", body,
                headers=("Location: " + location,)).raw()


def send_all(conn, data):
    conn.sendall(data)
    try:
        conn.shutdown(socket.SHUT_WR)
    except OSError:
        pass


def send_huge(conn, page, size):
    """The page, its Content-Length raised and its body padded with comments to size bytes."""
    head_end = page.index(b"\r\n\r\n") + 4
    head, body = page[:head_end], page[head_end:]
    size = max(size, len(body))
    head = re.sub(rb"Content-Length: \d+", b"Content-Length: %d" % size, head)
    conn.sendall(head + body)
    line = b"<!-- " + b"." * 58 + b" -->\n"
    block = line * 1024
    left = size - len(body)
    while left > 0:
        piece = block[:min(left, len(block))]
        conn.sendall(piece)
        left -= len(piece)
    try:
        conn.shutdown(socket.SHUT_WR)
    except OSError:
        pass


# ---------------------------------------------------------------------------
# Command line


def parse_options(pairs):
    options = {}
    for pair in pairs or []:
        name, sep, value = pair.partition("=")
        if not sep:
            raise SystemExit("--set wants NAME=VALUE, got " + repr(pair))
        try:
            options[name] = int(value)
        except ValueError:
            raise SystemExit("--set value must be a number: " + repr(pair)) from None
    return options


def main(argv=None):
    parser = argparse.ArgumentParser(description="Simulated classified-ad sites over HTTP/1.0.")
    parser.add_argument("--port", type=int, default=0, help="port to listen on (0 = any free one)")
    parser.add_argument("--bind", default="127.0.0.1", help="address to listen on")
    parser.add_argument("--fault", choices=("none",) + MODES, default=None,
                        help="fault for every request from the start")
    parser.add_argument("--latency-ms", type=int, default=0, help="delay before each answer")
    parser.add_argument("--drip-ms", type=float, default=200, help="pause between drip pieces")
    parser.add_argument("--drip-bytes", type=int, default=16, help="size of a drip piece")
    parser.add_argument("--huge-mb", type=float, default=40, help="body size of a huge answer")
    parser.add_argument("--hang-s", type=float, default=600, help="how long a hang lasts")
    parser.add_argument("--refuse-s", type=float, default=5,
                        help="how long refuse lasts (0 = until stopped)")
    parser.add_argument("--published-version", default=PROGRAM_VERSION, metavar="TEXT",
                        help="what the maker's page publishes between its version markers "
                             "(default: the program's own version, %s)" % PROGRAM_VERSION)
    parser.add_argument("--dump", nargs=2, metavar=("HOST", "PATH"),
                        help="print the raw response for HOST and PATH and exit")
    parser.add_argument("--expect", nargs=2, metavar=("HOST", "PATH"),
                        help="print the ads the client reads from that page as JSON lines")
    parser.add_argument("--set", action="append", metavar="NAME=VALUE",
                        help="client setting for --expect: SearchTitles, HasPictures")
    parser.add_argument("--today", help="today's date for --expect (YYYY-MM-DD; default: local date)")
    parser.add_argument("--expect-ad", nargs=2, metavar=("HOST", "PATH"),
                        help="print what the deep scan extracts from that ad page as JSON")
    parser.add_argument("--list-ads", metavar="HOST",
                        help="print ad paths of HOST, one a line (see --kind and --from)")
    parser.add_argument("--kind", help="for --list-ads: only ads of this kind")
    parser.add_argument("--from", dest="source", metavar="PATH",
                        help="for --list-ads: the listing page to take the ads from")
    parser.add_argument("--tls-port", type=int, default=None, metavar="PORT",
                        help="also serve the same pages over TLS on PORT (0 = any free one); "
                             "needs --tls-cert and --tls-key (tools/sitesim/tls_ca.py makes them)")
    parser.add_argument("--tls-cert", metavar="FILE", help="the TLS server's certificate (PEM)")
    parser.add_argument("--tls-key", metavar="FILE", help="the TLS server's key (PEM)")
    parser.add_argument("--https-only", action="store_true",
                        help="answer every plain request with a 301 to the same host and path on https")
    parser.add_argument("--expect-catalogs", metavar="DIR",
                        help="write the nine catalog files a harvest of the simulated world gives")
    args = parser.parse_args(argv)
    try:
        args.published_version.encode("latin-1")
    except UnicodeEncodeError:
        parser.error("--published-version must be Latin-1 text")

    if args.expect_catalogs:
        os.makedirs(args.expect_catalogs, exist_ok=True)
        for name, data in catalog_world.expected_catalogs().items():
            with open(os.path.join(args.expect_catalogs, name), "wb") as f:
                f.write(data)
        return 0

    if args.dump:
        sys.stdout.buffer.write(build_page(*args.dump, args.published_version).raw())
        sys.stdout.buffer.flush()
        return 0
    if args.expect_ad:
        sys.stdout.write(json.dumps(expected_ad(*args.expect_ad), ensure_ascii=True) + "\n")
        sys.stdout.flush()
        return 0
    if args.list_ads:
        site = site_of_host(args.list_ads)
        if args.kind and (site is None or args.kind not in AD_KINDS[site]):
            parser.error("--kind for %s must be one of %s" % (
                args.list_ads, ", ".join(AD_KINDS.get(site, ()))))
        for path in list_ads(args.list_ads, args.kind, args.source):
            sys.stdout.write(path + "\n")
        sys.stdout.flush()
        return 0
    if args.expect:
        today = (datetime.date.fromisoformat(args.today) if args.today
                 else datetime.date.today())
        for row in expected_ads(args.expect[0], args.expect[1], parse_options(args.set), today):
            sys.stdout.write(json.dumps(row, ensure_ascii=True) + "\n")
        sys.stdout.flush()
        return 0

    if (args.tls_port is None) != (args.tls_cert is None) or (args.tls_cert is None) != (args.tls_key is None):
        parser.error("--tls-port, --tls-cert and --tls-key go together")
    if args.https_only and args.tls_port is None:
        parser.error("--https-only needs --tls-port")
    sim = SiteSimulator(bind=args.bind, port=args.port, fault=args.fault,
                        latency_ms=args.latency_ms, drip_ms=args.drip_ms,
                        drip_bytes=args.drip_bytes, huge_mb=args.huge_mb,
                        hang_s=args.hang_s, refuse_s=args.refuse_s,
                        published=args.published_version,
                        tls=tls_context(args.tls_cert, args.tls_key) if args.tls_cert else None,
                        tls_port=args.tls_port or 0, https_only=args.https_only)
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    port = sim.start()
    sys.stdout.write("sitesim listening on %d\n" % port)
    if sim.tls_listener:
        sys.stdout.write("sitesim listening for TLS on %d\n" % sim.tls_port)
    sys.stdout.flush()
    while not stop.wait(0.5):
        pass
    sim.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
