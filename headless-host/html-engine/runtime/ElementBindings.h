// What the host binds to elements by selector, standing in for the page's style sheets and
// scripts: native behaviours, set-up that runs when an element is bound, and script methods.
#pragma once

#include "headless-host/html-engine/runtime/EngineWindow.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace html {

class Element;
struct SelectorList;

// Registration throws std::invalid_argument for an invalid selector, an unknown behaviour or a
// function without a body. [ui-thread]
class ElementBindings {
public:
    struct Initializer {
        std::string selector;
        ElementInitializer initializer;
        // Parsed once: every element a page binds is tested against every initializer.
        std::shared_ptr<const SelectorList> parsed;
    };

    // Later bindings win over earlier ones.
    void BindBehavior(std::string selector, std::string behavior);
    void WhenBound(std::string selector, ElementInitializer initializer);
    // For every element when `selector` is empty. Later registrations of a name win.
    void RegisterScriptMethod(std::string name, ScriptMethod method, std::string selector);

    // The first word of the element's own "behavior" attribute, else the latest binding whose
    // selector matches, else what its tag implies; "" for a plain element.
    std::string BehaviorNameFor(const Element& element) const;
    // In the order they were registered. The list may grow while one of them runs: walk it by
    // index.
    const std::vector<Initializer>& Initializers() const { return initializers_; }
    // The latest method `name` registered for the element, as a copy (the registrations may change
    // while it runs); none when there is none.
    std::optional<ScriptMethod> ScriptMethodFor(const Element& element, std::string_view name) const;

private:
    struct BehaviorBinding {
        std::string selector;
        std::string behavior;
        std::shared_ptr<const SelectorList> parsed;
    };
    struct ScriptMethodEntry {
        std::string name;
        std::string selector;
        ScriptMethod method;
        std::shared_ptr<const SelectorList> parsed; // null for every element
    };

    std::vector<BehaviorBinding> behaviorBindings_;
    std::vector<Initializer> initializers_;
    std::vector<ScriptMethodEntry> scriptMethods_;
};

} // namespace html
