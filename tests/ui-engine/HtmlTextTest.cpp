// Placeholder values: escaping masks and safe values. Translations are tested against the host's
// localisation service, in the host's tests.
#include "ui-engine/HtmlText.h"

#include <gtest/gtest.h>

#include <locale>

namespace {

struct EscapeCase {
    std::uint32_t flags;
    std::wstring expected;
};

class HtmlTextEscape : public testing::TestWithParam<EscapeCase> {};

// Every special character once, so that each mask shows exactly which ones it touches.
TEST_P(HtmlTextEscape, ReplacesExactlyTheMaskedCharacters) {
    EXPECT_EQ(ui::EscapeHtml(L"<a> & 'b' \"c\" / \\ é", GetParam().flags), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Masks, HtmlTextEscape,
    testing::Values(EscapeCase{0, L"<a> & 'b' \"c\" / \\ é"},
                    EscapeCase{ui::kEscapeLessThan, L"&lt;a> & 'b' \"c\" / \\ é"},
                    EscapeCase{ui::kEscapeGreaterThan, L"<a&gt; & 'b' \"c\" / \\ é"},
                    EscapeCase{ui::kEscapeAmpersand, L"<a> &amp; 'b' \"c\" / \\ é"},
                    EscapeCase{ui::kEscapeApostrophe, L"<a> & &apos;b&apos; \"c\" / \\ é"},
                    EscapeCase{ui::kEscapeQuote, L"<a> & 'b' &quot;c&quot; / \\ é"},
                    EscapeCase{ui::kEscapeSpace, L"<a>&nbsp;&&nbsp;'b'&nbsp;\"c\"&nbsp;/&nbsp;\\&nbsp;é"},
                    EscapeCase{ui::kEscapeSlash, L"<a> & 'b' \"c\" &sol; \\ é"},
                    EscapeCase{ui::kEscapeBackslash, L"<a> & 'b' \"c\" / &bsol; é"},
                    EscapeCase{0x1F, L"&lt;a&gt; &amp; &apos;b&apos; &quot;c&quot; / \\ é"},
                    EscapeCase{0x03E0, L"<a> & 'b' \"c\" / \\ é"}));

TEST(HtmlText, EscapeHtmlLeavesAnEmptyTextEmpty) {
    EXPECT_EQ(ui::EscapeHtml(L"", 0xFFFFFFFF), L"");
}

TEST(HtmlText, MakeSafeValueJoinsWordsWithHyphens) {
    EXPECT_EQ(ui::MakeSafeValue(L"Border Color", true), L"border-color");
    EXPECT_EQ(ui::MakeSafeValue(L"Border Color", false), L"Border-Color");
    EXPECT_EQ(ui::MakeSafeValue(L" two  spaces ", false), L"-two--spaces-");
    EXPECT_EQ(ui::MakeSafeValue(L"NoSpaces", true), L"nospaces");
    EXPECT_EQ(ui::MakeSafeValue(L"", true), L"");
}

TEST(HtmlText, MakeSafeValueLowerCasesWithTheGlobalLocale) {
    std::locale previous = std::locale::global(std::locale("C.UTF-8"));
    std::wstring lowered = ui::MakeSafeValue(L"Größe ÄRGER", true);
    std::locale::global(previous);
    EXPECT_EQ(lowered, L"größe-ärger");
}

} // namespace
