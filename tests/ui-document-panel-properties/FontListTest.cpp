// The font drop-down's list records: the group order, each row's value (its place in the
// property's record), samples only for system fonts, and the badge of every font format.
#include "ui-document-panel-properties/FontEditor.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using panel::FontUtils;
using panel::controls::ControlEntriesOf;
using panel::controls::FontsControl;

host::PropFontEntry Font(std::uint32_t kind, const wchar_t* name, std::uint32_t format = 530) {
    host::PropFontEntry font;
    font.kind = kind;
    font.familyName = name;
    font.format = format;
    return font;
}

TEST(FontList, GroupsComeInTheirOrderEachInRecordOrder) {
    host::PropFontListData record;
    record.fonts = {Font(host::PropFontEntry::kSystemFont, L"Arial"),
                    Font(host::PropFontEntry::kDocumentFont, L"Embedded B", 541),
                    Font(host::PropFontEntry::kStandardFont, L"Helvetica", 539),
                    Font(host::PropFontEntry::kDocumentFont, L"Embedded A", 7),
                    Font(host::PropFontEntry::kSystemFont, L"Caf\u00e9")};
    const auto records = nlohmann::json::parse(FontsControl::RecordsJson(ControlEntriesOf(record)));
    std::vector<std::string> rows;
    for (const auto& row : records)
        rows.push_back(row["type"] == "label" ? "[" + row["label"].get<std::string>() + "]"
                                              : row["value"].get<std::string>() + ":" +
                                                    row["fontfamilyname"].get<std::string>() + ":" +
                                                    row["fonttype"].get<std::string>() +
                                                    (row["drawsample"].get<bool>() ? "+sample" : ""));
    EXPECT_EQ(rows,
              (std::vector<std::string>{"[Document Fonts]", "1:Embedded B:type3", "3:Embedded A:true-type",
                                        "[Standard Fonts]", "2:Helvetica:type1", "[System Fonts]",
                                        "0:Arial:true-type+sample", "4:Caf\xC3\xA9:true-type+sample"}));
    // The list reads the keys of a row in this order.
    std::vector<std::string> keys;
    const auto ordered = nlohmann::ordered_json::parse(FontsControl::RecordsJson(ControlEntriesOf(record)));
    for (const auto& [key, value] : ordered[1].items())
        keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"type", "value", "fontfamily", "fonttype", "fontstyle",
                                              "fontfamilyname", "drawsample"}));
}

TEST(FontList, OnlySystemFontsGiveOneGroupWithSamples) {
    host::PropFontListData record;
    record.fonts = {Font(host::PropFontEntry::kSystemFont, L"A"),
                    Font(host::PropFontEntry::kSystemFont, L"B")};
    const auto records = nlohmann::json::parse(FontsControl::RecordsJson(ControlEntriesOf(record)));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0]["label"], "System Fonts");
    EXPECT_TRUE(records[1]["drawsample"].get<bool>() && records[2]["drawsample"].get<bool>());
    EXPECT_EQ(FontsControl::RecordsJson({}), "[]");
}

TEST(FontList, FormatsAndGroupsOutsideTheTablesFallBack) {
    EXPECT_EQ(FontUtils::GetStringFromFontFormat(530), "true-type");
    EXPECT_EQ(FontUtils::GetStringFromFontFormat(539), "type1");
    EXPECT_EQ(FontUtils::GetStringFromFontFormat(541), "type3");
    EXPECT_EQ(FontUtils::GetStringFromFontFormat(0xFFFFFFFF), "true-type");
    EXPECT_EQ(FontUtils::GetStringFromFontFormat(12), "true-type");
    EXPECT_EQ(FontsControl::GetLabel(8), L"");
    EXPECT_EQ(FontsControl::GetLabel(4), L"Standard Fonts");
}

} // namespace
