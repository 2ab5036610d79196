// What the editor base gives every kind, through the headless engine with a kind of the test's own
// (its HTML is literal, so no template store is needed): the popup life cycle, the commit on
// dismissal, Enter, change refreshes posted to the UI thread, and the application events.
#include "headless-host/html-engine/driver/InputDriver.h"
#include "headless-host/html-engine/runtime/EngineWindow.h"
#include "headless-host/html-engine/runtime/UIQueue.h"
#include "host/BLProperties.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/TextConversion.h"
#include "tests/support/TestHost.h"
#include "ui-document-panel-properties/PropertiesGroupHandlers.h"
#include "ui-document-panel-properties/PropertyHandler_Base.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace panel {
namespace {

// A text property that raises OnChange after every accepted write, on the writing thread.
class FakeProperty : public so::ObjectBase {
public:
    using Interface = host::BLProperty;
    static constexpr std::uint32_t kClassTag = 0x7E570001;
    static void BindMethods(so::MethodBinder<FakeProperty>& binder) {
        using P = host::BLProperty;
        binder.Bind<P::GetName, &FakeProperty::GetName>();
        binder.Bind<P::GetType, &FakeProperty::GetType>();
        binder.Bind<P::Subscribe, &FakeProperty::Subscribe>();
        binder.Bind<P::Unsubscribe, &FakeProperty::Unsubscribe>();
        binder.Bind<P::IsReadOnly, &FakeProperty::IsReadOnly>();
        binder.Bind<P::GetValue, &FakeProperty::GetValue>();
        binder.Bind<P::SetValue, &FakeProperty::SetValue>();
    }
    ~FakeProperty() {
        if (subscribed)
            subscription.Release(subscription.closure);
    }

    SOResult GetName(const wchar_t** name) {
        *name = L"Border Color";
        return so::kOk;
    }
    SOResult GetType(std::uint32_t* type) {
        *type = 12;
        return so::kOk;
    }
    SOResult Subscribe(std::uint32_t, const HostEventSubscription* record, host::HostEventCookie* cookie) {
        subscription = *record;
        subscribed = true;
        *cookie = 7;
        return so::kOk;
    }
    SOResult Unsubscribe(host::HostEventCookie) {
        if (subscribed)
            subscription.Release(subscription.closure);
        subscribed = false;
        return so::kOk;
    }
    SOResult IsReadOnly(std::uint8_t* flag) {
        *flag = readOnly ? 1 : 0;
        return readOnlyAnswer;
    }
    SOResult GetValue(std::uint32_t, void* record) {
        *static_cast<std::wstring*>(record) = value;
        return so::kOk;
    }
    SOResult SetValue(std::uint32_t, const void* record) {
        value = *static_cast<const std::wstring*>(record);
        ++writes;
        if (subscribed) {
            host::ObjectEventArguments arguments{Self()};
            subscription.Invoke(subscription.closure, &arguments);
        }
        return so::kOk;
    }

    std::wstring value = L"red";
    bool readOnly = false;
    SOResult readOnlyAnswer = so::kOk;
    int writes = 0;
    bool subscribed = false;
    HostEventSubscription subscription{};
};

class PropertyHandler_TestText : public PropertyHandler_Base<PropertyHandler_TestText> {
public:
    static constexpr std::uint32_t kClassTag = 0x7E57ED17;
    static constexpr EditorHooks kHooks{
        .OnPropChange = true, .ShowEditPopup = true, .OnPropEditFinished = true, .kEditInputSelector = true};
    static constexpr const char* kEditInputSelector = ".edit-input-test";
    using PropertyHandler_Base::PropertyHandler_Base;

    std::wstring BuildHtmlCode(ServiceObject* property) {
        std::wstring name = GetPropertyName(property).value_or(L"");
        AssignUid(name);
        return L"<div class=\"pg-item\" puid=\"" + PropertyUid() +
               L"\"><div class=\"prop-view prop-view-test " + (readOnly ? L"" : L"editable-prop") + L"\">" +
               Read(property) +
               L"</div><popup class=\"edit-popup edit-popup-test\"><div class=\"edit-box\">"
               L"<input class=\"edit-input-test\" type=\"text\"></div></popup></div>";
    }
    void ShowEditPopup() {
        so::Ref property = propertyRef.Lock();
        if (property)
            OpenEditPopup(":root .prop-view-test", ":root .edit-popup-test", ".edit-input-test", nullptr,
                          ui::Value::String(Read(property.Get())));
    }
    void OnPropEditFinished(const ui::Element& popup) {
        const std::wstring typed = popup.FindFirst(".edit-input-test").GetValue().AsString();
        so::Ref property = propertyRef.Lock();
        if (property && typed != Read(property.Get()))
            so::Call<host::BLProperty::SetValue>(property.Get(), host::kValueKindOf<std::wstring>, &typed);
        ++commits;
        FireEvent(PROP_EDIT_FINISHED, popup);
    }
    void OnPropChange() {
        so::Ref property = propertyRef.Lock();
        if (!property)
            return;
        AttachedElement().FindFirst(".prop-view-test").SetText(Read(property.Get()));
        ++refreshes;
        FireEvent(PROP_VIEW_REFRESHED);
    }
    void WriteCommitting(const std::wstring& text) {
        so::Ref property = propertyRef.Lock();
        Committing([&] {
            so::Call<host::BLProperty::SetValue>(property.Get(), host::kValueKindOf<std::wstring>, &text);
        });
    }

