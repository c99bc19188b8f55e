"""The simulated sites' catalog pages, and the catalog files a client builds
from them.

A small, complete world: Backpage's front page and Los Angeles section index,
Daype's front page and Los Angeles classifieds page, Craigslist's Toronto
section lists and its geography pages (states, provinces and countries that
list cities, that redirect to one city, or that are not in use), Kijiji's Los
Angeles page, Canadian front page (UTF-8 province and city names), US front
page and state pages.

The pages are rendered from the world's data below; expected_catalogs()
derives the nine files from the same data by the harvesting rules, written
here on their own terms (it never reads the pages back).

Standard library only; text is code points 0-255, sent as Latin-1 bytes.
"""

# Hosts of the catalog pages (the client's configured hosts).
CL_GEO = "geo.craigslist.org"
CL_TORONTO = "toronto.craigslist.ca"
KJ_CA = "www.kijiji.ca"
KJ_US = "www.kijiji.com"
KJ_LA = "losangeles.kijiji.com"
BP_HOME = "www.backpage.com"
BP_LA = "losangeles.backpage.com"
DA_HOME = "www.daype.com"
DA_LA = "losangeles.daype.com"

# ---------------------------------------------------------------------------
# Reference tables (the client has its own copies)

US_STATES = [
    ("Alabama", "AL"), ("Alaska", "AK"), ("Arizona", "AZ"), ("Arkansas", "AR"), ("California", "CA"),
    ("Colorado", "CO"), ("Connecticut", "CT"), ("Delaware", "DE"), ("District of Columbia", "DC"),
    ("Florida", "FL"), ("Georgia", "GA"), ("Hawaii", "HI"), ("Idaho", "ID"), ("Illinois", "IL"),
    ("Indiana", "IN"), ("Iowa", "IA"), ("Kansas", "KS"), ("Kentucky", "KY"), ("Louisiana", "LA"),
    ("Maine", "ME"), ("Maryland", "MD"), ("Massachusetts", "MA"), ("Michigan", "MI"),
    ("Minnesota", "MN"), ("Mississippi", "MS"), ("Missouri", "MO"), ("Montana", "MT"),
    ("Nebraska", "NE"), ("Nevada", "NV"), ("New Hampshire", "NH"), ("New Jersey", "NJ"),
    ("New Mexico", "NM"), ("New York", "NY"), ("North Carolina", "NC"), ("North Dakota", "ND"),
    ("Ohio", "OH"), ("Oklahoma", "OK"), ("Oregon", "OR"), ("Pennsylvania", "PA"),
    ("Rhode Island", "RI"), ("South Carolina", "SC"), ("South Dakota", "SD"), ("Tennessee", "TN"),
    ("Texas", "TX"), ("Utah", "UT"), ("Vermont", "VT"), ("Virginia", "VA"), ("Washington", "WA"),
    ("West Virginia", "WV"), ("Wisconsin", "WI"), ("Wyoming", "WY"),
]
CA_PROVINCES = [
    ("Ontario", "ON"), ("Quebec", "QC"), ("Nova Scotia", "NS"), ("New Brunswick", "NB"),
    ("Manitoba", "MB"), ("British Columbia", "BC"), ("Prince Edward Island", "PE"),
    ("Saskatchewan", "SK"), ("Alberta", "AB"), ("Newfoundland and Labrador", "NL"),
    ("Yukon Territory", "YT"), ("Nunavut", "NU"), ("Northwest Territories", "NT"),
]
AU_STATES = [
    ("New South Wales", "NSW"), ("Queensland", "QLD"), ("South Australia", "SA"),
    ("Tasmania", "TAS"), ("Victoria", "VIC"), ("Western Australia", "WA"),
    ("Australian Capital Territory", "ACT"), ("Northern Territory", "NT"),
]
SUBDIVISION_TABLES = [("us", US_STATES), ("ca", CA_PROVINCES), ("au", AU_STATES)]


def _lower(text):
    return "".join(chr(ord(c) + 32) if "A" <= c <= "Z" else c for c in text)


