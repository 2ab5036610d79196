// The handler framework through the headless engine: routing by event mask, the default answers,
// attach and detach, posting to the UI thread, idle callbacks, the script-object request and the
// window query.
#include "tests/support/TestHost.h"

#include "headless-host/html-engine/driver/InputDriver.h"
#include "headless-host/html-engine/runtime/EngineWindow.h"
#include "headless-host/html-engine/runtime/UIQueue.h"
#include "headless-host/services/PluginSiteObject.h"
#include "service-common/HostCall.h"
#include "ui-engine/internal/UIHandlerStdImpl.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using testing_host::LastErrorMessage;
using testing_host::RawCall;

// What reached the test handlers, as "<handler>:<group> <code>" lines.
std::vector<std::string> journal;

template <class T>
class RecordingBase : public ui::UIHandlerStdImpl<T> {
public:
    SOResult HandleMouse(HELEMENT, HtmlMouseParams* params) {
        Note("mouse", params->cmd);
        return so::kNothingProvided;
    }
    SOResult HandleKey(HELEMENT, HtmlKeyParams* params) {
        Note("key", params->cmd);
        return so::kNothingProvided;
    }
    SOResult HandleFocus(HELEMENT, HtmlFocusParams* params) {
        Note("focus", params->cmd);
        return so::kNothingProvided;
    }
    void OnBehaviorEvent(std::uint8_t&, HtmlBehaviorEventParams& event) { Note("event", event.cmd); }
    void OnAttached() { Note("attached", 0); }
    void OnDetached() { Note("detached", 0); }

    int effects = 0;

private:
    void Note(const char* what, std::uint32_t code) {
        journal.push_back(std::string(T::kName) + ":" + what + " " + std::to_string(code));
    }
};

// The three masks the panel's handler classes use.
struct PanelLike : RecordingBase<PanelLike> {
    static constexpr const char* kName = "panel";
    static constexpr std::uint32_t kClassTag = 0x7E57A001;
    static constexpr std::uint32_t kEventMask = 0x8101;
};
struct GroupLike : RecordingBase<GroupLike> {
    static constexpr const char* kName = "group";
    static constexpr std::uint32_t kClassTag = 0x7E57A002;
    static constexpr std::uint32_t kEventMask = 0x8100;
};
struct EditorLike : RecordingBase<EditorLike> {
    static constexpr const char* kName = "editor";
    static constexpr std::uint32_t kClassTag = 0x7E57A003;
    static constexpr std::uint32_t kEventMask = 0x127;
};

// A handler with an idle part that records when it runs.
struct IdleLike : ui::UIHandlerStdImpl<IdleLike> {
    static constexpr std::uint32_t kClassTag = 0x7E57A004;
    static constexpr bool kHasIdle = true;
    bool OnIdle() {
        journal.push_back("idle");
        return std::exchange(pendingWork, false);
    }
    bool pendingWork = false;
};

class UIHandlerFramework : public testing_host::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        journal.clear();
        testing_host::RegisterService("UIService", queue_.Service());
        window_.LoadHtml(
            "<html><body><div #outer><div #middle><input #inner type=text></div></div></body></html>");
    }

    void TearDown() override {
        queue_.PumpUntilIdle();
        held_.clear();
        HostTest::TearDown();
    }

    // A handle names its element only while it is held: the fixture keeps every one it gives.
    HELEMENT Find(const char* selector) {
        HELEMENT root = nullptr;
        ui::Engine().GetRootElement(window_.Handle(), &root);
        ui::Element found = ui::Element::Adopt(root).FindFirst(selector);
        held_.push_back(found);
        return found.Handle();
    }

    template <class T>
    so::Ref AttachNew(const char* selector) {
        so::Ref handler = T::Create();
        EXPECT_EQ(ui::Engine().AttachEventHandler(Find(selector), handler.Get()), kHtmlOk);
        return handler;
    }

    html::UIQueue queue_;
    html::EngineWindow window_{queue_};
    html::InputDriver driver_{window_};
    std::vector<ui::Element> held_;
};

bool Journaled(const std::string& line) {
    return std::find(journal.begin(), journal.end(), line) != journal.end();
}

