// Receivers for text an interface hands out through a callback (the HTML engine's text and
// value getters): each appends the piece it is given to the string `param` points to.
#pragma once

#include <cstdint>
#include <string>

namespace so {

// `param`: a std::wstring.
inline void AppendWide(const wchar_t* text, std::uint32_t length, void* param) {
    static_cast<std::wstring*>(param)->append(text, length);
}

// `param`: a std::string (UTF-8).
inline void AppendUtf8(const char* text, std::uint32_t length, void* param) {
    static_cast<std::string*>(param)->append(text, length);
}

} // namespace so
