// The native behaviours: the values of inputs, check boxes, selects and forms, drop-down selects,
// tabs, and the script methods of editable inputs.
#include "EngineTestSupport.h"

#include "service-common/TextReceivers.h"

#include <gmock/gmock.h>

#include <cmath>
#include <functional>

namespace html::test {
namespace {

using ::testing::ElementsAre;

constexpr std::uint32_t kKeyUp = 0x26;
constexpr std::uint32_t kKeyDown = 0x28;

// The value of an element as text (ValueStringData), with its type.
std::pair<std::uint32_t, std::wstring> ValueOf(HELEMENT element) {
    HtmlValue value{};
    EXPECT_EQ(Api().GetElementValue(element, &value), kHtmlOk);
    std::wstring text;
    Api().ValueStringData(&value, &so::AppendWide, &text);
    std::uint32_t type = value.type;
    Api().ValueClear(&value);
    return {type, text};
}

HtmlResult SetValueJson(HELEMENT element, const std::string& json) {
    HtmlValue value{};
    EXPECT_EQ(Api().ValueFromJson(&value, json.data(), std::uint32_t(json.size())), kHtmlOk) << json;
    HtmlResult result = Api().SetElementValue(element, &value);
    Api().ValueClear(&value);
    return result;
}

HtmlResult Call(HELEMENT element, const char* method, const std::string& argumentsJson,
                std::string* resultJson = nullptr) {
    HtmlValue arguments{};
    Api().ValueFromJson(&arguments, argumentsJson.data(), std::uint32_t(argumentsJson.size()));
    std::uint32_t count = 0;
    Api().ValueElementCount(&arguments, &count);
    std::vector<HtmlValue> argv(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        Api().ValueNthElement(&arguments, i, &argv[i]);
    }
    HtmlValue result{};
    HtmlResult code = Api().CallScriptingMethod(element, method, argv.data(), count, &result);
    if (resultJson != nullptr) {
        resultJson->clear();
        Api().ValueToJson(
            &result,
            [](const char* text, std::uint32_t length, void* param) {
                static_cast<std::string*>(param)->append(text, length);
            },
            resultJson);
    }
    for (HtmlValue& value : argv) {
        Api().ValueClear(&value);
    }
    Api().ValueClear(&arguments);
    Api().ValueClear(&result);
    return code;
}

class Behaviors : public EngineTest {};

// ---- Values by element kind ---------------------------------------------------------------------------

struct ValueCase {
    const char* name;
    const char* markup; // the element of interest has id "e"
    std::uint32_t type;
    const wchar_t* text;
};

class BehaviorsValue : public EngineTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(BehaviorsValue, ElementGivesItsTypedValue) {
    Load(GetParam().markup);
    auto [type, text] = ValueOf(Find("#e").Get());
    EXPECT_EQ(type, GetParam().type);
    EXPECT_EQ(text, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Behaviors, BehaviorsValue,
    ::testing::Values(
        ValueCase{"TextInput", "<input id=e value='abc'>", kHtmlValueString, L"abc"},
        ValueCase{"NumberInput", "<input id=e type=number value=' 12 '>", kHtmlValueInt, L"12"},
        ValueCase{"NumberWithoutNumber", "<input id=e type=number value='\xE2\x80\x93'>", kHtmlValueUndefined,
                  L""},
        ValueCase{"DecimalInput", "<input id=e type=decimal value='1.50'>", kHtmlValueFloat, L"1.5"},
        ValueCase{"TextShowingItsNoValue", "<input id=e novalue='&ndash;'>", kHtmlValueUndefined, L""},
        ValueCase{"SliderClampsToMax", "<input id=e type=hslider min=0 max=10 value=30>", kHtmlValueInt,
                  L"10"},
        ValueCase{"DateInput", "<input id=e type=date value='2020-02-29'>", kHtmlValueDate,
                  L"2020-02-29T00:00:00"},
        ValueCase{"TimeInput", "<input id=e type=time value='13:45'>", kHtmlValueDate,
                  L"1601-01-01T13:45:00"},
        ValueCase{"BadDate", "<input id=e type=date value='2021-02-29'>", kHtmlValueUndefined, L""},
        ValueCase{"TextArea", "<textarea id=e>one\ntwo</textarea>", kHtmlValueString, L"one\ntwo"},
        ValueCase{"PlaintextFromItsValue", "<plaintext id=e value='a b'></plaintext>", kHtmlValueString,
                  L"a b"},
        ValueCase{"CheckBox", "<button id=e type=checkbox checked></button>", kHtmlValueBool, L"true"},
        ValueCase{"SelectOptionValue", "<select id=e><option value=1>a<option value=2 selected>b</select>",
                  kHtmlValueInt, L"2"},
        ValueCase{"WidgetSelectOptionText",
                  "<widget id=e type=select><option>x</option><option selected>y</option></widget>",
                  kHtmlValueString, L"y"},
        ValueCase{"SelectWithoutCurrent", "<widget id=e type=select><option>x</option></widget>",
                  kHtmlValueUndefined, L""},
        ValueCase{"PlainElementText", "<div id=e>plain <b>text</b></div>", kHtmlValueString, L"plain text"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Behaviors, SetValuesAsTheirKindReadsThem) {
    Load("<input id=n type=number><input id=d type=date><input id=s type=hslider min=0 max=50>"
         "<button id=c type=checkbox></button><div id=p>x</div>");
    ASSERT_EQ(SetValueJson(Find("#n").Get(), "\"7\""), kHtmlOk);
    EXPECT_EQ(ValueOf(Find("#n").Get()), std::make_pair(std::uint32_t(kHtmlValueInt), std::wstring(L"7")));
    ASSERT_EQ(SetValueJson(Find("#n").Get(), "\"\xE2\x80\x93\""), kHtmlOk);
    EXPECT_EQ(ValueOf(Find("#n").Get()).first, std::uint32_t(kHtmlValueUndefined));
    EXPECT_EQ(TextOf(Find("#n").Get()), L"\u2013") << "the input shows what it was given";

    HtmlValue date{};
    Api().ValueInt64DataSet(&date, 126256467060000000, kHtmlValueDate);
    ASSERT_EQ(Api().SetElementValue(Find("#d").Get(), &date), kHtmlOk);
    EXPECT_EQ(TextOf(Find("#d").Get()), L"2001-02-03");

    ASSERT_EQ(SetValueJson(Find("#s").Get(), "70"), kHtmlOk);
    EXPECT_EQ(ValueOf(Find("#s").Get()).second, L"50");
    ASSERT_EQ(SetValueJson(Find("#c").Get(), "true"), kHtmlOk);
    EXPECT_NE(StateOf(Find("#c").Get()) & kStateChecked, 0u);
    ASSERT_EQ(SetValueJson(Find("#p").Get(), "12"), kHtmlOk);
    EXPECT_EQ(TextOf(Find("#p").Get()), L"12");
    EXPECT_EQ(SetValueJson(Find("#p").Get(), "[1]"), kHtmlOperationFailed);
}

// ---- Forms ------------------------------------------------------------------------------------------

TEST_F(Behaviors, FormValueIsTheMapOfItsNamedFields) {
    Load("<form id=f><input name=a value=x>"
         "<button type=radio name=r value=1 id=r1></button><button type=radio name=r value=2 id=r2 "
         "checked></button>"
         "<button type=checkbox name=c></button>"
         "<form><input name=inner></form><input value=unnamed>"
         "<button type=radio name=none value=3></button></form>");
    EXPECT_EQ(JsonOfValue(Find("#f").Get()), R"({"a":"x","r":2,"c":false,"none":null})");

    so::Ref handler = Attach("#f", "f", kHandleBehaviorEvent);
    ASSERT_EQ(SetValueJson(Find("#f").Get(), R"({"r":"1","a":"y","unknown":1})"), kHtmlOk);
    EXPECT_EQ(JsonOfValue(Find("#f").Get()), R"({"a":"y","r":1,"c":false,"none":null})");
    EXPECT_NE(StateOf(Find("#r1").Get()) & kStateChecked, 0u);
    EXPECT_EQ(StateOf(Find("#r2").Get()) & kStateChecked, 0u);
    EXPECT_TRUE(log_.empty()) << "setting a value raises no events";
}

TEST_F(Behaviors, RadioClickChecksOneOfItsGroup) {
    Load("<form id=f><button type=radio name=r value=1 id=r1 checked></button>"
         "<button type=radio name=r value=2 id=r2></button></form>"
         "<form><button type=radio name=r value=3 id=r3 checked></button></form>");
    so::Ref handler = Attach("#f", "f", kHandleBehaviorEvent);
    driver_.Click(Find("#r2").Get());
    driver_.Click(Find("#r2").Get());
    EXPECT_THAT(log_, ElementsAre("f:event 2 #r2", "f:event 0 #r2", "f:event 0 #r2"));
    EXPECT_EQ(StateOf(Find("#r1").Get()) & kStateChecked, 0u);
    EXPECT_NE(StateOf(Find("#r3").Get()) & kStateChecked, 0u) << "another form, another group";
}

// ---- Selects ------------------------------------------------------------------------------------------

TEST_F(Behaviors, SetCurrentCommandChangesTheOptionSilently) {
    Load("<div id=box><widget id=w type=select><option value=0 id=o0 selected>a</option>"
         "<option value=1 id=o1>b</option></widget></div>");
    so::Ref handler = Attach("#box", "box", kHandleBehaviorEvent);
    std::uint32_t handled = 0;
    ASSERT_EQ(Api().ExecuteBehaviorCommand(Find("#o1").Get(), "set-current", &handled), kHtmlOk);
    EXPECT_EQ(handled, 1u);
    EXPECT_EQ(ValueOf(Find("#w").Get()).second, L"1");
    std::uint32_t matches = 0;
    Api().TestElement(Find("#o1").Get(), "option:current", &matches);
    EXPECT_EQ(matches, 1u);
    EXPECT_EQ(StateOf(Find("#o0").Get()) & kStateCurrent, 0u);
    EXPECT_TRUE(log_.empty());
    EXPECT_EQ(Api().ExecuteBehaviorCommand(Find("#box").Get(), "set-current", &handled), kHtmlNotHandled);
    EXPECT_EQ(handled, 0u);
}

TEST_F(Behaviors, DropDownSelectGetsCaptionAndPopup) {
    Load("<select id=s type=dropdown editable><optgroup><option value=10>10</option>"
         "<option value=12 selected>12</option></optgroup></select>");
    Handle select = Find("#s");
    EXPECT_EQ(HtmlOf(select.Get(), false),
              "<caption>12</caption><popup><optgroup><option value=\"10\">10</option>"
              "<option value=\"12\" selected=\"\">12</option></optgroup></popup>");
    Find("select[type=dropdown][editable] > popup > optgroup > option");
    EXPECT_EQ(TextOf(select.Get()), L"12");
    EXPECT_EQ(ValueOf(select.Get()).second, L"12");

    ASSERT_EQ(SetValueJson(select.Get(), "\"10\""), kHtmlOk);
    EXPECT_EQ(TextOf(Find("#s > caption").Get()), L"10");
    ASSERT_EQ(SetValueJson(select.Get(), "\"13.5\""), kHtmlOk);
    EXPECT_EQ(ValueOf(select.Get()), std::make_pair(std::uint32_t(kHtmlValueString), std::wstring(L"13.5")))
        << "an editable select takes values that are no option";
    ASSERT_EQ(Api().SetElementText(select.Get(), L"\u2013", 1), kHtmlOk);
    EXPECT_EQ(TextOf(Find("#s > caption").Get()), L"\u2013");
    EXPECT_EQ(HtmlOf(Find("#s > popup").Get(), false).find("<caption>"), std::string::npos)
        << "options untouched";
}

// The list of a string-list editor's popup: a select widget of a given size whose options, in an
// option group, carry their index as value and the property's texts in attributes.
class BehaviorsListWidget : public EngineTest {
protected:
    void SetUp() override {
        Load("<div id=item><div class='prop-view prop-view-string-list' id=view>Two</div>"
             "<popup class='edit-popup edit-popup-string-list'><div class=edit-box>"
             "<div class=edit-view>Two</div>"
             "<widget type=select id=w class=text-list-options size=4><optgroup>"
             "<option value=0 id=o0 lv=One lv-safe=One lv-localized=Eins>Eins</option>"
             "<option value=1 id=o1 lv=Two lv-safe=Two lv-localized=Zwei selected>Zwei</option>"
             "<option value=2 id=o2 lv=Three disabled>Drei</option>"
             "<option value=3 id=o3 lv=Four>Vier</option>"
             "</optgroup></widget></div></popup></div>");
        ASSERT_EQ(Api().ShowPopup(Find(".edit-popup").Get(), Find("#view").Get(), 0), kHtmlOk);
        handler_ = Attach("#item", "item", kHandleBehaviorEvent);
    }

    // What the editor reads back: the current option as ":root option:current" finds it from the
    // widget.
    std::string CurrentOption() {
        HELEMENT found = nullptr;
        EXPECT_EQ(Api().SelectFirst(Find("#w").Get(), ":root option:current", &found), kHtmlOk);
        Handle option = Handle::Adopt(found);
        return option ? IdOf(option.Get()) : "none";
    }

    so::Ref handler_;
};

TEST_F(BehaviorsListWidget, TheSelectedOptionIsCurrentAndTheValueIsItsIndex) {
    EXPECT_EQ(CurrentOption(), "o1");
    EXPECT_EQ(ValueOf(Find("#w").Get()), std::make_pair(std::uint32_t(kHtmlValueInt), std::wstring(L"1")));
    std::uint32_t handled = 0;
    ASSERT_EQ(Api().ExecuteBehaviorCommand(Find("#w option[value=3]").Get(), "set-current", &handled),
              kHtmlOk);
    EXPECT_EQ(CurrentOption(), "o3");
    EXPECT_EQ(JsonOfValue(Find("#w").Get()), "3");
    EXPECT_EQ(StateOf(Find("#o1").Get()) & kStateCurrent, 0u) << "one current option";
    EXPECT_TRUE(log_.empty()) << "a program's choice is not announced";
}

TEST_F(BehaviorsListWidget, AClickOnAnEnabledOptionAnnouncesTheWidgetAndDisabledOnesRefuseIt) {
    ASSERT_TRUE(driver_.Click(Find("#o0").Get()));
    EXPECT_THAT(log_, ElementsAre("item:event 6 #w"));
    EXPECT_EQ(JsonOfValue(Find("#w").Get()), "0");

    log_.clear();
    driver_.Click(Find("#o2").Get());
    ASSERT_EQ(Api().SetElementState(Find("#o3").Get(), kStateDisabled, 0, 1), kHtmlOk);
    driver_.Click(Find("#o3").Get());
    EXPECT_TRUE(log_.empty()) << "disabled by attribute and by state";
    EXPECT_EQ(CurrentOption(), "o0");

    ASSERT_EQ(Api().SetElementState(Find("#o3").Get(), 0, kStateDisabled, 1), kHtmlOk);
    ASSERT_TRUE(driver_.Click(Find("#o3").Get()));
    EXPECT_THAT(log_, ElementsAre("item:event 6 #w"));
    EXPECT_EQ(CurrentOption(), "o3");
}

// An editable drop-down: its caption takes typing, and the select announces what the user commits.
class BehaviorsEditableDropDown : public EngineTest {
protected:
    void SetUp() override {
        Load("<div id=box><select id=s type=dropdown editable><option value=8>8</option>"
             "<option value=9>9</option></select><input id=other></div>");
        handler_ = Attach("#box", "box", kHandleBehaviorEvent | kHandleFocus);
        // The source of each behaviour event, beside the log's target.
        RecordingHandler::Of(handler_).onEvent = [this](HELEMENT, HtmlBehaviorEventParams& event) {
            sources_.push_back(IdOf(event.he));
        };
    }

    so::Ref handler_;
    std::vector<std::string> sources_;
};

TEST_F(BehaviorsEditableDropDown, TypingAnnouncesChangingAndEnterCommitsOnce) {
    ASSERT_TRUE(driver_.TypeText(Find("#s").Get(), L"12"));
    ASSERT_TRUE(driver_.PressKey(::html::InputDriver::kKeyReturn));
    ASSERT_TRUE(driver_.PressKey(::html::InputDriver::kKeyReturn));
    EXPECT_THAT(log_, ElementsAre("box:focus 4 #caption", "box:focus 2 #caption", "box:event 3 #s",
                                  "box:event 3 #s", "box:event 4 #s"))
        << "a second Enter has nothing new to commit";
    EXPECT_THAT(sources_, ElementsAre("caption", "caption", "caption"));
    EXPECT_EQ(JsonOfValue(Find("#s").Get()), "\"12\"");
}

TEST_F(BehaviorsEditableDropDown, LosingTheFocusCommitsWhatChangedBeforeTheFocusLeaves) {
    ASSERT_TRUE(driver_.TypeText(Find("#s").Get(), L"7"));
    log_.clear();
    ASSERT_TRUE(driver_.MoveFocus(Find("#other").Get()));
    EXPECT_THAT(log_, ElementsAre("box:focus 4 #other", "box:event 4 #s", "box:focus 3 #caption",
                                  "box:focus 2 #other"));
    log_.clear();
    ASSERT_TRUE(driver_.MoveFocus(Find("#s").Get()));
    ASSERT_TRUE(driver_.PressKey(::html::InputDriver::kKeyReturn));
    ASSERT_TRUE(driver_.MoveFocus(Find("#other").Get()));
    EXPECT_THAT(log_, ElementsAre("box:focus 4 #caption", "box:focus 3 #other", "box:focus 2 #caption",
                                  "box:focus 4 #other", "box:focus 3 #caption", "box:focus 2 #other"))
        << "nothing typed since the last commit";
}

TEST_F(BehaviorsEditableDropDown, TypingBackToTheCommittedTextCommitsNothing) {
    ASSERT_TRUE(driver_.TypeText(Find("#s").Get(), L"5\n"));
    log_.clear();
    ASSERT_TRUE(driver_.TypeText(Find("#s").Get(), L"6"));
    ASSERT_TRUE(driver_.PressKey(0x08)); // Backspace
    ASSERT_TRUE(driver_.PressKey(::html::InputDriver::kKeyReturn));
    EXPECT_THAT(log_, ElementsAre("box:event 3 #s", "box:event 3 #s"));
}

TEST_F(BehaviorsEditableDropDown, ChoosingFromTheListAnnouncesTheChoiceNotTheTyping) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> focusRequests; // (target is caption, cause)
    RecordingHandler::Of(handler_).onFocus = [&](HtmlFocusParams& focus) {
        if (focus.cmd == kFocusRequest) {
            focusRequests.emplace_back(IdOf(focus.target) == "caption", focus.cause);
        }
    };
    ASSERT_TRUE(driver_.TypeText(Find("#s").Get(), L"5"));
    log_.clear();
    sources_.clear();
    focusRequests.clear();
    ASSERT_TRUE(driver_.ChooseOption(Find("#s").Get(), L"9"));
    ASSERT_TRUE(driver_.MoveFocus(Find("#other").Get()));
    EXPECT_THAT(log_, ElementsAre("box:event 7 #popup", "box:event 8 #popup", "box:event 19 #popup",
                                  "box:event 9 #popup", "box:focus 4 #caption", "box:event 6 #s",
                                  "box:focus 4 #other", "box:focus 3 #caption", "box:focus 2 #other"))
        << "the choice replaced the typed text: no commit of it follows";
    EXPECT_THAT(sources_, ElementsAre("popup", "popup", "popup", "popup", "s"));
    EXPECT_THAT(focusRequests, ElementsAre(std::make_pair(1u, std::uint32_t(kByPopup)),
                                           std::make_pair(0u, std::uint32_t(kByMouse))))
        << "the closing list gives the focus back to the caption";
    EXPECT_EQ(JsonOfValue(Find("#s").Get()), "9");
}

TEST_F(BehaviorsEditableDropDown, ValuesSetByAProgramAreNotCommittedAsTyped) {
    ASSERT_TRUE(driver_.MoveFocus(Find("#s").Get()));
    log_.clear();
    ASSERT_EQ(SetValueJson(Find("#s").Get(), "\"13.5\""), kHtmlOk);
    ASSERT_TRUE(driver_.PressKey(::html::InputDriver::kKeyReturn));
    ASSERT_EQ(Api().SetElementText(Find("#s").Get(), L"14", 2), kHtmlOk);
    ASSERT_TRUE(driver_.PressKey(::html::InputDriver::kKeyReturn));
    ASSERT_EQ(Api().SetElementText(Find("#s > caption").Get(), L"15", 2), kHtmlOk);
    ASSERT_TRUE(driver_.MoveFocus(Find("#other").Get()));
    EXPECT_THAT(log_, ElementsAre("box:focus 4 #other", "box:focus 3 #caption", "box:focus 2 #other"));
}

TEST_F(BehaviorsEditableDropDown, CaptionSelectionMethodsDecideWhatTypingReplaces) {
    ASSERT_EQ(SetValueJson(Find("#s").Get(), "\"1234\""), kHtmlOk);
    Handle caption = Find("#s > caption");
    std::string selection;
    ASSERT_EQ(Call(caption.Get(), "setSelection", "[1,3]"), kHtmlOk);
    ASSERT_EQ(Call(caption.Get(), "getSelection", "[]", &selection), kHtmlOk);
    EXPECT_EQ(selection, "[1,3]");
    ASSERT_TRUE(driver_.TypeText(Find("#s").Get(), L"x"));
    EXPECT_EQ(TextOf(caption.Get()), L"1x4");
    ASSERT_EQ(Call(caption.Get(), "doSelectAll", "[]"), kHtmlOk);
    ASSERT_EQ(Call(caption.Get(), "getSelection", "[]", &selection), kHtmlOk);
    EXPECT_EQ(selection, "[0,3]");
    ASSERT_TRUE(driver_.TypeText(Find("#s").Get(), L"7"));
    EXPECT_EQ(TextOf(Find("#s").Get()), L"7");
}

// ---- Tabs ---------------------------------------------------------------------------------------------

// The page's structure: a strip of tabs and a container of panels; a panel may hold a tab
// container of its own, and named elements that are no panels.
class BehaviorsTabs : public EngineTest {
protected:
    void SetUp() override {
        Load("<div id=tabs>"
             "<div class=strip><span id=t1 panel=one></span><span id=t2 panel=two></span>"
             "<span id=t3 panel=three></span></div>"
             "<div class=panels-container>"
             "<div id=p1 name=one><div id=inner><div class=strip><span id=i1 panel=two></span></div>"
             "<div class=panels-container><div id=ip name=two><div id=item "
             "name=one></div></div></div></div></div>"
             "<div id=p2 name=two></div><div id=p3 name=three></div></div></div>");
        handler_ = Attach("#tabs", "tabs", kHandleBehaviorEvent);
    }
    so::Ref handler_;
};

TEST_F(BehaviorsTabs, SelectExpandsTheTabAndItsPanelAndCollapsesTheOthers) {
    std::string result;
    ASSERT_EQ(Call(Find("#tabs").Get(), "select", "[\"two\"]", &result), kHtmlOk);
    EXPECT_EQ(result, "true");
    EXPECT_THAT(log_, ElementsAre("tabs:event 145 #t2", "tabs:event 145 #p2"));
    EXPECT_EQ(StateOf(Find("#t2").Get()) & (kStateCurrent | kStateExpanded),
              std::uint32_t(kStateCurrent | kStateExpanded));
    EXPECT_NE(StateOf(Find("#p1").Get()) & kStateCollapsed, 0u);
    EXPECT_NE(StateOf(Find("#p3").Get()) & kStateCollapsed, 0u);
    EXPECT_EQ(StateOf(Find("#ip").Get()) & (kStateCollapsed | kStateExpanded), 0u)
        << "the inner tabs are not this container's";

    log_.clear();
    ASSERT_EQ(Call(Find("#tabs").Get(), "select", "[\"two\"]"), kHtmlOk);
    EXPECT_TRUE(log_.empty()) << "selecting the current tab again changes nothing";
    ASSERT_EQ(Call(Find("#tabs").Get(), "select", "[\"four\"]", &result), kHtmlOk);
    EXPECT_EQ(result, "false");
}

TEST_F(BehaviorsTabs, SelectFirstSkipsDisabledTabsAndClicksSelectToo) {
    Api().SetElementState(Find("#t1").Get(), kStateDisabled, 0, 1);
    std::string result;
    ASSERT_EQ(Call(Find("#tabs").Get(), "select_first", "[]", &result), kHtmlOk);
    EXPECT_EQ(result, "true");
    EXPECT_NE(StateOf(Find("#p2").Get()) & kStateExpanded, 0u);
    log_.clear();
    ASSERT_TRUE(driver_.ExpandTab(Find("#t3").Get()));
    EXPECT_THAT(log_, ElementsAre("tabs:event 145 #t3", "tabs:event 145 #p3"));
    EXPECT_EQ(StateOf(Find("#t2").Get()) & kStateCurrent, 0u);
    EXPECT_FALSE(driver_.ExpandTab(Find("#p3").Get())) << "not a tab";
}

TEST_F(BehaviorsTabs, NestedContainersSelectOnTheirOwn) {
    log_.clear();
    ASSERT_TRUE(driver_.ExpandTab(Find("#i1").Get()));
    EXPECT_THAT(log_, ElementsAre("tabs:event 145 #i1", "tabs:event 145 #ip"));
    EXPECT_EQ(StateOf(Find("#p2").Get()) & (kStateCollapsed | kStateExpanded), 0u);
    EXPECT_EQ(StateOf(Find("#item").Get()) & kStateCollapsed, 0u) << "named, but not a panel";
}

TEST_F(Behaviors, HostBindingsDecideWhatIsAButton) {
    window_.BindBehavior(".editable-prop", "button");
    Load("<div id=box><div id=view class='prop-view editable-prop'><span id=text>v</span></div>"
         "<div id=plain><span id=inside>p</span></div></div>");
    so::Ref handler = Attach("#box", "box", kHandleBehaviorEvent);
    driver_.Click(Find("#text").Get());
    driver_.Click(Find("#inside").Get());
    EXPECT_THAT(log_, ElementsAre("box:event 0 #view", "box:event 0 #inside"))
        << "a bound button reports its own clicks; any other click is reported where it landed";
}

TEST_F(Behaviors, HostInitializersRunWhenElementsAppear) {
    std::vector<std::string> seen;
    window_.WhenBound("widget#fonts", [&](HELEMENT element) {
        seen.push_back(IdOf(element));
        Api().SetElementHtml(element, "<vlist></vlist>", 15, kSetInnerHtml);
    });
    Load("<div id=box></div>");
    const std::string markup = "<widget type=select id=fonts></widget><widget id=other></widget>";
    Api().SetElementHtml(Find("#box").Get(), markup.data(), std::uint32_t(markup.size()), kSetInnerHtml);
    EXPECT_THAT(seen, ElementsAre("fonts"));
    Find("#fonts > vlist");
}

TEST_F(Behaviors, AnElementIsBoundOnceWhileItStaysInThePage) {
    std::vector<std::string> seen;
    window_.WhenBound(".probe", [&](HELEMENT element) { seen.push_back(IdOf(element)); });
    Load("<div id=box><div class=probe id=plain>p</div><widget type=select class=probe "
         "id=select></widget></div>");
    EXPECT_THAT(seen, ElementsAre("plain", "select"));
    // Asked about again, plain or with a behaviour, neither is bound again.
    EXPECT_EQ(TextOf(Find("#plain").Get()), L"p");
    TextOf(Find("#select").Get());
    driver_.Click(Find("#plain").Get());
    EXPECT_THAT(seen, ElementsAre("plain", "select"));
    // New content is bound as it comes.
    const std::string markup = "<div class=probe id=again></div>";
    Api().SetElementHtml(Find("#box").Get(), markup.data(), std::uint32_t(markup.size()), kSetInnerHtml);
    TextOf(Find("#again").Get());
    EXPECT_THAT(seen, ElementsAre("plain", "select", "again"));
}

// ---- Sliders ------------------------------------------------------------------------------------------

TEST_F(Behaviors, SliderShowsItsValueInItsBuddyHoweverItChanges) {
    Load("<div id=box><input id=s type=hslider min=0 max=10 value=3 buddy=shown>"
         "<div><span id=shown>?</span></div></div>");
    so::Ref handler = Attach("#box", "box", kHandleBehaviorEvent);
    EXPECT_EQ(TextOf(Find("#shown").Get()), L"3") << "when bound, also with the buddy after it";
    ASSERT_EQ(SetValueJson(Find("#s").Get(), "8"), kHtmlOk);
    EXPECT_EQ(TextOf(Find("#shown").Get()), L"8");
    ASSERT_TRUE(driver_.ChangeValue(Find("#s").Get(), Value::Int(70)));
    EXPECT_EQ(TextOf(Find("#shown").Get()), L"10");
    EXPECT_THAT(log_, ElementsAre("box:event 2 #s"));

    const std::string markup = "<span id=later></span><input id=t type=hslider value=4 buddy=later>";
    ASSERT_EQ(Api().SetElementHtml(Find("#box").Get(), markup.data(), std::uint32_t(markup.size()),
                                   kAppendInnerHtml),
              kHtmlOk);
    EXPECT_EQ(TextOf(Find("#later").Get()), L"4") << "a slider added to the page";
}

TEST_F(Behaviors, DisabledSliderRefusesAUsersChange) {
    Load("<div id=box><input id=s type=hslider value=3 disabled buddy=shown><span id=shown></span></div>");
    so::Ref handler = Attach("#box", "box", kHandleBehaviorEvent);
    EXPECT_FALSE(driver_.ChangeValue(Find("#s").Get(), Value::Int(5)));
    EXPECT_EQ(JsonOfValue(Find("#s").Get()), "3");
    EXPECT_EQ(TextOf(Find("#shown").Get()), L"3");
    EXPECT_TRUE(log_.empty());
}

// ---- Editable inputs ------------------------------------------------------------------------------------

TEST_F(Behaviors, SelectionMethodsDecideWhatTypingReplaces) {
    Load("<input id=e value=hello><div id=d></div>");
    Handle input = Find("#e");
    ASSERT_EQ(Call(input.Get(), "setSelection", "[1,3]"), kHtmlOk);
    driver_.TypeText(input.Get(), L"X");
    EXPECT_EQ(TextOf(input.Get()), L"hXlo");
    ASSERT_EQ(Call(input.Get(), "setSelection", "[99,99]"), kHtmlOk);
    driver_.TypeText(input.Get(), L"!");
    EXPECT_EQ(TextOf(input.Get()), L"hXlo!");
    ASSERT_EQ(Call(input.Get(), "doSelectAll", "[]"), kHtmlOk);
    driver_.TypeText(input.Get(), L"Z");
    EXPECT_EQ(TextOf(input.Get()), L"Z");
    EXPECT_EQ(Call(Find("#d").Get(), "setSelection", "[0,0]"), kHtmlNotHandled);
}

struct TypingCase {
    const char* name;
    const char* markup;
    const wchar_t* typed;
    const wchar_t* shown;
};

class BehaviorsTyping : public EngineTest, public ::testing::WithParamInterface<TypingCase> {};

TEST_P(BehaviorsTyping, InputTakesOnlyWhatItAccepts) {
    Load(GetParam().markup);
    ASSERT_TRUE(driver_.TypeText(Find("#e").Get(), GetParam().typed));
    EXPECT_EQ(TextOf(Find("#e").Get()), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Behaviors, BehaviorsTyping,
    ::testing::Values(
        TypingCase{"NumberDropsLetters", "<input id=e type=number>", L"1a2-", L"12-"},
        TypingCase{"FilterAttribute", "<input id=e type=decimal filter='0~9.'>", L"-1.5x", L"1.5"},
        TypingCase{"MaxLength", "<input id=e maxlength=3>", L"abcdef", L"abc"},
        TypingCase{"NumberPastItsMaxIsLeftToTheApplication", "<input id=e type=number min=0 max=100>", L"500",
                   L"500"},
        TypingCase{"FirstCharacterReplacesTheNoValueText",
                   "<input id=e type=decimal filter='0~9.' novalue='&ndash;'>", L"x7.5", L"7.5"},
        TypingCase{"ReadOnly", "<input id=e readonly value=v>", L"abc", L"v"},
        TypingCase{"SingleLineIgnoresEnter", "<input id=e>", L"a\nb", L"ab"},
        TypingCase{"TextAreaTakesLines", "<textarea id=e></textarea>", L"a\nb", L"a\nb"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Number stepping ---------------------------------------------------------------------------------

struct StepCase {
    const char* name;
    const char* markup; // the input has id "e"
    std::uint32_t key;
    const wchar_t* shown;
};

class BehaviorsStep : public EngineTest, public ::testing::WithParamInterface<StepCase> {};

TEST_P(BehaviorsStep, UpAndDownStepTheNumberWithinItsLimits) {
    Load(GetParam().markup);
    ASSERT_TRUE(driver_.MoveFocus(Find("#e").Get()));
    ASSERT_TRUE(driver_.PressKey(GetParam().key));
    EXPECT_EQ(TextOf(Find("#e").Get()), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Behaviors, BehaviorsStep,
    ::testing::Values(
        StepCase{"UpByOne", "<input id=e type=number value=5>", kKeyUp, L"6"},
        StepCase{"DownByStep", "<input id=e type=number value=5 step=2>", kKeyDown, L"3"},
        StepCase{"UpStopsAtMax", "<input id=e type=number value=9 step=5 max=12>", kKeyUp, L"12"},
        StepCase{"DownStopsAtMin", "<input id=e type=number value=1 step=5 min=-2>", kKeyDown, L"-2"},
        StepCase{"TypedPastMaxStepsBackInside", "<input id=e type=number value=500 max=100>", kKeyDown,
                 L"100"},
        StepCase{"WithoutValueFromMin", "<input id=e type=number min=3>", kKeyUp, L"3"},
        StepCase{"WithoutValueOneStepFromZero", "<input id=e type=number>", kKeyDown, L"-1"},
        StepCase{"DecimalKeepsItsDecimals", "<input id=e type=decimal value=1.50 step=0.25>", kKeyUp,
                 L"1.75"},
        StepCase{"DecimalFromNoValue", "<input id=e type=decimal novalue='&ndash;' min=0.5 step=0.1>", kKeyUp,
                 L"0.5"},
        StepCase{"ReadOnlyStaysAsItIs", "<input id=e type=number value=5 readonly>", kKeyUp, L"5"},
        StepCase{"TextIsNoNumber", "<input id=e value=5>", kKeyUp, L"5"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Behaviors, SteppingAnnouncesEachChangeAndNothingAtTheLimit) {
    Load("<div id=box><input id=e type=number value=9 max=10></div>");
    so::Ref handler = Attach("#box", "box", kHandleBehaviorEvent);
    ASSERT_TRUE(driver_.MoveFocus(Find("#e").Get()));
    ASSERT_TRUE(driver_.PressKey(kKeyUp));
    ASSERT_TRUE(driver_.PressKey(kKeyUp));
    EXPECT_THAT(log_, ElementsAre("box:event 3 #e", "box:event 4 #e"));
    EXPECT_EQ(JsonOfValue(Find("#e").Get()), "10");
}

// ---- No value -----------------------------------------------------------------------------------------

struct NothingCase {
    const char* name;
    std::function<HtmlResult(HELEMENT)> set;
};

class BehaviorsNoValue : public EngineTest, public ::testing::WithParamInterface<NothingCase> {};

TEST_P(BehaviorsNoValue, DecimalSetToNothingShowsItsNoValueText) {
    Load("<input id=e type=decimal filter='0~9.' novalue='&ndash;' value=2.5>");
    Handle input = Find("#e");
    ASSERT_EQ(GetParam().set(input.Get()), kHtmlOk);
    EXPECT_EQ(TextOf(input.Get()), L"\u2013");
    EXPECT_EQ(ValueOf(input.Get()).first, std::uint32_t(kHtmlValueUndefined));
    ASSERT_TRUE(driver_.TypeText(input.Get(), L"3"));
    EXPECT_EQ(ValueOf(input.Get()), std::make_pair(std::uint32_t(kHtmlValueFloat), std::wstring(L"3")));
}

INSTANTIATE_TEST_SUITE_P(
    Behaviors, BehaviorsNoValue,
    ::testing::Values(NothingCase{"Undefined",
                                  [](HELEMENT element) {
                                      HtmlValue undefined{};
                                      return Api().SetElementValue(element, &undefined);
                                  }},
                      NothingCase{"Null", [](HELEMENT element) { return SetValueJson(element, "null"); }},
                      NothingCase{"NaN",
                                  [](HELEMENT element) {
                                      HtmlValue nan{};
                                      Api().ValueFloatDataSet(&nan, std::nan(""));
                                      return Api().SetElementValue(element, &nan);
                                  }},
                      NothingCase{
                          "NoValueText",
                          [](HELEMENT element) { return SetValueJson(element, "\"\xE2\x80\x93\""); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Behaviors, BackspaceTakesTheNoValueTextWhole) {
    Load("<input id=e type=decimal novalue='&ndash;'>");
    Handle input = Find("#e");
    EXPECT_EQ(TextOf(input.Get()), L"\u2013") << "an input without a value starts with it";
    ASSERT_TRUE(driver_.MoveFocus(input.Get()));
    ASSERT_TRUE(driver_.PressKey(0x08));
    EXPECT_EQ(TextOf(input.Get()), L"");
    ASSERT_EQ(SetValueJson(input.Get(), "1.25"), kHtmlOk);
    EXPECT_EQ(TextOf(input.Get()), L"1.25");
}

} // namespace
} // namespace html::test
