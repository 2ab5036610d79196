#include "service-common/TextConversion.h"

#include "host/SupportLibrary.h"

#include <cstdint>

namespace so {

std::wstring WideFromUtf8(std::string_view text) {
    if (text.empty())
        return {};
    auto size = static_cast<std::uint32_t>(text.size());
    std::uint32_t length = 0;
    if (SLConvertUTF8ToUTF16(text.data(), size, nullptr, &length) != kOk || length == 0)
        return {};
    std::wstring result(length, L'\0');
    if (SLConvertUTF8ToUTF16(text.data(), size, result.data(), &length) != kOk)
        return {};
    result.resize(length);
    return result;
}

std::string Utf8FromWide(std::wstring_view text) {
    if (text.empty())
        return {};
    auto size = static_cast<std::uint32_t>(text.size());
    std::uint32_t length = 0;
    if (SLConvertUTF16ToUTF8(text.data(), size, nullptr, &length) != kOk || length == 0)
        return {};
    std::string result(length, '\0');
    if (SLConvertUTF16ToUTF8(text.data(), size, result.data(), &length) != kOk)
        return {};
    result.resize(length);
    return result;
}

} // namespace so
