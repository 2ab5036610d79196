// The panel handler and the root group handler on pages of the test's own, through the headless
// engine: which edit popup a click closes, and what the default-settings buttons do once their root
// group is gone.
#include "headless-host/html-engine/EngineWindow.h"
#include "headless-host/html-engine/InputDriver.h"
#include "headless-host/html-engine/UIQueue.h"
#include "host/BLProperties.h"
#include "service-common/ServiceObjectCpp.h"
#include "tests/support/TestHost.h"
#include "ui-document-panel-properties/PanelParts.h"
#include "ui-document-panel-properties/PropertiesGroupHandlers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace panel {
namespace {

// A default-settings context that says the current values differ from the defaults and records
// every group it is asked about.
class FakeDefaults : public so::ObjectBase {
public:
    using Interface = host::BLPropertiesContextDefault;
    static constexpr std::uint32_t kClassTag = 0x7E57DEF0;
    static void BindMethods(so::MethodBinder<FakeDefaults>& binder) {
        using D = host::BLPropertiesContextDefault;
        binder.Bind<D::IsCurrentEqualToDefaults, &FakeDefaults::IsCurrentEqualToDefaults>();
        binder.Bind<D::StoreCurrentAsDefaults, &FakeDefaults::StoreCurrentAsDefaults>();
        binder.Bind<D::AreDefaultsOriginal, &FakeDefaults::AreDefaultsOriginal>();
        binder.Bind<D::Subscribe, &FakeDefaults::Subscribe>();
        binder.Bind<D::Unsubscribe, &FakeDefaults::Unsubscribe>();
    }
    ~FakeDefaults() { Unsubscribe(0); }

    SOResult IsCurrentEqualToDefaults(ServiceObject* group, std::uint8_t* equal) {
        askedGroups.push_back(group);
        *equal = 0;
        return so::kOk;
    }
    SOResult StoreCurrentAsDefaults() {
        ++stores;
        return so::kOk;
    }
    SOResult AreDefaultsOriginal(ServiceObject* group, std::uint8_t* original) {
        askedGroups.push_back(group);
        *original = 1;
        return so::kOk;
    }
    SOResult Subscribe(std::uint32_t, const HostEventSubscription* record, host::HostEventCookie* cookie) {
        Unsubscribe(0);
        subscription = *record;
        subscribed = true;
        *cookie = 1;
        return so::kOk;
    }
    SOResult Unsubscribe(host::HostEventCookie) {
        if (subscribed)
            subscription.Release(subscription.closure);
        subscribed = false;
        return so::kOk;
    }

    std::vector<ServiceObject*> askedGroups;
    int stores = 0;
    bool subscribed = false;
    HostEventSubscription subscription{};
};

// A properties context with default settings.
class FakeContext : public so::ObjectBase {
public:
    using Interface = host::BLPropertiesContext;
    static constexpr std::uint32_t kClassTag = 0x7E57C0E7;
    static void BindMethods(so::MethodBinder<FakeContext>& binder) {
        using C = host::BLPropertiesContext;
        binder.Bind<C::GetDefaultContext, &FakeContext::GetDefaultContext>();
        binder.Bind<C::IsDefaultSupported, &FakeContext::IsDefaultSupported>();
    }
    SOResult GetDefaultContext(ServiceObject** out) {
        *out = so::Ref(defaults).Detach();
        return so::kOk;
    }
    SOResult IsDefaultSupported(std::uint8_t* supported) {
        *supported = 1;
        return so::kOk;
    }
    so::Ref defaults = so::Ref::Adopt(so::ServiceObjectCppTheConcrete<FakeDefaults>::Create());
};

// A group the test can let go of; the handler only keeps a weak reference to it.
class FakeGroup : public so::ObjectBase {
public:
    using Interface = host::BLPropertiesGroup;
    static constexpr std::uint32_t kClassTag = 0x7E5761A0;
    static void BindMethods(so::MethodBinder<FakeGroup>&) {}
};

class PanelHandlers : public testing_host::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        testing_host::RegisterService("UIService", queue_.Service());
    }
    void TearDown() override {
        queue_.PumpUntilIdle();
        held_.clear();
        window_.LoadHtml("<html><body></body></html>");
        queue_.PumpUntilIdle();
        HostTest::TearDown();
    }

    HELEMENT Find(const char* selector) {
        HELEMENT root = nullptr;
        ui::Engine().GetRootElement(window_.Handle(), &root);
        ui::Element found = ui::Element::Adopt(root).FindFirst(selector);
        held_.push_back(found);
        return found.Handle();
    }
    ui::Element Element(const char* selector) { return ui::Element(Find(selector)); }

    html::UIQueue queue_;
    html::EngineWindow window_{queue_};
    html::InputDriver driver_{window_};
    std::vector<ui::Element> held_;
};

