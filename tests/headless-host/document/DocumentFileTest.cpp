// Document files: every malformed case of the case folder is refused with its path and reason (and
// nothing worse), limits on size and nesting hold, and the embedded sample is complete and survives
// being written out and read back.
#include "headless-host/document/DocumentFile.h"
#include "headless-host/document/PropertyValues.h"
#include "headless-host/document/SampleDocument.h"
#include "service-common/TextConversion.h"
#include "tests/support/Golden.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using headless::DocumentFileError;

fs::path CasesFolder() {
    return fs::path(PP_SOURCE_DIR) / "tests/headless-host/document/document-file-cases";
}

class DocumentFileCase : public testing::TestWithParam<std::string> {};

// Each case is <name>.json beside <name>.expected holding the line "<JSON path>: <reason>", compared
// as tests/support/Golden.h says: a mismatch writes <name>.actual; PP_REBASELINE=1 rewrites the
// expectations instead.
TEST_P(DocumentFileCase, IsRefusedWithItsPathAndReason) {
    fs::path input = CasesFolder() / (GetParam() + ".json");
    std::string actual;
    try {
        headless::LoadDocumentFile(input);
        FAIL() << input << " was accepted";
    } catch (const DocumentFileError& e) {
        EXPECT_EQ(e.File(), input.string());
        EXPECT_EQ(std::string(e.what()), e.File() + ": " + e.Path() + ": " + e.Detail());
        actual = e.Path() + ": " + e.Detail();
    }
    EXPECT_TRUE(
        testing_host::MatchesGolden(actual + "\n", testing_host::GoldenFilesOf(CasesFolder(), GetParam())));
}

INSTANTIATE_TEST_SUITE_P(Folder, DocumentFileCase,
                         testing::ValuesIn(testing_host::CaseNames(CasesFolder(), ".json")),
                         testing_host::CaseTestName);

std::string Refusal(const std::string& text) {
    try {
        headless::ParseDocument(text, "generated.json");
    } catch (const DocumentFileError& e) {
        return e.Path() + ": " + e.Detail();
    }
    return "accepted";
}

// A document of `pageCount` pages whose one object has the one property.
std::string DocumentWithValue(const std::string& propertyJson, std::size_t pageCount = 1) {
    std::string pages = "{}";
    for (std::size_t i = 1; i < pageCount; ++i)
        pages += ", {}";
    return R"({"document": "g.pdf", "pages": [)" + pages +
           R"(], "objects": [{"name": "A", "kind": "Square", "groups": [)"
           R"({"name": "General", "flags": 0, "properties": [)" +
           propertyJson + "]}]}]}";
}

TEST(DocumentFileLimits, JsonNestedDeeperThanTheLimitIsRefusedWhereItGoesTooDeep) {
    std::string nested = std::string(70, '[') + std::string(70, ']');
    std::string refusal =
        Refusal(DocumentWithValue(R"({"name": "Items", "type": "EditStringList", "value": )" + nested + "}"));
    // The document, objects, object, groups, group, properties, property: seven levels before the
    // value, whose 58th array is one too many.
    std::string path = "/objects/0/groups/0/properties/0/value";
    for (int level = 0; level < 64 - 7; ++level)
        path += "/0";
    EXPECT_EQ(refusal, path + ": nested deeper than 64 levels");
}

TEST(DocumentFileLimits, HugeStringIsRefusedBeforeItIsKept) {
    std::string huge(2u << 20, 'x');
    EXPECT_EQ(Refusal(DocumentWithValue(R"({"name": "Note", "type": "String", "value": ")" + huge + "\"}")),
              "/objects/0/groups/0/properties/0/value: a string of 2097152 bytes is longer than the limit of "
              "1048576");
}

TEST(DocumentFileLimits, LongNameIsRefused) {
    std::string name(1025, 'n');
    EXPECT_EQ(
        Refusal(DocumentWithValue(R"({"name": ")" + name + R"(", "type": "String", "value": ""})")),
        "/objects/0/groups/0/properties/0/name: a name of 1025 characters is longer than the limit of 1024");
}

