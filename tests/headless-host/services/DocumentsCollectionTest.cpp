// The "UIDocumentsCollection" as the panel's observer meets it: the nine events in the order the
// host raises them, the queries answered meanwhile, cancelled closing, side-by-side views, and the
// ownership of subscription closures.
#include "headless-host/services/DocumentsCollectionService.h"
#include "headless-host/services/SideBySideViewObject.h"
#include "tests/headless-host/services/HostEventRecorder.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Collection = host::UIDocumentsCollection;
using CollectionObject = so::ServiceObjectCppTheConcrete<headless::DocumentsCollectionService>;
using testing_host::SubscribeEvent;

// A stand-in document view: the collection only keeps and hands out views.
struct TestView : so::ObjectBase {
    using Interface = host::UIDocumentView;
    static constexpr std::uint32_t kClassTag = 0x7E57F1E1;
    static void BindMethods(so::MethodBinder<TestView>& binder) {
        binder.Bind<host::UIDocumentView::GetTitle, &TestView::GetTitle>();
    }
    explicit TestView(std::wstring title) : title(std::move(title)) {}
    SOResult GetTitle(const wchar_t** out) {
        *out = title.c_str();
        return so::kOk;
    }
    std::wstring title;
};

// One past the collection's last event.
struct NoSuchEvent {
    static constexpr std::uint32_t kEventId = Collection::kEventCount;
    using Arguments = Collection::ViewArguments;
};

std::string Title(ServiceObject* view) {
    if (view == nullptr)
        return "-";
    if (!so::ServiceObjectCppTheConcrete<TestView>::IsInstance(view))
        return "sbs";
    const wchar_t* title = nullptr;
    so::Call<host::UIDocumentView::GetTitle>(view, &title);
    return std::string(title, title + std::wcslen(title));
}

class DocumentsCollection : public testing_host::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        collection = so::Ref::Adopt(CollectionObject::Create());
        a = so::Make<TestView>(L"A");
        b = so::Make<TestView>(L"B");
    }

    headless::DocumentsCollectionService& Service() { return CollectionObject::From(collection.Get()); }

    // Logs every event as "<event>(<view>[,<other>])", and what GetActiveView says at that moment.
    void LogAllEvents() {
        auto log = [this](const char* name) {
            return [this, name](const Collection::ViewArguments& arguments) {
                events.push_back(std::string(name) + "(" + Title(arguments.view) + ")");
            };
        };
        SubscribeEvent<Collection::Subscribe, Collection::OnDocumentViewCreated>(collection.Get(),
                                                                                 log("created"));
        SubscribeEvent<Collection::Subscribe, Collection::OnDocumentViewActivated>(
            collection.Get(), [this](const Collection::ViewArguments& arguments) {
                so::Ref active;
                so::Call<Collection::GetActiveView>(collection.Get(), active.Put());
                events.push_back("activated(" + Title(arguments.view) + ") active=" + Title(active.Get()));
            });
        SubscribeEvent<Collection::Subscribe, Collection::OnDocumentViewDeactivated>(
            collection.Get(), [this](const Collection::DeactivatedArguments& arguments) {
                events.push_back("deactivated(" + Title(arguments.view) + "," + Title(arguments.other) + ")");
            });
        SubscribeEvent<Collection::Subscribe, Collection::OnDocumentViewClose>(
            collection.Get(), [this](const Collection::CloseArguments& arguments) {
                events.push_back("close(" + Title(arguments.view) + ")");
                if (keepOpen)
                    *arguments.cancel = 1;
            });
        SubscribeEvent<Collection::Subscribe, Collection::OnDocumentViewDestroyed>(collection.Get(),
                                                                                   log("destroyed"));
        SubscribeEvent<Collection::Subscribe, Collection::OnSbSViewCreated>(collection.Get(),
                                                                            log("sbs-created"));
        SubscribeEvent<Collection::Subscribe, Collection::OnSbSViewActivated>(collection.Get(),
                                                                              log("sbs-activated"));
        SubscribeEvent<Collection::Subscribe, Collection::OnSbSViewDeactivated>(collection.Get(),
                                                                                log("sbs-deactivated"));
        SubscribeEvent<Collection::Subscribe, Collection::OnSbSViewDestroyed>(collection.Get(),
                                                                              log("sbs-destroyed"));
    }

    so::Ref collection;
    so::Ref a;
    so::Ref b;
    std::vector<std::string> events;
    bool keepOpen = false;
};

TEST_F(DocumentsCollection, TableHasTheTenMethodsUnderItsInterfaceId) {
    EXPECT_EQ(collection.Get()->header.interfaceId, 0x468F6917u);
    EXPECT_EQ(collection.Get()->header.tableSize, 10u * 8u);
    EXPECT_STREQ(collection.Get()->header.interfaceName, "UIDocumentsCollection");
}

TEST_F(DocumentsCollection, ActivationSwitchesRaiseDeactivationBeforeActivation) {
    LogAllEvents();
    Service().AddView(a.Get());
    Service().AddView(b.Get());
    Service().ActivateView(a.Get());
    Service().ActivateView(a.Get()); // already active: nothing
    Service().ActivateView(b.Get());
    Service().DeactivateActiveView();
    Service().DeactivateActiveView(); // none active: nothing
    EXPECT_EQ(events,
              (std::vector<std::string>{"created(A)", "created(B)", "activated(A) active=A",
                                        "deactivated(A,B)", "activated(B) active=B", "deactivated(B,-)"}));
}

