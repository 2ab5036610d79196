#include "headless-host/html-engine/runtime/Layout.h"

#include "headless-host/html-engine/dom/AsciiText.h"
#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/ElementState.h"
#include "headless-host/html-engine/dom/Text.h"
#include "headless-host/html-engine/runtime/InlineStyle.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

namespace html {

namespace {

// Deeper trees are not laid out further: it bounds the recursion for hostile markup.
constexpr int kMaxDepth = 1000;

using Boxes = std::unordered_map<const Element*, RECT>;

bool IsOneOf(std::string_view tag, std::initializer_list<std::string_view> tags) {
    return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

bool IsPopup(const Element& element) {
    return element.TagName() == "popup" || (element.State() & ElementState::kPopup) != 0;
}

bool TakesNoSpace(const Element& element) {
    if ((element.State() & ElementState::kCollapsed) != 0 || IsPopup(element) ||
        IsOneOf(element.TagName(), {"head", "script", "style", "link", "meta", "title"})) {
        return true;
    }
    if (auto display = InlineStyle::Get(element, "display");
        display && EqualsAsciiCaseInsensitive(*display, "none")) {
        return true;
    }
    auto visibility = InlineStyle::Get(element, "visibility");
    return visibility && EqualsAsciiCaseInsensitive(*visibility, "collapse");
}

bool IsSingleLineControl(const Element& element) {
    const std::string& tag = element.TagName();
    if (tag == "input" || tag == "button" || tag == "caption") {
        return true;
    }
    if (tag == "select") {
        const std::string* type = element.GetAttribute("type");
        return type != nullptr && (EqualsAsciiCaseInsensitive(*type, "dropdown") ||
                                   EqualsAsciiCaseInsensitive(*type, "select-dropdown"));
    }
    return false;
}

// A list (not a drop-down) select shows as many lines as its "size" says, whatever it holds; 0
// without a size.
std::int32_t ListSize(const Element& element) {
    const std::string& tag = element.TagName();
    const std::string* type = element.GetAttribute("type");
    const bool isList = (tag == "select" && !IsSingleLineControl(element)) ||
                        (tag == "widget" && type != nullptr && EqualsAsciiCaseInsensitive(*type, "select"));
    const std::string* size = element.GetAttribute("size");
    if (!isList || size == nullptr) {
        return 0;
    }
    std::int32_t lines = 0;
    auto [end, error] = std::from_chars(size->data(), size->data() + size->size(), lines);
    return error == std::errc() && end == size->data() + size->size() ? std::clamp(lines, 0, 1000) : 0;
}

std::int32_t TextLines(std::string_view text, std::int32_t width, bool preformatted) {
    const std::int32_t perLine = std::max<std::int32_t>(1, width / Layout::kCharWidth);
    auto linesFor = [perLine](std::size_t characters) {
        return characters == 0 ? 1
                               : static_cast<std::int32_t>((characters + perLine - 1) / std::size_t(perLine));
    };
    if (preformatted) {
        std::int32_t lines = 0;
        std::size_t start = 0;
        while (true) {
            std::size_t end = text.find('\n', start);
            lines += linesFor((end == std::string_view::npos ? text.size() : end) - start);
            if (end == std::string_view::npos) {
                return lines;
            }
            start = end + 1;
        }
    }
    std::size_t characters = 0;
    bool pendingSpace = false;
    for (char c : text) {
        if (IsAsciiWhitespace(c)) {
            pendingSpace = characters > 0;
        } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) { // count code points, not bytes
            characters += pendingSpace ? 2 : 1;
            pendingSpace = false;
        }
    }
    return characters == 0 ? 0 : linesFor(characters);
}

std::int32_t BoxWidth(const Element& element, std::int32_t available) {
    std::int32_t width = InlineStyle::Pixels(element, "width").value_or(available);
    if (auto minimum = InlineStyle::Pixels(element, "min-width")) {
        width = std::max(width, *minimum);
    }
    if (auto maximum = InlineStyle::Pixels(element, "max-width")) {
        width = std::min(width, *maximum);
    }
    return width;
}

// Lays out `element` at (x, y) with `available` width; gives the height it takes.
std::int32_t LayoutBlock(const Element& element, std::int32_t x, std::int32_t y, std::int32_t available,
                         Boxes& boxes, bool shownAnyway, int depth) {
    if (depth > kMaxDepth || (!shownAnyway && TakesNoSpace(element))) {
        boxes[&element] = RECT{x, y, x, y};
        return 0;
    }
    const std::int32_t width = BoxWidth(element, available);
    std::int32_t contentHeight = 0;
    const std::string& tag = element.TagName();
    if (IsSingleLineControl(element)) {
        contentHeight = Layout::kLineHeight;
    } else if (tag == "textarea") {
        int rows = 2;
        if (const std::string* text = element.GetAttribute("rows")) {
            rows = std::clamp(std::atoi(text->c_str()), 1, 1000);
        }
        contentHeight = rows * Layout::kLineHeight;
    } else {
        const bool preformatted = tag == "pre" || tag == "plaintext";
        for (const auto& child : element.Children()) {
            if (child->IsElement()) {
                contentHeight += LayoutBlock(static_cast<const Element&>(*child), x, y + contentHeight, width,
                                             boxes, false, depth + 1);
            } else if (child->Type() == NodeType::Text) {
                contentHeight += TextLines(static_cast<const Text&>(*child).Data(), width, preformatted) *
                                 Layout::kLineHeight;
            }
        }
        if (tag == "plaintext") {
            contentHeight = std::max(contentHeight, Layout::kLineHeight);
        }
        if (std::int32_t lines = ListSize(element); lines > 0) {
            contentHeight = lines * Layout::kLineHeight;
        }
    }
    const std::int32_t height = InlineStyle::Pixels(element, "height").value_or(contentHeight);
    boxes[&element] = RECT{x, y, x + width, y + height};
    return height;
}

} // namespace

void Layout::Compute(const Element& root, std::int32_t viewWidth, std::int32_t viewHeight,
                     const std::vector<std::pair<const Element*, const Element*>>& popups) {
    boxes_.clear();
    LayoutBlock(root, 0, 0, viewWidth, boxes_, true, 0);
    RECT& rootBox = boxes_[&root];
    rootBox.bottom = std::max(rootBox.bottom, viewHeight);
    for (const auto& [popup, anchor] : popups) {
        RECT anchorBox = BorderBox(*anchor);
        LayoutBlock(*popup, anchorBox.left, anchorBox.bottom, anchorBox.right - anchorBox.left, boxes_, true,
                    0);
    }
}

RECT Layout::BorderBox(const Element& element) const {
    auto found = boxes_.find(&element);
    return found != boxes_.end() ? found->second : RECT{0, 0, 0, 0};
}

std::int32_t Layout::IntrinsicHeight(const Element& element, std::int32_t width) {
    Boxes scratch;
    return LayoutBlock(element, 0, 0, width, scratch, true, 0);
}

} // namespace html