TEST(DocumentFileLimits, OversizedTextIsRefusedWithoutParsing) {
    std::string text(headless::DocumentFileLimits::kMaxFileBytes + 1, ' ');
    EXPECT_EQ(Refusal(text), "/: a file of 16777217 bytes is larger than the limit of 16777216");
}

TEST(DocumentFileLimits, MissingFileNamesTheFile) {
    try {
        headless::LoadDocumentFile("/no/such/folder/document.json");
        FAIL();
    } catch (const DocumentFileError& e) {
        EXPECT_EQ(e.File(), "/no/such/folder/document.json");
        EXPECT_EQ(e.Path(), "/");
        EXPECT_NE(e.Detail().find("cannot be read"), std::string::npos) << e.Detail();
    }
}

struct RefusedValue {
    const char* property; // the one property of a document
    const char* refusal;  // "<key of the property>: <reason>"
};

class DocumentFileRefusedValue : public testing::TestWithParam<RefusedValue> {};

TEST_P(DocumentFileRefusedValue, IsRefusedAtTheKeyItCameFrom) {
    EXPECT_EQ(Refusal(DocumentWithValue(GetParam().property)),
              std::string("/objects/0/groups/0/properties/0/") + GetParam().refusal);
}

constexpr const char* kColourForm = "value: a colour is written \"#RRGGBB\" (or null for no colour)";
constexpr const char* kDateForm = "value: a date and time is written \"YYYY-MM-DDTHH:MM:SS\"";

