// libFuzzer harness for the selector parser and matcher: any text either parses or fails with a
// SelectorError, and a parsed selector runs over a small page.
#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/ElementState.h"
#include "headless-host/html-engine/dom/MarkupParser.h"
#include "headless-host/html-engine/dom/SelectorError.h"
#include "headless-host/html-engine/dom/SelectorMatcher.h"
#include "headless-host/html-engine/dom/SelectorParser.h"
#include "headless-host/html-engine/dom/SelectorQuery.h"

#include <cstdint>
#include <string_view>

namespace {

const html::Document& Page() {
    static const html::Document page = [] {
        html::Document document = html::MarkupParser().ParseDocument(
            "<body class=properties-panel-body><div class=panel-content><div id=no-items-msg localize>x</div>"
            "<div id=tabbed-groups><div class='strip icon-tabs-container'><div class=props-tab panel=general "
            "display-name=General></div><div class=props-tab panel=values></div></div><div "
            "class=panels-container>"
            "<div class=props-panel name=general><popup class='edit-popup a'><widget type=select><option "
            "value=1>"
            "</option><option value=2 lv='x y'></option></widget></popup></div></div></div></div></body>");
        auto tab = html::QueryFirst(*document.Root(), ".props-tab");
        tab->SetState(html::ElementState::kCurrent | html::ElementState::kExpanded, 0);
        return document;
    }();
    return page;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const html::SelectorList selector = html::SelectorParser::Parse(text);
        html::Element& root = *Page().Root();
        html::QueryAll(root, selector);
        if (auto scope = html::QueryFirst(root, ".panel-content")) {
            html::QueryAll(*scope, selector);
        }
    } catch (const html::SelectorError&) {
    }
    return 0;
}
