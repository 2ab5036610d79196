#include "headless-host/html-engine/Window.h"

#include "headless-host/html-engine/AsciiText.h"
#include "headless-host/html-engine/Behavior.h"
#include "headless-host/html-engine/Behaviors.h"
#include "headless-host/html-engine/ElementHandle.h"
#include "headless-host/html-engine/ElementState.h"
#include "headless-host/html-engine/InlineStyle.h"
#include "headless-host/html-engine/SelectorCache.h"
#include "headless-host/html-engine/SelectorError.h"
#include "headless-host/html-engine/SelectorQuery.h"
#include "headless-host/html-engine/Text.h"
#include "headless-host/html-engine/UIInvokerObject.h"
#include "headless-host/html-engine/UIQueueCore.h"
#include "headless-host/support/HostSupport.h"
#include "host/UIHandler.h"
#include "service-common/HostCall.h"
#include "service-common/TextConversion.h"

#include <algorithm>
#include <cassert>
#include <iostream>
#include <mutex>
#include <stdexcept>
#include <unordered_set>

namespace html {

namespace {

constexpr UINT kVisibleScreenAreaMessage = 0x0626;
constexpr std::uint32_t kKeyTab = 0x09;
constexpr std::uint32_t kKeyEscape = 0x1B;

std::mutex& RegistryMutex() {
    static std::mutex mutex;
    return mutex;
}

std::unordered_set<const Window*>& Registry() {
    static std::unordered_set<const Window*> windows;
    return windows;
}

// The DOM keeps the owner-of-a-popup bit elsewhere than the C interface does.
std::uint32_t ToInterfaceState(std::uint32_t domState) {
    std::uint32_t state = domState & ~ElementState::kOwnsPopup;
    return (domState & ElementState::kOwnsPopup) != 0 ? state | kStateOwnsPopup : state;
}

std::uint32_t ToDomState(std::uint32_t state) {
    std::uint32_t domState = state & ~std::uint32_t(kStateOwnsPopup);
    return (state & kStateOwnsPopup) != 0 ? domState | ElementState::kOwnsPopup : domState;
}

std::shared_ptr<Element> Shared(Element& element) {
    return std::static_pointer_cast<Element>(element.shared_from_this());
}

// `node` is `container` or one of its descendants.
bool IsInside(const Element& node, const Element& container) {
    for (const Element* element = &node; element != nullptr; element = element->Parent()) {
        if (element == &container) {
            return true;
        }
    }
    return false;
}

std::vector<std::shared_ptr<Element>> SubtreeElements(Element& root) {
    std::vector<std::shared_ptr<Element>> elements{Shared(root)};
    for (Node* node = NextInTreeOrder(root, root); node != nullptr; node = NextInTreeOrder(*node, root)) {
        if (node->IsElement()) {
            elements.push_back(Shared(static_cast<Element&>(*node)));
        }
    }
    return elements;
}

std::vector<std::shared_ptr<Element>> ChildElements(Element& element) {
    std::vector<std::shared_ptr<Element>> children;
    for (const auto& child : element.Children()) {
        if (child->IsElement()) {
            children.push_back(std::static_pointer_cast<Element>(child));
        }
    }
    return children;
}

void ValidateSelector(const std::string& selector) {
    try {
        SelectorCache::Shared().Get(selector);
    } catch (const SelectorError& e) {
        throw std::invalid_argument("invalid selector \"" + selector + "\": " + e.what());
    }
}

} // namespace

Window::Window(std::shared_ptr<UIQueueCore> queue, const WindowOptions& options)
    : queue_(std::move(queue)), invoker_(so::Make<UIInvokerObject>(queue_)), options_(options),
      liveness_(std::make_shared<Window*>(this)), events_(*this) {
    assert(queue_->IsUIThread() && "a window is made on its queue's UI thread");
    {
        std::lock_guard lock(RegistryMutex());
        Registry().insert(this);
    }
    RegisterHostWindow();
    BindSubtree(Root());
}

Window::~Window() {
    *liveness_ = nullptr;
    SubtreeLeaving(Root());
    // Elements outside the document with handlers still attached: their handlers hold the only
    // way back to them, so they are detached here. A Detached that attaches again is not followed
    // for ever.
    for (int rounds = 0; rounds < 1000; ++rounds) {
        auto withHandlers = std::find_if(runtime_.begin(), runtime_.end(),
                                         [](const auto& entry) { return !entry.second->handlers.empty(); });
        if (withHandlers == runtime_.end()) {
            break;
        }
        std::shared_ptr<Element> element = withHandlers->second->pin;
        DetachAllHandlers(*withHandlers->second, *element);
    }
    runtime_.clear();
    HandleTable::Instance().ForgetWindow(this);
    HostUnregisterWindow(Hwnd());
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

void Window::RegisterHostWindow() {
    HostRegisterWindow(Hwnd(), options_.screenOrigin, &WindowProcedure, this);
}

LRESULT Window::WindowProcedure(void* context, UINT message, WPARAM, LPARAM lParam) {
    auto* window = static_cast<Window*>(context);
    if (message == kVisibleScreenAreaMessage && lParam != 0) {
        *reinterpret_cast<RECT*>(lParam) = window->options_.visibleScreenArea;
        return 1;
    }
    return 0;
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
    std::optional<std::string> markup = resourceReader_ ? resourceReader_(url) : std::nullopt;
    if (!markup) {
        ReportError("No page at \"" + url + "\"");
        return false;
    }
    LoadHtml(*markup, url);
    return true;
}

void Window::LoadHtml(std::string_view utf8, const std::string& url) {
    SubtreeLeaving(Root());
    url_ = url;
    MarkupParser parser(MakeParseOptions());
    Document document = parser.ParseDocument(utf8);
    loadDiagnostics_.clear();
    for (const auto& diagnostic : parser.Diagnostics()) {
        loadDiagnostics_.push_back((diagnostic.source.empty() ? "" : diagnostic.source + ":") +
                                   std::to_string(diagnostic.line) + ":" + std::to_string(diagnostic.column) +
                                   ": " + diagnostic.message);
    }
    document_ = std::move(document);
    NoteChange();
    Localize(Root());
    BindSubtree(Root());
}

ParseOptions Window::MakeParseOptions() const {
    ParseOptions options;
    // Includes name their file relative to the page; nested includes too, as the parser gives no
    // other base.
    options.includeResolver = [this](std::string_view src) -> std::optional<std::string> {
        if (!resourceReader_) {
            return std::nullopt;
        }
        return resourceReader_(ResolveUrl(src));
    };
    return options;
}

std::string Window::ResolveUrl(std::string_view url) const {
    if (url_.empty() || url.find("://") != std::string_view::npos || url.starts_with('/')) {
        return std::string(url);
    }
    std::string joined = url_.substr(0, url_.rfind('/') + 1) + std::string(url);
    std::vector<std::string> segments;
    std::size_t start = 0;
    while (true) {
        std::size_t end = joined.find('/', start);
        std::string segment =
            joined.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (segment == "..") {
            // A scheme ("res:") or the start of an absolute path is never climbed over.
            if (!segments.empty() && segments.back() != ".." && !segments.back().empty() &&
                !segments.back().ends_with(':')) {
                segments.pop_back();
            } else {
                segments.push_back(segment);
            }
        } else if (segment != ".") {
            segments.push_back(std::move(segment));
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    std::string resolved;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        resolved += (i > 0 ? "/" : "") + segments[i];
    }
    return resolved;
}

void Window::Localize(Element& root) {
    if (!translator_) {
        return;
    }
    for (const auto& element : SubtreeElements(root)) {
        const std::string* context = element->GetAttribute("localize");
        if (context == nullptr) {
            continue;
        }
        const std::wstring wideContext = so::WideFromUtf8(*context);
        // Only the element's own text nodes: elements inside it carry their own attribute if they
        // are to be translated.
        for (const auto& child : element->Children()) {
            if (child->Type() != NodeType::Text) {
                continue;
            }
            auto& text = static_cast<html::Text&>(*child);
            std::string_view data = text.Data();
            std::string_view trimmed = TrimAsciiWhitespace(data);
            if (trimmed.empty()) {
                continue;
            }
            std::optional<std::wstring> translated = translator_(so::WideFromUtf8(trimmed), wideContext);
            if (translated) {
                std::size_t leading = std::size_t(trimmed.data() - data.data());
                text.SetData(std::string(data.substr(0, leading)) + so::Utf8FromWide(*translated) +
                             std::string(data.substr(leading + trimmed.size())));
            }
        }
    }
}

// ---- Content changes -----------------------------------------------------------------------------

bool Window::SetHtml(Element& element, std::string_view utf8, HtmlInnerHtmlPlacement placement) {
    std::shared_ptr<Element> pin = Shared(element);
    MarkupParser parser(MakeParseOptions());
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
            Localize(static_cast<Element&>(*node));
            BindSubtree(static_cast<Element&>(*node));
        }
    }
    return true;
}

void Window::SetText(Element& element, std::wstring_view text) {
    NoteChange();
    if (Behavior* behavior = BehaviorOf(element);
        behavior != nullptr && behavior->SetText(*this, element, text)) {
        return;
    }
    for (const auto& child : ChildElements(element)) {
        SubtreeLeaving(*child);
    }
    element.SetTextContent(so::Utf8FromWide(text));
}

std::wstring Window::Text(Element& element) {
    if (Behavior* behavior = BehaviorOf(element)) {
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

void Window::SubtreeLeaving(Element& root) {
    std::shared_ptr<Element> pin = Shared(root);
    if (Element* focus = Focus(); focus != nullptr && IsInside(*focus, root)) {
        focus->SetState(0, ElementState::kFocus);
        focus_.reset();
    }
    for (std::size_t i = popups_.size(); i-- > 0;) {
        if (IsInside(*popups_[i].popup, root) || IsInside(*popups_[i].anchor, root)) {
            ForgetPopup(*popups_[i].popup);
        }
    }
    struct Leaving {
        std::shared_ptr<Element> element;
        std::unique_ptr<ElementRuntime> runtime;
    };
    std::vector<Leaving> leaving;
    for (const auto& element : SubtreeElements(root)) {
        auto found = runtime_.find(element.get());
        if (found != runtime_.end()) {
            leaving.push_back({element, std::move(found->second)});
            runtime_.erase(found);
        }
    }
    // The handlers hear of it only after the runtime is gone: whatever they do with the engine
    // from Detached starts from a clean element.
    for (auto& entry : leaving) {
        if (entry.runtime->element.lock() == entry.element) {
            DetachAllHandlers(*entry.runtime, *entry.element);
        }
    }
    NoteChange();
}

void Window::DetachAllHandlers(ElementRuntime& runtime, Element& element) {
    std::shared_ptr<Element> pin = Shared(element);
    std::vector<so::Ref> handlers = std::move(runtime.handlers);
    runtime.handlers.clear();
    runtime.pin.reset();
    ScopedHandle handle(element, this);
    for (const so::Ref& handler : handlers) {
        try {
            so::Call<host::UIHandler::Detached>(handler.Get(), handle.Get());
        } catch (const std::exception& e) {
            ReportError(std::string("A UI handler failed to detach: ") + e.what());
        }
    }
}

// ---- States --------------------------------------------------------------------------------------

std::uint32_t Window::State(const Element& element) const {
    std::uint32_t state = ToInterfaceState(element.State());
    const bool empty =
        std::none_of(element.Children().begin(), element.Children().end(), [](const auto& child) {
            return child->IsElement() ||
                   (child->Type() == NodeType::Text && !static_cast<html::Text&>(*child).Data().empty());
        });
    return empty ? state | kStateEmpty : state;
}

void Window::ChangeState(Element& element, std::uint32_t bitsToSet, std::uint32_t bitsToClear) {
    std::shared_ptr<Element> pin = Shared(element);
    if ((bitsToSet & kStateExpanded) != 0) {
        bitsToClear |= kStateCollapsed;
    }
    if ((bitsToSet & kStateCollapsed) != 0) {
        bitsToClear |= kStateExpanded;
    }
    const bool setFocus = (bitsToSet & kStateFocus) != 0;
    const bool clearFocus = (bitsToClear & kStateFocus) != 0 && !setFocus;
    bitsToSet &= ~std::uint32_t(kStateFocus | kStateEmpty);
    bitsToClear &= ~std::uint32_t(kStateFocus | kStateEmpty);
    const bool newlyExpanded =
        (element.State() & ElementState::kExpanded) == 0 && (bitsToSet & kStateExpanded) != 0;
    element.SetState(ToDomState(bitsToSet), ToDomState(bitsToClear));
    NoteChange();
    if (setFocus) {
        MoveFocus(&element, kByCode);
    } else if (clearFocus && Focus() == &element) {
        MoveFocus(nullptr, kByCode);
    }
    if (newlyExpanded) {
        FireBehaviorEvent(kElementExpanded, element, &element);
    }
}

bool Window::IsDisabled(const Element& element) const {
    for (const Element* node = &element; node != nullptr; node = node->Parent()) {
        if ((node->State() & ElementState::kDisabled) != 0) {
            return true;
        }
    }
    return false;
}

// ---- Focus ---------------------------------------------------------------------------------------

Element* Window::Focus() const {
    return focus_.lock().get();
}

bool Window::MoveFocus(Element* target, HtmlFocusCause cause, bool askFirst) {
    std::shared_ptr<Element> oldFocus = focus_.lock();
    if (target == oldFocus.get()) {
        return true;
    }
    std::shared_ptr<Element> newFocus = target != nullptr ? Shared(*target) : nullptr;
    if (newFocus && (IsDisabled(*newFocus) || !IsInDocument(*newFocus))) {
        return false;
    }
    if (newFocus && askFirst) {
        ScopedHandle handle(*newFocus, this);
        HtmlFocusParams request{kFocusRequest, handle.Get(), cause, 0};
        events_.Focus(*newFocus, request);
        if (request.cancel != 0) {
            return false;
        }
        oldFocus = focus_.lock(); // a handler may have moved the focus meanwhile
    }
    if (oldFocus) {
        oldFocus->SetState(0, ElementState::kFocus);
        focus_.reset();
        ScopedHandle handle(*oldFocus, this);
        HtmlFocusParams lost{kFocusLost, handle.Get(), cause, 0};
        events_.Focus(*oldFocus, lost);
    }
    if (newFocus && IsInDocument(*newFocus)) {
        newFocus->SetState(ElementState::kFocus, 0);
        focus_ = newFocus;
        ScopedHandle handle(*newFocus, this);
        HtmlFocusParams got{kFocusGot, handle.Get(), cause, 0};
        events_.Focus(*newFocus, got);
    }
    NoteChange();
    return true;
}

bool Window::RequestFocus(Element& target, HtmlFocusCause cause) {
    std::shared_ptr<Element> pin = Shared(target);
    ScopedHandle handle(target, this);
    HtmlFocusParams request{kFocusRequest, handle.Get(), cause, 0};
    events_.Focus(target, request);
    return request.cancel == 0 && MoveFocus(&target, cause, false);
}

Element* Window::FocusTargetFor(Element& element) {
    if (Behavior* behavior = BehaviorOf(element)) {
        return behavior->FocusTarget(element);
    }
    return element.HasAttribute("tabindex") ? &element : nullptr;
}

void Window::AdvanceFocus(bool backwards) {
    std::vector<Element*> focusable;
    for (const auto& element : SubtreeElements(Root())) {
        if (FocusTargetFor(*element) == element.get() && !IsDisabled(*element)) {
            focusable.push_back(element.get());
        }
    }
    if (focusable.empty()) {
        return;
    }
    auto current = std::find(focusable.begin(), focusable.end(), Focus());
    std::size_t index = 0;
    if (current != focusable.end()) {
        std::size_t at = std::size_t(current - focusable.begin());
        index = backwards ? (at + focusable.size() - 1) % focusable.size() : (at + 1) % focusable.size();
    } else if (backwards) {
        index = focusable.size() - 1;
    }
    MoveFocus(focusable[index], backwards ? kByKeyPrev : kByKeyNext);
}

// ---- Popups --------------------------------------------------------------------------------------

bool Window::IsPopupShown(const Element& popup) const {
    return std::any_of(popups_.begin(), popups_.end(),
                       [&](const ShownPopup& shown) { return shown.popup.get() == &popup; });
}

void Window::ShowPopup(Element& popup, Element& anchor) {
    std::shared_ptr<Element> popupPin = Shared(popup);
    std::shared_ptr<Element> anchorPin = Shared(anchor);
    for (auto& shown : popups_) {
        if (shown.popup == popupPin) {
            shown.anchor->SetState(0, ElementState::kOwnsPopup);
            shown.anchor = anchorPin;
            anchor.SetState(ElementState::kOwnsPopup, 0);
            NoteChange();
            return;
        }
    }
    FireBehaviorEvent(kPopupRequest, popup, &popup);
    // A handler of the request may have removed the popup, or shown it itself.
    if (!IsInDocument(popup) || !IsInDocument(anchor) || IsPopupShown(popup)) {
        return;
    }
    popups_.push_back({popupPin, anchorPin});
    popup.SetState(ElementState::kPopup, 0);
    anchor.SetState(ElementState::kOwnsPopup, 0);
    NoteChange();
    FireBehaviorEvent(kPopupReady, popup, &popup);
}

void Window::HidePopup(Element& popup) {
    if (!IsPopupShown(popup)) {
        return;
    }
    std::shared_ptr<Element> pin = Shared(popup);
    // Popups opened from inside this one close with it, innermost first.
    for (std::size_t i = popups_.size(); i-- > 0;) {
        if (i < popups_.size() && popups_[i].popup != pin && IsInside(*popups_[i].popup, popup)) {
            std::shared_ptr<Element> inner = popups_[i].popup;
            HidePopup(*inner);
        }
    }
    FireBehaviorEvent(kPopupDismissing, popup, &popup);
    auto shown = std::find_if(popups_.begin(), popups_.end(),
                              [&](const ShownPopup& entry) { return entry.popup == pin; });
    if (shown == popups_.end()) {
        return; // a handler of the dismissing event hid it already
    }
    std::shared_ptr<Element> anchor = shown->anchor;
    Element* focus = Focus();
    const bool focusWasInside = focus != nullptr && IsInside(*focus, popup);
    ForgetPopup(popup);
    FireBehaviorEvent(kPopupDismissed, popup, &popup);
    // The focus goes back to where the popup came from; a behaviour around the popup (a drop-down
    // select) may take it first.
    for (Element* owner = popup.Parent(); owner != nullptr; owner = owner->Parent()) {
        if (Behavior* behavior = BehaviorOf(*owner)) {
            behavior->OnPopupHidden(*this, *owner, popup, focusWasInside);
        }
    }
    if (focusWasInside && (focus = Focus()) != nullptr && IsInside(*focus, popup)) {
        MoveFocus(IsInDocument(*anchor) ? FocusTargetFor(*anchor) : nullptr, kByPopup);
    }
}

void Window::ForgetPopup(const Element& popup) {
    auto shown = std::find_if(popups_.begin(), popups_.end(),
                              [&](const ShownPopup& entry) { return entry.popup.get() == &popup; });
    if (shown == popups_.end()) {
        return;
    }
    ShownPopup entry = std::move(*shown);
    popups_.erase(shown);
    entry.popup->SetState(0, ElementState::kPopup);
    const bool ownsAnother = std::any_of(popups_.begin(), popups_.end(), [&](const ShownPopup& other) {
        return other.anchor == entry.anchor;
    });
    if (!ownsAnother) {
        entry.anchor->SetState(0, ElementState::kOwnsPopup);
    }
    NoteChange();
}

void Window::DismissPopupsOutside(Element& target) {
    std::shared_ptr<Element> pin = Shared(target);
    // Bounded by the number of popups open now: a handler that opens one again from its
    // dismissal is not chased.
    for (std::size_t rounds = popups_.size(); rounds > 0 && !popups_.empty(); --rounds) {
        ShownPopup top = popups_.back();
        if (IsInside(target, *top.popup) || IsInside(target, *top.anchor)) {
            return;
        }
        HidePopup(*top.popup);
    }
}

bool Window::DismissTopPopup() {
    if (popups_.empty()) {
        return false;
    }
    std::shared_ptr<Element> top = popups_.back().popup;
    HidePopup(*top);
    return true;
}

// ---- Events --------------------------------------------------------------------------------------

bool Window::FireBehaviorEvent(std::uint32_t code, Element& target, Element* source, std::uintptr_t reason,
                               const Value& data) {
    std::shared_ptr<Element> pin = Shared(target);
    ScopedHandle targetHandle(target, this);
    std::optional<ScopedHandle> sourceHandle;
    if (source != nullptr) {
        sourceHandle.emplace(*source, this);
    }
    HtmlBehaviorEventParams params{code, targetHandle.Get(), sourceHandle ? sourceHandle->Get() : nullptr,
                                   reason, data.ToRaw()};
    bool handled = events_.Behavior(target, params);
    Value::ClearRaw(params.data);
    return handled;
}

void Window::PostBehaviorEvent(std::uint32_t code, const std::shared_ptr<Element>& target,
                               const std::shared_ptr<Element>& source, std::uintptr_t reason, Value data) {
    std::weak_ptr<Window*> liveness = liveness_;
    queue_->PostTask([liveness, code, target, source, reason, data = std::move(data)] {
        std::shared_ptr<Window*> window = liveness.lock();
        if (window && *window != nullptr) {
            (*window)->NoteChange();
            (*window)->FireBehaviorEvent(code, *target, source.get(), reason, data);
        }
    });
}

void Window::ClickDefaultAction(Element& target) {
    std::shared_ptr<Element> pin = Shared(target);
    for (Element* element = &target; element != nullptr; element = element->Parent()) {
        Behavior* behavior = BehaviorOf(*element);
        if (behavior == nullptr) {
            continue;
        }
        switch (behavior->OnClick(*this, *element, target)) {
        case ClickAction::NotMine:
            continue;
        case ClickAction::Consumed:
            return;
        case ClickAction::ButtonClick:
            FireBehaviorEvent(kButtonClick, *element, element);
            return;
        }
    }
    // No behaviour took it: the page's style sheets (which are not applied) decide what is a
    // button, so every other click is reported as one on the element clicked.
    FireBehaviorEvent(kButtonClick, target, &target);
}

void Window::KeyDownDefaultAction(std::uint32_t keyCode, std::uint32_t altState) {
    std::shared_ptr<Element> focus = focus_.lock();
    for (Element* element = focus.get(); element != nullptr; element = element->Parent()) {
        if (Behavior* behavior = BehaviorOf(*element);
            behavior != nullptr && behavior->OnKeyDown(*this, *element, keyCode, altState)) {
            return;
        }
    }
    if (keyCode == kKeyEscape) {
        DismissTopPopup();
    } else if (keyCode == kKeyTab) {
        AdvanceFocus((altState & kShiftKeyPressed) != 0);
    }
}

void Window::CharDefaultAction(wchar_t character) {
    std::shared_ptr<Element> focus = focus_.lock();
    if (focus) {
        if (Behavior* behavior = BehaviorOf(*focus)) {
            behavior->OnChar(*this, *focus, character);
        }
    }
}

// ---- Handlers ------------------------------------------------------------------------------------

HtmlResult Window::AttachHandler(Element& element, ServiceObject* handler) {
    if (handler == nullptr) {
        return kHtmlInvalidParameter;
    }
    if (IsAttached(element, handler)) {
        return kHtmlOk;
    }
    ElementRuntime& runtime = RuntimeOf(element);
    runtime.handlers.push_back(so::Ref::Share(handler));
    runtime.pin = Shared(element);
    ScopedHandle handle(element, this);
    try {
        so::Call<host::UIHandler::Attached>(handler, handle.Get());
    } catch (const std::exception& e) {
        ReportError(std::string("A UI handler failed to attach: ") + e.what());
    }
    return kHtmlOk;
}

HtmlResult Window::DetachHandler(Element& element, ServiceObject* handler) {
    ElementRuntime* runtime = FindRuntime(element);
    if (runtime == nullptr) {
        return kHtmlInvalidParameter;
    }
    auto found = std::find_if(runtime->handlers.begin(), runtime->handlers.end(),
                              [handler](const so::Ref& attached) { return attached.Get() == handler; });
    if (found == runtime->handlers.end()) {
        return kHtmlInvalidParameter;
    }
    ScopedHandle handle(element, this); // keeps the element alive past its pin
    so::Ref detached = std::move(*found);
    runtime->handlers.erase(found);
    if (runtime->handlers.empty()) {
        runtime->pin.reset();
    }
    try {
        so::Call<host::UIHandler::Detached>(detached.Get(), handle.Get());
    } catch (const std::exception& e) {
        ReportError(std::string("A UI handler failed to detach: ") + e.what());
    }
    return kHtmlOk;
}

std::uint64_t Window::BehaviorEventCount(std::uint32_t code) const {
    auto found = behaviorEventCounts_.find(code);
    return found != behaviorEventCounts_.end() ? found->second : 0;
}

void Window::NotifyLocaleChanged() {
    // Collected first: a handler may rebuild the page (and so attach and detach others) when told.
    std::vector<so::Ref> handlers;
    for (const auto& [element, runtime] : runtime_)
        handlers.insert(handlers.end(), runtime->handlers.begin(), runtime->handlers.end());
    for (const so::Ref& handler : handlers) {
        try {
            so::Call<host::UIHandler::OnLocaleChanged>(handler.Get());
        } catch (const std::exception& e) {
            ReportError(std::string("A UI handler failed to take the new language: ") + e.what());
        }
    }
}

std::vector<so::Ref> Window::HandlersOf(const Element& element) const {
    const ElementRuntime* runtime = FindRuntime(element);
    return runtime != nullptr ? runtime->handlers : std::vector<so::Ref>();
}

bool Window::IsAttached(const Element& element, ServiceObject* handler) const {
    const ElementRuntime* runtime = FindRuntime(element);
    return runtime != nullptr &&
           std::any_of(runtime->handlers.begin(), runtime->handlers.end(),
                       [handler](const so::Ref& attached) { return attached.Get() == handler; });
}

// ---- Behaviours, values and methods ----------------------------------------------------------------

const Window::ElementRuntime* Window::FindRuntime(const Element& element) const {
    auto found = runtime_.find(&element);
    // An entry whose element died (and whose address a new element took) is not this element's.
    if (found == runtime_.end() || found->second->element.lock().get() != &element) {
        return nullptr;
    }
    return found->second.get();
}

Window::ElementRuntime* Window::FindRuntime(const Element& element) {
    return const_cast<ElementRuntime*>(std::as_const(*this).FindRuntime(element));
}

Window::ElementRuntime& Window::RuntimeOf(Element& element) {
    if (ElementRuntime* runtime = FindRuntime(element)) {
        return *runtime;
    }
    // Entries of elements that died outside the document are swept now and then, not tracked.
    if (runtime_.size() >= 2 * sweptSize_ + 64) {
        std::erase_if(runtime_, [](const auto& entry) { return entry.second->element.expired(); });
        sweptSize_ = runtime_.size();
    }
    auto& entry = runtime_[&element];
    entry = std::make_unique<ElementRuntime>();
    entry->element = Shared(element);
    return *entry;
}

std::string Window::BehaviorNameFor(const Element& element) const {
    if (const std::string* attribute = element.GetAttribute("behavior")) {
        std::string_view name = TrimAsciiWhitespace(*attribute);
        name = name.substr(0, std::min(name.size(), name.find(' ')));
        if (!name.empty()) {
            return std::string(name);
        }
    }
    for (auto binding = behaviorBindings_.rbegin(); binding != behaviorBindings_.rend(); ++binding) {
        if (Matches(element, binding->selector)) {
            return binding->behavior;
        }
    }
    return std::string(Behaviors::IntrinsicName(element));
}

Behavior* Window::BehaviorOf(Element& element) {
    ElementRuntime* runtime = &RuntimeOf(element);
    if (!runtime->bound) {
        runtime->bound = true;
        runtime->behavior = Behaviors::Create(BehaviorNameFor(element));
        if (runtime->behavior) {
            runtime->behavior->OnBound(*this, element);
        }
        RunInitializers(element);
        runtime = FindRuntime(element);
    }
    return runtime != nullptr ? runtime->behavior.get() : nullptr;
}

void Window::RunInitializers(Element& element) {
    for (std::size_t i = 0; i < initializers_.size(); ++i) {
        if (!Matches(element, initializers_[i].selector)) {
            continue;
        }
        ElementInitializer initializer = initializers_[i].initializer; // it may register more
        ScopedHandle handle(element, this);
        try {
            initializer(handle.Get());
        } catch (const std::exception& e) {
            ReportError("Initialising an element for \"" + initializers_[i].selector +
                        "\" failed: " + e.what());
        }
    }
}

void Window::WhenBound(std::string selector, ElementInitializer initializer) {
    ValidateSelector(selector);
    if (!initializer) {
        throw std::invalid_argument("element initializer for \"" + selector + "\" without a body");
    }
    initializers_.push_back({std::move(selector), std::move(initializer)});
}

void Window::BindSubtree(Element& root) {
    for (const auto& element : SubtreeElements(root)) {
        BehaviorOf(*element);
    }
}

void Window::BindBehavior(std::string selector, std::string behavior) {
    ValidateSelector(selector);
    if (!Behaviors::Create(behavior)) {
        throw std::invalid_argument("unknown behaviour \"" + behavior + "\"");
    }
    behaviorBindings_.push_back({std::move(selector), std::move(behavior)});
}

Value Window::GetValue(Element& element) {
    if (Behavior* behavior = BehaviorOf(element)) {
        if (auto value = behavior->GetValue(*this, element)) {
            return *value;
        }
    }
    return Value::String(so::WideFromUtf8(element.TextContent()));
}

bool Window::SetValue(Element& element, const Value& value) {
    NoteChange();
    if (Behavior* behavior = BehaviorOf(element);
        behavior != nullptr && behavior->SetValue(*this, element, value)) {
        return true;
    }
    // A plain element's value is its text.
    std::optional<std::wstring> text =
        value.IsUndefined() || value.Type() == kHtmlValueNull ? std::wstring() : value.ToText();
    if (!text) {
        return false;
    }
    SetText(element, *text);
    return true;
}

void Window::RegisterScriptMethod(std::string name, ScriptMethod method, std::string selector) {
    if (!selector.empty()) {
        ValidateSelector(selector);
    }
    if (!method) {
        throw std::invalid_argument("script method \"" + name + "\" without a body");
    }
    scriptMethods_.push_back({std::move(name), std::move(selector), std::move(method)});
}

HtmlResult Window::CallScriptingMethod(Element& element, const std::string& name,
                                       const std::vector<Value>& arguments, Value& result) {
    std::shared_ptr<Element> pin = Shared(element);
    std::vector<HtmlValue> rawArguments;
    rawArguments.reserve(arguments.size());
    for (const Value& argument : arguments) {
        rawArguments.push_back(argument.ToRaw());
    }
    HtmlScriptingMethodParams params{
        name.c_str(), rawArguments.data(), std::uint32_t(rawArguments.size()), {}};
    const bool answered = events_.ScriptCall(element, params);
    for (HtmlValue& raw : rawArguments) {
        Value::ClearRaw(raw);
    }
    Value handlerResult = Value::FromRaw(params.result);
    Value::ClearRaw(params.result);
    if (answered) {
        result = std::move(handlerResult);
        return kHtmlOk;
    }
    for (auto entry = scriptMethods_.rbegin(); entry != scriptMethods_.rend(); ++entry) {
        if (entry->name != name || (!entry->selector.empty() && !Matches(element, entry->selector))) {
            continue;
        }
        ScriptMethod method = entry->method; // the registry may change while it runs
        ScopedHandle handle(element, this);
        try {
            result = method(handle.Get(), arguments);
            return kHtmlOk;
        } catch (const std::exception& e) {
            ReportError("The script method \"" + name + "\" failed: " + e.what());
            return kHtmlOperationFailed;
        }
    }
    if (Behavior* behavior = BehaviorOf(element)) {
        if (auto value = behavior->CallMethod(*this, element, name, arguments)) {
            result = std::move(*value);
            return kHtmlOk;
        }
    }
    return kHtmlNotHandled;
}

bool Window::ExecuteCommand(Element& element, std::string_view command) {
    std::shared_ptr<Element> pin = Shared(element);
    for (Element* owner = &element; owner != nullptr; owner = owner->Parent()) {
        if (Behavior* behavior = BehaviorOf(*owner);
            behavior != nullptr && behavior->ExecuteCommand(*this, *owner, element, command)) {
            NoteChange();
            return true;
        }
    }
    return false;
}

// ---- Geometry ------------------------------------------------------------------------------------

const Layout& Window::CurrentLayout() {
    if (layoutCount_ != changeCount_) {
        std::vector<std::pair<const Element*, const Element*>> popups;
        for (const auto& shown : popups_) {
            popups.emplace_back(shown.popup.get(), shown.anchor.get());
        }
        layout_.Compute(Root(), options_.width, options_.height, popups);
        layoutCount_ = changeCount_;
    }
    return layout_;
}

RECT Window::Location(Element& element) {
    return CurrentLayout().BorderBox(element);
}

std::int32_t Window::IntrinsicHeight(Element& element, std::int32_t forWidth) {
    return Layout::IntrinsicHeight(element, forWidth);
}

void Window::Resize(std::int32_t width, std::int32_t height) {
    options_.width = width;
    options_.height = height;
    NoteChange();
}

void Window::MoveTo(POINT screenOrigin) {
    options_.screenOrigin = screenOrigin;
    RegisterHostWindow();
}

// ---- Reporting -----------------------------------------------------------------------------------

void Window::ReportError(const std::string& message) const {
    if (errorReporter_) {
        errorReporter_(message);
    } else {
        std::cerr << "html-engine: " << message << '\n';
    }
}

} // namespace html
