// The engine's view: a document with its element runtime (handlers and behaviours), keyboard
// focus, open popups, layout, and the host's hooks. Every DOM change the C interface makes comes
// through here, so that handlers, focus, popups and layout follow it.
#pragma once

#include "headless-host/html-engine/Document.h"
#include "headless-host/html-engine/EngineWindow.h"
#include "headless-host/html-engine/EventDispatcher.h"
#include "headless-host/html-engine/Layout.h"
#include "headless-host/html-engine/MarkupParser.h"
#include "service-common/ServiceObjectPtr.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace html {

class Behavior;
class UIQueueCore;

struct ShownPopup {
    std::shared_ptr<Element> popup;
    std::shared_ptr<Element> anchor;
};

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
    bool IsUIThread() const;
    UIQueueCore& Queue() const { return *queue_; }
    ServiceObject* Invoker() const { return invoker_.Get(); }
    ServiceObject* WindowContext() const { return windowContext_.Get(); }
    void SetWindowContext(ServiceObject* context) { windowContext_ = so::Ref::Share(context); }

    // ---- Document -------------------------------------------------------------------------------
    Element& Root() const { return *document_.Root(); }
    bool IsInDocument(const Element& element) const;
    bool LoadUrl(const std::string& url);
    void LoadHtml(std::string_view utf8, const std::string& url);
    const std::vector<std::string>& LoadDiagnostics() const { return loadDiagnostics_; }
    void SetResourceReader(ResourceReader reader) { resourceReader_ = std::move(reader); }
    void SetTranslator(Translator translator) { translator_ = std::move(translator); }

    // ---- Content changes ------------------------------------------------------------------------
    // The new elements are bound and translated. False for markup that cannot go there (outer HTML
    // of the root).
    bool SetHtml(Element& element, std::string_view utf8, HtmlInnerHtmlPlacement placement);
    void SetText(Element& element, std::wstring_view text);
    std::wstring Text(Element& element);
    // False for the root.
    bool Remove(Element& element);
    void SetAttribute(Element& element, std::string_view name, const std::optional<std::string>& value);
    void SetStyle(Element& element, std::string_view property, std::string_view value);
    // Something the layout depends on changed.
    void NoteChange() { ++changeCount_; }

    // ---- States ---------------------------------------------------------------------------------
    // Interface state bits (the owns-popup bit differs from the DOM's).
    std::uint32_t State(const Element& element) const;
    // With the engine's transitions: expanded and collapsed exclude each other, newly expanding
    // raises kElementExpanded, setting focus moves the keyboard focus and clearing it drops it.
    void ChangeState(Element& element, std::uint32_t bitsToSet, std::uint32_t bitsToClear);
    bool IsDisabled(const Element& element) const;

    // ---- Focus ----------------------------------------------------------------------------------
    Element* Focus() const;
    // Asks with kFocusRequest (a handler may cancel) unless told not to, then kFocusLost to the
    // old holder and kFocusGot to the new one. Null drops the focus. False when refused, disabled
    // or outside the document.
    bool MoveFocus(Element* target, HtmlFocusCause cause, bool askFirst = true);
    // A request even when `target` has the focus already (a closing drop-down gives it back), then
    // the move.
    bool RequestFocus(Element& target, HtmlFocusCause cause);
    // Tab and Shift+Tab: the next or previous element that takes the focus, in document order.
    void AdvanceFocus(bool backwards);
    // Where a user's click or Tab puts the focus for `element` (itself, or e.g. an editable
    // select's caption); null when it takes none.
    Element* FocusTargetFor(Element& element);

    // ---- Popups ---------------------------------------------------------------------------------
    // kPopupRequest, then shown (popup state, owner state on the anchor), then kPopupReady. Showing
    // a shown popup again only moves it to the new anchor.
    void ShowPopup(Element& popup, Element& anchor);
    // kPopupDismissing, hidden, kPopupDismissed; popups shown inside it go first. Nothing happens
    // for a popup that is not shown.
    void HidePopup(Element& popup);
    bool IsPopupShown(const Element& popup) const;
    const std::vector<ShownPopup>& Popups() const { return popups_; }
    // A mouse press on `target`: hides, topmost first, every popup that neither holds the target
    // nor is anchored on it.
    void DismissPopupsOutside(Element& target);
    // Escape: hides the topmost popup; false when none is shown.
    bool DismissTopPopup();

    // ---- Events ---------------------------------------------------------------------------------
    EventDispatcher& Events() { return events_; }
    // Counted by the dispatcher for every behaviour event it delivers.
    void CountBehaviorEvent(std::uint32_t code) { ++behaviorEventCounts_[code]; }
    std::uint64_t BehaviorEventCount(std::uint32_t code) const;
    void ForgetBehaviorEvents() { behaviorEventCounts_.clear(); }
    // A behaviour event sent now; gives whether a handler handled it.
    bool FireBehaviorEvent(std::uint32_t code, Element& target, Element* source, std::uintptr_t reason = 0,
                           const Value& data = Value());
    // The same through the UI queue. [thread-safe]
    void PostBehaviorEvent(std::uint32_t code, const std::shared_ptr<Element>& target,
                           const std::shared_ptr<Element>& source, std::uintptr_t reason, Value data);
    // The engine's own reaction to a click on `target` after the mouse events: the behaviours'
    // default actions, and kButtonClick for buttons and for clicks no behaviour took.
    void ClickDefaultAction(Element& target);
    // The default action of a key press the handlers did not take (editing, Escape, Tab).
    void KeyDownDefaultAction(std::uint32_t keyCode, std::uint32_t altState);
    void CharDefaultAction(wchar_t character);

    // ---- Handlers -------------------------------------------------------------------------------
    HtmlResult AttachHandler(Element& element, ServiceObject* handler);
    HtmlResult DetachHandler(Element& element, ServiceObject* handler);
    std::vector<so::Ref> HandlersOf(const Element& element) const;
    // Tells every attached handler that the UI language changed (its OnLocaleChanged).
    void NotifyLocaleChanged();
    bool IsAttached(const Element& element, ServiceObject* handler) const;

    // ---- Behaviours, values and methods -----------------------------------------------------------
    // The element's behaviour, bound on first use; null for plain elements.
    Behavior* BehaviorOf(Element& element);
    void BindBehavior(std::string selector, std::string behavior);
    // A plain element's value is its text.
    Value GetValue(Element& element);
    // False for a value the element cannot take (an array or map on a plain element).
    bool SetValue(Element& element, const Value& value);
    void RegisterScriptMethod(std::string name, ScriptMethod method, std::string selector);
    void WhenBound(std::string selector, ElementInitializer initializer);
    // Handlers first, then host methods, then the behaviour's; kHtmlNotHandled when none has it.
    HtmlResult CallScriptingMethod(Element& element, const std::string& name,
                                   const std::vector<Value>& arguments, Value& result);
    // A behaviour command on `element` (e.g. "set-current" on an option), taken by its own
    // behaviour or an ancestor's.
    bool ExecuteCommand(Element& element, std::string_view command);

    // ---- Geometry -------------------------------------------------------------------------------
    RECT Location(Element& element);
    std::int32_t IntrinsicHeight(Element& element, std::int32_t forWidth);
    std::int32_t Width() const { return options_.width; }
    std::int32_t Height() const { return options_.height; }
    void Resize(std::int32_t width, std::int32_t height);
    void MoveTo(POINT screenOrigin);
    void SetVisibleScreenArea(RECT area) { options_.visibleScreenArea = area; }

    // ---- Reporting ------------------------------------------------------------------------------
    void SetErrorReporter(ErrorReporter reporter) { errorReporter_ = std::move(reporter); }
    void ReportError(const std::string& message) const;