def _upper(text):
    return "".join(chr(ord(c) - 32) if "a" <= c <= "z" else c for c in text)


def subdivision(value, want_country):
    """Name <-> code over the US and Canadian tables; "Error" when unknown."""
    is_code = len(value) == 2
    key = _upper(value) if is_code else _lower(value)
    for country, table in (("United States", US_STATES), ("Canada", CA_PROVINCES)):
        for name, code in table:
            if (code if is_code else _lower(name)) == key:
                return country if want_country else (name if is_code else code)
    return "Error"


def proper(text):
    """Per word (split at blanks): first letter upper-case, other letters lower-case."""
    out, seen = [], False
    for c in text:
        if c in " \t\r\n":
            seen = False
        elif c.isascii() and c.isalpha():
            c = _lower(c) if seen else _upper(c)
            seen = True
        out.append(c)
    return "".join(out)


def fold(text):
    """UTF-8 French accents (as Latin-1 code points) to ASCII."""
    for accented, plain in (("\u00c0", "A"), ("\u00e0", "a"), ("\u00c2", "A"), ("\u00e2", "a"),
                            ("\u00c7", "C"), ("\u00e7", "c"), ("\u00c9", "E"), ("\u00e9", "e"),
                            ("\u00c8", "E"), ("\u00e8", "e"), ("\u00ca", "E"), ("\u00ea", "e"),
                            ("\u00cb", "E"), ("\u00eb", "e"), ("\u00ce", "I"), ("\u00ee", "i"),
                            ("\u00cf", "I"), ("\u00ef", "i"), ("\u00d4", "O"), ("\u00f4", "o"),
                            ("\u0152", "OE"), ("\u0153", "oe"), ("\u00d9", "U"), ("\u00f9", "u"),
                            ("\u00db", "U"), ("\u00fb", "u"), ("\u00dc", "U"), ("\u00fc", "u"),
                            ("\u0178", "Y"), ("\u00ff", "y")):
        text = text.replace(utf8(accented), plain)
    return text


def utf8(text):
    """text as its UTF-8 bytes, one code point per byte (how the page carries it)."""
    return text.encode("utf-8").decode("latin-1")


# ---------------------------------------------------------------------------
# Backpage

# (label on the front page, link on the front page) and the row it gives.
BP_FRONT = [
    ("Birmingham, AL", "http://birmingham.backpage.com/"),
    ("Alabama", "http://alabama.backpage.com/"),
    ("Toronto, ON", "http://toronto.backpage.com/online/classifieds"),
    ("East Idaho", "http://eastidaho.backpage.com/"),
    ("Halifax", "http://halifax.backpage.com/"),
    ("Puerto Rico", "http://puertorico.backpage.com/"),
    ("Tijuana", "http://tijuana.backpage.com/"),
    ("Washington DC", "http://dc.backpage.com/"),
    ("Winnipeg", "http://winnipeg.backpage.com/"),
    ("new york city,  ny ", "http://newyork.backpage.com/index.html"),
    ("Quebec City, qc", "http://quebeccity.backpage.com/"),
    ("Atlantis", "http://atlantis.backpage.com/"),
    ("Gotham, ZZ", "http://gotham.backpage.com/"),
]
BP_CORRECTIONS = {
    "east idaho": ("Eastern", "Idaho", "ID", "United States"),
    "halifax": ("Halifax", "Nova Scotia", "NS", "Canada"),
    "puerto rico": ("Default", "Puerto Rico", "PR", "United States"),
    "tijuana": ("Tijuana", "Baja California", "BC", "Mexico"),
    "washington dc": ("Washington", "District Of Columbia", "DC", "United States"),
    "winnipeg": ("Winnipeg", "Manitoba", "MB", "Canada"),
}


def backpage_front():
    links = "\n".join('<a href="%s">%s</a> |' % (link, label) for label, link in BP_FRONT)
    return ('<html><head><title>backpage.com</title></head>\n<body>\n'
            '<div id="logo"><a href="http://www.backpage.com/">backpage.com</a></div>\n'
            '<p class="cityLinkList">\n%s\n</p>\n'
            '<div class="littleText"><a href="http://www.backpage.com/online/About">about us</a>'
            ' <a href="http://notacity.backpage.com/">Not A City, XX</a></div>\n</body></html>\n' % links)