TEST_F(DocumentsCollection, ClosingTheActiveViewDeactivatesItBeforeItIsDestroyed) {
    Service().AddView(a.Get());
    Service().ActivateView(a.Get());
    LogAllEvents();
    EXPECT_TRUE(Service().CloseView(a.Get()));
    EXPECT_EQ(events, (std::vector<std::string>{"close(A)", "deactivated(A,-)", "destroyed(A)"}));
    std::uint32_t count = 9;
    so::Call<Collection::GetViewCount>(collection.Get(), &count);
    EXPECT_EQ(count, 0u);
}

TEST_F(DocumentsCollection, SubscriberCanKeepAViewOpen) {
    Service().AddView(a.Get());
    Service().ActivateView(a.Get());
    LogAllEvents();
    keepOpen = true;
    EXPECT_FALSE(Service().CloseView(a.Get()));
    EXPECT_EQ(events, (std::vector<std::string>{"close(A)"}));
    std::uint8_t hasActive = 0;
    so::Call<Collection::HasActiveView>(collection.Get(), &hasActive);
    EXPECT_EQ(hasActive, 1);
}

TEST_F(DocumentsCollection, QueriesAnswerWhatTheObserverEnumeratesAtSubscription) {
    Service().AddView(a.Get());
    Service().AddView(b.Get());
    std::uint8_t hasActive = 1;
    so::Call<Collection::HasActiveView>(collection.Get(), &hasActive);
    EXPECT_EQ(hasActive, 0);
    so::Ref none;
    EXPECT_EQ(so::Call<Collection::GetActiveView>(collection.Get(), none.Put()), so::kNothingProvided);
    EXPECT_FALSE(none);

    std::uint32_t count = 0;
    so::Call<Collection::GetViewCount>(collection.Get(), &count);
    ASSERT_EQ(count, 2u);
    so::Ref second;
    so::Call<Collection::GetView>(collection.Get(), 1u, second.Put());
    EXPECT_EQ(Title(second.Get()), "B");

    so::ClearLastErrorInfo();
    ServiceObject* beyond = a.Get();
    EXPECT_EQ(testing_host::RawCall<Collection::GetView>(collection.Get(), 2u, &beyond),
              so::kInvalidArgument);
    EXPECT_EQ(beyond, nullptr);
    EXPECT_NE(testing_host::LastErrorMessage().find("There is no view 2 (the collection has 2)"),
              std::string::npos)
        << testing_host::LastErrorMessage();
}

TEST_F(DocumentsCollection, SideBySideViewsFollowTheirOwnActivation) {
    so::Ref pair = so::Ref::Adopt(
        so::ServiceObjectCppTheConcrete<headless::SideBySideViewObject>::Create(std::vector<so::Ref>{a, b}));
    so::Ref other = so::Ref::Adopt(
        so::ServiceObjectCppTheConcrete<headless::SideBySideViewObject>::Create(std::vector<so::Ref>{b}));
    LogAllEvents();
    Service().AddSbSView(pair.Get());
    Service().AddSbSView(other.Get());
    Service().ActivateSbSView(pair.Get());
    Service().ActivateSbSView(other.Get());
    Service().RemoveSbSView(other.Get());
    EXPECT_EQ(events, (std::vector<std::string>{"sbs-created(sbs)", "sbs-created(sbs)", "sbs-activated(sbs)",
                                                "sbs-deactivated(sbs)", "sbs-activated(sbs)",
                                                "sbs-deactivated(sbs)", "sbs-destroyed(sbs)"}));
    std::uint8_t hasActive = 1;
    so::Call<Collection::HasActiveSbSView>(collection.Get(), &hasActive);
    EXPECT_EQ(hasActive, 0);

    std::uint32_t views = 0;
    so::Call<host::UIDocumentViewSbS::GetViewCount>(pair.Get(), &views);
    EXPECT_EQ(views, 2u);
    so::Ref right;
    so::Call<host::UIDocumentViewSbS::GetView>(pair.Get(), 1u, right.Put());
    EXPECT_EQ(right, b);
}

TEST_F(DocumentsCollection, HostOperationsRefuseViewsTheyDoNotHold) {
    EXPECT_THROW(Service().ActivateView(a.Get()), std::invalid_argument);
    EXPECT_THROW(Service().CloseView(a.Get()), std::invalid_argument);
    Service().AddView(a.Get());
    EXPECT_THROW(Service().AddView(a.Get()), std::invalid_argument);
}

TEST_F(DocumentsCollection, ClosuresAreReleasedOnceWhetherUnsubscribedOrLeftToTheCollection) {
    testing_host::ClosureCounter counter;
    auto noop = [](const Collection::ViewArguments&) {};
    auto first = SubscribeEvent<Collection::Subscribe, Collection::OnDocumentViewCreated>(collection.Get(),
                                                                                          noop, &counter);
    auto second = SubscribeEvent<Collection::Subscribe, Collection::OnDocumentViewActivated>(collection.Get(),
                                                                                             noop, &counter);
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    so::Call<Collection::Unsubscribe>(collection.Get(), first);
    EXPECT_EQ(counter.released.load(), 1);

    so::ClearLastErrorInfo();
    EXPECT_EQ(testing_host::RawCall<Collection::Unsubscribe>(collection.Get(), first), so::kInvalidArgument);
    EXPECT_NE(testing_host::LastErrorMessage().find("No event subscription with the cookie"),
              std::string::npos);

    // An unknown event is refused and the closure stays with the subscriber (who frees it).
    EXPECT_THROW((SubscribeEvent<Collection::Subscribe, NoSuchEvent>(collection.Get(), noop, &counter)),
                 so::ServiceObjectException);
    EXPECT_EQ(counter.released.load(), 2);

    collection.Reset();
    EXPECT_EQ(counter.released.load(), counter.made.load());
}

} // namespace