TEST_F(UIHandlerFramework, EachHandlerGetsOnlyItsEventGroups) {
    so::Ref panel = AttachNew<PanelLike>("#outer");
    so::Ref group = AttachNew<GroupLike>("#middle");
    so::Ref editor = AttachNew<EditorLike>("#inner");
    journal.clear();

    driver_.Click(Find("#inner"));
    driver_.PressKey(0x41);

    EXPECT_TRUE(Journaled("editor:mouse 3"));
    EXPECT_TRUE(Journaled("panel:mouse 3"));
    EXPECT_TRUE(Journaled("editor:key 0"));
    EXPECT_TRUE(Journaled("editor:focus 2"));
    for (const std::string& line : journal) {
        EXPECT_EQ(line.rfind("group:mouse", 0), std::string::npos) << line;
        EXPECT_EQ(line.rfind("group:key", 0), std::string::npos) << line;
        EXPECT_EQ(line.rfind("panel:key", 0), std::string::npos) << line;
        EXPECT_EQ(line.rfind("panel:focus", 0), std::string::npos) << line;
    }

    journal.clear();
    ui::Element(Find("#inner")).FireEvent(1028, ui::Element(Find("#inner")), false);
    EXPECT_EQ(journal,
              (std::vector<std::string>{"editor:event 1028", "group:event 1028", "panel:event 1028"}));
}

TEST_F(UIHandlerFramework, SubscribedEventsAndHandlerName) {
    so::Ref panel = PanelLike::Create();
    std::uint32_t mask = 0;
    EXPECT_EQ(RawCall<host::UIHandler::GetSubscribedEvents>(panel.Get(), &mask), so::kOk);
    EXPECT_EQ(mask, 0x8101u);
    EXPECT_EQ(RawCall<host::UIHandler::GetSubscribedEvents>(panel.Get(), nullptr), so::kInvalidArgument);
    const char* name = nullptr;
    EXPECT_EQ(RawCall<host::UIHandler::GetHandlerName>(panel.Get(), &name), so::kOk);
    EXPECT_STREQ(name, "(anonymous namespace)::PanelLike");
    EXPECT_EQ(ui::HandlerClassName(typeid(std::string)).rfind("std::", 0), 0u);
}

TEST_F(UIHandlerFramework, UnimplementedOperationsAnswerOneWithoutRecord) {
    so::Ref group = AttachNew<GroupLike>("#middle");
    using H = host::UIHandler;
    HtmlTimerParams timer{};
    EXPECT_EQ(RawCall<H::HandleTimer>(group.Get(), Find("#middle"), &timer), so::kNothingProvided);
    EXPECT_EQ(RawCall<H::HandleSize>(group.Get(), Find("#middle")), so::kNothingProvided);
    EXPECT_EQ(RawCall<H::OnInitComplete>(group.Get()), so::kNothingProvided);
    EXPECT_EQ(RawCall<H::OnLocaleChanged>(group.Get()), so::kNothingProvided);
    EXPECT_EQ(LastErrorMessage(), "");
}

TEST_F(UIHandlerFramework, ScriptObjectRequests) {
    so::Ref editor = EditorLike::Create();
    std::uint8_t handled = 0;
    HtmlSomParams passport{kSomGetPassport, {}};
    EXPECT_EQ(RawCall<host::UIHandler::HandleSOM>(editor.Get(), &handled, nullptr, &passport), so::kOk);
    EXPECT_EQ(handled, 1);
    auto* scriptPassport = static_cast<const ui::ScriptPassport*>(passport.data.passport);
    ASSERT_NE(scriptPassport, nullptr);
    EXPECT_STREQ(scriptPassport->name, "(anonymous namespace)::EditorLike");

    HtmlSomParams asset{kSomGetAsset, {}};
    handled = 0;
    EXPECT_EQ(RawCall<host::UIHandler::HandleSOM>(editor.Get(), &handled, nullptr, &asset), so::kOk);
    EXPECT_EQ(asset.data.asset, &EditorLike::From(editor.Get()));

    HtmlSomParams other{2, {}};
    handled = 0;
    EXPECT_EQ(RawCall<host::UIHandler::HandleSOM>(editor.Get(), &handled, nullptr, &other),
              so::kNothingProvided);
    EXPECT_EQ(handled, 0);
}