def backpage_city_rows():
    rows = []
    for label, link in BP_FRONT:
        root = link[:link.index(".com") + 5]
        if "," not in label:
            fixed = BP_CORRECTIONS.get(_lower(label))
            if fixed:
                city, name, code, country = fixed
            else:
                city, name = "Default", proper(label)
                code = subdivision(name, False)
                country = subdivision(code, True)
        else:
            city = proper(label.split(",")[0]).strip()
            code = _upper(label.split(",")[1]).strip()
            name, country = subdivision(code, False), subdivision(code, True)
        rows.append([country, code, name, city, root])
    return rows


# Links of the Los Angeles classifieds index, in page order: (href, label).
BP_INDEX = [
    ("/BuySellTrade/?section=4378", "buy, sell, trade"),
    ("/FurnitureForSale/?category=4380", "furniture"),
    ("/ElectronicsForSale/?category=4424", "electronics &amp; computers"),
    ("http://losangeles.backpage.com/AutosForSale/?section=4390&page=1", "autos&nbsp;/ trucks"),
    ("/AutoPartsForSale/?category=4426", "parts &gt; accessories"),
    ("/Jobs/?section=4400", "JOBS"),
    ("/PartTimeJobs/?category=4405&workStatus=Part-time", "part-time"),
    ("/AdminJobs/?category=4401", "admin/ office"),
    ("/WomenSeekWomen/", "women seeking women"),
    ("/MenSeekWomen/?category=4385", "men seeking women"),
    ("/Blog/", "blog"),
]
BP_INDEX_AFTER = [("/Hidden/?section=9999", "hidden")]


def backpage_index():
    links = "\n".join('<li><a href="%s">%s</a></li>' % item for item in BP_INDEX)
    after = "\n".join('<a href="%s">%s</a>' % item for item in BP_INDEX_AFTER)
    return ('<html><head><title>backpage.com | Los Angeles</title></head>\n<body>\n'
            '<a href="/online/classifieds/PostAdPPI.html/lax/losangeles.backpage.com/">post ad</a>\n'
            '<div id="indexSectionButtons"><ul>\n%s\n</ul></div>\n'
            '<script type="text/javascript">var x = 1;</script>\n%s\n</body></html>\n' % (links, after))


def backpage_section_rows():
    rows, section, section_name = [], "0", ""
    for href, label in BP_INDEX:
        link = ("http://" + BP_LA + href) if href.startswith("/") else href
        if "workStatus=Part-time" in link:
            continue
        label = proper(label.replace("&nbsp;", " ").replace("&amp;", "&").replace("/ ", "/"))
        if "section=" in link:
            section = link.split("=")[1].split("&")[0]
            section_name = label
        else:
            if "womenseekwomen" in _lower(link):
                section, section_name = "4383", "Personals"
                rows.append(["4383", "Personals", "0", "", ""])
            if "category=" not in link:
                continue
        if "category=" in link:
            category = link.split("=")[1]
            category_name = label.replace("&Gt;", ">").replace("&Lt;", "<")
        else:
            category, category_name = "0", ""
        rows.append([section, section_name, category, category_name, link.split("/")[3]])
    return rows


# ---------------------------------------------------------------------------
# Daype

# (state heading, [(city, link on the page)]).
DA_STATES = [
    ("California", [("Los Angeles", "http://losangeles.daype.com/classifieds.html"),
                    ("San Francisco", "http://sanfrancisco.daype.com/")]),
    ("Maryland", [("Baltimore", "http://baltimore.daype.com/classifieds.html"),
                  ("Washington DC", "http://washingtondc.daype.com/classifieds.html"),
                  ("Bethesda", "http://bethesda.daype.com/")]),
    ("New York", [("New York City", "http://newyork.daype.com/classifieds.html")]),
    ("Puerto Rico", [("San Juan", "http://sanjuan.daype.com/")]),
]


