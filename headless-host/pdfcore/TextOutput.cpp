#include "headless-host/pdfcore/TextOutput.h"

#include "headless-host/pdfcore/Handles.h"

#include <boost/locale/encoding_utf.hpp>

#include <algorithm>
#include <cwchar>
#include <limits>

namespace pdfcore {

namespace {

template <class Char>
void Deliver(std::basic_string_view<Char> text, Char* buffer, std::uint32_t* inOutLength) {
    RequireOutput(inOutLength, "the length");
    if (text.size() > std::numeric_limits<std::uint32_t>::max())
        throw Failure(kPDFailure, "the text is longer than a length can say");
    const auto length = static_cast<std::uint32_t>(text.size());
    if (buffer != nullptr) {
        if (*inOutLength < length) {
            const std::uint32_t given = *inOutLength;
            *inOutLength = length;
            throw Failure(kPDBufferTooSmall, "the buffer holds " + std::to_string(given) +
                                                 " units, the text needs " + std::to_string(length));
        }
        std::copy(text.begin(), text.end(), buffer);
        if (*inOutLength > length)
            buffer[length] = Char(0);
    }
    *inOutLength = length;
}

} // namespace

std::wstring Utf8ToWide(std::string_view utf8) {
    try {
        return boost::locale::conv::utf_to_utf<wchar_t>(utf8.data(), utf8.data() + utf8.size(),
                                                        boost::locale::conv::stop);
    } catch (const boost::locale::conv::conversion_error&) {
        throw Failure(kPDFailure, "the text is not valid UTF-8");
    }
}

std::string WideToUtf8(const wchar_t* text) {
    try {
        return boost::locale::conv::utf_to_utf<char>(text, text + std::wcslen(text),
                                                     boost::locale::conv::stop);
    } catch (const boost::locale::conv::conversion_error&) {
        throw Failure(kPDInvalidArgument, "the text is not valid Unicode");
    }
}

void DeliverText(std::wstring_view text, wchar_t* buffer, std::uint32_t* inOutLength) {
    Deliver(text, buffer, inOutLength);
}

void DeliverText(std::string_view text, char* buffer, std::uint32_t* inOutLength) {
    Deliver(text, buffer, inOutLength);
}

} // namespace pdfcore
