// The panel handler and the root group handler on pages of the test's own, through the headless
// engine: which edit popup a click closes, when a rebuild runs, what a clean removes, how a panel's
// content is generated, and what the default-settings buttons show after their actions.
#include "headless-host/html-engine/driver/InputDriver.h"
#include "headless-host/html-engine/runtime/EngineWindow.h"
#include "headless-host/html-engine/runtime/UIQueue.h"
#include "host/BLDocument.h"
#include "host/BLProperties.h"
#include "host/UIDocuments.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectException.h"
#include "tests/support/TestHost.h"
#include "tests/ui-engine/TestHostObjects.h"
#include "ui-document-panel-properties/PanelParts.h"
#include "ui-document-panel-properties/PropertiesGroupHandlers.h"
#include "ui-document-panel-properties/PropertiesPanelHandler.h"
#include "ui-document-panel-properties/PropertyHandler_Base.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace panel {
namespace {

// A default-settings context whose answers are set by the test; it records every group it is asked
// about. Its answers may lag behind its actions (a host that brings them up to date later), and it
// may report the change of an action from another thread while the action runs.
class FakeDefaults : public so::ObjectBase {
public:
    using Interface = host::BLPropertiesContextDefault;
    static constexpr std::uint32_t kClassTag = 0x7E57DEF0;
    static void BindMethods(so::MethodBinder<FakeDefaults>& binder) {
        using D = host::BLPropertiesContextDefault;
        binder.Bind<D::IsCurrentEqualToDefaults, &FakeDefaults::IsCurrentEqualToDefaults>();
        binder.Bind<D::StoreCurrentAsDefaults, &FakeDefaults::StoreCurrentAsDefaults>();
        binder.Bind<D::AreDefaultsOriginal, &FakeDefaults::AreDefaultsOriginal>();
        binder.Bind<D::RestoreOriginalDefaults, &FakeDefaults::RestoreOriginalDefaults>();
        binder.Bind<D::Subscribe, &FakeDefaults::Subscribe>();
        binder.Bind<D::Unsubscribe, &FakeDefaults::Unsubscribe>();
    }
    ~FakeDefaults() { Unsubscribe(0); }

    SOResult IsCurrentEqualToDefaults(ServiceObject* group, std::uint8_t* equal) {
        askedGroups.push_back(group);
        *equal = currentEqualsDefaults ? 1 : 0;
        return so::kOk;
    }
    SOResult StoreCurrentAsDefaults() {
        ++stores;
        ReportChange();
        return so::kOk;
    }
    SOResult AreDefaultsOriginal(ServiceObject* group, std::uint8_t* original) {
        askedGroups.push_back(group);
        *original = defaultsOriginal ? 1 : 0;
        return so::kOk;
    }
    SOResult RestoreOriginalDefaults(std::uint32_t) {
        ++restores;
        ReportChange();
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

    bool currentEqualsDefaults = false;
    bool defaultsOriginal = true;
    bool reportsChangesFromAnotherThread = false;
    std::vector<ServiceObject*> askedGroups;
    int stores = 0;
    int restores = 0;
    bool subscribed = false;
    HostEventSubscription subscription{};

private:
    // Raised on a thread of its own, which the action waits for: the event is over when the action
    // returns.
    void ReportChange() {
        if (!reportsChangesFromAnotherThread || !subscribed)
            return;
        std::thread([this] {
            host::ObjectEventArguments arguments{Self()};
            subscription.Invoke(subscription.closure, &arguments);
        }).join();
    }
};

// A group of the test's own: a name, whether it is a root group, and no properties or sub-groups. It
// counts how often its sub-groups are asked for, which a panel does once per generation of its
// content, and its flag test can be made to fail.
class FakeGroup : public so::ObjectBase {
public:
    using Interface = host::BLPropertiesGroup;
    static constexpr std::uint32_t kClassTag = 0x7E5761A0;
    static void BindMethods(so::MethodBinder<FakeGroup>& binder) {
        using G = host::BLPropertiesGroup;
        binder.Bind<G::GetName, &FakeGroup::GetName>();
        binder.Bind<G::HasFlags, &FakeGroup::HasFlags>();
        binder.Bind<G::GetSubGroupCount, &FakeGroup::GetSubGroupCount>();
    }
    FakeGroup(std::wstring groupName, bool rootGroup) : name(std::move(groupName)), root(rootGroup) {}
    FakeGroup() : FakeGroup(L"General", true) {}

