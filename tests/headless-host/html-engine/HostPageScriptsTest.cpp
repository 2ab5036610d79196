// The host's page scripts, done natively: the fonts list and the colour table.
#include "tests/headless-host/html-engine/EngineTestSupport.h"

#include "headless-host/html-engine/driver/HostPageScripts.h"
#include "headless-host/html-engine/runtime/Value.h"
#include "service-common/TextReceivers.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace html::test {
namespace {

class HostPageScripts : public EngineTest {
protected:
    HostPageScripts() { InstallHostPageScripts(window_); }

    Value Call(const char* selector, const char* method, std::vector<Value> arguments) {
        std::vector<HtmlValue> raw;
        for (const Value& argument : arguments)
            raw.push_back(argument.ToRaw());
        HtmlValue result{};
        HtmlResult code = Api().CallScriptingMethod(Find(selector).Get(), method, raw.data(),
                                                    std::uint32_t(raw.size()), &result);
        for (HtmlValue& value : raw)
            Value::ClearRaw(value);
        EXPECT_EQ(code, kHtmlOk) << method;
        Value value = Value::FromRaw(result);
        Value::ClearRaw(result);
        return value;
    }
};

// The font drop-down's popup as its template makes it, with the list the page's script fills.
class HostPageScriptsFonts : public HostPageScripts {
protected:
    void SetUp() override {
        Load(
            R"(<html><body><div id=item><div class="prop-view prop-view-string-list prop-view-font">Sans</div>
            <popup class="edit-popup edit-popup-string-list"><div class="edit-box" id="dropdown-list">
            <div class="edit-view">Sans</div><div id="fonts-collection-container">
            <widget type="select" id="fonts-collection" size="5"></widget></div></div></popup></div></body></html>)");
        ASSERT_EQ(Api().ShowPopup(Find(".edit-popup").Get(), Find(".prop-view").Get(), 0), kHtmlOk);
        handler_ = Attach("#item", "item", kHandleBehaviorEvent);
    }

    Value SetRecords(const std::string& json) {
        std::optional<Value> records = Value::FromJson(json);
        EXPECT_TRUE(records) << json;
        return Call("#fonts-collection > vlist", "set_records", {records.value_or(Value())});
    }

    static constexpr const char* kRecords = R"([
        {"type": "label", "label": "Document fonts"},
        {"type": "option", "value": 0, "fontfamily": 1, "fonttype": "true-type", "fontstyle": 0,
         "fontfamilyname": "Serif <Bold>", "drawsample": false},
        {"type": "label", "label": "System fonts"},
        {"type": "option", "value": 1, "fontfamily": 2, "fonttype": "type1", "fontstyle": 2,
         "fontfamilyname": "Sans", "drawsample": true}])";

    so::Ref handler_;
};

TEST_F(HostPageScriptsFonts, RecordsBecomeLabelRowsAndOptionsWithTheNameAndASample) {
    ASSERT_EQ(SetRecords(kRecords), Value::Bool(true));
    EXPECT_EQ(
        HtmlOf(Find("vlist").Get(), false),
        R"(<div class="font-group-label">Document fonts</div>)"
        R"(<option value="0" fonttype="true-type" fontfamily="1" fontstyle="0">)"
        R"(<span class="font-name" font-type="true-type">Serif &lt;Bold&gt;</span></option>)"
        R"(<div class="font-group-label">System fonts</div>)"
        R"(<option value="1" fonttype="type1" fontfamily="2" fontstyle="2" drawsample="">)"
        R"(<span class="font-name" font-type="type1">Sans</span><span class="font-sample"></span></option>)");
    EXPECT_EQ(TextOf(Find("option[value=\"1\"]").Get()), L"Sans") << "the sample adds no text";
    ASSERT_EQ(SetRecords(R"([{"type": "option", "value": "7", "fontfamilyname": "Mono"}])"),
              Value::Bool(true));
    EXPECT_EQ(HtmlOf(Find("vlist").Get(), false),
              R"(<option value="7" fonttype="" fontfamily="" fontstyle="">)"
              R"(<span class="font-name" font-type="">Mono</span></option>)")
        << "the rows are replaced";
}

