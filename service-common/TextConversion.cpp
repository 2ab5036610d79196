#include "service-common/TextConversion.h"

#include "host/SupportLibrary.h"

#include <cstdint>

namespace so {

// A page is converted whole on its way to the engine, so the two-call pattern's first call (which
// converts only to count) is skipped when a buffer of a safe guess is large enough.

std::wstring WideFromUtf8(std::string_view text) {
    if (text.empty())
        return {};
    auto size = static_cast<std::uint32_t>(text.size());
    // Never more characters than bytes: one call always does.
    std::wstring result(text.size(), L'\0');
    std::uint32_t length = size;
    if (SLConvertUTF8ToUTF16(text.data(), size, result.data(), &length) != kOk)
        return {};
    result.resize(length);
    return result;
}

std::string Utf8FromWide(std::wstring_view text) {
    if (text.empty())
        return {};
    auto size = static_cast<std::uint32_t>(text.size());
    // Enough for text that is mostly ASCII; else the length is asked for first.
    std::string result(text.size() + text.size() / 4 + 16, '\0');
    std::uint32_t length = static_cast<std::uint32_t>(result.size());
    if (SLConvertUTF16ToUTF8(text.data(), size, result.data(), &length) == kOk) {
        result.resize(length);
        return result;
    }
    length = 0;
    if (SLConvertUTF16ToUTF8(text.data(), size, nullptr, &length) != kOk || length == 0)
        return {};
    result.assign(length, '\0');
    if (SLConvertUTF16ToUTF8(text.data(), size, result.data(), &length) != kOk)
        return {};
    result.resize(length);
    return result;
}

} // namespace so
