#include "headless-host/html-engine/runtime/Window.h"

#include "headless-host/html-engine/behaviors/Behavior.h"
#include "headless-host/html-engine/dom/ElementTree.h"
#include "headless-host/html-engine/dom/MarkupParser.h"
#include "headless-host/html-engine/runtime/ElementHandle.h"
#include "headless-host/html-engine/runtime/InlineStyle.h"
#include "headless-host/html-engine/runtime/UIInvokerObject.h"
#include "headless-host/html-engine/runtime/UIQueueCore.h"
#include "service-common/TextConversion.h"

#include <cassert>
#include <iostream>
#include <mutex>
#include <unordered_set>
#include <vector>

namespace html {

namespace {

std::mutex& RegistryMutex() {
    static std::mutex mutex;
    return mutex;
}

std::unordered_set<const Window*>& Registry() {
    static std::unordered_set<const Window*> windows;
    return windows;
}

} // namespace

Window::Window(std::shared_ptr<UIQueueCore> queue, const WindowOptions& options)
    : queue_(std::move(queue)), invoker_(so::Make<UIInvokerObject>(queue_)),
      liveness_(std::make_shared<Window*>(this)), runtime_(*this), states_(*this), focus_(*this),
      popups_(*this), events_(*this), geometry_(*this, options) {
    assert(queue_->IsUIThread() && "a window is made on its queue's UI thread");
    {
        std::lock_guard lock(RegistryMutex());
        Registry().insert(this);
    }
    runtime_.BindSubtree(Root());
}

Window::~Window() {
    *liveness_ = nullptr;
    SubtreeLeaving(Root());
    runtime_.DetachAll();
    HandleTable::Instance().ForgetWindow(this);
    std::lock_guard lock(RegistryMutex());
    Registry().erase(this);
}

// ---- Identity and threads ------------------------------------------------------------------------

HWND Window::Hwnd() const {
    return reinterpret_cast<HWND>(const_cast<Window*>(this));
}

Window* Window::FromHwnd(HWND hwnd) {
    auto* window = reinterpret_cast<Window*>(hwnd);
    std::lock_guard lock(RegistryMutex());
    return Registry().contains(window) ? window : nullptr;
}

bool Window::IsUIThread() const {
    return queue_->IsUIThread();
}

// ---- Document ------------------------------------------------------------------------------------

bool Window::IsInDocument(const Element& element) const {
    const Element* top = &element;
    while (top->Parent() != nullptr) {
        top = top->Parent();
    }
    return top == &Root();
}

bool Window::LoadUrl(const std::string& url) {
    std::optional<std::string> markup = loader_.Read(url);
    if (!markup) {
        ReportError("No page at \"" + url + "\"");
        return false;
    }
    LoadHtml(*markup, url);
    return true;
}

void Window::LoadHtml(std::string_view utf8, const std::string& url) {
    SubtreeLeaving(Root());
    document_ = loader_.Parse(utf8, url);
    NoteChange();
    Adopt(Root());
}

void Window::Adopt(Element& root) {
    localizer_.Localize(root);
    runtime_.BindSubtree(root);
}

// ---- Content changes -----------------------------------------------------------------------------

bool Window::SetHtml(Element& element, std::string_view utf8, HtmlInnerHtmlPlacement placement) {
    std::shared_ptr<Element> pin = Shared(element);
    MarkupParser parser(loader_.Options());
    std::vector<std::shared_ptr<Node>> inserted;
    switch (placement) {
    case kSetInnerHtml:
        for (const auto& child : ChildElements(element)) {
            SubtreeLeaving(*child);
        }
        parser.SetInnerHtml(element, utf8);
        inserted = element.Children();
        break;
    case kSetOuterHtml: {
        Element* parent = element.Parent();
        if (parent == nullptr) {
            return false;
        }
        inserted = parser.ParseFragment(utf8);
        std::size_t index = element.IndexInParent();
        SubtreeLeaving(element);
        element.Remove();
        for (const auto& node : inserted) {
            parent->InsertChild(index++, node);
        }
        break;
    }
    case kAppendInnerHtml:
    case kPrependInnerHtml: {
        inserted = parser.ParseFragment(utf8);
        std::size_t index = placement == kAppendInnerHtml ? element.Children().size() : 0;
        for (const auto& node : inserted) {
            element.InsertChild(index++, node);
        }
        break;
    }
    default:
        return false;
    }
    NoteChange();
    for (const auto& node : inserted) {
        if (node->IsElement()) {
            Adopt(static_cast<Element&>(*node));
        }
    }
    return true;
}

void Window::SetText(Element& element, std::wstring_view text) {
    NoteChange();
    if (Behavior* behavior = runtime_.BehaviorOf(element);
        behavior != nullptr && behavior->SetText(*this, element, text)) {
        return;
    }
    for (const auto& child : ChildElements(element)) {
        SubtreeLeaving(*child);
    }
    element.SetTextContent(so::Utf8FromWide(text));
}

std::wstring Window::Text(Element& element) {
    if (Behavior* behavior = runtime_.BehaviorOf(element)) {
        if (auto text = behavior->GetText(*this, element)) {
            return *text;
        }
    }
    return so::WideFromUtf8(element.TextContent());
}

bool Window::Remove(Element& element) {
    if (&element == &Root()) {
        return false;
    }
    std::shared_ptr<Element> pin = Shared(element);
    if (IsInDocument(element)) {
        SubtreeLeaving(element);
    }
    element.Remove();
    NoteChange();
    return true;
}

void Window::SetAttribute(Element& element, std::string_view name, const std::optional<std::string>& value) {
    if (value) {
        element.SetAttribute(name, *value);
    } else {
        element.RemoveAttribute(name);
    }
    NoteChange();
}

void Window::SetStyle(Element& element, std::string_view property, std::string_view value) {
    InlineStyle::Set(element, property, value);
    NoteChange();
}

Value Window::GetValue(Element& element) {
    if (Behavior* behavior = runtime_.BehaviorOf(element)) {
        if (auto value = behavior->GetValue(*this, element)) {
            return *value;
        }
    }
    return Value::String(so::WideFromUtf8(element.TextContent()));
}

bool Window::SetValue(Element& element, const Value& value) {
    NoteChange();
    if (Behavior* behavior = runtime_.BehaviorOf(element);
        behavior != nullptr && behavior->SetValue(*this, element, value)) {
        return true;
    }
    std::optional<std::wstring> text =
        value.IsUndefined() || value.Type() == kHtmlValueNull ? std::wstring() : value.ToText();
    if (!text) {
        return false;
    }
    SetText(element, *text);
    return true;
}

void Window::SubtreeLeaving(Element& root) {
    std::shared_ptr<Element> pin = Shared(root);
    focus_.DropInside(root);
    popups_.ForgetInside(root);
    runtime_.Leave(root);
    NoteChange();
}

// ---- Posted events -------------------------------------------------------------------------------

void Window::PostBehaviorEvent(std::uint32_t code, const std::shared_ptr<Element>& target,
                               const std::shared_ptr<Element>& source, std::uintptr_t reason, Value data) {
    std::weak_ptr<Window*> liveness = liveness_;
    queue_->PostTask([liveness, code, target, source, reason, data = std::move(data)] {
        std::shared_ptr<Window*> window = liveness.lock();
        if (window && *window != nullptr) {
            (*window)->NoteChange();
            (*window)->Events().FireBehaviorEvent(code, *target, source.get(), reason, data);
        }
    });
}

// ---- Reporting -----------------------------------------------------------------------------------

void Window::ReportError(const std::string& message) const {
    if (!IsUIThread()) {
        std::weak_ptr<Window*> liveness = liveness_;
        queue_->PostTask([liveness, message] {
            std::shared_ptr<Window*> window = liveness.lock();
            if (window && *window != nullptr) {
                (*window)->ReportError(message);
            }
        });
        return;
    }
    if (errorReporter_) {
        errorReporter_(message);
    } else {
        std::cerr << "html-engine: " << message << '\n';
    }
}

} // namespace html