TEST_F(HostPageScriptsFonts, SetCurrentMakesTheOptionOfThatValueTheSelectsCurrentOne) {
    SetRecords(kRecords);
    EXPECT_EQ(Call("vlist", "set_current", {Value::String(L"1"), Value::String(L"type1")}),
              Value::Bool(true));
    EXPECT_NE(StateOf(Find("option[value=\"1\"]").Get()) & kStateCurrent, 0u);
    EXPECT_EQ(JsonOfValue(Find("#fonts-collection").Get()), "1") << "the widget reads the index back";
    EXPECT_EQ(Call("vlist", "set_current", {Value::Int(0), Value::String(L"true-type")}), Value::Bool(true));
    EXPECT_EQ(StateOf(Find("option[value=\"1\"]").Get()) & kStateCurrent, 0u);
    EXPECT_EQ(JsonOfValue(Find("#fonts-collection").Get()), "0");
    EXPECT_EQ(Call("vlist", "set_current", {Value::Int(9), Value::String(L"type3")}), Value::Bool(false));
    EXPECT_EQ(JsonOfValue(Find("#fonts-collection").Get()), "null") << "no option is current";

    std::uint32_t handled = 0;
    EXPECT_EQ(Api().ExecuteBehaviorCommand(Find("option[value=\"1\"]").Get(), "set-current", &handled),
              kHtmlOk);
    EXPECT_EQ(JsonOfValue(Find("#fonts-collection").Get()), "1") << "the engine's command on a list option";
    EXPECT_TRUE(log_.empty()) << "a program's choice is not announced";
}

TEST_F(HostPageScriptsFonts, AUserChoosesAFontByValueOrShownNameAndTheListAnnouncesIt) {
    SetRecords(kRecords);
    ASSERT_TRUE(driver_.ChooseOption(Find("#fonts-collection").Get(), L"Sans"));
    EXPECT_EQ(JsonOfValue(Find("#fonts-collection").Get()), "1");
    ASSERT_TRUE(driver_.ChooseOption(Find("#fonts-collection").Get(), L"0"));
    EXPECT_EQ(JsonOfValue(Find("#fonts-collection").Get()), "0");
    ASSERT_TRUE(driver_.Click(Find("option[value=\"1\"] .font-name").Get()));
    EXPECT_EQ(JsonOfValue(Find("#fonts-collection").Get()), "1") << "a click on the name picks its option";
    driver_.Click(Find(".font-group-label").Get());
    EXPECT_THAT(log_,
                ::testing::ElementsAre("item:event 6 #fonts-collection", "item:event 6 #fonts-collection",
                                       "item:event 6 #fonts-collection"))
        << "a label row is no choice";
}

struct MalformedRecords {
    const char* name;
    const char* json;
    const char* error;
};

[[maybe_unused]] void PrintTo(const MalformedRecords& records, std::ostream* out) {
    *out << records.name;
}

class HostPageScriptsMalformedRecords : public HostPageScriptsFonts,
                                        public ::testing::WithParamInterface<MalformedRecords> {};

TEST_P(HostPageScriptsMalformedRecords, AreRefusedWithAReasonAndTheRowsStay) {
    SetRecords(kRecords);
    const std::string before = HtmlOf(Find("vlist").Get(), false);
    std::optional<Value> records = Value::FromJson(GetParam().json);
    ASSERT_TRUE(records);
    std::vector<HtmlValue> raw{records->ToRaw()};
    HtmlValue result{};
    EXPECT_EQ(Api().CallScriptingMethod(Find("vlist").Get(), "set_records", raw.data(), 1, &result),
              kHtmlOperationFailed);
    Value::ClearRaw(raw[0]);
    Value::ClearRaw(result);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_NE(errors_[0].find(GetParam().error), std::string::npos) << errors_[0];
    EXPECT_EQ(HtmlOf(Find("vlist").Get(), false), before);
}