    int commits = 0;
    int refreshes = 0;

private:
    static std::wstring Read(ServiceObject* property) {
        std::wstring value;
        so::Call<host::BLProperty::GetValue>(property, host::kValueKindOf<std::wstring>, &value);
        return value;
    }
};

// Records the application events that bubble up to the page's body.
struct EventRecorder : ui::UIHandlerStdImpl<EventRecorder> {
    static constexpr std::uint32_t kClassTag = 0x7E57EC0D;
    static constexpr std::uint32_t kEventMask = kHandleBehaviorEvent;
    void OnBehaviorEvent(std::uint8_t&, HtmlBehaviorEventParams& event) {
        if (event.cmd >= 0x404 && event.cmd <= 0x406)
            codes.push_back(event.cmd);
    }
    std::vector<std::uint32_t> codes;
};

class PropertyHandlerBase : public testing_host::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        testing_host::RegisterService("UIService", queue_.Service());
        property_ = so::Make<FakeProperty>();
    }
    void TearDown() override {
        queue_.PumpUntilIdle();
        held_.clear();
        editor_.Reset();
        recorder_.Reset();
        window_.LoadHtml("<html><body></body></html>");
        property_.Reset();
        HostTest::TearDown();
    }

    // Builds the editor's HTML into a page and binds the editor to its item.
    void Show() {
        editor_ = PropertyHandler_TestText::Create(property_.Get());
        const std::wstring html = Editor().BuildHtmlCode(property_.Get());
        window_.LoadHtml("<html><body>" + so::Utf8FromWide(html) + "</body></html>");
        recorder_ = EventRecorder::Create();
        ASSERT_EQ(ui::Engine().AttachEventHandler(Find("body"), recorder_.Get()), kHtmlOk);
        ASSERT_EQ(ui::Engine().AttachEventHandler(Find(".pg-item"), editor_.Get()), kHtmlOk);
    }
    HELEMENT Find(const char* selector) {
        HELEMENT root = nullptr;
        ui::Engine().GetRootElement(window_.Handle(), &root);
        ui::Element found = ui::Element::Adopt(root).FindFirst(selector);
        held_.push_back(found);
        return found.Handle();
    }
    ui::Element Element(const char* selector) { return ui::Element(Find(selector)); }
    PropertyHandler_TestText& Editor() { return PropertyHandler_TestText::From(editor_.Get()); }
    FakeProperty& Property() { return so::ServiceObjectCppTheConcrete<FakeProperty>::From(property_.Get()); }
    std::vector<std::uint32_t>& Events() { return EventRecorder::From(recorder_.Get()).codes; }

    html::UIQueue queue_;
    html::EngineWindow window_{queue_};
    html::InputDriver driver_{window_};
    std::vector<ui::Element> held_;
    so::Ref property_;
    so::Ref editor_;
    so::Ref recorder_;
};

TEST_F(PropertyHandlerBase, ClickOnTheViewOpensThePopupWithTheValue) {
    Show();
    ASSERT_TRUE(driver_.Click(Find(".prop-view-test")));
    EXPECT_TRUE(Element(".edit-popup-test").IsPopupShown());
    EXPECT_EQ(Element(".edit-input-test").GetValue().AsString(), L"red");
    EXPECT_TRUE(Element(".edit-input-test").HasState(kStateFocus));
    EXPECT_NE(Element(".edit-input-test").GetAttribute("style").value_or(L"").find(L"min-width: "),
              std::wstring::npos);
    EXPECT_EQ(Events(), std::vector<std::uint32_t>{PROP_EDIT_POPUP_SHOWN});
}

TEST_F(PropertyHandlerBase, SecondClickClosesThePopupAndTheDismissalCommits) {
    Show();
    driver_.Click(Find(".prop-view-test"));
    driver_.TypeText(Find(".edit-input-test"), L"blue");
    driver_.Click(Find(".prop-view-test"));
    queue_.PumpUntilIdle();
    EXPECT_FALSE(Element(".edit-popup-test").IsPopupShown());
    EXPECT_EQ(Property().value, L"redblue"); // typed after the value put into the input
    EXPECT_EQ(Editor().commits, 1);
    EXPECT_EQ(Element(".prop-view-test").Text(), L"redblue"); // refreshed by the change notification
    EXPECT_EQ(Events(),
              (std::vector<std::uint32_t>{PROP_EDIT_POPUP_SHOWN, PROP_EDIT_FINISHED, PROP_VIEW_REFRESHED}));
}

