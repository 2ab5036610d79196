// A deterministic block layout standing in for the renderer: good enough for measuring elements,
// not for drawing them.
#pragma once

#include "host/WindowsApi.h"

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

namespace html {

class Element;

// The rules, all of them:
// - Every element is a block: it starts below its previous sibling, at its parent's left edge, as
//   wide as its parent (a "width" style in px replaces that; "min-width" and "max-width" in px
//   clamp it). There are no margins, borders or padding.
// - Its height is the sum of its children's heights, or its "height" style in px. A text node
//   takes kLineHeight per line, wrapping at kCharWidth per character (white space collapsed,
//   except in pre, textarea and plaintext, where each line break starts a line).
// - Inputs, buttons, drop-down selects and captions are one kLineHeight high whatever they hold;
//   a textarea is its "rows" (2 by default) lines high, a list select with a "size" that many
//   lines (its options are laid out inside it all the same, as if it scrolled).
// - Nothing takes space that has "display: none" or "visibility: collapse" in its style, is in the
//   collapsed state, is a head-only element (head, script, style, link, meta, title), or is a
//   popup: a popup element that is not shown, and every shown popup, which is laid out after the
//   document below its anchor (left edges aligned, at least as wide as the anchor).
// Such elements get an empty box at their place; their descendants get none.
class Layout {
public:
    static constexpr std::int32_t kLineHeight = 20;
    static constexpr std::int32_t kCharWidth = 8;

    // `popups` are (popup, anchor) pairs in the order they were shown.
    void Compute(const Element& root, std::int32_t viewWidth, std::int32_t viewHeight,
                 const std::vector<std::pair<const Element*, const Element*>>& popups);
    // Relative to the view; an empty rectangle for an element that takes no space or was not laid out.
    RECT BorderBox(const Element& element) const;
    // The height `element` would take at `width` if it were shown, whatever hides it now.
    static std::int32_t IntrinsicHeight(const Element& element, std::int32_t width);

private:
    std::unordered_map<const Element*, RECT> boxes_;
};

} // namespace html
