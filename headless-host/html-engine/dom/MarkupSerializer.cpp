// Serialisation without recursion: a tree of any depth is written with an explicit walk.
#include "headless-host/html-engine/dom/MarkupSerializer.h"

#include "headless-host/html-engine/dom/Comment.h"
#include "headless-host/html-engine/dom/Document.h"
#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/Text.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace html {

namespace {

constexpr std::array<std::string_view, 16> kVoidElements = {
    "area",  "base",   "br",   "col",  "embed", "hr",     "img",   "include",
    "input", "keygen", "link", "meta", "param", "source", "track", "wbr"};

bool IsVoid(std::string_view tag) {
    return std::find(kVoidElements.begin(), kVoidElements.end(), tag) != kVoidElements.end();
}
bool IsRawText(std::string_view tag) {
    return tag == "script" || tag == "style" || tag == "xmp";
}

void AppendEscaped(std::string& out, std::string_view text, bool inAttribute) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '\r':
            out += "&#13;";
            break;
        case '"':
            out += inAttribute ? "&quot;" : "\"";
            break;
        case '\xC2':
            if (i + 1 < text.size() && text[i + 1] == '\xA0') {
                out += "&nbsp;";
                ++i;
                break;
            }
            out += c;
            break;
        case '\xEF':
            // U+FEFF at the start of markup would be taken for a byte-order mark and dropped.
            if (text.substr(i, 3) == "\xEF\xBB\xBF") {
                out += "&#xFEFF;";
                i += 2;
                break;
            }
            out += c;
            break;
        default:
            out += c;
        }
    }
}

void AppendStartTag(std::string& out, const Element& element) {
    out += '<';
    out += element.TagName();
    for (const auto& attribute : element.Attributes()) {
        out += ' ';
        out += attribute.name;
        out += "=\"";
        AppendEscaped(out, attribute.value, true);
        out += '"';
    }
    out += '>';
}

void AppendEndTag(std::string& out, const Element& element) {
    out += "</";
    out += element.TagName();
    out += '>';
}

// Writes the nodes of `root`'s subtree in tree order; `includeRoot` decides between outer and
// inner markup of an element root.
void AppendSubtree(std::string& out, const Node& root, bool includeRoot) {
    auto appendLeaf = [&out](const Node& node) {
        if (node.Type() == NodeType::Comment) {
            out += "<!--";
            out += static_cast<const Comment&>(node).Data();
            out += "-->";
            return;
        }
        const auto& data = static_cast<const Text&>(node).Data();
        const Element* parent = node.Parent();
        if (parent && IsRawText(parent->TagName())) {
            out += data;
        } else {
            AppendEscaped(out, data, false);
        }
    };
    if (!root.IsElement()) {
        appendLeaf(root);
        return;
    }
    const auto& rootElement = static_cast<const Element&>(root);
    if (includeRoot) {
        AppendStartTag(out, rootElement);
        if (IsVoid(rootElement.TagName())) {
            return;
        }
    }
    // Enter each element when it is reached; after its last descendant, close the elements whose
    // subtrees end there, innermost first.
    const Node* node = rootElement.Children().empty() ? nullptr : rootElement.Children().front().get();
    while (node) {
        if (node->IsElement()) {
            const auto& element = static_cast<const Element&>(*node);
            AppendStartTag(out, element);
            if (!element.Children().empty() && !IsVoid(element.TagName())) {
                node = element.Children().front().get();
                continue;
            }
            if (!IsVoid(element.TagName())) {
                AppendEndTag(out, element);
            }
        } else {
            appendLeaf(*node);
        }
        // Climb while the current node is the last child, closing its parent each time.
        while (node && node != &rootElement && !node->NextSibling()) {
            node = node->Parent();
            if (node != &rootElement) {
                AppendEndTag(out, static_cast<const Element&>(*node));
            }
        }
        node = (node && node != &rootElement) ? node->NextSibling() : nullptr;
    }
    if (includeRoot) {
        AppendEndTag(out, rootElement);
    }
}

} // namespace

std::string MarkupSerializer::OuterHtml(const Node& node) {
    std::string out;
    AppendSubtree(out, node, true);
    return out;
}

std::string MarkupSerializer::InnerHtml(const Element& element) {
    std::string out;
    AppendSubtree(out, element, false);
    return out;
}

std::string MarkupSerializer::Serialize(const Document& document) {
    std::string out;
    if (document.Doctype()) {
        out += "<!DOCTYPE";
        if (!document.Doctype()->empty()) {
            out += ' ';
            out += *document.Doctype();
        }
        out += '>';
    }
    AppendSubtree(out, *document.Root(), true);
    return out;
}

} // namespace html