TEST_F(PropertyHandlerBase, EnterInTheInputClosesThePopupAndCommits) {
    Show();
    driver_.Click(Find(".prop-view-test"));
    driver_.TypeText(Find(".edit-input-test"), L"green");
    driver_.PressKey(13);
    queue_.PumpUntilIdle();
    EXPECT_FALSE(Element(".edit-popup-test").IsPopupShown());
    EXPECT_EQ(Property().value, L"redgreen");
}

TEST_F(PropertyHandlerBase, ChangesFromAnotherThreadRefreshOnTheUIThread) {
    Show();
    std::thread writer([this] {
        const std::wstring text = L"black";
        so::Call<host::BLProperty::SetValue>(property_.Get(), host::kValueKindOf<std::wstring>, &text);
    });
    writer.join();
    EXPECT_EQ(Editor().refreshes, 0); // posted, not run on the writer's thread
    queue_.PumpUntilIdle();
    EXPECT_EQ(Editor().refreshes, 1);
    EXPECT_EQ(Element(".prop-view-test").Text(), L"black");
}

TEST_F(PropertyHandlerBase, ItsOwnCommittingWriteDoesNotRefreshIt) {
    Show();
    Editor().WriteCommitting(L"white");
    queue_.PumpUntilIdle();
    EXPECT_EQ(Property().writes, 1);
    EXPECT_EQ(Editor().refreshes, 0);
    EXPECT_FALSE(Editor().committing.load());
}

TEST_F(PropertyHandlerBase, ReadOnlyViewOpensNothing) {
    Property().readOnly = true;
    Show();
    driver_.Click(Find(".prop-view-test"));
    EXPECT_FALSE(Element(".edit-popup-test").IsPopupShown());
    EXPECT_TRUE(Events().empty());
}

TEST_F(PropertyHandlerBase, APropertyThatDoesNotSayItIsWritableStaysReadOnly) {
    Property().readOnlyAnswer = so::kNothingProvided;
    Show();
    EXPECT_TRUE(Editor().readOnly);
    driver_.Click(Find(".prop-view-test"));
    EXPECT_FALSE(Element(".edit-popup-test").IsPopupShown());
}

TEST_F(PropertyHandlerBase, APropertyThatIsGoneGivesNoHtmlAndNoSubscription) {
    editor_ = PropertyHandler_TestText::Create(property_.Get());
    property_.Reset();
    PropertyHandler_Base<PropertyHandler_TestText>& base = Editor();
    EXPECT_EQ(base.BuildHtmlCode(), L"");
}

TEST_F(PropertyHandlerBase, DetachingDropsTheChangeSubscription) {
    Show();
    EXPECT_TRUE(Property().subscribed);
    window_.LoadHtml("<html><body></body></html>");
    queue_.PumpUntilIdle();
    EXPECT_FALSE(Property().subscribed);
}

TEST_F(PropertyHandlerBase, AnOpenPopupDisablesTheRootGroupsButtonsUntilItsCommit) {
    editor_ = PropertyHandler_TestText::Create(property_.Get());
    const std::wstring html = Editor().BuildHtmlCode(property_.Get());
    window_.LoadHtml("<html><body><div class=\"props-panel\">" + so::Utf8FromWide(html) +
                     "<div id=\"user-opts-buttons-container\"></div></div></body></html>");
    so::Ref rootGroup = PropertiesRootGroupHandler::Create(so::WeakRef(), nullptr, so::Ref());
    ASSERT_EQ(ui::Engine().AttachEventHandler(Find(".props-panel"), rootGroup.Get()), kHtmlOk);
    ASSERT_EQ(ui::Engine().AttachEventHandler(Find(".pg-item"), editor_.Get()), kHtmlOk);

    driver_.Click(Find(".prop-view-test"));
    EXPECT_TRUE(Element("#user-opts-buttons-container").HasState(kStateDisabled));
    driver_.PressKey(13);
    queue_.PumpUntilIdle();
    EXPECT_FALSE(Element("#user-opts-buttons-container").HasState(kStateDisabled));
    EXPECT_EQ(Editor().commits, 1);
}

TEST_F(PropertyHandlerBase, MissingEventRecordsAreRefusedNotFollowed) {
    Show();
    std::uint8_t handled = 0;
    EXPECT_EQ(testing_host::RawCall<host::UIHandler::HandleEvent>(editor_.Get(), nullptr, Find(".pg-item"),
                                                                  nullptr),
              so::kInvalidArgument);
    EXPECT_EQ(testing_host::RawCall<host::UIHandler::HandleEvent>(editor_.Get(), &handled, Find(".pg-item"),
                                                                  nullptr),
              so::kInvalidArgument);
    EXPECT_EQ(testing_host::RawCall<host::UIHandler::HandleKey>(editor_.Get(), Find(".pg-item"), nullptr),
              so::kInvalidArgument);
}

} // namespace
} // namespace panel