    SOResult GetName(const wchar_t** out) {
        *out = name.c_str();
        return so::kOk;
    }
    SOResult HasFlags(std::uint32_t mask, std::uint8_t* set) {
        if (flagTestFailures > 0) {
            --flagTestFailures;
            throw so::ServiceObjectException(0x80004005, "The group cannot be read now");
        }
        *set = mask == host::GroupKind::kRootGroupFlag && root ? 1 : 0;
        return so::kOk;
    }
    SOResult GetSubGroupCount(std::uint32_t* count) {
        ++subGroupQueries;
        *count = 0;
        return so::kOk;
    }

    std::wstring name;
    bool root;
    int flagTestFailures = 0;
    int subGroupQueries = 0;
};

// A properties context with default settings and the groups the test gives it.
class FakeContext : public so::ObjectBase {
public:
    using Interface = host::BLPropertiesContext;
    static constexpr std::uint32_t kClassTag = 0x7E57C0E7;
    static void BindMethods(so::MethodBinder<FakeContext>& binder) {
        using C = host::BLPropertiesContext;
        binder.Bind<C::GetGroupCount, &FakeContext::GetGroupCount>();
        binder.Bind<C::GetGroup, &FakeContext::GetGroup>();
        binder.Bind<C::GetDefaultContext, &FakeContext::GetDefaultContext>();
        binder.Bind<C::IsDefaultSupported, &FakeContext::IsDefaultSupported>();
    }
    SOResult GetGroupCount(std::uint32_t* count) {
        *count = std::uint32_t(groups.size());
        return so::kOk;
    }
    SOResult GetGroup(std::uint32_t index, ServiceObject** out) {
        if (index >= groups.size())
            return 3;
        *out = so::Ref(groups[index]).Detach();
        return so::kOk;
    }
    SOResult GetDefaultContext(ServiceObject** out) {
        *out = so::Ref(defaults).Detach();
        return so::kOk;
    }
    SOResult IsDefaultSupported(std::uint8_t* supported) {
        ++defaultQuestions;
        *supported = 1;
        return defaultQuestionFails ? so::kGenericFailure : so::kOk;
    }
    so::Ref defaults = so::Make<FakeDefaults>();
    bool defaultQuestionFails = false;
    int defaultQuestions = 0;
    std::vector<so::Ref> groups;
};

// A selection whose properties context the test chooses; none by default, which a panel shows as
// an empty page without the hint.
class FakeSelection : public so::ObjectBase {
public:
    using Interface = host::BLSelection;
    static constexpr std::uint32_t kClassTag = 0x7E575E1E;
    static void BindMethods(so::MethodBinder<FakeSelection>& binder) {
        binder.Bind<host::BLSelection::GetPropertiesContext, &FakeSelection::GetPropertiesContext>();
    }
    SOResult GetPropertiesContext(ServiceObject** out) {
        *out = so::Ref(context).Detach();
        return context ? so::kOk : 1;
    }
    so::Ref context;
};

// User options in which the warning before a reset to the defaults is off.
class FakeUserOptions : public so::ObjectBase {
public:
    using Interface = host::UserOptions;
    static constexpr std::uint32_t kClassTag = 0x7E5709E4;
    static void BindMethods(so::MethodBinder<FakeUserOptions>& binder) {
        binder.Bind<host::UserOptions::GetBool, &FakeUserOptions::GetBool>();
    }
    SOResult GetBool(const wchar_t*, const wchar_t*, std::uint8_t* value) {
        *value = 0;
        return so::kOk;
    }
};

using so::Make;
using testing_host::Fake;

// The module's own templates, served as the host's resource store serves them (UTF-8 with its mark).
void AddModuleTemplates(testing_host::TestResourceStore& store, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        std::ifstream file(std::string(PP_SOURCE_DIR) + "/resources/document-panel-properties/" + name,
                           std::ios::binary);
        ASSERT_TRUE(file) << name;
        const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        store.templates[L"document-panel-properties/" + std::wstring(name, name + std::strlen(name))] =
            "\xEF\xBB\xBF" + text;
    }
}

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
    so::Ref context = so::Make<FakeContext>();
    FakeDefaults& defaults = so::ServiceObjectCppTheConcrete<FakeDefaults>::From(
        so::ServiceObjectCppTheConcrete<FakeContext>::From(context.Get()).defaults.Get());
    so::Ref group = so::Make<FakeGroup>();
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

// The panel page's layout: the hint, and the tab control that receives the generated tabs and panels.
constexpr const char* kPanelLayoutPage =
    "<html><body class=\"properties-panel-body\"><div class=\"panel-content\">"
    "<div id=\"no-items-msg\">Click on the object to edit its properties</div>"
    "<div id=\"tabbed-groups\"><div class=\"strip icon-tabs-container\"></div>"
    "<div class=\"panels-container\"></div></div>"
    "</div></body></html>";

// A panel handler attached to the page's body, following a selection of the test's own.
class PanelHandlerOnPage : public PanelHandlers {
protected:
    void Attach(const char* page = kPanelLayoutPage) {
        window_.LoadHtml(page);
        handler_ = CreatePropertiesPanelHandler();
        ASSERT_EQ(ui::Engine().AttachEventHandler(Find("body"), handler_.Get()), kHtmlOk);
        queue_.PumpUntilIdle();
        Panel().OnDocumentViewSelectionChanging(nullptr, selection_.Get());
    }
    void TearDown() override {
        PanelHandlers::TearDown();
        handler_.Reset();
    }
    // Gives the selection a properties context with these groups, and the generator its templates.
    void SelectGroups(std::vector<so::Ref> groups) {
        AddModuleTemplates(*store_, {"properties-tab.template.htm", "properties-panel-stub.template.htm",
                                     "properties-panel-content.template.htm"});
        so::Ref context = Make<FakeContext>();
        Fake<FakeContext>(context).groups = std::move(groups);
        Fake<FakeSelection>(selection_).context = context;
    }
    PropertiesPanelHandler& Panel() { return PropertiesPanelHandler::From(handler_.Get()); }
    bool HintShown() { return Element("#no-items-msg").HasState(kStateExpanded); }
    std::size_t TabCount() { return Element(".panel-content").FindAll(".props-tab").size(); }