def daype_front():
    parts = []
    for state, cities in DA_STATES:
        parts.append("<tr><td><span class='head1'>%s</span><br>" % state)
        parts += ['<a href="%s">%s</a><br>' % (link, city) for city, link in cities]
        parts.append("</td></tr>")
    return ('<html><head><link href="http://www.daype.com/style.css" rel="stylesheet"></head>\n'
            '<body><table>\n%s\n</table>\n<div class="bg_footer"><a href="http://www.daype.com/'
            'about.html">About Daype</a></div>\n</body></html>\n' % "\n".join(parts))


def daype_city_rows():
    rows = []
    for state, cities in DA_STATES:
        for city, link in cities:
            root = link[:link.index("/", 7) + 1]
            if _lower(city) == "washington dc":
                city, state = "Washington", "District of Columbia"
            rows.append(["United States", subdivision(state, False), state, city, root])
    return rows


# (super-section heading, [(directory, category, label)]).
DA_SECTIONS = [
    ("For Sale", [("furniture", "12", "furniture &amp; decor"), ("bikes", "13", "bikes")]),
    ("Housing", [("apartments", "21", "apartments")]),
    ("Jobs", [("jobs-office", "31", "office &amp; admin"), ("jobs-trades", "32", "skilled trades")]),
]


def daype_index():
    rows = []
    for heading, sections in DA_SECTIONS:
        rows.append("<tr><td class=head1>%s</td></tr>" % heading)
        rows += ['<tr><td><a href="http://%s/classifieds/%s/%s/">%s</a></td></tr>' % (DA_LA, d, c, label)
                 for d, c, label in sections]
    return ('<html><head><link href="http://%s/style.css" rel="stylesheet"></head>\n<body>\n'
            '<table>\n%s\n</table>\n<div class=bg_footer><a href="http://%s/">Daype</a></div>\n'
            '</body></html>\n' % (DA_LA, "\n".join(rows), DA_HOME))


def daype_section_rows():
    return [[heading, category, label.replace("&amp;", "&"), directory]
            for heading, sections in DA_SECTIONS for directory, category, label in sections]


# ---------------------------------------------------------------------------
# Craigslist

CL_MASTERS = [("ccc", "Community (All)", "community"), ("eee", "Events (All)", "events"),
              ("ggg", "Gigs (All)", "gigs"), ("hhh", "Housing (All)", "housing"),
              ("jjj", "Jobs (All)", "jobs"), ("ppp", "Personals (All)", "personals"),
              ("res", "Resumes (All)", "resumes"), ("sss", "For Sale (All)", "for sale"),
              ("bbb", "Services (All)", "services")]
# Each group's sections as the Toronto section list shows them.
CL_GROUPS = {
    "ccc": [("act", "activities"), ("com", "general  "), ("vnn", "local news &amp; views")],
    "eee": [("eve", "events"), ("cls", "CLASSES")],
    "ggg": [("cpg", "computer gigs"), ("crg", "creative gigs")],
    "hhh": [("apa", "apts / housing"), ("roo", "rooms / shared")],
    "jjj": [("acc", "accounting+finance"), ("sof", "software / qa / dba")],
    "ppp": [("stp", "strictly platonic"), ("w4w", "women seeking women")],
    "res": [],
    "sss": [("bar", "barter"), ("bik", "bikes"), ("cto", "cars &amp; trucks"), ("fuo", "furniture")],
    "bbb": [("cps", "computer"), ("hss", "household")],
}
CL_CRLF_GROUPS = ("sss",)   # pages with CR LF line ends


def craigslist_section_page(code):
    """The section list of one group, followed by the next group's (which
    the client must not read)."""
    codes = [m[0] for m in CL_MASTERS]
    if code not in codes:
        return None
    nl = "\r\n" if code in CL_CRLF_GROUPS else "\n"
    title = dict((m[0], m[2]) for m in CL_MASTERS)
    following = codes[(codes.index(code) + 1) % len(codes)]
    lines = ['<html><head><title>toronto craigslist &gt; %s</title></head><body>' % title[code],
             '<form action="/search/%s" method="get">' % code,
             '<input type="hidden" name="areaID" value="7">',
             '<select name="catAbb" id="cAbb">']
    for group in (code, following):
        lines.append('<option disabled value="">--%s:' % title[group])
        lines += ['<option value="%s">%s' % (sub, label) for sub, label in CL_GROUPS[group]]
    lines += ['</select>', '<input type="submit" value="search">', '</form></body></html>', '']
    return nl.join(lines)


