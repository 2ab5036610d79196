#include "EngineTestSupport.h"

#include "service-common/TextConversion.h"
#include "service-common/TextReceivers.h"

#include <algorithm>

namespace html::test {

namespace {} // namespace

const HtmlEngineApi& Api() {
    return *HtmlEngineAPI();
}

std::string IdOf(HELEMENT element) {
    std::wstring id;
    if (Api().GetAttributeByName(element, "id", &so::AppendWide, &id) == kHtmlOk) {
        return so::Utf8FromWide(id);
    }
    std::string tag;
    Api().GetElementTag(element, &so::AppendUtf8, &tag);
    return tag;
}

std::wstring TextOf(HELEMENT element) {
    std::wstring text;
    EXPECT_EQ(Api().GetElementText(element, &so::AppendWide, &text), kHtmlOk);
    return text;
}

std::string HtmlOf(HELEMENT element, bool outer) {
    std::string html;
    EXPECT_EQ(Api().GetElementHtml(element, outer ? 1 : 0, &so::AppendUtf8, &html), kHtmlOk);
    return html;
}

std::uint32_t StateOf(HELEMENT element) {
    std::uint32_t state = 0;
    EXPECT_EQ(Api().GetElementState(element, &state), kHtmlOk);
    return state;
}

std::string JsonOfValue(HELEMENT element) {
    HtmlValue value{};
    EXPECT_EQ(Api().GetElementValue(element, &value), kHtmlOk);
    std::string json;
    Api().ValueToJson(&value, &so::AppendUtf8, &json);
    Api().ValueClear(&value);
    return json;
}

void RecordingHandler::BindMethods(so::MethodBinder<RecordingHandler>& binder) {
    using H = host::UIHandler;
    binder.Bind<H::GetSubscribedEvents, &RecordingHandler::GetSubscribedEvents>();
    binder.Bind<H::HandleMouse, &RecordingHandler::HandleMouse>();
    binder.Bind<H::HandleKey, &RecordingHandler::HandleKey>();
    binder.Bind<H::HandleFocus, &RecordingHandler::HandleFocus>();
    binder.Bind<H::HandleScriptCall, &RecordingHandler::HandleScriptCall>();
    binder.Bind<H::HandleEvent, &RecordingHandler::HandleEvent>();
    binder.Bind<H::Attached, &RecordingHandler::Attached>();
    binder.Bind<H::Detached, &RecordingHandler::Detached>();
}

so::Ref RecordingHandler::Make(std::string name, std::uint32_t mask, std::vector<std::string>& log) {
    return so::Ref::Adopt(
        so::ServiceObjectCppTheConcrete<RecordingHandler>::Create(std::move(name), mask, log));
}

RecordingHandler& RecordingHandler::Of(const so::Ref& handler) {
    return so::ServiceObjectCppTheConcrete<RecordingHandler>::From(handler.Get());
}

void RecordingHandler::Record(const std::string& what, std::uint32_t code, HELEMENT target) {
    log_.push_back(name_ + ":" + what + " " + std::to_string(code) + " #" + (target ? IdOf(target) : "-"));
}

SOResult RecordingHandler::GetSubscribedEvents(std::uint32_t* mask) {
    *mask = mask_;
    return so::kOk;
}

SOResult RecordingHandler::HandleMouse(HELEMENT, HtmlMouseParams* params) {
    Record("mouse", params->cmd, params->target);
    return so::kNothingProvided;
}

SOResult RecordingHandler::HandleKey(HELEMENT, HtmlKeyParams* params) {
    Record("key" + std::to_string(params->cmd), params->keyCode, params->target);
    if (onKey) {
        onKey(*params);
    }
    const bool handles = params->cmd == kKeyDown && std::find(keysHandled.begin(), keysHandled.end(),
                                                              params->keyCode) != keysHandled.end();
    return handles ? so::kOk : so::kNothingProvided;
}

SOResult RecordingHandler::HandleFocus(HELEMENT, HtmlFocusParams* params) {
    Record("focus", params->cmd, params->target);
    if (onFocus) {
        onFocus(*params);
    }
    return so::kNothingProvided;
}

SOResult RecordingHandler::HandleScriptCall(HELEMENT, HtmlScriptingMethodParams* params) {
    if (scriptMethod != params->name) {
        return so::kNothingProvided;
    }
    Api().ValueCopy(&params->result, &scriptResult);
    return so::kOk;
}

SOResult RecordingHandler::HandleEvent(std::uint8_t* handled, HELEMENT self,
                                       HtmlBehaviorEventParams* params) {
    if (failWith != 0) {
        return failWith;
    }
    if (onEvent) {
        onEvent(self, *params);
    }
    Record("event", params->cmd, params->heTarget);
    const bool handles =
        std::find(this->handles.begin(), this->handles.end(), params->cmd) != this->handles.end();
    *handled = handles ? 1 : 0;
    return handles ? so::kOk : so::kNothingProvided;
}

SOResult RecordingHandler::Attached(HELEMENT element) {
    attachedId = IdOf(element);
    ++attachedCalls;
    return so::kOk;
}

SOResult RecordingHandler::Detached(HELEMENT) {
    attachedId.clear();
    ++detachedCalls;
    return so::kOk;
}

EngineTest::EngineTest() {
    window_.SetErrorReporter([this](const std::string& message) { errors_.push_back(message); });
    queue_.SetErrorReporter([this](const std::string& message) { errors_.push_back(message); });
}

void EngineTest::Load(const std::string& markup) {
    window_.LoadHtml(markup);
}

Handle EngineTest::Root() {
    HELEMENT root = nullptr;
    EXPECT_EQ(Api().GetRootElement(window_.Handle(), &root), kHtmlOk);
    return Handle::Adopt(root);
}

Handle EngineTest::Find(const char* selector) {
    Handle root = Root();
    HELEMENT found = nullptr;
    EXPECT_EQ(Api().SelectFirst(root.Get(), selector, &found), kHtmlOk) << selector;
    EXPECT_NE(found, nullptr) << "nothing matches " << selector;
    return Handle::Adopt(found);
}

so::Ref EngineTest::Attach(const char* selector, const std::string& name, std::uint32_t mask) {
    so::Ref handler = RecordingHandler::Make(name, mask, log_);
    EXPECT_EQ(Api().AttachEventHandler(Find(selector).Get(), handler.Get()), kHtmlOk);
    return handler;
}

} // namespace html::test
