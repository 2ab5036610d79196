#include "headless-host/html-engine/runtime/ElementBindings.h"

#include "headless-host/html-engine/behaviors/Behaviors.h"
#include "headless-host/html-engine/dom/AsciiText.h"
#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/SelectorCache.h"
#include "headless-host/html-engine/dom/SelectorError.h"
#include "headless-host/html-engine/dom/SelectorQuery.h"

#include <algorithm>
#include <stdexcept>

namespace html {

namespace {

std::shared_ptr<const SelectorList> ParseSelector(const std::string& selector) {
    try {
        return SelectorCache::Shared().Get(selector);
    } catch (const SelectorError& e) {
        throw std::invalid_argument("invalid selector \"" + selector + "\": " + e.what());
    }
}

} // namespace

void ElementBindings::BindBehavior(std::string selector, std::string behavior) {
    auto parsed = ParseSelector(selector);
    if (!Behaviors::Create(behavior)) {
        throw std::invalid_argument("unknown behaviour \"" + behavior + "\"");
    }
    behaviorBindings_.push_back({std::move(selector), std::move(behavior), std::move(parsed)});
}

void ElementBindings::WhenBound(std::string selector, ElementInitializer initializer) {
    auto parsed = ParseSelector(selector);
    if (!initializer) {
        throw std::invalid_argument("element initializer for \"" + selector + "\" without a body");
    }
    initializers_.push_back({std::move(selector), std::move(initializer), std::move(parsed)});
}

void ElementBindings::RegisterScriptMethod(std::string name, ScriptMethod method, std::string selector) {
    std::shared_ptr<const SelectorList> parsed = selector.empty() ? nullptr : ParseSelector(selector);
    if (!method) {
        throw std::invalid_argument("script method \"" + name + "\" without a body");
    }
    scriptMethods_.push_back({std::move(name), std::move(selector), std::move(method), std::move(parsed)});
}

std::string ElementBindings::BehaviorNameFor(const Element& element) const {
    if (const std::string* attribute = element.GetAttribute("behavior")) {
        std::string_view name = TrimAsciiWhitespace(*attribute);
        name = name.substr(0, std::min(name.size(), name.find(' ')));
        if (!name.empty()) {
            return std::string(name);
        }
    }
    for (auto binding = behaviorBindings_.rbegin(); binding != behaviorBindings_.rend(); ++binding) {
        if (Matches(element, *binding->parsed)) {
            return binding->behavior;
        }
    }
    return std::string(Behaviors::IntrinsicName(element));
}

std::optional<ScriptMethod> ElementBindings::ScriptMethodFor(const Element& element,
                                                             std::string_view name) const {
    for (auto entry = scriptMethods_.rbegin(); entry != scriptMethods_.rend(); ++entry) {
        if (entry->name == name && (!entry->parsed || Matches(element, *entry->parsed))) {
            return entry->method;
        }
    }
    return std::nullopt;
}

} // namespace html