def craigslist_section_rows():
    rows = []
    for code, name, _ in CL_MASTERS:
        rows.append([code, code, name])
        rows += [[code, sub, proper(label.strip()).replace("&Amp;", "&")]
                 for sub, label in CL_GROUPS[code]]
    return rows


# Geography: (country path, lower-cased code) for states and provinces, or the
# lower-cased country code. A value is ("list", [(link, label)]) or
# ("redirect", location); anything else is not in use ("Not Found").
CL_GEOGRAPHY = {
    ("us", "al"): ("list", [("http://bham.craigslist.org/", "birmingham, AL"),
                            ("http://huntsville.craigslist.org/", "<b>huntsville</b> / decatur")]),
    ("us", "ca"): ("list", [("http://losangeles.craigslist.org/", "<b>los angeles</b>"),
                            ("http://sfbay.craigslist.org/", "SF bay area"),
                            ("http://sandiego.craigslist.org/", "san diego")]),
    ("us", "dc"): ("redirect", "http://washingtondc.craigslist.org/"),
    ("us", "de"): ("redirect", "http://delaware.craigslist.org"),
    ("us", "ny"): ("list", [("http://newyork.craigslist.org/", "<b>new york city</b>"),
                            ("http://albany.craigslist.org/", "albany")]),
    ("us", "wa"): ("list", [("http://seattle.craigslist.org/", "seattle-tacoma")]),
    ("ca", "on"): ("list", [("http://toronto.craigslist.ca/", "<b>toronto</b>"),
                            ("http://ottawa.craigslist.ca/", "ottawa-hull-gatineau")]),
    ("ca", "qc"): ("list", [("http://montreal.craigslist.ca/", "montreal")]),
    ("ca", "bc"): ("redirect", "http://vancouver.craigslist.ca/"),
    ("au", "nsw"): ("list", [("http://sydney.craigslist.com.au/", "sydney")]),
    ("au", "vic"): ("redirect", "http://melbourne.craigslist.com.au/"),
    ("au", "wa"): ("list", [("http://perth.craigslist.com.au/", "perth")]),
    "au": ("list", [("http://sydney.craigslist.com.au/", "sydney"),
                    ("http://melbourne.craigslist.com.au/", "melbourne"),
                    ("http://perth.craigslist.com.au/", "perth")]),
    "ca": ("list", [("http://toronto.craigslist.ca/", "<b>toronto</b>"),
                    ("http://ottawa.craigslist.ca/", "ottawa"),
                    ("http://montreal.craigslist.ca/", "montreal"),
                    ("http://vancouver.craigslist.ca/", "<b>vancouver</b>"),
                    ("http://calgary.craigslist.ca/", "calgary")]),
    "ci": ("redirect", "http://abidjan.craigslist.org/"),
    "fr": ("redirect", "http://paris.fr.craigslist.org/"),
    "gb": ("list", [("http://london.craigslist.co.uk/", "<b>london</b>"),
                    ("http://manchester.craigslist.co.uk/", "manchester")]),
    "jm": ("redirect", "http://jamaica.craigslist.org"),
    "mx": ("redirect", "http://mexicocity.craigslist.com.mx/"),
    "us": ("list", [("http://bham.craigslist.org/", "birmingham"),
                    ("http://losangeles.craigslist.org/", "<b>los angeles</b>"),
                    ("http://washingtondc.craigslist.org/", "washington, DC"),
                    ("http://delaware.craigslist.org/", "delaware"),
                    ("http://newyork.craigslist.org/", "<b>new york</b>"),
                    ("http://seattle.craigslist.org/", "seattle"),
                    ("http://guam.craigslist.org/", "guam")]),
    "zw": ("redirect", "/"),
}
# The world's countries: code and name as the client's country list has them,
# and the region the client's region table gives.
CL_COUNTRIES = [("AU", "Australia", "Oceania"), ("CA", "Canada", "North America"),
                ("CI", "C\u00f4te d'Ivoire", "Africa"), ("FR", "France", "Europe"),
                ("GB", "United Kingdom", "Europe"), ("JM", "Jamaica", "Other"),
                ("MX", "Mexico", "Central America"), ("US", "United States", "North America"),
                ("ZW", "Zimbabwe", "Africa")]


