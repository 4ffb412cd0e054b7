// Text as it goes into the site's files. Names are user data: every one is
// escaped for HTML and XML (a column called <script> stays text), code points
// that XML 1.0 cannot carry are shown as U+FFFD, and links are percent-encoded.
#pragma once

#include <string>
#include <string_view>

#include "Utility/VXString.h"

namespace smutil_site {

// UTF-8 of text with the code points XML cannot carry (controls other than
// tab and line feed, surrogates, U+FFFE, U+FFFF) replaced by U+FFFD.
std::string ToSafeUtf8(const VXString& text);

// Appends UTF-8 text as HTML/XML character data or a quoted attribute value:
// & < > " ' become entities.
void AppendEscaped(std::string& out, std::string_view utf8);
void AppendEscaped(std::string& out, const VXString& text);
std::string Escaped(const VXString& text);

// Appends a link target: bytes other than letters, digits, "-._~/" are
// percent-encoded (so "#", "?" and "%" in a name never change the link).
void AppendHref(std::string& out, std::string_view path);

// The link from the page at `from` to the file at `to`, both relative to
// the site root with "/" separators ("a/b/c.html" to "a/d.html" is "../d.html").
std::string RelativeLink(std::string_view from, std::string_view to);

// Appends text as a JavaScript string literal in double quotes, with every
// character outside printable ASCII written as \uXXXX.
void AppendJsString(std::string& out, const VXString& text);

}  // namespace smutil_site
