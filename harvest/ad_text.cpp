#include "harvest/ad_text.h"

#include "core/text.h"
#include "harvest/sites.h"

namespace vemtrix {
namespace {

// From the first start marker through the next end marker (to the end of the
// text when it does not follow); empty when the start marker is missing.
std::string_view FromThrough(std::string_view text, std::string_view start, std::string_view end) {
  std::size_t from = text.find(start);
  if (from == std::string_view::npos) return {};
  std::size_t to = text.find(end, from + start.size());
  return to == std::string_view::npos ? text.substr(from) : text.substr(from, to + end.size() - from);
}

// From `from` on, up to the next end marker (to the end when it is missing).
std::string_view UpTo(std::string_view text, std::size_t from, std::string_view end) {
  if (from >= text.size()) return {};
  std::size_t to = text.find(end, from);
  return text.substr(from, to == std::string_view::npos ? std::string_view::npos : to - from);
}

std::string Craigslist(std::string_view page) {
  const std::string_view body = "<div id=\"userbody\">";
  std::size_t bodyAt = page.find(body);
  if (bodyAt == std::string_view::npos) return std::string(page);
  std::string_view contact = FromThrough(page, "<a href=\"mailto:", "</a>");
  std::string text = contact.empty() ? "Could not find a valid email address." : std::string(contact);
  text += "<br /><br />\r\n";
  text += UpTo(page, bodyAt + body.size(), "</div>");
  return text;
}

std::string KijijiCanada(std::string_view page) {
  std::string_view heading = FromThrough(page, "<h1 id=\"preview-local-title\">", "</h1>");
  if (heading.empty()) return std::string(page);
  std::string_view picture;
  std::size_t zoom = page.find("title='Zoom'>");
  if (zoom != std::string_view::npos) picture = FromThrough(page.substr(zoom + 13), "", "/>");
  std::string_view description = FromThrough(page, "<span id=\"preview-local-desc\">", "</span>");
  return std::string(heading) + std::string(description) + "<br />\r\n" + std::string(picture);
}

std::string KijijiUs(std::string_view page) {
  std::string_view heading = FromThrough(page, "<h1 id=\"ad-title\">", "</h1>");
  if (heading.empty()) return std::string(page);
  std::string_view picture;
  std::size_t stack = page.find("class=\"imageStack\"");
  if (stack != std::string_view::npos && stack + 19 <= page.size()) {
    picture = FromThrough(page.substr(stack + 19), "", "/>");
  }
  std::string_view description;
  std::size_t h3 = page.find("<span class=\"h3\">");
  if (h3 != std::string_view::npos) description = TextBetween(page.substr(h3), "<p>", "</p>");
  return std::string(heading) + std::string(description) + "<br />\r\n" + std::string(picture);
}

std::string Backpage(std::string_view page) {
  std::size_t from = page.find("<div class=\"adPost\">");
  if (from == std::string_view::npos) return std::string();
  std::size_t to = page.find("<!-- end adPost -->", from);
  // Without the end marker: the rest of the page less its last character.
  if (to == std::string_view::npos) to = page.size() - 1;
  return std::string(page.substr(from, to - from));
}

AdText Daype(std::string_view page) {
  AdText ad;
  std::size_t from = page.find("<!DOCTYPE HTML");
  if (from == std::string_view::npos) return ad;
  ad.text = std::string(page.substr(from));
  std::size_t date = ad.text.find("Date: ");
  if (date != std::string::npos) ad.date = ad.text.substr(date + 6, 10);
  return ad;
}

}  // namespace

AdText ExtractAdText(std::string_view host, std::string_view page) {
  AdText ad;
  switch (SiteOfHost(host)) {
    case SiteId::Craigslist: ad.text = Craigslist(page); break;
    case SiteId::Kijiji: ad.text = IsKijijiCanadaHost(host) ? KijijiCanada(page) : KijijiUs(page); break;
    case SiteId::Backpage: ad.text = Backpage(page); break;
    case SiteId::Daype: ad = Daype(page); break;
    default: ad.text = std::string(page);
  }
  return ad;
}

}  // namespace vemtrix
