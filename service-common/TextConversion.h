// Wide and UTF-8 text through the host's conversion functions (never converted ad hoc).
#pragma once

#include <string>
#include <string_view>

namespace so {

// Invalid input gives an empty result; these never throw for bad bytes.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

} // namespace so
