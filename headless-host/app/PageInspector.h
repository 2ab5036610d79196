// Reads the panel page as a test would look at it: elements by selector, their outer HTML, text,
// attributes, inline styles and states, through the engine's C interface.
#pragma once

#include "host/HtmlEngineApi.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace headless {

// A counted element handle, released with the object.
class ElementRef {
public:
    ElementRef() = default;
    // Takes over one reference.
    static ElementRef Adopt(HELEMENT element);
    static ElementRef Share(HELEMENT element);
    ~ElementRef();
    ElementRef(ElementRef&& other) noexcept;
    ElementRef& operator=(ElementRef&& other) noexcept;
    ElementRef(const ElementRef&) = delete;
    ElementRef& operator=(const ElementRef&) = delete;

    HELEMENT Get() const { return element_; }
    explicit operator bool() const { return element_ != nullptr; }

private:
    explicit ElementRef(HELEMENT element) : element_(element) {}
    HELEMENT element_ = nullptr;
};

// [ui-thread]
class PageInspector {
public:
    // `root` is the page's root element; the inspector keeps its own reference.
    explicit PageInspector(HELEMENT root);

    // Every element matching `selector` under the root, in document order. Raises
    // std::invalid_argument naming the selector when the engine refuses it.
    std::vector<ElementRef> All(const std::string& selector) const;
    // The first match, or raises std::invalid_argument saying that nothing matches.
    ElementRef First(const std::string& selector) const;

    static std::string OuterHtml(HELEMENT element);
    static std::string Text(HELEMENT element);
    static std::optional<std::string> Attribute(HELEMENT element, const std::string& name);
    // A property of the element's inline style, "" when the style does not set it (as a page's
    // script reads it).
    static std::string Style(HELEMENT element, const std::string& property);
    static std::uint32_t State(HELEMENT element);
    // What the element holds now (an input's runtime value, a plain element's text): strings as they
    // are, numbers and flags as written in JSON, dates and lists as the engine's JSON; "" for no value.
    static std::string ValueText(HELEMENT element);
    // Where an input's selection starts (its anchor) and where its caret stands; equal when nothing
    // is selected. Raises std::invalid_argument for an element that keeps no caret.
    static std::pair<std::int64_t, std::int64_t> Caret(HELEMENT element);

    // The state bit of a name: expanded, collapsed, disabled, current, checked, focus, popup; 0 for
    // any other.
    static std::uint32_t StateBit(const std::string& name);
    // The names of the bits set in `state`, among those above, separated by blanks ("none" for none).
    static std::string StateNames(std::uint32_t state);

private:
    ElementRef root_;
};

} // namespace headless
