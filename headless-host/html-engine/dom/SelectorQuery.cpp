// Tree walks that apply the matcher.
#include "headless-host/html-engine/dom/SelectorQuery.h"

#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/SelectorCache.h"
#include "headless-host/html-engine/dom/SelectorMatcher.h"

namespace html {

namespace {

std::shared_ptr<Element> HandleOf(Element& element) {
    return std::static_pointer_cast<Element>(element.shared_from_this());
}

// Calls `visit` for each descendant element of `scope` in document order until it returns false.
template <typename Visit>
void ForEachDescendantElement(Element& scope, Visit visit) {
    for (Node* node = NextInTreeOrder(scope, scope); node; node = NextInTreeOrder(*node, scope)) {
        if (node->IsElement() && !visit(static_cast<Element&>(*node))) {
            return;
        }
    }
}

} // namespace

std::vector<std::shared_ptr<Element>> QueryAll(Element& scope, std::string_view selector) {
    return QueryAll(scope, *SelectorCache::Shared().Get(selector));
}

std::vector<std::shared_ptr<Element>> QueryAll(Element& scope, const SelectorList& selector) {
    std::vector<std::shared_ptr<Element>> found;
    SelectorMatcher matcher(&scope);
    ForEachDescendantElement(scope, [&](Element& element) {
        if (matcher.Matches(selector, element)) {
            found.push_back(HandleOf(element));
        }
        return true;
    });
    return found;
}

std::shared_ptr<Element> QueryFirst(Element& scope, std::string_view selector) {
    return QueryFirst(scope, *SelectorCache::Shared().Get(selector));
}

std::shared_ptr<Element> QueryFirst(Element& scope, const SelectorList& selector) {
    std::shared_ptr<Element> found;
    SelectorMatcher matcher(&scope);
    ForEachDescendantElement(scope, [&](Element& element) {
        if (matcher.Matches(selector, element)) {
            found = HandleOf(element);
            return false;
        }
        return true;
    });
    return found;
}

bool Matches(const Element& element, std::string_view selector, const Element* scope) {
    return SelectorMatcher(scope).Matches(*SelectorCache::Shared().Get(selector), element);
}

bool Matches(const Element& element, const SelectorList& selector, const Element* scope) {
    return SelectorMatcher(scope).Matches(selector, element);
}

std::shared_ptr<Element> Closest(Element& element, std::string_view selector, int maxDepth) {
    return Closest(element, *SelectorCache::Shared().Get(selector), maxDepth);
}

std::shared_ptr<Element> Closest(Element& element, const SelectorList& selector, int maxDepth) {
    SelectorMatcher matcher;
    int depth = 1;
    for (Element* ancestor = element.Parent(); ancestor && (maxDepth <= 0 || depth <= maxDepth);
         ancestor = ancestor->Parent(), ++depth) {
        if (matcher.Matches(selector, *ancestor)) {
            return HandleOf(*ancestor);
        }
    }
    return nullptr;
}

} // namespace html
