// The text editors' texts: what a one-line view shows, the string list's count, lines and height,
// and how a typed text becomes list items.
#include "ui-document-panel-properties/TextEditors.h"

#include <gtest/gtest.h>

namespace {

using namespace panel::text;

TEST(Texts, OneLineTextsAreEscapedAndEmptyOnesOfferToSetThem) {
    StringTexts texts = StringTextsOf(L"a \"<b>\" & 'c'", false);
    EXPECT_EQ(texts.html, L"a &quot;&lt;b&gt;&quot; &amp; &apos;c&apos;");
    EXPECT_EQ(texts.raw, texts.html);
    EXPECT_EQ(texts.editClass, L"editable-prop");
    StringTexts empty = StringTextsOf(L"", false);
    EXPECT_EQ(empty.raw, L"&nbsp;");
    EXPECT_NE(empty.html.find(L"set-empty-prop-text"), std::wstring::npos);
    EXPECT_EQ(empty.editClass, L"editable-prop empty-prop");
    EXPECT_EQ(StringTextsOf(L"", true).html, L"&nbsp;");
    EXPECT_EQ(StringTextsOf(L"x", true).editClass, L"");
    EXPECT_EQ(WithoutBlankOnly(L" \t "), L"");
    EXPECT_EQ(WithoutBlankOnly(L" a "), L" a ");
    EXPECT_EQ(WithoutBlankOnly(L" \n"), L" \n");
}

TEST(Texts, TypedLinesBecomeItemsWithoutEmptyOnesAndRepeats) {
    EXPECT_EQ(ItemsOf(L"a\r\n\r\nb\na"), (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_EQ(ItemsOf(L"A\ra"), (std::vector<std::wstring>{L"A", L"a"}));
    EXPECT_TRUE(ItemsOf(L"\r\n\n\r").empty());
    EXPECT_TRUE(ItemsOf(L"").empty());
    EXPECT_EQ(ItemsOf(L" x \n"), (std::vector<std::wstring>{L" x "}));
}

TEST(Texts, TheListsTextAreaGrowsWithItsItemsWithinLimits) {
    EXPECT_EQ(ListTextsOf({}).height, 78);
    EXPECT_EQ(ListTextsOf({L"a", L"b"}).height, 78);
    EXPECT_EQ(ListTextsOf(std::vector<std::wstring>(5, L"x")).height, 95);
    EXPECT_EQ(ListTextsOf(std::vector<std::wstring>(15, L"x")).height, 214);
    ListTexts two = ListTextsOf({L"a", L"b"});
    EXPECT_EQ(two.lines, L"a\r\nb\r\n");
    EXPECT_EQ(two.count, L"2 items");
    EXPECT_EQ(two.tooltip, L"2 items");
    EXPECT_EQ(two.button, L"Change");
    ListTexts none = ListTextsOf({});
    EXPECT_EQ(none.lines, L"");
    EXPECT_EQ(none.button, L"Set");
    EXPECT_EQ(none.tooltip, L"Set");
    EXPECT_EQ(ListTextsOf({L"a"}).count, L"1 item");
}

} // namespace
