// What runs for each element besides the DOM: the native handlers attached to it and its native
// behaviour, and the calls that reach them (script methods, behaviour commands).
#pragma once

#include "headless-host/html-engine/runtime/Value.h"
#include "host/HtmlEngineApi.h"
#include "service-common/ServiceObjectPtr.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace html {

class Behavior;
class Element;
class Window;

// Entries are keyed by element and go when their element leaves the document; an element outside
// the document keeps its entry while handlers are attached to it. [ui-thread]
class ElementRuntimeRegistry {
public:
    explicit ElementRuntimeRegistry(Window& window);
    ~ElementRuntimeRegistry();
    ElementRuntimeRegistry(const ElementRuntimeRegistry&) = delete;
    ElementRuntimeRegistry& operator=(const ElementRuntimeRegistry&) = delete;

    // ---- Handlers -------------------------------------------------------------------------------
    // The handler's Attached follows; attaching an attached handler again does nothing.
    HtmlResult AttachHandler(Element& element, ServiceObject* handler);
    // Its Detached follows. kHtmlInvalidParameter for a handler not attached to the element.
    HtmlResult DetachHandler(Element& element, ServiceObject* handler);
    // In the order they were attached.
    std::vector<so::Ref> HandlersOf(const Element& element) const;
    bool IsAttached(const Element& element, ServiceObject* handler) const;
    // Tells every attached handler that the UI language changed (its OnLocaleChanged).
    void NotifyLocaleChanged();

    // ---- Behaviours -----------------------------------------------------------------------------
    // The element's behaviour, bound on first use (then the host's initialisers for it run); null
    // for plain elements.
    Behavior* BehaviorOf(Element& element);
    void BindSubtree(Element& root);

    // ---- Calls ----------------------------------------------------------------------------------
    // Handlers first, then host methods, then the behaviour's; kHtmlNotHandled when none has it,
    // kHtmlOperationFailed (reported) when a host method throws.
    HtmlResult CallScriptingMethod(Element& element, const std::string& name,
                                   const std::vector<Value>& arguments, Value& result);
    // A behaviour command on `element` (e.g. "set-current" on an option), taken by its own
    // behaviour or an ancestor's.
    bool ExecuteCommand(Element& element, std::string_view command);

    // ---- Lifetime -------------------------------------------------------------------------------
    // `root` is leaving the document: the entries of its subtree go, then their handlers are
    // detached.
    void Leave(Element& root);
    // The window is going: handlers still attached (also to elements outside the document) are
    // detached and every entry goes.
    void DetachAll();

private:
    struct ElementRuntime {
        std::weak_ptr<Element> element;
        // Held while handlers are attached, so that an element with handlers outside the document
        // still gets its Detached when the window goes.
        std::shared_ptr<Element> pin;
        std::vector<so::Ref> handlers;
        std::unique_ptr<Behavior> behavior;
    };

    ElementRuntime* Find(const Element& element);
    const ElementRuntime* Find(const Element& element) const;
    ElementRuntime& RuntimeOf(Element& element);
    void RunInitializers(Element& element);
    void DetachAllHandlers(ElementRuntime& runtime, Element& element);

    Window& window_;
    // Left on every element this registry binds (Element::BindingMark): plain elements are bound
    // without an entry. Never reused, unlike the registry's address.
    const std::uint64_t bindingMark_;
    std::unordered_map<const Element*, std::unique_ptr<ElementRuntime>> runtime_;
    std::size_t sweptSize_ = 0;
};

} // namespace html