// Two editors' popups, both anchored where the engine itself would not dismiss them on a click.
constexpr const char* kPanelPage =
    "<html><body class=\"properties-panel-body\"><div class=\"panel-content\">"
    "<div class=\"pg-item\"><div class=\"prop-name\">Name</div>"
    "<popup class=\"edit-popup\" id=\"first\"><input type=\"text\"></popup>"
    "<popup class=\"edit-popup\" id=\"second\"><input type=\"text\"></popup></div>"
    "</div></body></html>";

TEST_F(PanelHandlers, AClickOnAPropertyNameClosesThePopupThatIsShownWhereverItIs) {
    window_.LoadHtml(kPanelPage);
    so::Ref panel = CreatePropertiesPanelHandler();
    ASSERT_EQ(ui::Engine().AttachEventHandler(Find("body"), panel.Get()), kHtmlOk);
    Element("#second").ShowPopup(Element(".prop-name"));
    ASSERT_TRUE(Element("#second").IsPopupShown());

    driver_.Click(Find(".prop-name"));
    EXPECT_FALSE(Element("#second").IsPopupShown());
}

TEST_F(PanelHandlers, AMouseUpOnThePanelFrameClosesTheShownPopup) {
    window_.LoadHtml(kPanelPage);
    so::Ref panel = CreatePropertiesPanelHandler();
    ASSERT_EQ(ui::Engine().AttachEventHandler(Find("body"), panel.Get()), kHtmlOk);
    Element("#second").ShowPopup(Element(".panel-content"));

    driver_.Click(Find(".panel-content"));
    EXPECT_FALSE(Element("#second").IsPopupShown());
}

TEST_F(PanelHandlers, MissingEventRecordsAreRefusedNotFollowed) {
    so::Ref handler = CreatePropertiesPanelHandler();
    std::uint8_t handled = 0;
    EXPECT_EQ(testing_host::RawCall<host::UIHandler::HandleEvent>(handler.Get(), &handled, nullptr, nullptr),
              so::kInvalidArgument);
    EXPECT_EQ(testing_host::RawCall<host::UIHandler::HandleMouse>(handler.Get(), nullptr, nullptr),
              so::kInvalidArgument);
    // Detaching a handler that was never attached drops nothing and fails nothing.
    EXPECT_EQ(testing_host::RawCall<host::UIHandler::Detached>(handler.Get(), nullptr), so::kOk);
}

constexpr const char* kRootPanelPage =
    "<html><body><div class=\"props-panel\">"
    "<div id=\"user-opts-buttons-container\" style=\"visibility: collapse\">"
    "<button id=\"user-opts-save\" style=\"visibility: collapse\">MAKE DEFAULT</button>"
    "<button id=\"user-opts-reset-default\" style=\"visibility: collapse\">RESET DEFAULT</button>"
    "</div></div></body></html>";

TEST_F(PanelHandlers, TheButtonsOfARootGroupThatIsGoneDoNothing) {
    window_.LoadHtml(kRootPanelPage);
    so::Ref context = so::Ref::Adopt(so::ServiceObjectCppTheConcrete<FakeContext>::Create());
    FakeDefaults& defaults = so::ServiceObjectCppTheConcrete<FakeDefaults>::From(
        so::ServiceObjectCppTheConcrete<FakeContext>::From(context.Get()).defaults.Get());
    so::Ref group = so::Ref::Adopt(so::ServiceObjectCppTheConcrete<FakeGroup>::Create());
    so::Ref handler = PropertiesRootGroupHandler::Create(so::WeakRef::To(context.Get()), nullptr, group);
    ASSERT_EQ(ui::Engine().AttachEventHandler(Find(".props-panel"), handler.Get()), kHtmlOk);
    PropertiesRootGroupHandler& root = PropertiesRootGroupHandler::From(handler.Get());

    // While the group lives, the buttons follow the defaults it is compared with.
    root.UpdateDefaultPropertiesControls(false, false, so::Ref());
    EXPECT_EQ(Element("#user-opts-save").GetStyleAttribute("visibility"), L"visible");
    ASSERT_EQ(defaults.askedGroups, std::vector<ServiceObject*>{group.Get()});

    Element("#user-opts-save").SetStyleAttribute("visibility", L"collapse");
    group.Reset();
    root.UpdateDefaultPropertiesControls(false, false, so::Ref());
    root.SetAsDefault();
    EXPECT_EQ(Element("#user-opts-save").GetStyleAttribute("visibility"), L"collapse");
    EXPECT_EQ(defaults.askedGroups.size(), 1u);
    EXPECT_EQ(defaults.stores, 0);
}

} // namespace
} // namespace panel
