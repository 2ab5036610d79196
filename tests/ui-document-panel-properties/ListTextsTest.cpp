// What the list editors show for an entry: the captions' texts and ids, and the line widths' texts.
#include "ui-document-panel-properties/ListEditors.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace panel::list;

host::LineWidthDropDownData Widths(float lineWidth) {
    host::LineWidthDropDownData record;
    record.items = {L"line-width-hairline", L"line-width-1", L"LINE-WIDTH-CUSTOM"};
    record.lineWidth = lineWidth;
    return record;
}

TEST(ListTexts, EntriesAreFoundByTheirSafeValue) {
    host::PropListData record;
    record.items = {L"Special Date Format", L"a<b"};
    EntryStrings strings = StringsOf(record, 0);
    EXPECT_EQ(strings.value, L"Special Date Format");
    EXPECT_EQ(strings.safeValue, L"Special-Date-Format");
    // Without a translation the entry is shown as it is.
    EXPECT_EQ(strings.localized, L"Special Date Format");
    EXPECT_EQ(StringsOf(record, 2).value, L"\u2013");
    EXPECT_EQ(StringsOf(record, host::kNoListIndex).value, L"\u2013");
    EXPECT_EQ(SignedIndex(host::kNoListIndex), -1);
    EXPECT_EQ(SignedIndex(7), 7);
}

TEST(ListTexts, LineWidthsShowTheirNumberOrTheCustomWidth) {
    EXPECT_EQ(LineWidthText(Widths(2.25f), 2), L"2.3");
    EXPECT_EQ(LineWidthText(Widths(3.0f), 2), L"3.0");
    EXPECT_EQ(LineWidthText(Widths(0.95f), 2), L"1.0");
    EXPECT_EQ(LineWidthText(Widths(0.95f), 1), L"1");
    EXPECT_EQ(LineWidthText(Widths(0.95f), 0), L"Hairline");
    EXPECT_EQ(LineWidthText(Widths(0.95f), host::kNoListIndex), L"\u2013");
    EXPECT_EQ(LineWidthText(Widths(0.95f), 3), L"\u2013");
    EXPECT_EQ(WholeWidth(0.95f), 0);
    EXPECT_EQ(WholeWidth(12.7f), 12);
    EXPECT_EQ(WholeWidth(std::nanf("")), 0);
    EXPECT_EQ(WholeWidth(1e30f), 2147483520);
}

} // namespace
