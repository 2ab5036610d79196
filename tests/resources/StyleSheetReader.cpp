// Reads the rules of a style sheet: comments, selector lists, declaration blocks.
#include "tests/resources/StyleSheetReader.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace resources_test {

namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

[[noreturn]] void Fail(std::string_view text, std::size_t offset, const std::string& message) {
    const auto line = 1 + std::count(text.begin(), text.begin() + std::min(offset, text.size()), '\n');
    throw std::runtime_error("line " + std::to_string(line) + ": " + message);
}

// Comments become blanks of the same length, so that offsets and lines stay those of the file.
std::string BlankComments(std::string_view text) {
    std::string out(text);
    std::size_t start = out.find("/*");
    while (start != std::string::npos) {
        const std::size_t close = out.find("*/", start + 2);
        if (close == std::string::npos) {
            Fail(text, start, "comment not closed");
        }
        for (std::size_t i = start; i < close + 2; ++i) {
            if (out[i] != '\n') {
                out[i] = ' ';
            }
        }
        start = out.find("/*", close + 2);
    }
    return out;
}

// The offset of the first of `stops` at or after `from`, outside quotes and parentheses; npos at
// the end of the text.
std::size_t FindOutside(std::string_view text, std::size_t from, std::string_view stops) {
    char quote = 0;
    int parentheses = 0;
    for (std::size_t i = from; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            } else if (c == '\n') {
                Fail(text, i, "string not closed on its line");
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '(') {
            ++parentheses;
        } else if (c == ')') {
            if (--parentheses < 0) {
                Fail(text, i, "')' without '('");
            }
        } else if (parentheses == 0 && stops.find(c) != std::string_view::npos) {
            return i;
        }
    }
    if (quote != 0) {
        Fail(text, text.size(), "string not closed");
    }
    return std::string_view::npos;
}

bool IsPropertyName(std::string_view name) {
    if (name.empty() || name.front() == '-' || name.back() == '-') {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [](char c) { return (c >= 'a' && c <= 'z') || c == '-'; });
}

} // namespace

std::vector<StyleRule> ReadStyleSheet(std::string_view original) {
    const std::string blanked = BlankComments(original);
    const std::string_view text = blanked;
    std::vector<StyleRule> rules;
    std::size_t pos = 0;
    for (;;) {
        while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) {
            ++pos;
        }
        if (pos >= text.size()) {
            return rules;
        }
        if (text[pos] == '@') {
            Fail(text, pos, "at-rules are not used in these style sheets");
        }
        const std::size_t open = FindOutside(text, pos, "{};");
        if (open == std::string_view::npos || text[open] != '{') {
            Fail(text, pos, "selector without a declaration block");
        }
        StyleRule rule;
        rule.selectorText = std::string(Trim(text.substr(pos, open - pos)));
        rule.line = 1 + std::count(text.begin(), text.begin() + pos, '\n');
        if (rule.selectorText.empty()) {
            Fail(text, pos, "declaration block without a selector");
        }
        const std::size_t close = FindOutside(text, open + 1, "{}");
        if (close == std::string_view::npos) {
            Fail(text, open, "declaration block not closed");
        }
        if (text[close] == '{') {
            Fail(text, close, "nested blocks are not used in these style sheets");
        }
        std::size_t start = open + 1;
        while (start < close) {
            std::size_t end = FindOutside(text.substr(0, close), start, ";");
            if (end == std::string_view::npos) {
                end = close;
            }
            const std::string_view declaration = Trim(text.substr(start, end - start));
            if (!declaration.empty()) {
                const std::size_t colon = declaration.find(':');
                if (colon == std::string_view::npos) {
                    Fail(text, start, "declaration without ':'");
                }
                StyleDeclaration parsed{std::string(Trim(declaration.substr(0, colon))),
                                        std::string(Trim(declaration.substr(colon + 1)))};
                if (!IsPropertyName(parsed.property)) {
                    Fail(text, start, "'" + parsed.property + "' is not a property name");
                }
                if (parsed.value.empty()) {
                    Fail(text, start, "'" + parsed.property + "' has no value");
                }
                rule.declarations.push_back(std::move(parsed));
            }
            start = end + 1;
        }
        rules.push_back(std::move(rule));
        pos = close + 1;
    }
}

std::vector<std::string> UrlReferences(std::string_view value) {
    std::vector<std::string> urls;
    std::size_t start = value.find("url(");
    while (start != std::string_view::npos) {
        const std::size_t close = value.find(')', start);
        if (close == std::string_view::npos) {
            break;
        }
        std::string_view target = Trim(value.substr(start + 4, close - start - 4));
        if (target.size() >= 2 && (target.front() == '"' || target.front() == '\'') &&
            target.back() == target.front()) {
            target = target.substr(1, target.size() - 2);
        }
        urls.emplace_back(target);
        start = value.find("url(", close);
    }
    return urls;
}

} // namespace resources_test