TEST_F(UIHandlerFramework, AttachKeepsElementAndInvokerUntilDetach) {
    so::Ref group = AttachNew<GroupLike>("#middle");
    GroupLike& handler = GroupLike::From(group.Get());
    HELEMENT element = nullptr;
    EXPECT_EQ(RawCall<host::UIHandler::GetElementAttachedTo>(group.Get(), &element), so::kOk);
    EXPECT_EQ(element, Find("#middle"));
    EXPECT_TRUE(handler.CurrentInvoker());
    EXPECT_TRUE(Journaled("group:attached 0"));

    EXPECT_EQ(ui::Engine().DetachEventHandler(Find("#middle"), group.Get()), kHtmlOk);
    EXPECT_TRUE(Journaled("group:detached 0"));
    EXPECT_FALSE(handler.IsAttached());
    EXPECT_FALSE(handler.CurrentInvoker());
}

TEST_F(UIHandlerFramework, WorkPostedBeforeDetachRunsWithoutEffect) {
    so::Ref group = AttachNew<GroupLike>("#middle");
    GroupLike& handler = GroupLike::From(group.Get());
    EXPECT_TRUE(handler.PostAlways([](GroupLike& self) { ++self.effects; }));
    EXPECT_TRUE(handler.PostWeak([](GroupLike& self) { ++self.effects; }));
    ui::Engine().DetachEventHandler(Find("#middle"), group.Get());
    queue_.PumpUntilIdle();
    EXPECT_EQ(handler.effects, 0);

    // After detach there is no invoker: posting is refused and the work dropped.
    EXPECT_FALSE(handler.PostAlways([](GroupLike& self) { ++self.effects; }));
    queue_.PumpUntilIdle();
    EXPECT_EQ(handler.effects, 0);
}

TEST_F(UIHandlerFramework, PostedWorkRunsOnlyWhenPumped) {
    so::Ref group = AttachNew<GroupLike>("#middle");
    GroupLike& handler = GroupLike::From(group.Get());
    EXPECT_TRUE(handler.PostAlways([](GroupLike& self) { ++self.effects; }));
    EXPECT_EQ(handler.effects, 0);
    EXPECT_TRUE(handler.RunOrPost([](GroupLike& self) { self.effects += 10; }));
    EXPECT_EQ(handler.effects, 10); // on the UI thread: at once
    queue_.PumpUntilIdle();
    EXPECT_EQ(handler.effects, 11);
}

TEST_F(UIHandlerFramework, AReattachedHandlerPostsThroughItsNewWindowOnly) {
    so::Ref group = AttachNew<GroupLike>("#middle");
    GroupLike& handler = GroupLike::From(group.Get());
    ASSERT_EQ(ui::Engine().DetachEventHandler(Find("#middle"), group.Get()), kHtmlOk);

    html::UIQueue otherQueue;
    html::EngineWindow other{otherQueue};
    other.LoadHtml("<html><body><div #elsewhere></div></body></html>");
    HELEMENT root = nullptr;
    ui::Engine().GetRootElement(other.Handle(), &root);
    ui::Element elsewhere = ui::Element::Adopt(root).FindFirst("#elsewhere");
    ASSERT_EQ(ui::Engine().AttachEventHandler(elsewhere.Handle(), group.Get()), kHtmlOk);

    EXPECT_TRUE(handler.PostAlways([](GroupLike& self) { ++self.effects; }));
    queue_.PumpUntilIdle();
    EXPECT_EQ(handler.effects, 0); // the first window's loop must not run the second window's work
    otherQueue.PumpUntilIdle();
    EXPECT_EQ(handler.effects, 1);
    ASSERT_EQ(ui::Engine().DetachEventHandler(elsewhere.Handle(), group.Get()), kHtmlOk);
}

TEST_F(UIHandlerFramework, WeaklyPostedWorkOfADeadHandlerDoesNothing) {
    int effects = 0;
    {
        so::Ref group = AttachNew<GroupLike>("#middle");
        GroupLike::From(group.Get()).PostWeak([&effects](GroupLike&) { ++effects; });
        ui::Engine().DetachEventHandler(Find("#middle"), group.Get());
    }
    queue_.PumpUntilIdle();
    EXPECT_EQ(effects, 0);
}

