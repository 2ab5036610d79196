// The host's page scripts, done natively: the fonts list and the colour table.
#include "tests/headless-host/html-engine/EngineTestSupport.h"

#include "headless-host/html-engine/driver/HostPageScripts.h"
#include "headless-host/html-engine/runtime/Value.h"

#include <gmock/gmock.h>

#include <algorithm>

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

TEST_F(HostPageScripts, ColourTableTakesTheCurrentColourAndReportsTheChoice) {
    Load(R"(<html><body><div #editor><popup .edit-popup-color>
        <div class="colors-popup" id="ColorsPopup">
          <button class="color-cell" #red value="#FF0000"></button>
          <button class="color-cell" #blue value="#0000FF"></button>
          <button class="color-none" #none value="nocolor">No color</button>
        </div></popup></div></body></html>)");
    so::Ref editor = Attach("#editor", "editor", kHandleBehaviorEvent);
    std::vector<std::wstring> chosen;
    RecordingHandler::Of(editor).onEvent = [&](HELEMENT, HtmlBehaviorEventParams& event) {
        if (event.cmd == kColorTableChosen)
            chosen.push_back(Value::FromRaw(event.data).ToText().value_or(L"?"));
    };

    Handle table = Find("#ColorsPopup");
    Handle source = Find("#editor");
    Value current = Value::String(L"#0000FF");
    HtmlBehaviorEventParams tell{kColorTableSetCurrent, table.Get(), source.Get(), 1, current.ToRaw()};
    std::uint32_t handled = 0;
    ASSERT_EQ(Api().FireEvent(&tell, 0, &handled), kHtmlOk);
    Value::ClearRaw(tell.data);
    EXPECT_NE(handled, 0u);
    EXPECT_NE(StateOf(Find("#blue").Get()) & kStateCurrent, 0u);
    EXPECT_NE(HtmlOf(Find("#ColorsPopup").Get()).find("no-color-allowed"), std::string::npos);

    driver_.Click(Find("#red").Get());
    driver_.Click(Find("#none").Get());
    EXPECT_EQ(chosen, (std::vector<std::wstring>{L"#FF0000", L"nocolor"}));

    // Reason 0: no "no colour" choice for this property.
    HtmlBehaviorEventParams again{kColorTableSetCurrent, table.Get(), source.Get(), 0, {}};
    Api().FireEvent(&again, 0, &handled);
    EXPECT_EQ(HtmlOf(Find("#ColorsPopup").Get()).find("no-color-allowed"), std::string::npos);
}

} // namespace
} // namespace html::test
