// The panel handler's document observers driven by a documents collection of the test's own, whose
// events the test raises itself: activations the host's own collection never makes (one without a
// deactivation before it, one of a view without a business side).
#include "headless-host/html-engine/runtime/EngineWindow.h"
#include "headless-host/html-engine/runtime/UIQueue.h"
#include "headless-host/services/HostEventSource.h"
#include "host/BLDocument.h"
#include "host/UIDocuments.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectException.h"
#include "tests/support/TestHost.h"
#include "ui-document-panel-properties/PanelParts.h"
#include "ui-engine/Element.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace panel {
namespace {

using so::Make;
using testing_host::Fake;

// A document whose command-stack subscriptions the test can count; it has no task or progress
// notifications.
class FakeDocument : public so::ObjectBase {
public:
    using Interface = host::BLDocument;
    static constexpr std::uint32_t kClassTag = 0x7E57D0C0;
    static void BindMethods(so::MethodBinder<FakeDocument>& binder) {
        binder.Bind<host::BLDocument::Subscribe, &FakeDocument::Subscribe>();
        binder.Bind<host::BLDocument::Unsubscribe, &FakeDocument::Unsubscribe>();
    }
    SOResult Subscribe(std::uint32_t eventId, const HostEventSubscription* record,
                       host::HostEventCookie* cookie) {
        return events.Subscribe(eventId, record, cookie);
    }
    SOResult Unsubscribe(host::HostEventCookie cookie) { return events.Unsubscribe(cookie); }

    headless::HostEventSource events{host::BLDocument::kEventCount};
};

// A selection without a properties context: the panel shows it as an empty page without the hint.
class FakeSelection : public so::ObjectBase {
public:
    using Interface = host::BLSelection;
    static constexpr std::uint32_t kClassTag = 0x7E575E1F;
    static void BindMethods(so::MethodBinder<FakeSelection>&) {}
};

// The business side of a view: its document, its selection and its events.
class FakeBusinessView : public so::ObjectBase {
public:
    using Interface = host::BLDocumentView;
    static constexpr std::uint32_t kClassTag = 0x7E57B1D0;
    static void BindMethods(so::MethodBinder<FakeBusinessView>& binder) {
        using V = host::BLDocumentView;
        binder.Bind<V::GetDocument, &FakeBusinessView::GetDocument>();
        binder.Bind<V::GetSelection, &FakeBusinessView::GetSelection>();
        binder.Bind<V::Subscribe, &FakeBusinessView::Subscribe>();
        binder.Bind<V::Unsubscribe, &FakeBusinessView::Unsubscribe>();
    }
    SOResult GetDocument(ServiceObject** out) {
        *out = so::Ref(document).Detach();
        return document ? so::kOk : 1;
    }
    SOResult GetSelection(ServiceObject** out) {
        *out = so::Ref(selection).Detach();
        return selection ? so::kOk : 1;
    }
    SOResult Subscribe(std::uint32_t eventId, const HostEventSubscription* record,
                       host::HostEventCookie* cookie) {
        return events.Subscribe(eventId, record, cookie);
    }
    SOResult Unsubscribe(host::HostEventCookie cookie) { return events.Unsubscribe(cookie); }

    so::Ref document;
    so::Ref selection;
    headless::HostEventSource events{host::BLDocumentView::kEventCount};
};

// How a view answers the query for its business side.
enum class BusinessSide { Given, Refused, Nothing };

class FakeUIView : public so::ObjectBase {
public:
    using Interface = host::UIDocumentView;
    static constexpr std::uint32_t kClassTag = 0x7E57E1E0;
    static void BindMethods(so::MethodBinder<FakeUIView>& binder) {
        binder.Bind<host::UIDocumentView::QueryServiceObject, &FakeUIView::QueryServiceObject>();
    }
    SOResult QueryServiceObject(std::uint32_t interfaceId, ServiceObject** out) {
        *out = nullptr;
        if (interfaceId != host::BLDocumentView::kId)
            return so::kServiceNotSupportedByProvider;
        switch (answer) {
        case BusinessSide::Given:
            *out = so::Ref(businessView).Detach();
            return so::kOk;
        case BusinessSide::Refused:
            throw so::ServiceObjectException(so::kServiceNotSupportedByProvider,
                                             "The view shows no document");
        case BusinessSide::Nothing:
            return so::kOk;
        }
        return so::kOk;
    }

