// Parses selector text into a SelectorList.
#pragma once

#include "headless-host/html-engine/dom/Selector.h"
#include "headless-host/html-engine/dom/SelectorError.h"

#include <cstddef>
#include <string_view>

namespace html {

// Accepts type, universal, class, id and attribute selectors (=, ~=, |=, ^=, $=, *=, presence,
// quoted or unquoted values, an " i" flag), the four combinators, :not() with a selector list,
// the :first-child family with :nth-*(An+B), :empty, :root, :enabled and the state
// pseudo-classes (:focus, :hover, :active, :current, :checked, :disabled, :readonly, :expanded,
// :collapsed, :popup, :owns-popup). Unquoted attribute values may be any run of characters up to
// ']' or whitespace ("[value=3]"), as the engine's own selectors write them.
class SelectorParser {
public:
    // Longer selector texts, and :not() nested deeper, are rejected: both bound the work a
    // hostile selector can cause.
    static constexpr std::size_t kMaxLength = 4096;
    static constexpr int kMaxNesting = 16;

    // Throws SelectorError; never anything else for any input.
    static SelectorList Parse(std::string_view text);
};

} // namespace html
