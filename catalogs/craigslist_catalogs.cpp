// Steps 5 to 7 of the catalog download: Craigslist's sections (from the
// Toronto site's section lists), its host-to-state table (from the geography
// pages of every US state, Canadian province and Australian state) and its
// cities (from the geography page of every country).
#include <string>

#include "catalogs/catalog_harvest.h"
#include "catalogs/harvest_steps.h"
#include "catalogs/state_codes.h"
#include "catalogs/subdivisions.h"
#include "core/frontend.h"
#include "core/text.h"
#include "harvest/sites.h"

namespace vemtrix {

const char* const CountryCodeList[kCountryCodeCount] = {
    "AD Andorra", "AE United Arab Emirates", "AF Afghanistan", "AG Antigua and Barbuda", "AI Anguilla",
    "AL Albania", "AM Armenia", "AN Netherlands Antilles", "AO Angola", "AQ Antarctica", "AR Argentina",
    "AS American Samoa", "AT Austria", "AU Australia", "AW Aruba", "AX \xC5land Islands", "AZ Azerbaijan",
    "BA Bosnia and Herzegovina", "BB Barbados", "BD Bangladesh", "BE Belgium", "BF Burkina Faso", "BG Bulgaria",
    "BH Bahrain", "BI Burundi", "BJ Benin", "BL Saint Barth\xE9lemy", "BM Bermuda", "BN Brunei Darussalam",
    "BO Bolivia", "BR Brazil", "BS Bahamas", "BT Bhutan", "BV Bouvet Island", "BW Botswana", "BY Belarus",
    "BZ Belize", "CA Canada", "CC Cocos (Keeling) Islands", "CD Congo, the Democratic Republic of the",
    "CF Central African Republic", "CG Congo", "CH Switzerland", "CI C\xF4te d'Ivoire", "CK Cook Islands",
    "CL Chile", "CM Cameroon", "CN China", "CO Colombia", "CR Costa Rica", "CU Cuba", "CV Cape Verde",
    "CX Christmas Island", "CY Cyprus", "CZ Czech Republic", "DE Germany", "DJ Djibouti", "DK Denmark",
    "DM Dominica", "DO Dominican Republic", "DZ Algeria", "EC Ecuador", "EE Estonia", "EG Egypt",
    "EH Western Sahara", "ER Eritrea", "ES Spain", "ET Ethiopia", "FI Finland", "FJ Fiji",
    "FK Falkland Islands (Malvinas)", "FM Micronesia, Federated States of", "FO Faroe Islands", "FR France",
    "GA Gabon", "GB United Kingdom", "GD Grenada", "GE Georgia", "GF French Guiana", "GG Guernsey", "GH Ghana",
    "GI Gibraltar", "GL Greenland", "GM Gambia", "GN Guinea", "GP Guadeloupe", "GQ Equatorial Guinea",
    "GR Greece", "GS South Georgia and the South Sandwich Islands", "GT Guatemala", "GU Guam",
    "GW Guinea-Bissau", "GY Guyana", "HK Hong Kong", "HM Heard Island and McDonald Islands", "HN Honduras",
    "HR Croatia", "HT Haiti", "HU Hungary", "ID Indonesia", "IE Ireland", "IL Israel", "IM Isle of Man",
    "IN India", "IO British Indian Ocean Territory", "IQ Iraq", "IR Iran, Islamic Republic of", "IS Iceland",
    "IT Italy", "JE Jersey", "JM Jamaica", "JO Jordan", "JP Japan", "KE Kenya", "KG Kyrgyzstan", "KH Cambodia",
    "KI Kiribati", "KM Comoros", "KN Saint Kitts and Nevis", "KP Korea, Democratic People's Republic of",
    "KR Korea, Republic of", "KW Kuwait", "KY Cayman Islands", "KZ Kazakhstan",
    "LA Lao People's Democratic Republic", "LB Lebanon", "LC Saint Lucia", "LI Liechtenstein", "LK Sri Lanka",
    "LR Liberia", "LS Lesotho", "LT Lithuania", "LU Luxembourg", "LV Latvia", "LY Libyan Arab Jamahiriya",
    "MA Morocco", "MC Monaco", "MD Moldova, Republic of", "ME Montenegro", "MF Saint Martin", "MG Madagascar",
    "MH Marshall Islands", "MK Macedonia, the former Yugoslav Republic of", "ML Mali", "MM Myanmar",
    "MN Mongolia", "MO Macao", "MP Northern Mariana Islands", "MQ Martinique", "MR Mauritania", "MS Montserrat",
    "MT Malta", "MU Mauritius", "MV Maldives", "MW Malawi", "MX Mexico", "MY Malaysia", "MZ Mozambique",
    "NA Namibia", "NC New Caledonia", "NE Niger", "NF Norfolk Island", "NG Nigeria", "NI Nicaragua",
    "NL Netherlands", "NO Norway", "NP Nepal", "NR Nauru", "NU Niue", "NZ New Zealand", "OM Oman", "PA Panama",
    "PE Peru", "PF French Polynesia", "PG Papua New Guinea", "PH Philippines", "PK Pakistan", "PL Poland",
    "PM Saint Pierre and Miquelon", "PN Pitcairn", "PR Puerto Rico", "PS Palestinian Territory, Occupied",
    "PT Portugal", "PW Palau", "PY Paraguay", "QA Qatar", "RE R\xE9union", "RO Romania", "RS Serbia",
    "RU Russian Federation", "RW Rwanda", "SA Saudi Arabia", "SB Solomon Islands", "SC Seychelles", "SD Sudan",
    "SE Sweden", "SG Singapore", "SH Saint Helena", "SI Slovenia", "SJ Svalbard and Jan Mayen", "SK Slovakia",
    "SL Sierra Leone", "SM San Marino", "SN Senegal", "SO Somalia", "SR Suriname",
    "ST Sao Tome and Principe", "SV El Salvador", "SY Syrian Arab Republic", "SZ Swaziland",
    "TC Turks and Caicos Islands", "TD Chad", "TF French Southern Territories", "TG Togo", "TH Thailand",
    "TJ Tajikistan", "TK Tokelau", "TL Timor-Leste", "TM Turkmenistan", "TN Tunisia", "TO Tonga", "TR Turkey",
    "TT Trinidad and Tobago", "TV Tuvalu", "TW Taiwan, Province of China", "TZ Tanzania, United Republic of",
    "UA Ukraine", "UG Uganda", "UM United States Minor Outlying Islands", "US United States", "UY Uruguay",
    "UZ Uzbekistan", "VA Holy See (Vatican City State)", "VC Saint Vincent and the Grenadines", "VE Venezuela",
    "VG Virgin Islands, British", "VI Virgin Islands, U.S.", "VN Viet Nam", "VU Vanuatu", "WF Wallis and Futuna",
    "WS Samoa", "YE Yemen", "YT Mayotte", "ZA South Africa", "ZM Zambia", "ZW Zimbabwe",
};

namespace catalogs {
namespace {

struct MasterSection {
  const char* code;
  const char* name;
};
constexpr MasterSection kMasterSections[] = {
    {"ccc", "Community (All)"}, {"eee", "Events (All)"},    {"ggg", "Gigs (All)"},
    {"hhh", "Housing (All)"},   {"jjj", "Jobs (All)"},      {"ppp", "Personals (All)"},
    {"res", "Resumes (All)"},   {"sss", "For Sale (All)"},  {"bbb", "Services (All)"},
};
constexpr int kMasterSectionCount = sizeof kMasterSections / sizeof kMasterSections[0];

constexpr std::string_view kGroupMarker = "<option disabled value=\"\">--";

// The location as logged: with a trailing "/".
std::string WithSlash(const std::string& location) {
  return !location.empty() && location.back() == '/' ? location : location + "/";
}

// Fetches a geography page (no redirect followed) and calls
// city(link, label, redirected) for each city it names: the one a redirect
// points to (a location of one character names none), or each listed link
// with its label. A place not in use logs notInUseLine. False when the page
// could not be downloaded (reported; the run ends).
template <typename City>
bool ForEachGeographyCity(const std::string& path, const std::string& userAgent, const std::string& notInUseLine,
                          City city) {
  std::string response;
  if (!FetchOrReport(kCraigslistGeoHost, path, "", HttpRedirect::Return, userAgent, FatalLine::Indented, response)) {
    return false;
  }
  const GeographyPage geo = ReadGeographyPage(response);
  if (geo.kind == GeographyPage::NotInUse) {
    Log(notInUseLine);
  } else if (geo.kind == GeographyPage::Redirect) {
    if (geo.location.size() > 1) city(geo.location, std::string(), true);
  } else {
    for (const auto& [link, label] : geo.links) city(link, label, false);
  }
  return true;
}

}  // namespace

PageScan ScanCraigslistSections(std::string_view group, std::string_view masterCode) {
  PageScan scan;
  constexpr std::string_view kValue = "value=\"";
  std::size_t at = group.find(kValue);
  while (at != npos) {
    const std::string code(group.substr(at + kValue.size(), 3));
    const std::size_t gt = group.find('>', at + kValue.size());
    if (gt == npos) break;
    std::size_t lineEnd = group.find_first_of("\r\n", gt + 1);
    const std::string_view text = group.substr(gt + 1, lineEnd == npos ? npos : lineEnd - gt - 1);
    const std::string name = ReplaceAll(ProperCase(Trim(text, kBlanks), WordBreak::Blank), "&Amp;", "&");
    scan.rows.push_back({std::string(masterCode), code, name});
    scan.log += "  " + name + "\r\n";
    if (lineEnd == npos) break;
    at = group.find(kValue, lineEnd);
  }
  return scan;
}

GeographyPage ReadGeographyPage(std::string_view response) {
  GeographyPage geo;
  if (Contains(response, "Not Found")) {
    geo.kind = GeographyPage::NotInUse;
    return geo;
  }
  if (Contains(response, "302 Found")) {
    geo.kind = GeographyPage::Redirect;
    const std::string_view after = CutAfter(response, "Location:");
    geo.location = std::string(Trim(after.substr(0, after.find_first_of("\r\n")), kBlanks));
    return geo;
  }
  geo.kind = GeographyPage::List;
  const std::string page = ReplaceAll(ReplaceAll(response, "<b>", ""), "</b>", "");
  const std::string_view list = CutFrom(page, "<div id=\"list\">");
  constexpr std::string_view kAnchor = "<a href=";
  ForEachAnchor(list, kAnchor, [&](std::string& link, std::string& label) {
    geo.links.emplace_back(link, ProperCase(label, WordBreak::Blank));
    return true;
  });
  return geo;
}

bool CraigslistSectionsStep(const std::string& userAgent) {
  ShowStepTitle("Grabbing CL Sections");
  CatalogText out(CatalogId::ClSections);
  for (int n = 1; n <= kMasterSectionCount; ++n) {
    const MasterSection& master = kMasterSections[n - 1];
    out.Add({master.code, master.code, master.name});
    std::string page;
    if (!FetchOrReport(kCraigslistTorontoHost, "/" + std::string(master.code) + "/", kGroupMarker, HttpRedirect::Follow,
                       userAgent, FatalLine::Indented, page)) {
      return false;
    }
    Log("Scanning " + std::to_string(n) + "/9: " + master.name + "\r\n");
    PageScan scan = ScanCraigslistSections(TextBetween(page, kGroupMarker, kGroupMarker), master.code);
    out.Add(scan.rows);
    Log(scan.log);
  }
  return FinishStep(out, FatalLine::Indented, "Section data written to CLsectlist.csv\r\n\r\n");
}

bool CraigslistStatesStep(const std::string& userAgent) {
  ShowStepTitle("Grabbing CL States");
  CatalogText out(CatalogId::ClStates);
  CatalogTable& states = StateTable();
  ClearCatalog(states);
  Log("\r\nAttempting to build state to URI table\r\n");

  struct Country {
    const SubdivisionTable* table;
    const char* path;
    const char* what;
  };
  const Country countries[] = {{&kUsStateTable, "us", " US states"},
                               {&kCanadianProvinceTable, "ca", " Canadian provinces"},
                               {&kAustralianStateTable, "au", " Australian states"}};
  for (const Country& country : countries) {
    const int count = SubdivisionCount(*country.table);
    Log("  Scanning " + std::to_string(count) + country.what + "\r\n");
    for (int i = 1; i <= count; ++i) {
      const std::string name = SubdivisionName(*country.table, i);
      const std::string code = SubdivisionCode(*country.table, i);
      Log("    " + std::to_string(i) + "/" + std::to_string(count) + " " + name + "...\r\n");
      // The table holds 1200 rows; rows past that are left out of it (the
      // file keeps them, and loading it stops at the same limit).
      const bool fetched = ForEachGeographyCity(
          "/iso/" + std::string(country.path) + "/" + ToLower(code), userAgent,
          "      " + name + " is not in use on Craigslist.\r\n",
          [&](const std::string& link, const std::string& label, bool redirected) {
            out.Add({link, name, code});
            AppendCatalogRow(states, {link, name, code});
            Log(redirected ? "      Default city redirects to " + WithSlash(link) + "\r\n"
                           : "      Found: " + link + " (" + label + ")\r\n");
          });
      if (!fetched) return false;
    }
  }
  return FinishStep(out, FatalLine::Indented, "Output written to CLstatelist.csv\r\n\r\n");
}

bool CraigslistCitiesStep(const std::string& userAgent) {
  ShowStepTitle("Grabbing CL Cities");
  CatalogText out(CatalogId::ClCities);
  for (int i = 1; i <= kCountryCodeCount; ++i) {
    const std::string_view entry = CountryCodeList[i - 1];
    const std::string code(entry.substr(0, 2));
    const std::string name(entry.substr(3));
    const std::string region = RegionOfCountry(code);
    Log(std::to_string(i) + "/" + std::to_string(kCountryCodeCount) + ": " + name + "...\r\n");
    const bool fetched = ForEachGeographyCity(
        "/iso/" + ToLower(code), userAgent, "  " + name + " is not in use on Craigslist.\r\n",
        [&](const std::string& link, const std::string& label, bool redirected) {
          out.Add({region, code, name, StateCodeForLink(link), redirected ? "Default" : label, link});
          Log(redirected ? "   Default city redirects to " + WithSlash(link) + "\r\n"
                         : "   " + label + " at " + link + "\r\n");
        });
    if (!fetched) return false;
  }
  if (!FinishStep(out, FatalLine::Indented, "Output written to CLcitylist.csv\r\n")) return false;
  ClearCatalog(StateTable());
  return true;
}

}  // namespace catalogs
}  // namespace vemtrix