def craigslist_geo(key):
    """(status, body, location) of one geography page, None when not in use."""
    entry = CL_GEOGRAPHY.get(key)
    if entry is None:
        return None
    kind, value = entry
    if kind == "redirect":
        return 302, '<html><body>moved to <a href="%s">here</a></body></html>\n' % value, value
    where = "%s &gt; %s" % key if isinstance(key, tuple) else key
    links = "\n".join('<a href="%s">%s</a> <br>' % item for item in value)
    body = ('<html>\n<head><title>craigslist: %s</title></head>\n<body>\n'
            '<h3><b><a href="http://www.craigslist.org/">craigslist</a> &gt; %s</b></h3>\n'
            '<h4>choose the site nearest you (<a href="http://forums.craigslist.org/">'
            'or suggest a new one</a>):</h4>\n<div id="list">%s\n</div>\n</body>\n</html>\n'
            % (where, where, links))
    return 200, body, None


def _geo_links(entry):
    return [(link, proper(label.replace("<b>", "").replace("</b>", ""))) for link, label in entry[1]]


def craigslist_state_rows():
    rows = []
    for path, table in SUBDIVISION_TABLES:
        for name, code in table:
            entry = CL_GEOGRAPHY.get((path, _lower(code)))
            if entry is None:
                continue
            if entry[0] == "redirect":
                if len(entry[1]) > 1:
                    rows.append([entry[1], name, code])
            else:
                rows += [[link, name, code] for link, _ in _geo_links(entry)]
    return rows


def craigslist_city_rows():
    states = craigslist_state_rows()

    def state_of(link):
        link = _lower(link)
        return next((code for uri, _, code in states if _lower(uri) in link), "--")

    rows = []
    for code, name, region in sorted(CL_COUNTRIES):
        entry = CL_GEOGRAPHY[_lower(code)]
        if entry[0] == "redirect":
            if len(entry[1]) > 1:
                rows.append([region, code, name, state_of(entry[1]), "Default", entry[1]])
        else:
            rows += [[region, code, name, state_of(link), label, link] for link, label in _geo_links(entry)]
    return rows


# ---------------------------------------------------------------------------
# Kijiji

# Los Angeles page: (master link, master label, [(link, label)]). A master
# link without "?catId=" ends the client's list there; a section link without
# it ends that master's list.
KJ_MASTERS = [
    ("http://losangeles.kijiji.com/buy-and-sell/?catId=10", "buy and sell",
     [("http://losangeles.kijiji.com/furniture/?catId=27", "furniture"),
      ("http://losangeles.kijiji.com/bikes/?catId=7", "BIKES"),
      ("http://losangeles.kijiji.com/electronics/?catId=15", "electronics")]),
    ("http://losangeles.kijiji.com/cars-vehicles/?catId=26", "cars and vehicles",
     [("http://losangeles.kijiji.com/cars/?catId=174", "cars"),
      ("http://losangeles.kijiji.com/auto-parts/", "auto parts"),
      ("http://losangeles.kijiji.com/boats/?catId=29", "boats")]),
    ("http://losangeles.kijiji.com/housing/?catId=34", "housing",
     [("http://losangeles.kijiji.com/apartments/?catId=37", "apartments for rent"),
      ("http://losangeles.kijiji.com/roommates/?catId=36", "ROOMMATES")]),
    ("http://losangeles.kijiji.com/services/", "services",
     [("http://losangeles.kijiji.com/lessons/?catId=86", "lessons")]),
    ("http://losangeles.kijiji.com/jobs/?catId=45", "jobs",
     [("http://losangeles.kijiji.com/office/?catId=46", "office")]),
]