    testing_host::ScopedResourceStore store_;
    so::Ref handler_;
    so::Ref selection_ = Make<FakeSelection>();
};

// The selection has no properties context: a rebuild empties the panel and takes the hint away.
TEST_F(PanelHandlerOnPage, AnImmediateRebuildOnTheUIThreadHappensAtOnce) {
    Attach();
    ASSERT_TRUE(HintShown());

    Panel().UpdateView(false);
    EXPECT_FALSE(HintShown());
}

TEST_F(PanelHandlerOnPage, AnAsynchronousRebuildWaitsForTheUILoopEvenOnTheUIThread) {
    Attach();
    Panel().UpdateView(true);
    EXPECT_TRUE(HintShown());

    queue_.PumpUntilIdle();
    EXPECT_FALSE(HintShown());
}

// Filling the page is the UI thread's alone: the engine refuses element operations from elsewhere.
TEST_F(PanelHandlerOnPage, AnImmediateRebuildAskedOffTheUIThreadRunsInTheUILoop) {
    SelectGroups({Make<FakeGroup>(L"General", true)});
    Attach();
    std::string failure;
    std::thread([&] {
        try {
            Panel().UpdateView(false);
        } catch (const std::exception& e) {
            failure = e.what();
        }
    }).join();
    EXPECT_EQ(failure, "");
    EXPECT_EQ(TabCount(), 0u);

    queue_.PumpUntilIdle();
    EXPECT_EQ(TabCount(), 1u);
}

TEST_F(PanelHandlerOnPage, ASelectionThatNoLongerGivesAContextLeavesNothingOfTheObjectShown) {
    SelectGroups({Make<FakeGroup>(L"General", true)});
    Attach();
    Panel().UpdateView(false);
    ASSERT_EQ(TabCount(), 1u);

    Fake<FakeSelection>(selection_).context.Reset();
    Panel().UpdateView(false);
    EXPECT_EQ(TabCount(), 0u);
    EXPECT_EQ(Element(".panel-content").FindAll(".props-panel").size(), 0u);
}

TEST_F(PanelHandlerOnPage, ACleanEmptiesTheOlderSingleListLayout) {
    constexpr const char* kOlderLayoutPage =
        "<html><body class=\"properties-panel-body\"><div class=\"panel-content\">"
        "<div id=\"no-items-msg\">Click on the object to edit its properties</div>"
        "<div id=\"regular-groups\"><div class=\"properties-content\">Caption</div>"
        "<div class=\"properties-content\">Author</div></div>"
        "</div></body></html>";
    Attach(kOlderLayoutPage);
    EXPECT_EQ(Element(".panel-content").FindAll(".properties-content").size(), 0u);
}

// The second group's flag test fails once, after the first group's panel stub was generated.
TEST_F(PanelHandlerOnPage, ARebuildAfterAFailedOneGeneratesEachPanelOnce) {
    so::Ref general = Make<FakeGroup>(L"General", true);
    so::Ref broken = Make<FakeGroup>(L"Comment", false);
    Fake<FakeGroup>(broken).flagTestFailures = 1;
    SelectGroups({general, broken});
    Attach();
    EXPECT_THROW(Panel().UpdateView(false), so::ServiceObjectException);

    Panel().UpdateView(false);
    queue_.PumpUntilIdle();
    ASSERT_EQ(Element(".props-panel").GetAttribute("name"), L"General");
    EXPECT_EQ(Fake<FakeGroup>(general).subGroupQueries, 1);
}

// A root group handler bound to a panel stub in a tab control, as the panel's generation binds it.
class RootGroupOnPage : public PanelHandlers {
protected:
    void Bind() {
        AddModuleTemplates(*store_, {"properties-panel-content.template.htm"});
        window_.LoadHtml("<html><body><div id=\"tabbed-groups\">"
                         "<div class=\"strip\"><div class=\"props-tab\" panel=\"General\">General</div></div>"
                         "<div class=\"panels-container\"><div class=\"props-panel\" id=\"general\" "
                         "name=\"General\"></div></div></div></body></html>");
        handler_ = PropertiesRootGroupHandler::Create(so::WeakRef::To(context_.Get()), nullptr, group_);
        ASSERT_EQ(ui::Engine().AttachEventHandler(Find(".props-panel"), handler_.Get()), kHtmlOk);
        queue_.PumpUntilIdle();
    }
    void TearDown() override {
        PanelHandlers::TearDown();
        handler_.Reset();
    }
    PropertiesRootGroupHandler& Root() { return PropertiesRootGroupHandler::From(handler_.Get()); }
    FakeDefaults& Defaults() { return Fake<FakeDefaults>(Fake<FakeContext>(context_).defaults); }
    void RequestContent() {
        ui::Element stub = Element(".props-panel");
        stub.FireEvent(PROP_GENERATE_CONTENT, stub, false);
    }

