// The module's conversions through the host's support library: ASCII, mixed runs, text that widens
// past the first guess of its UTF-8 length, and invalid input, which gives an empty text.
#include "tests/support/TestHost.h"

#include "service-common/TextConversion.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class TextConversion : public testing_host::HostTest {};

TEST_F(TextConversion, RoundTripsAsciiMixedAndWideTexts) {
    const std::wstring texts[] = {
        L"<div class=\"pg-item\">plain</div>",
        L"a\u00E9b\u2013c\U0001F600d",
        std::wstring(300, L'\u4E2D'), // three bytes each: longer than any first guess
        std::wstring(40, L'x') + L"\U0001F600\U0001F600\U0001F600",
    };
    for (const std::wstring& text : texts) {
        const std::string utf8 = so::Utf8FromWide(text);
        EXPECT_EQ(so::WideFromUtf8(utf8), text);
    }
    EXPECT_EQ(so::Utf8FromWide(L"a\u00E9"), "a\xC3\xA9");
    EXPECT_EQ(so::Utf8FromWide(std::wstring(300, L'\u4E2D')).size(), 900u);
    EXPECT_EQ(so::WideFromUtf8("\xE2\x80\x93 en dash"), L"\u2013 en dash");
}

TEST_F(TextConversion, InvalidInputGivesAnEmptyText) {
    EXPECT_EQ(so::WideFromUtf8("ab\xC3"
                               "cd"),
              L"");
    EXPECT_EQ(so::WideFromUtf8("\xE2\x80"
                               "x"),
              L"");
    const wchar_t lonelySurrogate[] = {L'a', wchar_t(0xD800), L'b', 0};
    EXPECT_EQ(so::Utf8FromWide(lonelySurrogate), "");
    EXPECT_EQ(so::Utf8FromWide(std::wstring(200, L'\u4E2D') + wchar_t(0xDC00)), "");
}

} // namespace
