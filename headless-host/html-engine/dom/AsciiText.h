// ASCII-only character helpers: markup names are case-insensitive in ASCII only, as in HTML.
#pragma once

#include <string>
#include <string_view>

namespace html {

inline bool IsAsciiWhitespace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}
inline bool IsAsciiAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}
inline bool IsAsciiHexDigit(char c) {
    return IsAsciiDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
}
inline char ToAsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

inline std::string ToAsciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = ToAsciiLower(c);
    }
    return lower;
}

inline bool EqualsAsciiCaseInsensitive(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ToAsciiLower(a[i]) != ToAsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

// `text` without the ASCII whitespace at either end; a view into the same characters.
inline std::string_view TrimAsciiWhitespace(std::string_view text) {
    while (!text.empty() && IsAsciiWhitespace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsAsciiWhitespace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Calls `visit` with each run of characters between ASCII whitespace (the tokens of a class list),
// in order, repeats included.
template <typename Visit>
void ForEachAsciiToken(std::string_view list, Visit visit) {
    std::size_t at = 0;
    while (at < list.size()) {
        while (at < list.size() && IsAsciiWhitespace(list[at])) {
            ++at;
        }
        std::size_t end = at;
        while (end < list.size() && !IsAsciiWhitespace(list[end])) {
            ++end;
        }
        if (end > at) {
            visit(list.substr(at, end - at));
        }
        at = end;
    }
}

inline bool StartsWithAsciiCaseInsensitive(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsAsciiCaseInsensitive(text.substr(0, prefix.size()), prefix);
}

} // namespace html
