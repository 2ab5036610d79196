// The engine's view: one document, the change counter the layout follows, and the parts that
// keep the element runtime, focus, popups, events and geometry, wired together. Every DOM change
// the C interface makes comes through here, so that the parts follow it.
#pragma once

#include "headless-host/html-engine/dom/Document.h"
#include "headless-host/html-engine/runtime/ElementBindings.h"
#include "headless-host/html-engine/runtime/ElementRuntimeRegistry.h"
#include "headless-host/html-engine/runtime/ElementStates.h"
#include "headless-host/html-engine/runtime/EngineWindow.h"
#include "headless-host/html-engine/runtime/EventDispatcher.h"
#include "headless-host/html-engine/runtime/FocusController.h"
#include "headless-host/html-engine/runtime/Localizer.h"
#include "headless-host/html-engine/runtime/PageLoader.h"
#include "headless-host/html-engine/runtime/PopupStack.h"
#include "headless-host/html-engine/runtime/ViewGeometry.h"
#include "service-common/ServiceObjectPtr.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace html {

class UIQueueCore;

// Everything here is [ui-thread] unless it says otherwise.
class Window {
public:
    Window(std::shared_ptr<UIQueueCore> queue, const WindowOptions& options);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // ---- Identity and threads -------------------------------------------------------------------
    HWND Hwnd() const;
    // The window behind a handle, or null. [thread-safe]
    static Window* FromHwnd(HWND hwnd);
    // [thread-safe]
    bool IsUIThread() const;
    UIQueueCore& Queue() const { return *queue_; }
    ServiceObject* Invoker() const { return invoker_.Get(); }
    ServiceObject* WindowContext() const { return windowContext_.Get(); }
    void SetWindowContext(ServiceObject* context) { windowContext_ = so::Ref::Share(context); }

    // ---- Parts ----------------------------------------------------------------------------------
    PageLoader& Loader() { return loader_; }
    Localizer& Localization() { return localizer_; }
    ElementBindings& Bindings() { return bindings_; }
    ElementRuntimeRegistry& Runtime() { return runtime_; }
    ElementStates& States() { return states_; }
    FocusController& Focus() { return focus_; }
    PopupStack& Popups() { return popups_; }
    EventDispatcher& Events() { return events_; }
    ViewGeometry& Geometry() { return geometry_; }

    // ---- Document -------------------------------------------------------------------------------
    Element& Root() const { return *document_.Root(); }
    bool IsInDocument(const Element& element) const;
    // False, reported, when the resource reader has no such page (the old document stays).
    bool LoadUrl(const std::string& url);
    // The old document's handlers are detached first; the new one is translated and bound.
    void LoadHtml(std::string_view utf8, const std::string& url);

    // ---- Content changes ------------------------------------------------------------------------
    // The new elements are translated and bound. False for markup that cannot go there (outer HTML
    // of the root).
    bool SetHtml(Element& element, std::string_view utf8, HtmlInnerHtmlPlacement placement);
    void SetText(Element& element, std::wstring_view text);
    std::wstring Text(Element& element);
    // False for the root.
    bool Remove(Element& element);
    void SetAttribute(Element& element, std::string_view name, const std::optional<std::string>& value);
    void SetStyle(Element& element, std::string_view property, std::string_view value);
    // The behaviour's value; a plain element's value is its text.
    Value GetValue(Element& element);
    // False for a value the element cannot take (an array or map on a plain element).
    bool SetValue(Element& element, const Value& value);
    // Something the layout depends on changed.
    void NoteChange() { ++changeCount_; }
    std::uint64_t ChangeCount() const { return changeCount_; }

    // ---- Posted events --------------------------------------------------------------------------
    // A behaviour event sent through the UI queue; nothing happens if the window is gone by then.
    // [thread-safe]
    void PostBehaviorEvent(std::uint32_t code, const std::shared_ptr<Element>& target,
                           const std::shared_ptr<Element>& source, std::uintptr_t reason, Value data);

    // ---- Reporting ------------------------------------------------------------------------------
    void SetErrorReporter(ErrorReporter reporter) { errorReporter_ = std::move(reporter); }
    // To the host's reporter; standard error without one. The reporter runs on the UI thread: a
    // report made elsewhere is posted there, and lost if the queue is shut down. [thread-safe]
    void ReportError(const std::string& message) const;

private:
    // Before a subtree leaves the document: the focus is dropped when inside it, its popups
    // forgotten, and its runtime erased (its handlers detached).
    void SubtreeLeaving(Element& root);
    // New elements in the document: translated, then bound.
    void Adopt(Element& root);

    std::shared_ptr<UIQueueCore> queue_;
    so::Ref invoker_;
    // Posted events hold it weakly: they do nothing once the window is gone.
    std::shared_ptr<Window*> liveness_;
    Document document_;
    std::uint64_t changeCount_ = 1;
    ErrorReporter errorReporter_;
    so::Ref windowContext_;

    PageLoader loader_;
    Localizer localizer_;
    ElementBindings bindings_;
    ElementRuntimeRegistry runtime_;
    ElementStates states_;
    FocusController focus_;
    PopupStack popups_;
    EventDispatcher events_;
    ViewGeometry geometry_;
};

} // namespace html
