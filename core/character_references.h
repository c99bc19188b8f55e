// Character references in feed text ("&amp;", "&#x0024;", "&#36;"), decoded
// for what the user reads and for the price reader. The stored text keeps
// them as they came: duplicates, searching and the files see the raw text.
#pragma once

#include <string>
#include <string_view>

namespace vemtrix {

// The five XML entities (&amp; &lt; &gt; &quot; &apos;) and numeric
// references (&#36; &#x24;, closed by ";") replaced by their character, in one
// pass ("&amp;#36;" gives "&#36;"). The program's text is 8-bit and the window
// shows it through the ANSI calls: code points 1..255 become that byte (tab,
// line feed and carriage return among the control characters; other controls
// and 0 stay as written), code points above 255 become their Windows-1252
// byte where that code page has one (the euro sign, curly quotes, dashes,
// the ellipsis, the bullet, the trade mark ...) and "?" otherwise. Anything
// else, unknown names and unclosed references among it, stays as written.
std::string DecodeCharacterReferences(std::string_view text);

// The same, appended to out.
void DecodeCharacterReferencesTo(std::string& out, std::string_view text);

}  // namespace vemtrix
