#include "headless-host/html-engine/runtime/InlineStyle.h"

#include "headless-host/html-engine/dom/AsciiText.h"
#include "headless-host/html-engine/dom/Element.h"

#include <charconv>
#include <vector>

namespace html {

namespace {

struct Declaration {
    std::string property; // lower-case
    std::string value;
};

// Declarations without a ':' are dropped, as a style sheet parser would.
std::vector<Declaration> Parse(std::string_view style) {
    std::vector<Declaration> declarations;
    while (!style.empty()) {
        std::size_t end = style.find(';');
        std::string_view declaration = style.substr(0, end);
        style = end == std::string_view::npos ? std::string_view() : style.substr(end + 1);
        std::size_t colon = declaration.find(':');
        if (colon == std::string_view::npos) {
            continue;
        }
        std::string_view property = TrimAsciiWhitespace(declaration.substr(0, colon));
        if (!property.empty()) {
            declarations.push_back(
                {ToAsciiLower(property), std::string(TrimAsciiWhitespace(declaration.substr(colon + 1)))});
        }
    }
    return declarations;
}

} // namespace

std::optional<std::string> InlineStyle::Get(const Element& element, std::string_view property) {
    const std::string* style = element.GetAttribute("style");
    if (style == nullptr) {
        return std::nullopt;
    }
    std::optional<std::string> found;
    for (auto& declaration : Parse(*style)) {
        if (EqualsAsciiCaseInsensitive(declaration.property, TrimAsciiWhitespace(property))) {
            found = std::move(declaration.value); // the last declaration wins
        }
    }
    return found;
}

void InlineStyle::Set(Element& element, std::string_view property, std::string_view value) {
    const std::string* style = element.GetAttribute("style");
    std::vector<Declaration> declarations = style ? Parse(*style) : std::vector<Declaration>();
    const std::string name = ToAsciiLower(TrimAsciiWhitespace(property));
    value = TrimAsciiWhitespace(value);
    bool replaced = false;
    for (auto it = declarations.begin(); it != declarations.end();) {
        if (it->property != name) {
            ++it;
        } else if (!replaced && !value.empty()) {
            it->value = std::string(value);
            replaced = true;
            ++it;
        } else {
            it = declarations.erase(it);
        }
    }
    if (!replaced && !value.empty()) {
        declarations.push_back({name, std::string(value)});
    }
    if (declarations.empty()) {
        element.RemoveAttribute("style");
        return;
    }
    std::string text;
    for (const auto& declaration : declarations) {
        if (!text.empty()) {
            text += ' ';
        }
        text += declaration.property + ": " + declaration.value + ";";
    }
    element.SetAttribute("style", std::move(text));
}

std::optional<int> InlineStyle::Pixels(const Element& element, std::string_view property) {
    std::optional<std::string> value = Get(element, property);
    if (!value) {
        return std::nullopt;
    }
    std::string_view text = *value;
    if (text.size() > 2 && EqualsAsciiCaseInsensitive(text.substr(text.size() - 2), "px")) {
        text.remove_suffix(2);
    }
    text = TrimAsciiWhitespace(text);
    double number = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || number < 0 ||
        number > 1e6) {
        return std::nullopt;
    }
    return static_cast<int>(number);
}

} // namespace html
