#include "core/html_template.h"

namespace vemtrix {
namespace {

const char* const kHeaderLines[] = {
    "<html>",
    "<head>",
    "<title>Vemtrix Search Results **TIMESTAMP**</title>",
    " <style TYPE=\"text/css\">",
    "  <!--",
    "  .lunchbox {",
    "  display:none;",
    "  }",
    "  -->",
    " </style>",
    " <script type=\"text/javascript\">",
    "  function lunchboxOpen(lunchID) {",
    "  document.getElementById('lunch_' + lunchID).style.display = \"block\";",
    "  }",
    "  function lunchboxClose(lunchID) {",
    "  document.getElementById('lunch_' + lunchID).style.display = \"none\";",
    "  }",
    " </script>",
    "</head>",
    "<body>",
    " <h3>Vemtrix **NAME** Search Results **TIMESTAMP**</h3>",
    "**ITEM**",
    "</body>",
    "</html>",
};

const char* const kItemLines[] = {
    "<div><a href=\"**ITEMLINK**\">**ITEMTITLE**</a> &nbsp;",
    " (<a href=\"javascript:lunchboxOpen('**COUNTER**');\">More Info</a>)",
    " (<a href=\"javascript:lunchboxClose('**COUNTER**');\">Close</a>) <b>**NEW**</b>",
    "</div>",
    "<div id=\"lunch_**COUNTER**\" class=\"lunchbox\">",
    " <b>Date:</b> **ITEMDATE**<br />",
    " <b>City:</b> **ITEMCITY**<br />",
    " <b>Section:</b> **ITEMSECTION**<br />",
    " <hr size=1>",
    " **DESCRIPTION**",
    "<hr size=1></div><br /><br />",
    "",  // every item ends with an empty line
};

template <std::size_t N>
std::string JoinLines(const char* const (&lines)[N]) {
  std::string text;
  for (const char* line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

}  // namespace

std::string DefaultTemplate(int part) {
  if (part == 1) return JoinLines(kHeaderLines);
  if (part == 2) return JoinLines(kItemLines);
  return "error";
}

}  // namespace vemtrix
