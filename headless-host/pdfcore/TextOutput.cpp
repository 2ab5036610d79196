#include "headless-host/pdfcore/TextOutput.h"

#include "headless-host/pdfcore/Handles.h"
#include "host/SupportLibrary.h"

#include <algorithm>
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
    if (utf8.size() >= so::kLengthOfNullTerminated)
        throw Failure(kPDFailure, "the text is too long");
    const auto sourceLength = static_cast<std::uint32_t>(utf8.size());
    std::uint32_t length = 0;
    if (SLConvertUTF8ToUTF16(utf8.data(), sourceLength, nullptr, &length) != 0)
        throw Failure(kPDFailure, "the text is not valid UTF-8");
    std::wstring wide(length, L'\0');
    if (length != 0 && SLConvertUTF8ToUTF16(utf8.data(), sourceLength, wide.data(), &length) != 0)
        throw Failure(kPDFailure, "the text is not valid UTF-8");
    return wide;
}

std::string WideToUtf8(const wchar_t* text) {
    std::uint32_t length = 0;
    if (SLConvertUTF16ToUTF8(text, so::kLengthOfNullTerminated, nullptr, &length) != 0)
        throw Failure(kPDInvalidArgument, "the text is not valid Unicode");
    std::string utf8(length, '\0');
    if (length != 0 && SLConvertUTF16ToUTF8(text, so::kLengthOfNullTerminated, utf8.data(), &length) != 0)
        throw Failure(kPDInvalidArgument, "the text is not valid Unicode");
    return utf8;
}

void DeliverText(std::wstring_view text, wchar_t* buffer, std::uint32_t* inOutLength) {
    Deliver(text, buffer, inOutLength);
}

void DeliverText(std::string_view text, char* buffer, std::uint32_t* inOutLength) {
    Deliver(text, buffer, inOutLength);
}

} // namespace pdfcore
