// The two-call pattern by which text leaves an object: a null buffer asks for the length (without
// terminator); otherwise *inOutLength is the buffer's size in units, the text is copied and
// terminated when there is room, and *inOutLength becomes its length. Header-only, so that the
// support library below service-common shares it too.
#pragma once

#include "host/ServiceObject.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace so {

template <class Char>
SOResult DeliverText(std::basic_string_view<Char> text, Char* buffer, std::uint32_t* inOutLength) {
    if (inOutLength == nullptr)
        return kInvalidArgument;
    if (buffer != nullptr) {
        if (*inOutLength < text.size())
            return kInvalidArgument;
        std::copy(text.begin(), text.end(), buffer);
        if (*inOutLength > text.size())
            buffer[text.size()] = Char(0);
    }
    *inOutLength = std::uint32_t(text.size());
    return kOk;
}

inline SOResult DeliverText(std::string_view text, char* buffer, std::uint32_t* inOutLength) {
    return DeliverText<char>(text, buffer, inOutLength);
}

inline SOResult DeliverText(std::wstring_view text, wchar_t* buffer, std::uint32_t* inOutLength) {
    return DeliverText<wchar_t>(text, buffer, inOutLength);
}

} // namespace so