INSTANTIATE_TEST_SUITE_P(
    HostPageScripts, HostPageScriptsMalformedRecords,
    ::testing::Values(
        MalformedRecords{"NotAnArray", R"({"type": "label"})", "set_records takes an array of records"},
        MalformedRecords{"RecordNotAMap", R"([{"type": "label", "label": "x"}, 3])",
                         "the record at index 1 is not a map"},
        MalformedRecords{"NoType", R"([{"label": "x"}])", "the record at index 0 needs \"type\" as a text"},
        MalformedRecords{"UnknownType", R"([{"type": "font"}])",
                         "the record at index 0 is of the type \"font\", neither a label nor an option"},
        MalformedRecords{"LabelWithoutText", R"([{"type": "label", "label": 5}])",
                         "needs \"label\" as a text"},
        MalformedRecords{"OptionWithoutValue", R"([{"type": "option", "fontfamilyname": "Sans"}])",
                         "needs \"value\" as a number or a text"},
        MalformedRecords{"OptionWithoutName", R"([{"type": "option", "value": 1}])",
                         "needs \"fontfamilyname\" as a text"},
        MalformedRecords{"ValueTwice",
                         R"([{"type": "option", "value": 1, "fontfamilyname": "A"},
                             {"type": "option", "value": "1", "fontfamilyname": "B"}])",
                         "the record at index 1 has the value 1 of an earlier option"},
        MalformedRecords{"ListForAType",
                         R"([{"type": "option", "value": 1, "fontfamilyname": "A", "fonttype": [1]}])",
                         "has a list or a map for \"fonttype\""},
        MalformedRecords{"SampleNotAFlag",
                         R"([{"type": "option", "value": 1, "fontfamilyname": "A", "drawsample": "yes"}])",
                         "needs \"drawsample\" as true or false"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HostPageScriptsFonts, SetCurrentWithoutAValueIsRefused) {
    SetRecords(kRecords);
    HtmlValue result{};
    EXPECT_EQ(Api().CallScriptingMethod(Find("vlist").Get(), "set_current", nullptr, 0, &result),
              kHtmlOperationFailed);
    Value::ClearRaw(result);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_NE(errors_[0].find("set_current takes the option's value"), std::string::npos) << errors_[0];
}

// The colour editor's popup with the host's colour table included as the panel page includes it:
// from a page of the module's folder, by a path that climbs above the UI root.
class HostPageScriptsColors : public HostPageScripts {
protected:
    void SetUp() override {
        window_.SetResourceReader([](std::string_view url) -> std::optional<std::string> {
            if (url == "document-panel-properties/page.htm") {
                return R"(<html><body><div #editor><div .prop-view #anchor>colour</div>
                    <popup .edit-popup.edit-popup-color><div .edit-box>
                    <include src="../../../popup-color-table/popup-color-table.htm">
                    </div></popup></div></body></html>)";
            }
            if (url == "popup-color-table/popup-color-table.htm") {
                std::ifstream in(std::string(PP_SOURCE_DIR) + "/headless-host/ui-resources/" +
                                     std::string(url),
                                 std::ios::binary);
                if (!in)
                    return std::nullopt;
                return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            }
            return std::nullopt;
        });
        ASSERT_TRUE(window_.LoadUrl("document-panel-properties/page.htm"));
        ASSERT_EQ(Api().ShowPopup(Find(".edit-popup").Get(), Find("#anchor").Get(), 0), kHtmlOk);
        editor_ = Attach("#editor", "editor", kHandleBehaviorEvent | kHandleKey);
        RecordingHandler::Of(editor_).onEvent = [this](HELEMENT, HtmlBehaviorEventParams& event) {
            if (event.cmd == kColorTableChosen)
                chosen_.push_back(Value::FromRaw(event.data).ToText().value_or(L"?"));
        };
    }

    // What the editor does when its popup opens: application event 0x402 on the table.
    void TellCurrent(const std::wstring& color, bool noColorAllowed) {
        Handle table = Find("#ColorsPopup");
        Handle editor = Find("#editor");
        Value current = Value::String(color);
        HtmlBehaviorEventParams tell{kColorTableSetCurrent, table.Get(), editor.Get(),
                                     noColorAllowed ? 1u : 0u, current.ToRaw()};
        std::uint32_t handled = 0;
        EXPECT_EQ(Api().FireEvent(&tell, 0, &handled), kHtmlOk);
        Value::ClearRaw(tell.data);
        EXPECT_NE(handled, 0u) << "the table takes the current colour";
    }

    static bool HasAttribute(HELEMENT element, const char* name) {
        std::wstring ignored;
        return Api().GetAttributeByName(element, name, &so::AppendWide, &ignored) == kHtmlOk;
    }

    // Enter in the hex input after the text, as a user confirms it.
    void TypeAndConfirm(const std::wstring& text) {
        ASSERT_TRUE(driver_.TypeText(Find(".color-hex").Get(), text));
        ASSERT_TRUE(driver_.PressKey(InputDriver::kKeyReturn));
    }

    bool EditorSawEnter() const {
        return std::any_of(log_.begin(), log_.end(),
                           [](const std::string& line) { return line.starts_with("editor:key0 13 "); });
    }

    static constexpr std::uint32_t kKeyBackspace = 0x08;
    static constexpr std::uint32_t kKeyDelete = 0x2E;
    static constexpr std::uint32_t kKeyA = 0x41;

    so::Ref editor_;
    std::vector<std::wstring> chosen_;
};

