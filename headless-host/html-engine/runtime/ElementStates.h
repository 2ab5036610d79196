// Element states as the C interface shows and changes them, with the engine's transitions.
#pragma once

#include <cstdint>

namespace html {

class Element;
class Window;

// [ui-thread]
class ElementStates {
public:
    explicit ElementStates(Window& window) : window_(window) {}

    // Interface state bits: the DOM keeps the owns-popup bit elsewhere, and kStateEmpty is derived
    // (no element children and no text).
    static std::uint32_t Of(const Element& element);
    // Disabled itself or through an ancestor.
    static bool IsDisabled(const Element& element);
    // Clears `bitsToClear`, then sets `bitsToSet`, with the engine's transitions: expanded and
    // collapsed exclude each other, newly expanding raises kElementExpanded, setting focus moves
    // the keyboard focus and clearing it drops it. kStateEmpty is never set or cleared.
    void Change(Element& element, std::uint32_t bitsToSet, std::uint32_t bitsToClear);

private:
    Window& window_;
};

} // namespace html
