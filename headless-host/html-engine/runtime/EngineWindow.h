// The host-side interface of an engine window: what the host program and tests set up around a
// page. Everything the module does with the page goes through HtmlEngineAPI() instead.
#pragma once

#include "headless-host/html-engine/runtime/HtmlEngineExport.h"
#include "headless-host/html-engine/runtime/Value.h"
#include "host/HtmlEngineApi.h"
#include "service-common/ServiceObjectPtr.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace html {

class UIQueue;
class Window;

struct WindowOptions {
    std::int32_t width = 400;
    std::int32_t height = 800;
    // Where the client area's top-left corner is on the screen.
    POINT screenOrigin{100, 100};
    // What the window answers to message 0x0626 (the part of the screen a popup may use).
    RECT visibleScreenArea{0, 0, 1920, 1080};
};

// Gives the bytes of a page or an included file by URL (as the page names it, resolved against the
// page's own URL); none when there is no such resource.
using ResourceReader = std::function<std::optional<std::string>(std::string_view url)>;
// Gives the translation of a text in a localisation context (the value of the element's "localize"
// attribute, possibly empty); none keeps the text.
using Translator =
    std::function<std::optional<std::wstring>(std::wstring_view text, std::wstring_view context)>;
using ErrorReporter = std::function<void(const std::string& message)>;
// A script method the host's page scripts would provide. The element is borrowed for the call.
// Throwing fails the call (the caller sees kHtmlOperationFailed).
using ScriptMethod = std::function<Value(HELEMENT element, const std::vector<Value>& arguments)>;
// What the page's scripts would do to an element when it appears (e.g. give a script-driven list
// the elements it needs). The element is borrowed for the call; throwing is reported.
using ElementInitializer = std::function<void(HELEMENT element)>;

// A view: one document, a size and a place on the screen, keyboard focus and open popups. Made,
// used and destroyed on the queue's UI thread; the queue must outlive it.
class HTML_ENGINE_API EngineWindow {
public:
    explicit EngineWindow(UIQueue& queue, WindowOptions options = {});
    // Detaches every handler still attached (Detached is called) and unregisters the window.
    ~EngineWindow();
    EngineWindow(const EngineWindow&) = delete;
    EngineWindow& operator=(const EngineWindow&) = delete;

    // The window handle the module sees (GetRootElement, ClientToScreen, SendMessageW).
    HWND Handle() const;

    // Replaces the document: the old one's handlers are detached first. Includes are resolved
    // through the resource reader; "localize" texts are translated. False when the reader has no
    // such page (the old document stays).
    bool LoadUrl(const std::string& url);
    // The same from markup; `url` is where relative includes are resolved from.
    void LoadHtml(std::string_view utf8, const std::string& url = {});
    // Markup errors of the last load, as "line:column: message" (with the include's source).
    const std::vector<std::string>& LoadDiagnostics() const;
    std::string DocumentHtml() const;

    void SetResourceReader(ResourceReader reader);
    // Applied to what later loads and insertions show; none by default.
    void SetTranslator(Translator translator);
    // Failures the engine catches (a handler's failure code, a throwing script method, a call of
    // the C interface that failed or came from another thread); called on the UI thread. Standard
    // error by default.
    void SetErrorReporter(ErrorReporter reporter);
    // The "UIWindowContext" GetWindowContext gives; the window keeps one reference.
    void SetWindowContext(ServiceObject* context);

    // Gives the elements that match `selector` (when they are bound: on load or insertion) the
    // native behaviour `behavior`, as a style sheet's behaviour declaration would. Later bindings
    // win over earlier ones; an element's own "behavior" attribute wins over both; without either,
    // the tag decides (and an element holding a ".strip" and a ".panels-container" is a tab
    // container). Names: "button",
    // "check", "radio", "edit", "number", "decimal", "hslider", "date", "time", "textarea",
    // "plaintext", "select", "dropdown-select", "form", "tabs".
    void BindBehavior(std::string selector, std::string behavior);
    // A script method `name` on the elements matching `selector` (every element when empty). Later
    // registrations of a name win over earlier ones and over the native behaviours' methods.
    void RegisterScriptMethod(std::string name, ScriptMethod method, std::string selector = {});
    // Runs `initializer` for every element matching `selector` when it is bound (on load or
    // insertion), after its native behaviour is.
    void WhenBound(std::string selector, ElementInitializer initializer);

    void Resize(std::int32_t width, std::int32_t height);
    void MoveTo(POINT screenOrigin);
    void SetVisibleScreenArea(RECT area);
    // What the host does when the user switches the UI language: every attached handler is told.
    void NotifyLocaleChanged();

    // How many behaviour events of `code` were sent into the page (handled or not, fired or posted)
    // since the window was made or the counts were last forgotten: what a test reads to tell an
    // editor's own refresh from a panel rebuild.
    std::uint64_t BehaviorEventCount(std::uint32_t code) const;
    // The handlers attached to the element of `element` (a handle into this window's document), in
    // the order they were attached; none for a handle of another window.
    std::vector<so::Ref> HandlersOf(HELEMENT element) const;
    // The attributes of the element of `element` as name and value (UTF-8), in their order in the
    // element; none for a handle of another window. What a page script reads to enumerate them: the
    // C interface reads attributes by name only.
    std::vector<std::pair<std::string, std::string>> AttributesOf(HELEMENT element) const;
    void ForgetBehaviorEvents();

    Window& Impl() const { return *impl_; }

private:
    std::unique_ptr<Window> impl_;
};

} // namespace html
