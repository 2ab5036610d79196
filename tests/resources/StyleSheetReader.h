// A reader of the style sheets' plain rule syntax, strict enough to catch what a CSS parser would
// silently drop: unbalanced braces or quotes, nested blocks, declarations without a colon.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace resources_test {

struct StyleDeclaration {
    std::string property;
    std::string value;
};

struct StyleRule {
    std::string selectorText; // the selector list as written, trimmed
    std::vector<StyleDeclaration> declarations;
    std::size_t line = 0; // 1-based line of the selector
};

// The rules in order. The style sheets use neither at-rules nor nesting, so both are errors here.
// Throws std::runtime_error naming the line of the first fault.
std::vector<StyleRule> ReadStyleSheet(std::string_view text);

// The targets of the url(...) references of a value, quotes removed, in order.
std::vector<std::string> UrlReferences(std::string_view value);

} // namespace resources_test
