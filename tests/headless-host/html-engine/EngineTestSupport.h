// What the engine runtime tests share: a window on a queue, counted element handles, and a
// recording "UIHandler" made with the project's service-object template.
#pragma once

#include "headless-host/html-engine/driver/InputDriver.h"
#include "headless-host/html-engine/runtime/EngineWindow.h"
#include "headless-host/html-engine/runtime/UIQueue.h"
#include "host/UIHandler.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectPtr.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace html::test {

const HtmlEngineApi& Api();

// One counted reference to an element.
class Handle {
public:
    Handle() = default;
    // Takes over a reference the engine gave.
    static Handle Adopt(HELEMENT element) {
        Handle handle;
        handle.element_ = element;
        return handle;
    }
    Handle(const Handle& other) : element_(other.element_) {
        if (element_ != nullptr) {
            Api().ElementAddRef(element_);
        }
    }
    Handle(Handle&& other) noexcept : element_(std::exchange(other.element_, nullptr)) {}
    Handle& operator=(Handle other) noexcept {
        std::swap(element_, other.element_);
        return *this;
    }
    ~Handle() {
        if (element_ != nullptr) {
            Api().ElementRelease(element_);
        }
    }
    HELEMENT Get() const { return element_; }
    explicit operator bool() const { return element_ != nullptr; }

private:
    HELEMENT element_ = nullptr;
};

// Text of an element through the C interface.
std::string IdOf(HELEMENT element);
std::wstring TextOf(HELEMENT element);
std::string HtmlOf(HELEMENT element, bool outer = true);
std::uint32_t StateOf(HELEMENT element);
std::string JsonOfValue(HELEMENT element);

// A handler that records what reaches it as "<name>:<what> <code> #<target id>" lines in a shared
// log and answers as the test configures. It binds only the operations the tests use; the others
// answer 1 from the template's defaults.
class RecordingHandler : public so::ObjectBase {
public:
    using Interface = host::UIHandler;
    static constexpr std::uint32_t kClassTag = 0x7E570001;
    static void BindMethods(so::MethodBinder<RecordingHandler>& binder);

    RecordingHandler(std::string name, std::uint32_t mask, std::vector<std::string>& log)
        : mask_(mask), name_(std::move(name)), log_(log) {}
    ~RecordingHandler() { Api().ValueClear(&scriptResult); }

    // Made with one reference (owned by the Ref).
    static so::Ref Make(std::string name, std::uint32_t mask, std::vector<std::string>& log);
    static RecordingHandler& Of(const so::Ref& handler);

    std::uint32_t mask_;
    // Behaviour event codes this handler reports as handled.
    std::vector<std::uint32_t> handles;
    // Runs for every behaviour event before it is recorded as handled or not.
    std::function<void(HELEMENT self, HtmlBehaviorEventParams& event)> onEvent;
    std::function<void(HtmlFocusParams& focus)> onFocus;
    std::function<void(HtmlKeyParams& key)> onKey;
    // Virtual keys whose key-down this handler takes.
    std::vector<std::uint32_t> keysHandled;
    // A script method the handler answers, with its result.
    std::string scriptMethod;
    HtmlValue scriptResult{};
    // A failure code every HandleEvent answers with (0: none).
    SOResult failWith = 0;
    std::string attachedId; // of the element it is attached to
    int attachedCalls = 0;
    int detachedCalls = 0;

private:
    SOResult GetSubscribedEvents(std::uint32_t* mask);
    SOResult HandleMouse(HELEMENT element, HtmlMouseParams* params);
    SOResult HandleKey(HELEMENT element, HtmlKeyParams* params);
    SOResult HandleFocus(HELEMENT element, HtmlFocusParams* params);
    SOResult HandleScriptCall(HELEMENT element, HtmlScriptingMethodParams* params);
    SOResult HandleEvent(std::uint8_t* handled, HELEMENT element, HtmlBehaviorEventParams* params);
    SOResult Attached(HELEMENT element);
    SOResult Detached(HELEMENT element);
    void Record(const std::string& what, std::uint32_t code, HELEMENT target);

    std::string name_;
    std::vector<std::string>& log_;
};

// A window (400 x 800 at 100,100) with a page loaded from markup, and helpers over the C interface.
class EngineTest : public ::testing::Test {
protected:
    EngineTest();

    void Load(const std::string& markup);
    Handle Root();
    // The first element matching, or a failed test.
    Handle Find(const char* selector);
    // Attaches a new recording handler to the element matching `selector`.
    so::Ref Attach(const char* selector, const std::string& name, std::uint32_t mask);

    // Declared first: the window reports into them while it goes.
    std::vector<std::string> log_;
    std::vector<std::string> errors_;
    html::UIQueue queue_;
    html::EngineWindow window_{queue_};
    html::InputDriver driver_{window_};
};

} // namespace html::test