// Colours and dates other than in their written form (scanf took signs, blanks and "0x" inside their
// fields); a minimum above the default maximum, which must not blame the "max" the file leaves out; a
// number that no float rounds from.
INSTANTIATE_TEST_SUITE_P(
    Values, DocumentFileRefusedValue,
    testing::Values(
        RefusedValue{R"({"name": "C", "type": "Color", "value": "#-00001"})", kColourForm},
        RefusedValue{R"({"name": "C", "type": "Color", "value": "#+12345"})", kColourForm},
        RefusedValue{R"({"name": "C", "type": "Color", "value": "# 12345"})", kColourForm},
        RefusedValue{R"({"name": "C", "type": "Color", "value": "#0x1234"})", kColourForm},
        RefusedValue{R"({"name": "D", "type": "DateTime", "value": "2020-+1-01T01:00:00"})", kDateForm},
        RefusedValue{R"({"name": "D", "type": "DateTime", "value": "2020-01-01T 1:00:00"})", kDateForm},
        RefusedValue{R"({"name": "D", "type": "DateTime", "value": " 2020-1-01T01:00:00"})", kDateForm},
        RefusedValue{R"({"name": "D", "type": "DateTime", "value": "020-01-01T01:00:00"})", kDateForm},
        RefusedValue{R"({"name": "D", "type": "DateTime", "value": "+2020-01-01T01:00:00"})", kDateForm},
        RefusedValue{R"({"name": "D", "type": "DateTime", "value": "2020-01-01T01:00:00Z"})", kDateForm},
        RefusedValue{R"({"name": "D", "type": "DateTime", "value": "32768-01-01T00:00:00"})",
                     "value: not a real date and time (in the years -32767 to 32767)"},
        RefusedValue{R"({"name": "D", "type": "DateTime", "value": "1900-02-29T00:00:00"})",
                     "value: not a real date and time (in the years -32767 to 32767)"},
        RefusedValue{R"({"name": "N", "type": "Number", "min": 40000, "value": null})",
                     "min: the minimum is above the default maximum 32767"},
        RefusedValue{R"({"name": "N", "type": "FloatInline", "min": 40000, "value": null})",
                     "min: the minimum is above the default maximum 32767"},
        RefusedValue{R"({"name": "N", "type": "Number", "min": 10, "max": 5, "value": null})",
                     "max: the maximum is below the minimum"},
        RefusedValue{R"({"name": "F", "type": "Float", "value": 3.4028236e38})",
                     "value: the number is out of the range of a float"}));

TEST(DocumentFileValues, LargestFloatReadsBackFromTheTextADumpWrites) {
    for (std::string written : {"3.4028234663852886e38", "3.4028235e38", "-3.4028235e38"}) {
        headless::DocumentModel model = headless::ParseDocument(
            DocumentWithValue(R"({"name": "F", "type": "Float", "value": )" + written + "}"),
            "generated.json");
        const headless::PropertyModel& property = *model.objects[0]->groups[0]->properties[0];
        EXPECT_EQ(std::fabs(std::get<float>(property.value)), FLT_MAX) << written;
        std::string dumped = headless::ValueText(property.typeCode, property.value);
        EXPECT_EQ(Refusal(DocumentWithValue(R"({"name": "F", "type": "Float", "value": )" + dumped + "}")),
                  "accepted")
            << dumped;
    }
}

// Dates no editor can show are still the document's: they read back as written, with the weekday
// the calendar gives them (the 400-year cycle of the Gregorian calendar checks the far ones).
TEST(DocumentFileValues, DatesBeyondTheUsualYearsReadBackAsWritten) {
    struct Date {
        const char* text;
        int dayOfWeek; // 0 Sunday
        int dayOfYear; // from 0
    };
    for (Date date : {Date{"1399-12-31T23:59:59", 2, 364}, Date{"0000-02-29T00:00:00", 2, 59},
                      Date{"-0044-03-15T12:00:00", 4, 74}, Date{"32767-12-31T00:00:00", 0, 364},
                      Date{"2024-03-05T09:30:00", 2, 64}}) {
        headless::DocumentModel model = headless::ParseDocument(
            DocumentWithValue(std::string(R"({"name": "D", "type": "DateTime", "value": ")") + date.text +
                              "\"}"),
            "generated.json");
        const headless::PropertyModel& property = *model.objects[0]->groups[0]->properties[0];
        const auto& value = std::get<host::DateTimeValue>(property.value);
        EXPECT_EQ(headless::ValueText(property.typeCode, property.value),
                  std::string("\"") + date.text + "\"");
        EXPECT_EQ(value.dayOfWeek, date.dayOfWeek) << date.text;
        EXPECT_EQ(value.dayOfYear, date.dayOfYear) << date.text;
    }
}

TEST(DocumentFileErrors, ControlCharactersShowEscapedInsteadOfEndingTheMessage) {
    using namespace std::string_literals;
    try {
        headless::ParseDocument(
            DocumentWithValue(R"({"name": "S", "type": "String", "value": "", "a\u0000\u001bb": 1})"),
            "generated.json");
        FAIL() << "accepted";
    } catch (const DocumentFileError& e) {
        EXPECT_EQ(e.Path(), "/objects/0/groups/0/properties/0/a\0\x1b"
                            "b"s);
        EXPECT_EQ(
            std::string(e.what()),
            "generated.json: /objects/0/groups/0/properties/0/a\\x00\\x1Bb: unknown key \"a\\x00\\x1Bb\"");
    }
}

void CollectProperties(const headless::GroupModel& group, std::vector<const headless::PropertyModel*>& out) {
    for (const auto& property : group.properties)
        out.push_back(property.get());
    for (const auto& sub : group.groups)
        CollectProperties(*sub, out);
}

std::vector<const headless::PropertyModel*> AllProperties(const headless::DocumentModel& model) {
    std::vector<const headless::PropertyModel*> all;
    for (const auto& object : model.objects)
        for (const auto& group : object->groups)
            CollectProperties(*group, all);
    return all;
}

TEST(DocumentFileSample, CoversEveryTypeCodeOfThePanel) {
    headless::DocumentModel sample = headless::LoadSampleDocument();
    std::set<std::uint32_t> codes;
    for (const auto* property : AllProperties(sample))
        codes.insert(property->typeCode);
    for (std::uint32_t code = 1; code <= 40; ++code) {
        if (!headless::TypeNameOfCode(code).empty()) {
            EXPECT_TRUE(codes.contains(code))
                << "no property of type " << code << " (" << headless::TypeNameOfCode(code) << ")";
        }
    }
    EXPECT_TRUE(codes.contains(19)) << "a property no editor handles";
}

TEST(DocumentFileSample, CoversRootGroupKindsFlagsAndDefaultSupport) {
    headless::DocumentModel sample = headless::LoadSampleDocument();
    std::uint32_t rootKinds = 0;
    bool looseGroup = false;
    bool withDefaults = false;
    bool withoutDefaults = false;
    for (const auto& object : sample.objects) {
        (object->defaultSettings ? withDefaults : withoutDefaults) = true;
        for (const auto& group : object->groups) {
            if (group->root)
                rootKinds |= group->kindFlags;
            else
                looseGroup = true;
        }
    }
    EXPECT_EQ(rootKinds, 0xFEu) << "general, values, events, appearance, measurements, format, calculations";
    EXPECT_TRUE(looseGroup);
    EXPECT_TRUE(withDefaults);
    EXPECT_TRUE(withoutDefaults);
    auto all = AllProperties(sample);
    EXPECT_TRUE(std::any_of(all.begin(), all.end(), [](const auto* p) { return p->readOnly; }));
    EXPECT_TRUE(std::any_of(all.begin(), all.end(), [](const auto* p) { return p->hidden; }));
    ASSERT_EQ(sample.defaults.size(), 2u);
    EXPECT_EQ(sample.defaults[0].kind, L"Square");
}

struct RereadCase {
    const char* label;
    std::function<std::string()> text;
    std::size_t atLeast; // values checked
};

class DocumentFileValuesReread : public testing::TestWithParam<RereadCase> {};

// Every value of the document, written as a document file's value and read back into the same
// property, is the value it was. An action read back is a new PDF object of another document: it is
// the same when the library describes it the same.
TEST_P(DocumentFileValuesReread, AreTheValuesTheyWere) {
    const std::string text = GetParam().text();
    nlohmann::json source = nlohmann::json::parse(text);
    headless::DocumentModel document = headless::ParseDocument(text, "document.json");
    std::size_t checked = 0;
    for (std::size_t o = 0; o < document.objects.size(); ++o) {
        std::function<void(const nlohmann::json&, const headless::GroupModel&)> walk =
            [&](const nlohmann::json& groupJson, const headless::GroupModel& group) {
                for (std::size_t p = 0; p < group.properties.size(); ++p) {
                    const headless::PropertyModel& property = *group.properties[p];
                    if (property.kind == host::ValueKind::None)
                        continue;
                    nlohmann::json written = groupJson["properties"][p];
                    written["value"] = headless::ValueToJson(property.typeCode, property.value);
                    headless::DocumentModel reread = headless::ParseDocument(
                        DocumentWithValue(written.dump(), document.pageLabels.size()), "reread.json");
                    const auto& again = *reread.objects[0]->groups[0]->properties[0];
                    const bool holdsActions = property.kind == host::ValueKind::PDAction ||
                                              property.kind == host::ValueKind::JavaScriptAction;
                    EXPECT_TRUE(holdsActions ? headless::ValueText(again.typeCode, again.value) ==
                                                   headless::ValueText(property.typeCode, property.value)
                                             : headless::SameValue(again.value, property.value))
                        << so::Utf8FromWide(property.name) << ": " << written.dump();
                    ++checked;
                }
                for (std::size_t g = 0; g < group.groups.size(); ++g)
                    walk(groupJson["groups"][g], *group.groups[g]);
            };
        for (std::size_t g = 0; g < document.objects[o]->groups.size(); ++g)
            walk(source["objects"][o]["groups"][g], *document.objects[o]->groups[g]);
    }
    EXPECT_GE(checked, GetParam().atLeast);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, DocumentFileValuesReread,
    testing::Values(RereadCase{"Sample", [] { return std::string(headless::SampleDocumentText()); }, 60},
                    RereadCase{"PdfActions",
                               [] {
                                   std::ifstream in(fs::path(PP_SOURCE_DIR) /
                                                    "tests/scenarios/documents/pdf-actions.json");
                                   return std::string(std::istreambuf_iterator<char>(in), {});
                               },
                               19}),
    [](const testing::TestParamInfo<RereadCase>& info) { return std::string(info.param.label); });

} // namespace
