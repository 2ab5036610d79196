// The declarations of an element's "style" attribute, read and written one property at a time.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace html {

class Element;

// Only the attribute is kept: there is no cascade, and the engine's layout reads the few
// properties it honours from here.
class InlineStyle {
public:
    // The value of `property` (trimmed), or none.
    static std::optional<std::string> Get(const Element& element, std::string_view property);
    // Replaces the declaration in place or appends it; an empty value removes it. The attribute
    // goes when its last declaration does.
    static void Set(Element& element, std::string_view property, std::string_view value);
    // A length in pixels ("12px" or "12"); none for anything else.
    static std::optional<int> Pixels(const Element& element, std::string_view property);
};

} // namespace html
