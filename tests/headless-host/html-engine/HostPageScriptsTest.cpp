// The host's page scripts, done natively: the fonts list and the colour table.
#include "tests/headless-host/html-engine/EngineTestSupport.h"

#include "headless-host/html-engine/driver/HostPageScripts.h"
#include "headless-host/html-engine/runtime/Value.h"

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
        HtmlResult code =
            Api().CallScriptingMethod(Find(selector).Get(), method, raw.data(), std::uint32_t(raw.size()), &result);
        for (HtmlValue& value : raw)
            Value::ClearRaw(value);
        EXPECT_EQ(code, kHtmlOk) << method;
        Value value = Value::FromRaw(result);
        Value::ClearRaw(result);
        return value;
    }
};

TEST_F(HostPageScripts, FontsListShowsRecordsAndMarksTheCurrentOne) {
    Load(R"(<html><body><widget type="select" id="fonts-collection"></widget></body></html>)");
    auto records = Value::FromJson(R"([
        {"type": "label", "label": "Document fonts"},
        {"type": "option", "value": 0, "fontfamily": 1, "fonttype": "TrueType", "fontstyle": 0,
         "fontfamilyname": "Serif <Bold>", "drawsample": false},
        {"type": "label", "label": "System fonts"},
        {"type": "option", "value": 1, "fontfamily": 2, "fonttype": "Type1", "fontstyle": 0,
         "fontfamilyname": "Sans", "drawsample": true}])");
    ASSERT_TRUE(records);
    Call("#fonts-collection > vlist", "set_records", {*records});

    std::string list = HtmlOf(Find("vlist").Get(), false);
    EXPECT_NE(list.find("<div class=\"font-group-label\">Document fonts</div>"), std::string::npos) << list;
    EXPECT_NE(list.find(">Serif &lt;Bold&gt;</option>"), std::string::npos) << list;
    EXPECT_NE(list.find(R"(drawsample="">Sans</option>)"), std::string::npos) << list;

    Call("vlist", "set_current", {Value::String(L"1"), Value::String(L"Type1")});
    EXPECT_NE(StateOf(Find("option[value=\"1\"]").Get()) & kStateCurrent, 0u);
    EXPECT_EQ(StateOf(Find("option[value=\"0\"]").Get()) & kStateCurrent, 0u);

    // The list's options are the select's: the engine's command makes one current.
    std::uint32_t handled = 0;
    EXPECT_EQ(Api().ExecuteBehaviorCommand(Find("option[value=\"0\"]").Get(), "set-current", &handled), kHtmlOk);
    EXPECT_NE(handled, 0u);
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