private:
    struct ElementRuntime {
        std::weak_ptr<Element> element;
        // Held while handlers are attached, so that an element with handlers outside the document
        // still gets its Detached when the window goes.
        std::shared_ptr<Element> pin;
        std::vector<so::Ref> handlers;
        std::unique_ptr<Behavior> behavior;
        bool bound = false;
    };

    ElementRuntime* FindRuntime(const Element& element);
    const ElementRuntime* FindRuntime(const Element& element) const;
    ElementRuntime& RuntimeOf(Element& element);
    std::string BehaviorNameFor(const Element& element) const;
    void BindSubtree(Element& root);
    void RunInitializers(Element& element);
    void Localize(Element& root);
    // Before a subtree leaves the document: its handlers are detached, its popups forgotten, the
    // focus dropped when inside it, and its runtime erased.
    void SubtreeLeaving(Element& root);
    void DetachAllHandlers(ElementRuntime& runtime, Element& element);
    void InsertFragment(Element& element, std::string_view utf8, HtmlInnerHtmlPlacement placement);
    ParseOptions MakeParseOptions() const;
    std::string ResolveUrl(std::string_view url) const;
    void ForgetPopup(const Element& popup);
    void RegisterHostWindow();
    static LRESULT WindowProcedure(void* context, UINT message, WPARAM wParam, LPARAM lParam);
    const Layout& CurrentLayout();

    std::shared_ptr<UIQueueCore> queue_;
    so::Ref invoker_;
    WindowOptions options_;
    Document document_;
    std::string url_;
    std::vector<std::string> loadDiagnostics_;
    ResourceReader resourceReader_;
    Translator translator_;
    ErrorReporter errorReporter_;
    so::Ref windowContext_;

    struct BehaviorBinding {
        std::string selector;
        std::string behavior;
    };
    std::vector<BehaviorBinding> behaviorBindings_;
    struct ScriptMethodEntry {
        std::string name;
        std::string selector;
        ScriptMethod method;
    };
    std::vector<ScriptMethodEntry> scriptMethods_;
    struct InitializerEntry {
        std::string selector;
        ElementInitializer initializer;
    };
    std::vector<InitializerEntry> initializers_;

    // Posted events hold it weakly: they do nothing once the window is gone.
    std::shared_ptr<Window*> liveness_;
    std::unordered_map<const Element*, std::unique_ptr<ElementRuntime>> runtime_;
    std::size_t sweptSize_ = 0;
    std::weak_ptr<Element> focus_;
    std::vector<ShownPopup> popups_;
    EventDispatcher events_;
    std::map<std::uint32_t, std::uint64_t> behaviorEventCounts_;
    Layout layout_;
    std::uint64_t changeCount_ = 1;
    std::uint64_t layoutCount_ = 0;
};

} // namespace html