def kijiji_la_page():
    parts = ['<html><head><title>Los Angeles classifieds - Kijiji</title></head><body>',
             '<ul id="nav"><li><a href="http://losangeles.kijiji.com/post">Post an ad</a></li></ul>']
    for link, label, sections in KJ_MASTERS:
        parts.append('<div class="category"><h2 class="title"><a href="%s">%s</a></h2><ul>' % (link, label))
        parts += ['<li><a href="%s">%s</a></li>' % item for item in sections]
        parts.append("</ul></div>")
    parts += ["</body></html>", ""]
    return "\n".join(parts)


def _split_section_url(url):
    rest = url.split(".com/", 1)[1]
    if "?catId=" not in rest:
        return None
    return rest.split("/")[0], rest.split("?catId=", 1)[1]


def kijiji_section_rows():
    rows = []
    for link, label, sections in KJ_MASTERS:
        master = _split_section_url(link)
        if master is None:
            break
        name = proper(label)
        rows.append([name, master[1], master[0], name])
        for sub_link, sub_label in sections:
            sub = _split_section_url(sub_link)
            if sub is None:
                break
            rows.append([name, sub[1], sub[0], proper(sub_label)])
    return rows


# Canadian front page: (province, [(link, city, bold)]), names in UTF-8.
KJ_PROVINCES = [
    ("Ontario", [("http://toronto.kijiji.ca", "Toronto (GTA)", False),
                 ("http://ottawa.kijiji.ca", "Ottawa", True)]),
    (utf8("Qu\u00e9bec"), [("http://montreal.kijiji.ca", utf8("Montr\u00e9al"), True),
                           ("http://quebec.kijiji.ca/ville-de-" + utf8("qu\u00e9bec"),
                            utf8("Ville de Qu\u00e9bec"), False),
                           ("http://troisrivieres.kijiji.ca", utf8("Trois-Rivi\u00e8res"), False)]),
    ("Nova Scotia", [("http://halifax.kijiji.ca", "Halifax", False)]),
]
KJ_OUTSIDE = [("Elsewhere", [("http://nowhere.kijiji.ca", "Nowhere", False)])]


def _province_html(provinces):
    parts = []
    for province, cities in provinces:
        parts.append('<h2 class="homeMetaCatName">%s</h2><ul>' % province)
        for link, city, bold in cities:
            anchor = '<a href="%s">%s</a>' % (link, city)
            parts.append("<li><b>%s</b></li>" % anchor if bold else "<li>%s</li>" % anchor)
        parts.append("</ul>")
    return "\n".join(parts)


def kijiji_ca_front():
    return ('<html><head><meta charset="utf-8"><title>Kijiji Canada</title></head><body>\n'
            '<div class="catlist">\n%s\n</div>\n<div class="more">\n%s\n</div>\n</body></html>\n'
            % (_province_html(KJ_PROVINCES), _province_html(KJ_OUTSIDE)))


# US front page: (state, slug, [(city, link)]); other links have no "/state/".
KJ_US_STATES = [
    ("California", "california", [("Los Angeles", "http://losangeles.kijiji.com/"),
                                  ("San Diego", "http://sandiego.kijiji.com/")]),
    ("New York", "new-york", [("New York City", "http://newyork.kijiji.com/")]),
    ("Texas", "texas", [("Austin", "http://austin.kijiji.com/"), ("Dallas", "http://dallas.kijiji.com/")]),
]


def kijiji_us_front():
    states = "\n".join('<a href="http://%s/state/%s">%s</a><br>' % (KJ_US, slug, state)
                       for state, slug, _ in KJ_US_STATES[:2])
    return ('<html><head><title>Kijiji</title></head><body>\n'
            '<a href="http://%s/state/nowhere">Before The List</a>\n'
            '<p>To find classifieds near you, please click on your state below:</p>\n%s\n'
            '<a href="http://%s/help">Help</a><br>\n'
            '<a href="http://%s/state/%s">%s</a><br>\n</body></html>\n'
            % (KJ_US, states, KJ_US, KJ_US, KJ_US_STATES[2][1], KJ_US_STATES[2][0]))


