#include "headless-host/html-engine/runtime/EngineWindow.h"

#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/MarkupSerializer.h"
#include "headless-host/html-engine/runtime/ElementHandle.h"
#include "headless-host/html-engine/runtime/UIQueue.h"
#include "headless-host/html-engine/runtime/Window.h"

#include <cassert>

namespace html {

namespace {
// The host side is as bound to the UI thread as the module's side; a call from elsewhere is a
// programmer mistake, not an input to refuse.
Window& OnUIThread(Window& window) {
    assert(window.IsUIThread() && "an engine window is used on its UI thread only");
    return window;
}
} // namespace

EngineWindow::EngineWindow(UIQueue& queue, WindowOptions options)
    : impl_(std::make_unique<Window>(queue.Core(), options)) {}

EngineWindow::~EngineWindow() = default;

HWND EngineWindow::Handle() const {
    return impl_->Hwnd();
}
bool EngineWindow::LoadUrl(const std::string& url) {
    return OnUIThread(*impl_).LoadUrl(url);
}
void EngineWindow::LoadHtml(std::string_view utf8, const std::string& url) {
    OnUIThread(*impl_).LoadHtml(utf8, url);
}
const std::vector<std::string>& EngineWindow::LoadDiagnostics() const {
    return OnUIThread(*impl_).Loader().Diagnostics();
}
std::string EngineWindow::DocumentHtml() const {
    return MarkupSerializer::OuterHtml(OnUIThread(*impl_).Root());
}
void EngineWindow::SetResourceReader(ResourceReader reader) {
    OnUIThread(*impl_).Loader().SetResourceReader(std::move(reader));
}
void EngineWindow::SetTranslator(Translator translator) {
    OnUIThread(*impl_).Localization().SetTranslator(std::move(translator));
}
void EngineWindow::SetErrorReporter(ErrorReporter reporter) {
    OnUIThread(*impl_).SetErrorReporter(std::move(reporter));
}
void EngineWindow::SetWindowContext(ServiceObject* context) {
    OnUIThread(*impl_).SetWindowContext(context);
}
void EngineWindow::BindBehavior(std::string selector, std::string behavior) {
    OnUIThread(*impl_).Bindings().BindBehavior(std::move(selector), std::move(behavior));
}
void EngineWindow::RegisterScriptMethod(std::string name, ScriptMethod method, std::string selector) {
    OnUIThread(*impl_).Bindings().RegisterScriptMethod(std::move(name), std::move(method),
                                                       std::move(selector));
}
void EngineWindow::WhenBound(std::string selector, ElementInitializer initializer) {
    OnUIThread(*impl_).Bindings().WhenBound(std::move(selector), std::move(initializer));
}
void EngineWindow::Resize(std::int32_t width, std::int32_t height) {
    OnUIThread(*impl_).Geometry().Resize(width, height);
}
void EngineWindow::MoveTo(POINT screenOrigin) {
    OnUIThread(*impl_).Geometry().MoveTo(screenOrigin);
}
void EngineWindow::SetVisibleScreenArea(RECT area) {
    OnUIThread(*impl_).Geometry().SetVisibleScreenArea(area);
}

void EngineWindow::NotifyLocaleChanged() {
    OnUIThread(*impl_).Runtime().NotifyLocaleChanged();
}

std::uint64_t EngineWindow::BehaviorEventCount(std::uint32_t code) const {
    return OnUIThread(*impl_).Events().BehaviorEventCount(code);
}

std::vector<so::Ref> EngineWindow::HandlersOf(HELEMENT element) const {
    HandleTarget target = HandleTable::Instance().Resolve(element);
    if (!target || target.window != impl_.get())
        return {};
    return OnUIThread(*impl_).Runtime().HandlersOf(*target.element);
}

std::vector<std::pair<std::string, std::string>> EngineWindow::AttributesOf(HELEMENT element) const {
    HandleTarget target = HandleTable::Instance().Resolve(element);
    if (!target || target.window != &OnUIThread(*impl_))
        return {};
    std::vector<std::pair<std::string, std::string>> attributes;
    for (const Attribute& attribute : target.element->Attributes())
        attributes.emplace_back(attribute.name, attribute.value);
    return attributes;
}

void EngineWindow::ForgetBehaviorEvents() {
    OnUIThread(*impl_).Events().ForgetBehaviorEvents();
}

} // namespace html
