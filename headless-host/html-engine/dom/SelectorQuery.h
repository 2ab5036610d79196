// The element queries the engine offers: find all, find first, test, and find the nearest ancestor.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

namespace html {

class Element;
struct SelectorList;

// How QueryAll and QueryFirst find their elements; the results do not depend on it.
struct QueryOptions {
    // Take the candidates from the tree's index (see TreeIndex) by the subject's id, class,
    // attribute or tag, and match without the matcher's memo tables where the selector allows.
    // Without it every descendant of the scope goes through a remembering SelectorMatcher: the
    // reference the indexed path is tested against.
    bool useIndex = true;
};

// The overloads taking text parse it through SelectorCache::Shared() and throw SelectorError for
// an invalid selector. In all of them ":root" stands for the scope: the element the query runs
// on, or for Matches and Closest without a scope, the root of the element's tree.

// Every descendant of `scope` (not `scope` itself) that matches, in document order. Compounds
// left of the subject may match ancestors of the scope, as in querySelectorAll.
std::vector<std::shared_ptr<Element>> QueryAll(Element& scope, std::string_view selector);
std::vector<std::shared_ptr<Element>> QueryAll(Element& scope, const SelectorList& selector,
                                               QueryOptions options = {});

// The first such descendant, or null.
std::shared_ptr<Element> QueryFirst(Element& scope, std::string_view selector);
std::shared_ptr<Element> QueryFirst(Element& scope, const SelectorList& selector, QueryOptions options = {});

bool Matches(const Element& element, std::string_view selector, const Element* scope = nullptr);
bool Matches(const Element& element, const SelectorList& selector, const Element* scope = nullptr);

// The nearest ancestor of `element` (the element itself excluded) that matches, looking at most
// `maxDepth` levels up (the parent is level 1; 0 means no limit); null when none does.
std::shared_ptr<Element> Closest(Element& element, std::string_view selector, int maxDepth);
std::shared_ptr<Element> Closest(Element& element, const SelectorList& selector, int maxDepth);

} // namespace html