def kijiji_state_page(slug):
    for state, s, cities in KJ_US_STATES:
        if s == slug:
            links = "\n".join('<a href="%s">%s</a><br>' % (link, city) for city, link in cities)
            return ('<html><head><title>Kijiji: %s</title></head><body>\n'
                    '<a href="http://%s/">Home</a>\n<div class="cities">Please select a city below'
                    '<br>\n%s\n</div>\n<a href="http://%s/state/nevada">Nevada</a>\n</body></html>\n'
                    % (state, KJ_US, links, KJ_US))
    return None


def kijiji_city_rows():
    rows = [["Canada", fold(province), fold(city), fold(link)]
            for province, cities in KJ_PROVINCES for link, city, _ in cities]
    rows += [["United States", state, city, link]
             for state, _, cities in KJ_US_STATES for city, link in cities]
    return rows


# ---------------------------------------------------------------------------
# The pages by host and path, and the expected files

def page(host, path):
    """(status, body, location) of a catalog page, or None when (host, path)
    is not one."""
    host = _lower(host)
    if host == CL_GEO and path.startswith("/iso/"):
        parts = path[len("/iso/"):].split("/")
        key = parts[0] if len(parts) == 1 else tuple(parts) if len(parts) == 2 else None
        return craigslist_geo(key) if key else None
    if host == CL_TORONTO and len(path) == 5 and path[0] == "/" and path[4] == "/":
        body = craigslist_section_page(path[1:4])
        return (200, body, None) if body else None
    pages = {
        (BP_HOME, "/"): backpage_front, (BP_LA, "/online/classifieds/index"): backpage_index,
        (DA_HOME, "/"): daype_front, (DA_LA, "/classifieds.html"): daype_index,
        (KJ_LA, "/"): kijiji_la_page, (KJ_CA, "/"): kijiji_ca_front, (KJ_US, "/"): kijiji_us_front,
    }
    if (host, path) in pages:
        return 200, pages[(host, path)](), None
    if host == KJ_US and path.startswith("/state/"):
        body = kijiji_state_page(path[len("/state/"):])
        return (200, body, None) if body else None
    return None


HEADERS = {
    "BPcitylist.csv": ["Country", "StateCode", "StateName", "CityName", "CityURL"],
    "BPsectlist.csv": ["Section", "SectionName", "Category", "CategoryName", "DirectoryName"],
    "DAcitylist.csv": ["Country", "StateCode", "StateName", "CityName", "CityURL"],
    "DAsectlist.csv": ["SectionName", "Category", "CategoryName", "SectionURL"],
    "CLsectlist.csv": ["MasterSectionCode", "SectionCode", "SectionName"],
    "CLstatelist.csv": ["CityURI", "StateName", "StateCode"],
    "CLcitylist.csv": ["Region", "CountryCode", "CountryName", "StateCode", "CityName", "CityURL"],
    "KJsectlist.csv": ["MasterSectionName", "SectionID", "SectionDir", "SectionName"],
    "KJcitylist.csv": ["Country", "State", "City", "URL"],
}


def expected_catalogs():
    """{file name: bytes} of the nine files a harvest of this world writes."""
    rows = {
        "BPcitylist.csv": backpage_city_rows(), "BPsectlist.csv": backpage_section_rows(),
        "DAcitylist.csv": daype_city_rows(), "DAsectlist.csv": daype_section_rows(),
        "CLsectlist.csv": craigslist_section_rows(), "CLstatelist.csv": craigslist_state_rows(),
        "CLcitylist.csv": craigslist_city_rows(), "KJsectlist.csv": kijiji_section_rows(),
        "KJcitylist.csv": kijiji_city_rows(),
    }
    files = {}
    for name, header in HEADERS.items():
        lines = [header] + rows[name]
        text = "".join(",".join('"%s"' % v for v in line) + "\r\n" for line in lines)
        files[name] = text.encode("latin-1")
    return files
