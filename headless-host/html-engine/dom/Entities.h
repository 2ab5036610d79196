// Character references of the markup dialect: the named-entity table and UTF-8 encoding of code points.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace html {

// The UTF-8 text of a named character reference given without '&' and ';' ("nbsp"), or none when the
// name is unknown. Names are case-sensitive, as in HTML.
std::optional<std::string_view> LookUpNamedEntity(std::string_view name);

// Appends the UTF-8 encoding of a code point; surrogates and values past U+10FFFF become U+FFFD.
void AppendUtf8(std::string& out, char32_t codePoint);

} // namespace html
