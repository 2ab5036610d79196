// The engine's C interface as the module uses it: handles, values, queries, content, handlers and
// event routing, states, script methods, and page loading.
#include "EngineTestSupport.h"

#include "service-common/TextConversion.h"
#include "service-common/TextReceivers.h"

#include <gmock/gmock.h>

#include <cmath>

namespace html::test {
namespace {

using ::testing::ElementsAre;

// An owned value for the tests.
struct OwnedValue {
    HtmlValue raw{};
    OwnedValue() = default;
    OwnedValue(const OwnedValue&) = delete;
    ~OwnedValue() { Api().ValueClear(&raw); }
    std::string Json() const {
        std::string json;
        EXPECT_EQ(Api().ValueToJson(&raw, &so::AppendUtf8, &json), kHtmlOk);
        return json;
    }
    std::wstring Text() const {
        std::wstring text;
        Api().ValueStringData(&raw, &so::AppendWide, &text);
        return text;
    }
};

// ---- Handles ------------------------------------------------------------------------------------

class HtmlEngineApi : public EngineTest {};

TEST_F(HtmlEngineApi, SameElementGivesTheSameHandle) {
    Load("<div id=a><p id=b></p></div>");
    Handle first = Find("#b");
    Handle second = Find("div > p");
    EXPECT_EQ(first.Get(), second.Get());
    HELEMENT parent = nullptr;
    ASSERT_EQ(Api().GetParentElement(first.Get(), &parent), kHtmlOk);
    Handle parentHandle = Handle::Adopt(parent);
    EXPECT_EQ(parent, Find("#a").Get());
}

TEST_F(HtmlEngineApi, HandleOutlivesTheRemovalOfItsElement) {
    Load("<ul id=list><li id=item>one <b>bold</b></li></ul>");
    Handle item = Find("#item");
    ASSERT_EQ(Api().DetachElement(item.Get()), kHtmlOk);
    EXPECT_EQ(TextOf(item.Get()), L"one bold");
    HELEMENT parent = reinterpret_cast<HELEMENT>(1);
    EXPECT_EQ(Api().GetParentElement(item.Get(), &parent), kHtmlOk);
    EXPECT_EQ(parent, nullptr);
    EXPECT_EQ(HtmlOf(Find("#list").Get()), "<ul id=\"list\"></ul>");
    // A second reference keeps it alive after the first one goes.
    ASSERT_EQ(Api().ElementAddRef(item.Get()), kHtmlOk);
    Handle extra = Handle::Adopt(item.Get());
    item = Handle();
    EXPECT_EQ(IdOf(extra.Get()), "item");
}

TEST_F(HtmlEngineApi, NullAndForeignHandlesAreRefused) {
    std::uint32_t count = 0;
    EXPECT_EQ(Api().GetChildrenCount(nullptr, &count), kHtmlInvalidHandle);
    EXPECT_EQ(Api().ElementAddRef(nullptr), kHtmlInvalidHandle);
    HELEMENT root = nullptr;
    EXPECT_EQ(Api().GetRootElement(reinterpret_cast<HWND>(&count), &root), kHtmlInvalidHandle);
}

TEST_F(HtmlEngineApi, TableStartsWithItsSize) {
    EXPECT_EQ(Api().size, sizeof(::HtmlEngineApi));
}

// ---- Values -------------------------------------------------------------------------------------

struct ScalarCase {
    const char* name;
    std::function<void(HtmlValue*)> set;
    std::uint32_t type;
    const wchar_t* text;
    const char* json;
};

class HtmlEngineApiScalars : public ::testing::TestWithParam<ScalarCase> {};

TEST_P(HtmlEngineApiScalars, SetReadAsTextAndJson) {
    const ScalarCase& scalar = GetParam();
    OwnedValue value;
    scalar.set(&value.raw);
    std::uint32_t type = 99;
    ASSERT_EQ(Api().ValueType(&value.raw, &type), kHtmlOk);
    EXPECT_EQ(type, scalar.type);
    EXPECT_EQ(value.Text(), scalar.text);
    EXPECT_EQ(value.Json(), scalar.json);
    OwnedValue copy;
    ASSERT_EQ(Api().ValueCopy(&copy.raw, &value.raw), kHtmlOk);
    EXPECT_EQ(copy.Text(), scalar.text);
}

INSTANTIATE_TEST_SUITE_P(
    HtmlEngineApi, HtmlEngineApiScalars,
    ::testing::Values(
        ScalarCase{"Int", [](HtmlValue* v) { Api().ValueIntDataSet(v, -42, kHtmlValueInt); }, kHtmlValueInt,
                   L"-42", "-42"},
        ScalarCase{"Bool", [](HtmlValue* v) { Api().ValueIntDataSet(v, 7, kHtmlValueBool); }, kHtmlValueBool,
                   L"true", "true"},
        ScalarCase{"Float", [](HtmlValue* v) { Api().ValueFloatDataSet(v, 2.5); }, kHtmlValueFloat, L"2.5",
                   "2.5"},
        ScalarCase{"String", [](HtmlValue* v) { Api().ValueStringDataSet(v, L"caf\u00e9 \"q\"", 8); },
                   kHtmlValueString, L"caf\u00e9 \"q\"", "\"caf\u00e9 \\\"q\\\"\""},
        // 2001-02-03 04:05:06 UTC.
        ScalarCase{"Date",
                   [](HtmlValue* v) { Api().ValueInt64DataSet(v, 126256467060000000, kHtmlValueDate); },
                   kHtmlValueDate, L"2001-02-03T04:05:06", "126256467060000000"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HtmlEngineApi, NumbersReadOnlyAsTheirKinds) {
    OwnedValue big;
    Api().ValueInt64DataSet(&big.raw, std::int64_t(1) << 40, kHtmlValueInt);
    std::int32_t small = 0;
    EXPECT_EQ(Api().ValueIntData(&big.raw, &small), kHtmlOperationFailed) << "does not fit 32 bits";
    double asFloat = 0;
    EXPECT_EQ(Api().ValueFloatData(&big.raw, &asFloat), kHtmlOk);
    EXPECT_EQ(asFloat, 1099511627776.0);
    OwnedValue text;
    Api().ValueStringDataSet(&text.raw, L"12", 2);
    EXPECT_EQ(Api().ValueIntData(&text.raw, &small), kHtmlOperationFailed);
    EXPECT_EQ(Api().ValueIntDataSet(&text.raw, 1, kHtmlValueString), kHtmlInvalidParameter);
    OwnedValue undefined;
    std::wstring none;
    EXPECT_EQ(Api().ValueStringData(&undefined.raw, &so::AppendWide, &none), kHtmlOperationFailed);
}

TEST_F(HtmlEngineApi, MapsAndArraysRoundTripThroughJson) {
    const std::string json = R"({"z":[1,2.5,"x",true,null],"a":{"k":"v"},"e":[]})";
    OwnedValue value;
    ASSERT_EQ(Api().ValueFromJson(&value.raw, json.data(), std::uint32_t(json.size())), kHtmlOk);
    EXPECT_EQ(value.Json(), json) << "keys keep their order";
    std::uint32_t count = 0;
    ASSERT_EQ(Api().ValueElementCount(&value.raw, &count), kHtmlOk);
    EXPECT_EQ(count, 3u);
    OwnedValue list;
    ASSERT_EQ(Api().ValueGetByKey(&value.raw, "z", &list.raw), kHtmlOk);
    OwnedValue second;
    ASSERT_EQ(Api().ValueNthElement(&list.raw, 1, &second.raw), kHtmlOk);
    EXPECT_EQ(second.Text(), L"2.5");
    EXPECT_EQ(Api().ValueNthElement(&list.raw, 5, &second.raw), kHtmlInvalidParameter);
    OwnedValue missing;
    EXPECT_EQ(Api().ValueGetByKey(&value.raw, "nope", &missing.raw), kHtmlNotHandled);
    OwnedValue copy;
    ASSERT_EQ(Api().ValueCopy(&copy.raw, &value.raw), kHtmlOk);
    Api().ValueClear(&value.raw);
    EXPECT_EQ(copy.Json(), json) << "a copy owns its own data";
}

class HtmlEngineApiMalformedJson : public ::testing::TestWithParam<std::string> {};

TEST_P(HtmlEngineApiMalformedJson, IsRefusedAndLeavesTheValue) {
    OwnedValue value;
    Api().ValueIntDataSet(&value.raw, 5, kHtmlValueInt);
    const std::string& json = GetParam();
    EXPECT_EQ(Api().ValueFromJson(&value.raw, json.data(), std::uint32_t(json.size())), kHtmlOperationFailed);
    EXPECT_EQ(value.Text(), L"5");
}

INSTANTIATE_TEST_SUITE_P(HtmlEngineApi, HtmlEngineApiMalformedJson,
                         ::testing::Values("", "{\"a\":", "[1,]", "{a:1}", "nan", "\"\xff\"",
                                           std::string(500, '[')));

// ---- Queries and content --------------------------------------------------------------------------

TEST_F(HtmlEngineApi, InvalidSelectorsFailEveryQuery) {
    Load("<div id=a></div>");
    Handle root = Root();
    HELEMENT found = nullptr;
    std::uint32_t matches = 0;
    EXPECT_EQ(Api().SelectFirst(root.Get(), "div[", &found), kHtmlOperationFailed);
    EXPECT_EQ(Api().SelectElements(
                  root.Get(), "::x", [](HELEMENT, void*) { return 0; }, nullptr),
              kHtmlOperationFailed);
    EXPECT_EQ(Api().TestElement(root.Get(), ">", &matches), kHtmlOperationFailed);
    EXPECT_EQ(Api().SelectParent(root.Get(), "a,", 5, &found), kHtmlOperationFailed);
}

TEST_F(HtmlEngineApi, QueriesUseTheScopeAsRootAndStopWhenTheCallbackSays) {
    Load("<div id=scope><p id=p1></p><section><p id=p2></p></section><p id=p3></p></div><p id=outside></p>");
    Handle scope = Find("#scope");
    std::vector<std::string> ids;
    auto collect = [](HELEMENT element, void* param) {
        auto* found = static_cast<std::vector<std::string>*>(param);
        found->push_back(IdOf(element));
        return found->size() == 2 ? 1 : 0;
    };
    ASSERT_EQ(Api().SelectElements(scope.Get(), ":root p", collect, &ids), kHtmlOk);
    EXPECT_THAT(ids, ElementsAre("p1", "p2"));
    ids.clear();
    ASSERT_EQ(Api().SelectElements(
                  scope.Get(), ":root > p",
                  +[](HELEMENT e, void* p) {
                      static_cast<std::vector<std::string>*>(p)->push_back(IdOf(e));
                      return 0;
                  },
                  &ids),
              kHtmlOk);
    EXPECT_THAT(ids, ElementsAre("p1", "p3"));
}

TEST_F(HtmlEngineApi, SelectParentCountsTheElementItselfAsTheFirstLevel) {
    Load("<div class=x id=top><div id=l3><div id=l2><span class=x id=l1></span></div></div></div>");
    Handle start = Find("#l1");
    HELEMENT found = nullptr;
    ASSERT_EQ(Api().SelectParent(start.Get(), ".x", 5, &found), kHtmlOk);
    Handle self = Handle::Adopt(found);
    EXPECT_EQ(IdOf(self.Get()), "l1");
    ASSERT_EQ(Api().SelectParent(start.Get(), "div.x", 3, &found), kHtmlOk);
    EXPECT_EQ(found, nullptr) << "#top is the fourth level";
    ASSERT_EQ(Api().SelectParent(start.Get(), "div.x", 4, &found), kHtmlOk);
    Handle top = Handle::Adopt(found);
    EXPECT_EQ(IdOf(top.Get()), "top");
}

// The page's style sheets use properties of their own (text-selection-caret-color…): the engine
// keeps whatever a handler sets, known to its layout or not.
TEST_F(HtmlEngineApi, StylePropertiesTheLayoutDoesNotKnowAreKeptAsSet) {
    Load("<input id=a style='color: red'>");
    Handle a = Find("#a");
    ASSERT_EQ(Api().SetStyleAttribute(a.Get(), "text-selection-caret-color", L"#0078d7"), kHtmlOk);
    std::wstring text;
    ASSERT_EQ(Api().GetStyleAttribute(a.Get(), "text-selection-caret-color", &so::AppendWide, &text),
              kHtmlOk);
    EXPECT_EQ(text, L"#0078d7");
    ASSERT_EQ(Api().SetStyleAttribute(a.Get(), "text-selection-caret-color", L"rgb(0, 0, 0)"), kHtmlOk);
    EXPECT_EQ(HtmlOf(a.Get()),
              "<input id=\"a\" style=\"color: red; text-selection-caret-color: rgb(0, 0, 0);\">");
}

TEST_F(HtmlEngineApi, MissingAttributesAndStylesAreNotHandled) {
    Load("<div id=a style='color: red; visibility: collapse'></div>");
    Handle a = Find("#a");
    std::wstring text;
    EXPECT_EQ(Api().GetAttributeByName(a.Get(), "title", &so::AppendWide, &text), kHtmlNotHandled);
    EXPECT_EQ(Api().GetStyleAttribute(a.Get(), "width", &so::AppendWide, &text), kHtmlNotHandled);
    ASSERT_EQ(Api().GetStyleAttribute(a.Get(), "visibility", &so::AppendWide, &text), kHtmlOk);
    EXPECT_EQ(text, L"collapse");
    ASSERT_EQ(Api().SetStyleAttribute(a.Get(), "visibility", L"visible"), kHtmlOk);
    ASSERT_EQ(Api().SetStyleAttribute(a.Get(), "color", nullptr), kHtmlOk);
    ASSERT_EQ(Api().SetAttributeByName(a.Get(), "title", L"t\u00e9"), kHtmlOk);
    EXPECT_EQ(HtmlOf(a.Get()), "<div id=\"a\" style=\"visibility: visible;\" title=\"t\u00e9\"></div>");
    ASSERT_EQ(Api().SetAttributeByName(a.Get(), "title", nullptr), kHtmlOk);
    EXPECT_EQ(Api().GetAttributeByName(a.Get(), "title", &so::AppendWide, &text), kHtmlNotHandled);
}

struct PlacementCase {
    std::uint32_t placement;
    const char* expected;
};

class HtmlEngineApiPlacement : public EngineTest, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(HtmlEngineApiPlacement, InsertsTheMarkup) {
    Load("<div id=box><b>old</b></div>");
    const std::string markup = "<i>new</i><u></u>";
    ASSERT_EQ(Api().SetElementHtml(Find("#box").Get(), markup.data(), std::uint32_t(markup.size()),
                                   GetParam().placement),
              kHtmlOk);
    EXPECT_EQ(HtmlOf(Root().Get(), false), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    HtmlEngineApi, HtmlEngineApiPlacement,
    ::testing::Values(PlacementCase{kSetInnerHtml, "<div id=\"box\"><i>new</i><u></u></div>"},
                      PlacementCase{kSetOuterHtml, "<i>new</i><u></u>"},
                      PlacementCase{kAppendInnerHtml, "<div id=\"box\"><b>old</b><i>new</i><u></u></div>"},
                      PlacementCase{kPrependInnerHtml, "<div id=\"box\"><i>new</i><u></u><b>old</b></div>"}));

TEST_F(HtmlEngineApi, ContentChangesThatCannotBeAreRefused) {
    Load("<div id=a></div>");
    Handle root = Root();
    EXPECT_EQ(Api().SetElementHtml(root.Get(), "<p>", 3, kSetOuterHtml), kHtmlOperationFailed);
    EXPECT_EQ(Api().DetachElement(root.Get()), kHtmlOperationFailed);
    EXPECT_EQ(Api().SetElementHtml(root.Get(), "<p>", 3, 7), kHtmlInvalidParameter);
    EXPECT_EQ(Api().SetElementHtml(root.Get(), nullptr, 3, kSetInnerHtml), kHtmlInvalidParameter);
}

// ---- Handlers -------------------------------------------------------------------------------------

TEST_F(HtmlEngineApi, HandlersAreAttachedOnceAndDetachedWhenTheirElementGoes) {
    Load("<div id=outer><div id=inner></div></div><div id=other></div>");
    so::Ref inner = Attach("#inner", "inner", 0);
    so::Ref other = Attach("#other", "other", 0);
    EXPECT_EQ(Api().AttachEventHandler(Find("#inner").Get(), inner.Get()), kHtmlOk);
    EXPECT_EQ(RecordingHandler::Of(inner).attachedCalls, 1);
    EXPECT_EQ(RecordingHandler::Of(inner).attachedId, "inner");
    EXPECT_EQ(inner.Get()->header.GetRefCount(inner.Get()), 2u) << "the engine holds one reference";

    const std::string replacement = "<p></p>";
    ASSERT_EQ(Api().SetElementHtml(Find("#outer").Get(), replacement.data(), 7, kSetInnerHtml), kHtmlOk);
    EXPECT_EQ(RecordingHandler::Of(inner).detachedCalls, 1);
    EXPECT_EQ(inner.Get()->header.GetRefCount(inner.Get()), 1u);

    ASSERT_EQ(Api().DetachEventHandler(Find("#other").Get(), other.Get()), kHtmlOk);
    EXPECT_EQ(RecordingHandler::Of(other).detachedCalls, 1);
    EXPECT_EQ(Api().DetachEventHandler(Find("#other").Get(), other.Get()), kHtmlInvalidParameter);
    EXPECT_EQ(Api().AttachEventHandler(Find("#other").Get(), nullptr), kHtmlInvalidParameter);
}

TEST_F(HtmlEngineApi, LoadingAndClosingDetachEveryHandler) {
    so::Ref onPage;
    so::Ref offPage;
    {
        html::EngineWindow window(queue_);
        window.LoadHtml("<div id=a></div><div id=b></div>");
        HELEMENT root = nullptr;
        Api().GetRootElement(window.Handle(), &root);
        Handle rootHandle = Handle::Adopt(root);
        HELEMENT a = nullptr;
        HELEMENT b = nullptr;
        Api().SelectFirst(root, "#a", &a);
        Api().SelectFirst(root, "#b", &b);
        Handle aHandle = Handle::Adopt(a);
        Handle bHandle = Handle::Adopt(b);
        onPage = RecordingHandler::Make("a", 0, log_);
        offPage = RecordingHandler::Make("b", 0, log_);
        Api().AttachEventHandler(a, onPage.Get());
        Api().DetachElement(b);
        Api().AttachEventHandler(b, offPage.Get());
        window.LoadHtml("<p></p>");
        EXPECT_EQ(RecordingHandler::Of(onPage).detachedCalls, 1);
        EXPECT_EQ(RecordingHandler::Of(offPage).detachedCalls, 0) << "outside the document, not unloaded";
    }
    EXPECT_EQ(RecordingHandler::Of(offPage).detachedCalls, 1) << "the window closed";
    EXPECT_EQ(offPage.Get()->header.GetRefCount(offPage.Get()), 1u);
}

TEST_F(HtmlEngineApi, EventsReachOnlyHandlersSubscribedToTheirGroup) {
    Load("<div id=box><button id=b>go</button></div>");
    so::Ref behaviour = Attach("#box", "behaviour", kHandleBehaviorEvent);
    so::Ref mouse = Attach("#box", "mouse", kHandleMouse);
    so::Ref none = Attach("#box", "none", 0);
    driver_.Click(Find("#b").Get());
    EXPECT_THAT(log_, ElementsAre("mouse:mouse 4 #b", "mouse:mouse 3 #b", "behaviour:event 0 #b"));
    log_.clear();
    RecordingHandler::Of(none).mask_ = kHandleBehaviorEvent; // the mask is asked for every event
    driver_.Click(Find("#b").Get());
    EXPECT_THAT(
        log_, ElementsAre("mouse:mouse 4 #b", "mouse:mouse 3 #b", "behaviour:event 0 #b", "none:event 0 #b"));
}

TEST_F(HtmlEngineApi, BehaviorEventsBubbleUntilAHandlerTakesThem) {
    Load("<div id=outer><div id=middle><span id=inner></span></div></div>");
    so::Ref outer = Attach("#outer", "outer", kHandleBehaviorEvent);
    so::Ref middle = Attach("#middle", "middle", kHandleBehaviorEvent);
    so::Ref inner = Attach("#inner", "inner", kHandleBehaviorEvent);
    RecordingHandler::Of(middle).handles = {1029};
    Handle target = Find("#inner");
    for (std::uint32_t code : {1028u, 1029u}) {
        HtmlBehaviorEventParams event{code, target.Get(), target.Get(), 0, {}};
        std::uint32_t handled = 7;
        ASSERT_EQ(Api().FireEvent(&event, 0, &handled), kHtmlOk);
        EXPECT_EQ(handled, code == 1029u ? 1u : 0u);
    }
    EXPECT_THAT(log_,
                ElementsAre("inner:event 1028 #inner", "middle:event 1028 #inner", "outer:event 1028 #inner",
                            "inner:event 1029 #inner", "middle:event 1029 #inner"));
}

TEST_F(HtmlEngineApi, PostedEventsRunOnlyWhenTheQueueIsPumped) {
    Load("<div id=a></div>");
    so::Ref handler = Attach("#a", "a", kHandleBehaviorEvent);
    Handle a = Find("#a");
    HtmlBehaviorEventParams event{1030, a.Get(), a.Get(), 0, {}};
    Api().ValueStringDataSet(&event.data, L"payload", 7);
    std::wstring seen;
    RecordingHandler::Of(handler).onEvent = [&](HELEMENT, HtmlBehaviorEventParams& params) {
        Api().ValueStringData(&params.data, &so::AppendWide, &seen);
    };
    std::uint32_t handled = 5;
    ASSERT_EQ(Api().FireEvent(&event, 1, &handled), kHtmlOk);
    Api().ValueClear(&event.data);
    EXPECT_EQ(handled, 0u);
    EXPECT_TRUE(log_.empty());
    EXPECT_TRUE(queue_.PumpUntilIdle().quiet);
    EXPECT_THAT(log_, ElementsAre("a:event 1030 #a"));
    EXPECT_EQ(seen, L"payload") << "the posted event carries its own copy of the data";
}

TEST_F(HtmlEngineApi, AFailingHandlerIsReportedAndTheEventGoesOn) {
    Load("<div id=outer><div id=inner></div></div>");
    so::Ref outer = Attach("#outer", "outer", kHandleBehaviorEvent);
    so::Ref inner = Attach("#inner", "inner", kHandleBehaviorEvent);
    RecordingHandler::Of(inner).failWith = 0x80004005;
    Handle target = Find("#inner");
    HtmlBehaviorEventParams event{1028, target.Get(), target.Get(), 0, {}};
    EXPECT_EQ(Api().FireEvent(&event, 0, nullptr), kHtmlOk);
    EXPECT_THAT(log_, ElementsAre("outer:event 1028 #inner"));
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_THAT(errors_[0], ::testing::HasSubstr("HandleEvent"));
}

// The host's translator runs inside SetElementHtml: what it throws must stop at the table.
TEST_F(HtmlEngineApi, AFailureInsideAnElementCallIsReportedToItsWindowAndFailsTheCall) {
    Load("<div id=box></div>");
    window_.SetTranslator([](std::wstring_view, std::wstring_view) -> std::optional<std::wstring> {
        throw std::runtime_error("no catalogue");
    });
    const std::string markup = "<p localize>Name</p>";
    EXPECT_EQ(
        Api().SetElementHtml(Find("#box").Get(), markup.data(), std::uint32_t(markup.size()), kSetInnerHtml),
        kHtmlOperationFailed);
    EXPECT_THAT(errors_, ElementsAre(::testing::HasSubstr("no catalogue")));
}

TEST_F(HtmlEngineApi, ScriptMethodsComeFromHandlersThenTheHostThenBehaviours) {
    Load("<div id=tabs><div class=strip><span panel=one id=t1></span></div>"
         "<div class=panels-container><div name=one></div></div></div>");
    Handle tabs = Find("#tabs");
    OwnedValue argument;
    Api().ValueStringDataSet(&argument.raw, L"one", 3);
    OwnedValue result;
    ASSERT_EQ(Api().CallScriptingMethod(tabs.Get(), "select", &argument.raw, 1, &result.raw), kHtmlOk);
    EXPECT_EQ(result.Json(), "true") << "the tabs behaviour's own method";

    window_.RegisterScriptMethod(
        "select",
        [](HELEMENT, const std::vector<Value>& arguments) {
            return Value::String(L"host:" + *arguments.at(0).AsString());
        },
        "#tabs");
    ASSERT_EQ(Api().CallScriptingMethod(tabs.Get(), "select", &argument.raw, 1, &result.raw), kHtmlOk);
    EXPECT_EQ(result.Text(), L"host:one");

    so::Ref handler = Attach("#tabs", "h", kHandleScriptingMethodCall);
    RecordingHandler::Of(handler).scriptMethod = "select";
    Api().ValueIntDataSet(&RecordingHandler::Of(handler).scriptResult, 9, kHtmlValueInt);
    ASSERT_EQ(Api().CallScriptingMethod(tabs.Get(), "select", &argument.raw, 1, &result.raw), kHtmlOk);
    EXPECT_EQ(result.Json(), "9");

    EXPECT_EQ(Api().CallScriptingMethod(tabs.Get(), "nothing", nullptr, 0, &result.raw), kHtmlNotHandled);
    window_.RegisterScriptMethod("broken", [](HELEMENT, const std::vector<Value>&) -> Value {
        throw std::runtime_error("no records");
    });
    EXPECT_EQ(Api().CallScriptingMethod(tabs.Get(), "broken", nullptr, 0, &result.raw), kHtmlOperationFailed);
    EXPECT_THAT(errors_, ElementsAre(::testing::HasSubstr("no records")));
}

TEST_F(HtmlEngineApi, HostBindingsNeedValidSelectorsAndKnownBehaviours) {
    EXPECT_THROW(window_.BindBehavior("div[", "tabs"), std::invalid_argument);
    EXPECT_THROW(window_.BindBehavior("div", "spinner"), std::invalid_argument);
    EXPECT_THROW(window_.RegisterScriptMethod(
                     "m", [](HELEMENT, const std::vector<Value>&) { return Value(); }, ">"),
                 std::invalid_argument);
}

// ---- States ---------------------------------------------------------------------------------------

TEST_F(HtmlEngineApi, ExpandingRaisesTheEventOnceAndCollapsingExcludesIt) {
    Load("<div id=panel class=x></div>");
    so::Ref handler = Attach("#panel", "p", kHandleBehaviorEvent);
    Handle panel = Find("#panel");
    ASSERT_EQ(Api().SetElementState(panel.Get(), kStateCollapsed, 0, 1), kHtmlOk);
    ASSERT_EQ(Api().SetElementState(panel.Get(), kStateExpanded, 0, 1), kHtmlOk);
    EXPECT_EQ(StateOf(panel.Get()) & (kStateExpanded | kStateCollapsed), std::uint32_t(kStateExpanded));
    ASSERT_EQ(Api().SetElementState(panel.Get(), kStateExpanded, 0, 1), kHtmlOk);
    EXPECT_THAT(log_, ElementsAre("p:event 145 #panel"));
    std::uint32_t matches = 0;
    Api().TestElement(panel.Get(), ".x:expanded", &matches);
    EXPECT_EQ(matches, 1u);
}

TEST_F(HtmlEngineApi, SettingFocusMovesTheKeyboardFocus) {
    Load("<div id=form><input id=a><input id=b></div>");
    so::Ref handler = Attach("#form", "f", kHandleFocus);
    Handle a = Find("#a");
    Handle b = Find("#b");
    ASSERT_EQ(Api().SetElementState(a.Get(), kStateFocus, 0, 1), kHtmlOk);
    ASSERT_EQ(Api().SetElementState(b.Get(), kStateFocus, 0, 1), kHtmlOk);
    EXPECT_EQ(StateOf(a.Get()) & kStateFocus, 0u);
    EXPECT_NE(StateOf(b.Get()) & kStateFocus, 0u);
    ASSERT_EQ(Api().SetElementState(b.Get(), 0, kStateFocus, 1), kHtmlOk);
    EXPECT_EQ(StateOf(b.Get()) & kStateFocus, 0u);
    EXPECT_THAT(log_, ElementsAre("f:focus 4 #a", "f:focus 2 #a", "f:focus 4 #b", "f:focus 3 #a",
                                  "f:focus 2 #b", "f:focus 3 #b"));
}

TEST_F(HtmlEngineApi, AFocusRequestCanBeRefused) {
    Load("<div id=form><input id=a></div>");
    so::Ref handler = Attach("#form", "f", kHandleFocus);
    RecordingHandler::Of(handler).onFocus = [](HtmlFocusParams& focus) {
        focus.cancel = focus.cmd == kFocusRequest;
    };
    Handle a = Find("#a");
    Api().SetElementState(a.Get(), kStateFocus, 0, 1);
    EXPECT_EQ(StateOf(a.Get()) & kStateFocus, 0u);
}

// ---- Window services --------------------------------------------------------------------------------

TEST_F(HtmlEngineApi, WindowGivesItsInvokerAndTheContextTheHostSet) {
    Handle root = Root();
    ServiceObject* context = reinterpret_cast<ServiceObject*>(1);
    ASSERT_EQ(Api().GetWindowContext(root.Get(), &context), kHtmlOk);
    EXPECT_EQ(context, nullptr);
    so::Ref given = RecordingHandler::Make("context", 0, log_); // any service object will do
    window_.SetWindowContext(given.Get());
    ASSERT_EQ(Api().GetWindowContext(root.Get(), &context), kHtmlOk);
    so::Ref received = so::Ref::Adopt(context);
    EXPECT_EQ(context, given.Get());
    EXPECT_EQ(given.Get()->header.GetRefCount(given.Get()), 3u);

    ServiceObject* invoker = nullptr;
    ASSERT_EQ(Api().GetUIInvoker(root.Get(), &invoker), kHtmlOk);
    so::Ref invokerRef = so::Ref::Adopt(invoker);
    EXPECT_EQ(invoker->header.interfaceId, host::UIInvoker::kId);
    HWND hwnd = nullptr;
    ASSERT_EQ(Api().GetElementHwnd(root.Get(), &hwnd, 1), kHtmlOk);
    EXPECT_EQ(hwnd, window_.Handle());
}

// ---- Pages ------------------------------------------------------------------------------------------

TEST_F(HtmlEngineApi, PagesLoadThroughTheReaderWithIncludesRelativeToThePage) {
    std::vector<std::string> asked;
    window_.SetResourceReader([&](std::string_view url) -> std::optional<std::string> {
        asked.emplace_back(url);
        if (url == "res://ui/panel/page.htm") {
            return "\xEF\xBB\xBF<body><include src=\"../common/part.htm\"/><a href=\"../x.css\">l</a></body>";
        }
        if (url == "res://ui/common/part.htm") {
            return "<p id=part>included</p>";
        }
        return std::nullopt;
    });
    ASSERT_TRUE(window_.LoadUrl("res://ui/panel/page.htm"));
    EXPECT_THAT(asked, ElementsAre("res://ui/panel/page.htm", "res://ui/common/part.htm"));
    EXPECT_EQ(TextOf(Find("#part").Get()), L"included");
    EXPECT_EQ(window_.DocumentHtml(),
              "<html><body><p id=\"part\">included</p><a href=\"../x.css\">l</a></body></html>");

    EXPECT_FALSE(window_.LoadUrl("res://ui/missing.htm"));
    EXPECT_EQ(TextOf(Find("#part").Get()), L"included") << "the old page stays";
}

// The reader is asked for paths inside the UI root only: a ".." above it is dropped, as URL
// resolution does, instead of reaching the reader (which refuses it) and losing the include.
TEST_F(HtmlEngineApi, IncludesClimbingAboveTheRootAreReadFromTheRoot) {
    std::vector<std::string> asked;
    window_.SetResourceReader([&](std::string_view url) -> std::optional<std::string> {
        asked.emplace_back(url);
        if (url == "panel/page.htm") {
            return "<body><include src=\"../../../x/y.htm\"/><include src=\"./../x/./z.htm\"/></body>";
        }
        if (url == "x/y.htm") {
            return "<p id=y>y</p>";
        }
        if (url == "x/z.htm") {
            return "<p id=z>z</p>";
        }
        return std::nullopt;
    });
    ASSERT_TRUE(window_.LoadUrl("panel/page.htm"));
    EXPECT_THAT(asked, ElementsAre("panel/page.htm", "x/y.htm", "x/z.htm"));
    EXPECT_EQ(window_.DocumentHtml(), "<html><body><p id=\"y\">y</p><p id=\"z\">z</p></body></html>");
}

TEST_F(HtmlEngineApi, LocalizedTextsAreTranslatedWhenShown) {
    Load("<div id=hint localize>Click me</div>");
    EXPECT_EQ(TextOf(Find("#hint").Get()), L"Click me") << "no translator yet";
    window_.SetTranslator(
        [](std::wstring_view text, std::wstring_view context) -> std::optional<std::wstring> {
            if (text == L"keep") {
                return std::nullopt;
            }
            return L"[" + std::wstring(context) + L"]" + std::wstring(text);
        });
    Load("<div id=hint localize> Click me </div><div id=other>Click me</div>");
    EXPECT_EQ(TextOf(Find("#hint").Get()), L" []Click me ");
    EXPECT_EQ(TextOf(Find("#other").Get()), L"Click me");
    const std::string markup = "<span id=s localize='PD Prop'>Name</span><span id=k localize>keep</span>";
    ASSERT_EQ(Api().SetElementHtml(Find("#other").Get(), markup.data(), std::uint32_t(markup.size()),
                                   kSetInnerHtml),
              kHtmlOk);
    EXPECT_EQ(TextOf(Find("#s").Get()), L"[PD Prop]Name");
    EXPECT_EQ(TextOf(Find("#k").Get()), L"keep");
}

} // namespace
} // namespace html::test