    BusinessSide answer = BusinessSide::Given;
    so::Ref businessView;
};

// A collection with no views at first; the test raises its events.
class FakeCollection : public so::ObjectBase {
public:
    using Interface = host::UIDocumentsCollection;
    static constexpr std::uint32_t kClassTag = 0x7E57C011;
    static void BindMethods(so::MethodBinder<FakeCollection>& binder) {
        using C = host::UIDocumentsCollection;
        binder.Bind<C::GetViewCount, &FakeCollection::GetViewCount>();
        binder.Bind<C::HasActiveView, &FakeCollection::HasNone>();
        binder.Bind<C::HasActiveSbSView, &FakeCollection::HasNone>();
        binder.Bind<C::Subscribe, &FakeCollection::Subscribe>();
        binder.Bind<C::Unsubscribe, &FakeCollection::Unsubscribe>();
    }
    SOResult GetViewCount(std::uint32_t* count) {
        *count = 0;
        return so::kOk;
    }
    SOResult HasNone(std::uint8_t* has) {
        *has = 0;
        return so::kOk;
    }
    SOResult Subscribe(std::uint32_t eventId, const HostEventSubscription* record,
                       host::HostEventCookie* cookie) {
        return events.Subscribe(eventId, record, cookie);
    }
    SOResult Unsubscribe(host::HostEventCookie cookie) { return events.Unsubscribe(cookie); }

    void Activate(const so::Ref& view) {
        events.Raise<host::UIDocumentsCollection::OnDocumentViewActivated>({view.Get()});
    }

    headless::HostEventSource events{host::UIDocumentsCollection::kEventCount};
};

constexpr const char* kPanelLayoutPage =
    "<html><body class=\"properties-panel-body\"><div class=\"panel-content\">"
    "<div id=\"no-items-msg\">Click on the object to edit its properties</div>"
    "<div id=\"tabbed-groups\"><div class=\"strip icon-tabs-container\"></div>"
    "<div class=\"panels-container\"></div></div>"
    "</div></body></html>";

// A panel handler on the panel page's layout, handed the test's collection as the panel model
// hands over the host's.
class DocumentObservers : public testing_host::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        testing_host::RegisterService("UIService", queue_.Service());
        window_.LoadHtml(kPanelLayoutPage);
        ASSERT_EQ(ui::Engine().AttachEventHandler(Body().Handle(), handler_.Get()), kHtmlOk);
        SubscribeDocumentsCollection(handler_.Get(), collection_.Get());
        queue_.PumpUntilIdle();
    }
    void TearDown() override {
        queue_.PumpUntilIdle();
        window_.LoadHtml("<html><body></body></html>");
        queue_.PumpUntilIdle();
        handler_.Reset();
        HostTest::TearDown();
    }

    ui::Element Body() {
        HELEMENT root = nullptr;
        ui::Engine().GetRootElement(window_.Handle(), &root);
        return ui::Element::Adopt(root).FindFirst("body");
    }
    bool HintShown() { return Body().FindFirst("#no-items-msg").HasState(kStateExpanded); }

    // A view of `document` showing `selection` (either may be null).
    static so::Ref ViewOf(const so::Ref& document, const so::Ref& selection = so::Ref()) {
        so::Ref businessView = Make<FakeBusinessView>();
        Fake<FakeBusinessView>(businessView).document = document;
        Fake<FakeBusinessView>(businessView).selection = selection;
        so::Ref view = Make<FakeUIView>();
        Fake<FakeUIView>(view).businessView = businessView;
        return view;
    }
    FakeCollection& Collection() { return Fake<FakeCollection>(collection_); }

    html::UIQueue queue_;
    html::EngineWindow window_{queue_};
    so::Ref handler_ = CreatePropertiesPanelHandler();
    so::Ref collection_ = Make<FakeCollection>();
};

TEST_F(DocumentObservers, AnActivationWithoutADeactivationBeforeItFollowsOnlyTheNewViewsDocument) {
    so::Ref document = Make<FakeDocument>();
    // Two views of one document, the second activated while the first still is.
    so::Ref first = ViewOf(document);
    so::Ref second = ViewOf(document);
    Collection().Activate(first);
    Collection().Activate(second);
    queue_.PumpUntilIdle();

    const headless::HostEventSource& events = Fake<FakeDocument>(document).events;
    EXPECT_EQ(events.SubscriberCount(host::BLDocument::OnBeforeCommand::kEventId), 1u);
    EXPECT_EQ(events.SubscriberCount(host::BLDocument::OnAfterCommand::kEventId), 1u);
}

class ViewWithoutBusinessSide : public DocumentObservers, public testing::WithParamInterface<BusinessSide> {};

// The active view's selection has no properties: the panel is empty, without the hint.
TEST_P(ViewWithoutBusinessSide, ActivatingItLeavesThePanelAsItWas) {
    so::Ref view = ViewOf(Make<FakeDocument>(), Make<FakeSelection>());
    Collection().Activate(view);
    queue_.PumpUntilIdle();
    ASSERT_FALSE(HintShown());

    so::Ref startPage = ViewOf(so::Ref());
    Fake<FakeUIView>(startPage).answer = GetParam();
    Collection().Activate(startPage);
    queue_.PumpUntilIdle();
    EXPECT_FALSE(HintShown());
}

INSTANTIATE_TEST_SUITE_P(Answers, ViewWithoutBusinessSide,
                         testing::Values(BusinessSide::Refused, BusinessSide::Nothing),
                         [](const testing::TestParamInfo<BusinessSide>& info) {
                             return info.param == BusinessSide::Refused ? std::string("QueryRaises")
                                                                        : std::string("QueryGivesNothing");
                         });

} // namespace
} // namespace panel