    testing_host::ScopedResourceStore store_;
    so::Ref context_ = Make<FakeContext>();
    so::Ref group_ = Make<FakeGroup>(L"General", true);
    so::Ref handler_;
};

TEST_F(RootGroupOnPage, AContentRequestBeforeTheFirstExpansionGeneratesTheContentOnce) {
    Bind();
    RequestContent();
    ASSERT_TRUE(Element(".props-panel #user-opts-buttons-container"));

    driver_.ExpandTab(Find(".props-tab"));
    queue_.PumpUntilIdle();
    EXPECT_EQ(Fake<FakeGroup>(group_).subGroupQueries, 1);
}

// The current values differ from the defaults: once brought up to date, "MAKE DEFAULT" shows.
TEST_F(RootGroupOnPage, TheIdleTimeRightAfterAContentRequestLeavesTheButtonsAlone) {
    Bind();
    RequestContent();
    ASSERT_FALSE(Element("#user-opts-save").GetStyleAttribute("visibility"));

    const html::PumpReport first = queue_.PumpUntilIdle(1);
    ASSERT_EQ(first.postedRun, 0u);
    ASSERT_GE(first.idleCalls, 1u);
    EXPECT_FALSE(Element("#user-opts-save").GetStyleAttribute("visibility"));

    queue_.PumpUntilIdle();
    EXPECT_EQ(Element("#user-opts-save").GetStyleAttribute("visibility"), L"visible");
}

// A failing update of the buttons is reported once, not tried again at every idle time after it.
TEST_F(RootGroupOnPage, AFailedUpdateOfTheButtonsIsNotRetriedAtEveryIdleTime) {
    Bind();
    RequestContent();
    queue_.PumpUntilIdle();
    FakeContext& context = Fake<FakeContext>(context_);
    context.defaultQuestionFails = true;
    context.defaultQuestions = 0;
    ui::Element panel = Element(".props-panel");
    panel.FireEvent(PROP_VIEW_REFRESHED, panel, false); // an editor's refresh asks for the buttons
    for (int i = 0; i < 3; ++i)
        queue_.PumpUntilIdle();
    EXPECT_EQ(context.defaultQuestions, 1);
}

// The defaults report the store from another thread and still say the current values differ: the
// buttons must show what the finished action set, not what that late answer would make of them.
TEST_F(RootGroupOnPage, AChangeReportedWhileMakeDefaultRunsDoesNotOverruleItsButtons) {
    Bind();
    RequestContent();
    queue_.PumpUntilIdle();
    ASSERT_EQ(Element("#user-opts-save").GetStyleAttribute("visibility"), L"visible");
    ASSERT_TRUE(Defaults().subscribed);

    Defaults().reportsChangesFromAnotherThread = true;
    driver_.Click(Find("#user-opts-save"));
    queue_.PumpUntilIdle();
    ASSERT_EQ(Defaults().stores, 1);
    EXPECT_EQ(Element("#user-opts-save").GetStyleAttribute("visibility"), L"collapse");
}

// The current values equal the defaults, which differ from the original ones: "RESET DEFAULT" shows.
// After the reset the defaults still say they are not the original ones (an answer that lags).
class RootGroupAfterReset : public RootGroupOnPage {
protected:
    void ShowResetButton() {
        testing_host::RegisterService("UserOptions", options_.Get());
        Bind();
        Defaults().currentEqualsDefaults = true;
        Defaults().defaultsOriginal = false;
        RequestContent();
        queue_.PumpUntilIdle();
        ASSERT_EQ(Element("#user-opts-reset-default").GetStyleAttribute("visibility"), L"visible");
        ASSERT_TRUE(Defaults().subscribed);
    }
    so::Ref options_ = Make<FakeUserOptions>();
};

TEST_F(RootGroupAfterReset, ResetDefaultHidesItsButtonWhateverTheDefaultsAnswerAfterIt) {
    ShowResetButton();
    driver_.Click(Find("#user-opts-reset-default"));
    queue_.PumpUntilIdle();
    ASSERT_EQ(Defaults().restores, 1);
    EXPECT_EQ(Element("#user-opts-reset-default").GetStyleAttribute("visibility"), L"collapse");
}

TEST_F(RootGroupAfterReset, AChangeReportedWhileResetDefaultRunsDoesNotOverruleItsButtons) {
    ShowResetButton();
    Defaults().reportsChangesFromAnotherThread = true;
    driver_.Click(Find("#user-opts-reset-default"));
    queue_.PumpUntilIdle();
    ASSERT_EQ(Defaults().restores, 1);
    EXPECT_EQ(Element("#user-opts-reset-default").GetStyleAttribute("visibility"), L"collapse");
}

} // namespace
} // namespace panel