TEST_F(HostPageScriptsColors, TheCurrentColoursCellIsMarkedAndTheHexInputShowsIt) {
    TellCurrent(L"#0000ff", false);
    EXPECT_NE(StateOf(Find(".color-cell[value=\"#0000FF\"]").Get()) & kStateCurrent, 0u)
        << "a colour told in small letters finds its cell";
    EXPECT_EQ(JsonOfValue(Find(".color-hex").Get()), "\"#0000FF\"");
    TellCurrent(L"#FF0000", false);
    EXPECT_EQ(StateOf(Find(".color-cell[value=\"#0000FF\"]").Get()) & kStateCurrent, 0u);
    EXPECT_NE(StateOf(Find(".color-cell[value=\"#FF0000\"]").Get()) & kStateCurrent, 0u);
    EXPECT_EQ(JsonOfValue(Find(".color-hex").Get()), "\"#FF0000\"");
    TellCurrent(L"", true);
    EXPECT_EQ(StateOf(Find(".color-cell[value=\"#FF0000\"]").Get()) & kStateCurrent, 0u);
    EXPECT_EQ(JsonOfValue(Find(".color-hex").Get()), "\"\"") << "no colour: nothing to show";
    EXPECT_TRUE(chosen_.empty()) << "being told is no choice";
}

TEST_F(HostPageScriptsColors, ACellOrNoColourClickedIsReportedToTheEditor) {
    TellCurrent(L"#0000FF", true);
    ASSERT_TRUE(driver_.Click(Find(".color-cell[value=\"#FF0000\"]").Get()));
    ASSERT_TRUE(driver_.Click(Find(".color-none").Get()));
    EXPECT_EQ(chosen_, (std::vector<std::wstring>{L"#FF0000", L"nocolor"}));
}

TEST_F(HostPageScriptsColors, NoColourIsOfferedOnlyWhereThePropertyAllowsIt) {
    Handle none = Find(".color-none");
    EXPECT_NE(StateOf(none.Get()) & kStateDisabled, 0u) << "not offered before the editor says so";
    EXPECT_FALSE(driver_.Click(none.Get()));

    TellCurrent(L"#0000FF", true);
    EXPECT_EQ(StateOf(none.Get()) & kStateDisabled, 0u);
    EXPECT_FALSE(HasAttribute(none.Get(), "disabled"));
    EXPECT_TRUE(HasAttribute(Find("#ColorsPopup").Get(), "no-color-allowed"));
    ASSERT_TRUE(driver_.Click(none.Get()));
    EXPECT_EQ(chosen_, (std::vector<std::wstring>{L"nocolor"}));

    TellCurrent(L"#0000FF", false);
    EXPECT_NE(StateOf(none.Get()) & kStateDisabled, 0u);
    EXPECT_TRUE(HasAttribute(none.Get(), "disabled"));
    EXPECT_FALSE(HasAttribute(Find("#ColorsPopup").Get(), "no-color-allowed"));
    EXPECT_FALSE(driver_.Click(none.Get()));
    EXPECT_EQ(chosen_, (std::vector<std::wstring>{L"nocolor"})) << "the disabled button raises nothing";
}