TEST_F(UIHandlerFramework, IdleCallbackRunsOnlyWhenTheQueueIsEmpty) {
    so::Ref idle = AttachNew<IdleLike>("#outer");
    IdleLike& handler = IdleLike::From(idle.Get());
    journal.clear();
    handler.PostAlways([](IdleLike&) { journal.push_back("posted 1"); });
    handler.PostAlways([](IdleLike& self) {
        journal.push_back("posted 2");
        self.pendingWork = true;
    });
    queue_.PumpUntilIdle();
    ASSERT_GE(journal.size(), 4u);
    EXPECT_EQ(journal[0], "posted 1");
    EXPECT_EQ(journal[1], "posted 2");
    EXPECT_EQ(journal[2], "idle"); // did work: the loop goes round again
    EXPECT_EQ(journal[3], "idle");

    // Detach withdraws the callback.
    ui::Engine().DetachEventHandler(Find("#outer"), idle.Get());
    journal.clear();
    handler.pendingWork = true;
    queue_.PumpUntilIdle();
    EXPECT_TRUE(journal.empty());
}

TEST_F(UIHandlerFramework, IdleCallbackChecksItsPart) {
    EXPECT_EQ(ui::UIIdleHandlerBase::Callback(nullptr), ui::kIdleNoHandler);
    std::uint32_t notAPart[8] = {so::FourCC("XXXX")};
    EXPECT_EQ(ui::UIIdleHandlerBase::Callback(notAPart), ui::kIdleBadMarker);
}

TEST_F(UIHandlerFramework, InvokeTrampolineIgnoresBlocksWithoutTheRecordMarker) {
    static int invoked = 0;
    static const host::InvokeRecordTable table{[](void*) {}, [](void*) { ++invoked; }};
    ui::InvokeInfoAsyncHeader record{&table, so::FourCC("XXXX"), sizeof(ui::InvokeInfoAsyncHeader), nullptr};
    ui::InvokeTrampoline(&record);
    EXPECT_EQ(invoked, 0);
    record.marker = ui::kInvokeRecordMarker;
    ui::InvokeTrampoline(&record);
    EXPECT_EQ(invoked, 1);
}

TEST_F(UIHandlerFramework, WindowServicesAreAskedOfTheContextThePluginKept) {
    so::Ref editor = AttachNew<EditorLike>("#inner");
    so::Ref kept = so::Make<headless::WindowContextObject>();
    so::Ref collection = so::Make<headless::WindowContextObject>();
    so::ServiceObjectCppTheConcrete<headless::WindowContextObject>::From(kept.Get())
        .SetServiceObject(0x468F6917, collection.Get());
    // The element's window has no context at all: only the kept one can answer.
    ui::KeepPluginWindowContext(kept.Get());
    ServiceObject* out = nullptr;
    EXPECT_EQ(RawCall<host::UIHandler::QueryServiceObject>(editor.Get(), 0x468F6917u, &out, std::uint8_t(1),
                                                           std::uint8_t(0)),
              so::kOk);
    EXPECT_EQ(out, collection.Get());
    so::Ref::Adopt(out);
    ui::KeepPluginWindowContext(nullptr);
}

TEST_F(UIHandlerFramework, QueryServiceObjectGivesItselfOrAsksTheWindow) {
    so::Ref editor = AttachNew<EditorLike>("#inner");
    using Q = host::UIHandler::QueryServiceObject;
    ServiceObject* out = nullptr;
    EXPECT_EQ(RawCall<Q>(editor.Get(), 0u, &out, std::uint8_t(1), std::uint8_t(0)), so::kInvalidArgument);
    ASSERT_EQ(RawCall<Q>(editor.Get(), host::UIHandler::kId, &out, std::uint8_t(0), std::uint8_t(0)),
              so::kOk);
    EXPECT_EQ(out, editor.Get());
    so::Ref::Adopt(out);

    // The window has no context yet: the failure names the id.
    EXPECT_EQ(RawCall<Q>(editor.Get(), 0x468F6917u, &out, std::uint8_t(1), std::uint8_t(0)),
              so::kNoErrorRecord);
    EXPECT_EQ(LastErrorMessage(), "UIHandler::QueryServiceObject() failed, code: 0x00000009: Failed to query "
                                  "service object ID:1183803671 from UIWnd!");

    so::Ref context = so::Make<headless::WindowContextObject>();
    so::Ref collection = so::Make<headless::WindowContextObject>();
    so::ServiceObjectCppTheConcrete<headless::WindowContextObject>::From(context.Get())
        .SetServiceObject(0x468F6917, collection.Get());
    window_.SetWindowContext(context.Get());
    ASSERT_EQ(RawCall<Q>(editor.Get(), 0x468F6917u, &out, std::uint8_t(1), std::uint8_t(0)), so::kOk);
    EXPECT_EQ(so::Ref::Adopt(out), collection);
}

} // namespace