struct TypedColor {
    const char* name;
    const wchar_t* typed;
    const wchar_t* chosen; // null: refused
};

[[maybe_unused]] void PrintTo(const TypedColor& typed, std::ostream* out) {
    *out << typed.name;
}

class HostPageScriptsTypedColor : public HostPageScriptsColors,
                                  public ::testing::WithParamInterface<TypedColor> {};

// Enter is the table's either way: the editor would close its popup on it.
TEST_P(HostPageScriptsTypedColor, EnterReportsAColourAndMarksAnythingElseInvalid) {
    TellCurrent(L"#0000FF", true);
    ASSERT_TRUE(driver_.MoveFocus(Find(".color-hex").Get()));
    ASSERT_TRUE(driver_.PressKey(kKeyA, kControlKeyPressed));
    ASSERT_TRUE(driver_.PressKey(kKeyDelete)); // the shown colour goes
    TypeAndConfirm(GetParam().typed);
    Handle input = Find(".color-hex");
    if (GetParam().chosen != nullptr) {
        EXPECT_EQ(chosen_, (std::vector<std::wstring>{GetParam().chosen}));
        EXPECT_FALSE(HasAttribute(input.Get(), "invalid"));
    } else {
        EXPECT_TRUE(chosen_.empty());
        EXPECT_TRUE(HasAttribute(input.Get(), "invalid")) << "the user sees the text was refused";
    }
    EXPECT_FALSE(EditorSawEnter());
}

INSTANTIATE_TEST_SUITE_P(
    HostPageScripts, HostPageScriptsTypedColor,
    ::testing::Values(TypedColor{"Capitals", L"#12AB34", L"#12AB34"},
                      TypedColor{"SmallLettersAreRaised", L"#12ab3f", L"#12AB3F"},
                      TypedColor{"WithoutTheHash", L"12ab34", L"#12AB34"},
                      TypedColor{"BlanksAround", L" 12AB34", L"#12AB34"},
                      TypedColor{"TooShort", L"#12", nullptr}, TypedColor{"FiveDigits", L"#12AB3", nullptr},
                      TypedColor{"SevenDigits", L"12AB345", nullptr},
                      TypedColor{"NoHexDigits", L"#GG0000", nullptr}, TypedColor{"AName", L"red", nullptr},
                      TypedColor{"HashAlone", L"#", nullptr}, TypedColor{"Empty", L"", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HostPageScriptsColors, ARefusedTextIsMarkedUntilItChangesOrTheColourIsTold) {
    TellCurrent(L"", false);
    TypeAndConfirm(L"red");
    Handle input = Find(".color-hex");
    ASSERT_TRUE(HasAttribute(input.Get(), "invalid"));
    ASSERT_TRUE(driver_.PressKey(kKeyBackspace));
    EXPECT_FALSE(HasAttribute(input.Get(), "invalid")) << "the user is correcting it";

    TypeAndConfirm(L"x");
    ASSERT_TRUE(HasAttribute(input.Get(), "invalid"));
    TellCurrent(L"#00FF00", false);
    EXPECT_FALSE(HasAttribute(input.Get(), "invalid")) << "a new colour replaces the refused text";
    EXPECT_EQ(JsonOfValue(input.Get()), "\"#00FF00\"");
    EXPECT_TRUE(chosen_.empty());
}

TEST_F(HostPageScriptsColors, OtherKeysInTheHexInputAndEnterElsewhereStayTheEditors) {
    ASSERT_TRUE(driver_.TypeText(Find(".color-hex").Get(), L"1"));
    EXPECT_THAT(log_, ::testing::Contains(::testing::StartsWith("editor:key2 49 "))) << "a typed character";
    EXPECT_EQ(JsonOfValue(Find(".color-hex").Get()), "\"1\"");
    ASSERT_TRUE(driver_.MoveFocus(Find(".color-cell").Get()));
    ASSERT_TRUE(driver_.PressKey(InputDriver::kKeyReturn));
    EXPECT_TRUE(EditorSawEnter()) << "Enter outside the hex input";
    EXPECT_TRUE(chosen_.empty());
}

} // namespace
} // namespace html::test
