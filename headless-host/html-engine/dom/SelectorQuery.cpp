// Tree walks that apply the matcher.
#include "headless-host/html-engine/dom/SelectorQuery.h"

#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/ElementTree.h"
#include "headless-host/html-engine/dom/SelectorCache.h"
#include "headless-host/html-engine/dom/SelectorMatcher.h"
#include "headless-host/html-engine/dom/TreeIndex.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <span>

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

using Candidates = std::span<Element* const>;

// The shortest of the index's lists for the subject's id, classes, attributes and tag: every
// element the selector can match is on each of them. None when the subject names none of these.
std::optional<Candidates> CandidatesOf(const ComplexSelector& selector, const TreeIndex& index) {
    if (selector.compounds.empty()) {
        return Candidates{};
    }
    std::optional<Candidates> shortest;
    for (const auto& simple : selector.compounds.back().simpleSelectors) {
        TreeIndex::Key key = TreeIndex::Key::Tag;
        switch (simple.kind) {
        case SimpleSelector::Kind::Id:
            if (simple.name.empty()) {
                continue; // matches the elements without id, which no list holds
            }
            key = TreeIndex::Key::Id;
            break;
        case SimpleSelector::Kind::Class:
            key = TreeIndex::Key::Class;
            break;
        case SimpleSelector::Kind::Attribute:
            key = TreeIndex::Key::Attribute;
            break;
        case SimpleSelector::Kind::Type:
            key = TreeIndex::Key::Tag;
            break;
        case SimpleSelector::Kind::Universal:
        case SimpleSelector::Kind::PseudoClass:
            continue;
        }
        const std::vector<Element*>* list = index.Find(key, simple.name);
        if (!list) {
            return Candidates{};
        }
        if (!shortest || list->size() < shortest->size()) {
            shortest = Candidates(*list);
        }
    }
    return shortest;
}

// The part of a list in document order that lies strictly inside `scope`: the scope's
// descendants follow it in one run.
Candidates InsideScope(Candidates list, const Element& scope) {
    if (!scope.Parent()) {
        return !list.empty() && list.front() == &scope ? list.subspan(1) : list;
    }
    const auto first = std::partition_point(list.begin(), list.end(), [&scope](const Element* element) {
        return element == &scope || PrecedesInTree(*element, scope);
    });
    const auto last = std::partition_point(
        first, list.end(), [&scope](const Element* element) { return IsInside(*element, scope); });
    return Candidates(first, last);
}

// The candidates of each complex selector of the list, inside the scope; none when one of them
// cannot be looked up and the whole scope has to be walked.
std::optional<std::vector<Candidates>> IndexedCandidates(Element& scope, const SelectorList& selector) {
    const TreeIndex& index = scope.IndexOfTree();
    std::vector<Candidates> candidates;
    candidates.reserve(selector.selectors.size());
    for (const auto& complex : selector.selectors) {
        const std::optional<Candidates> list = CandidatesOf(complex, index);
        if (!list) {
            return std::nullopt;
        }
        candidates.push_back(InsideScope(*list, scope));
    }
    return candidates;
}

SelectorMatcherOptions MatcherOptionsFor(const SelectorList& selector, QueryOptions options) {
    return {.rememberSearches = !options.useIndex || HasSiblingCombinator(selector)};
}

} // namespace

std::vector<std::shared_ptr<Element>> QueryAll(Element& scope, std::string_view selector) {
    return QueryAll(scope, *SelectorCache::Shared().Get(selector));
}

std::vector<std::shared_ptr<Element>> QueryAll(Element& scope, const SelectorList& selector,
                                               QueryOptions options) {
    std::vector<std::shared_ptr<Element>> found;
    SelectorMatcher matcher(&scope, MatcherOptionsFor(selector, options));
    if (auto candidates = options.useIndex ? IndexedCandidates(scope, selector) : std::nullopt) {
        // Each complex selector finds its matches in document order; the lists are merged.
        std::vector<Element*> matched;
        std::vector<Element*> more;
        std::vector<Element*> merged;
        for (std::size_t i = 0; i < candidates->size(); ++i) {
            std::vector<Element*>& into = matched.empty() ? matched : more;
            for (Element* element : (*candidates)[i]) {
                if (matcher.Matches(selector.selectors[i], *element)) {
                    into.push_back(element);
                }
            }
            if (!more.empty()) {
                merged.clear();
                std::merge(matched.begin(), matched.end(), more.begin(), more.end(),
                           std::back_inserter(merged),
                           [](const Element* a, const Element* b) { return PrecedesInTree(*a, *b); });
                merged.erase(std::unique(merged.begin(), merged.end()), merged.end());
                matched.swap(merged);
                more.clear();
            }
        }
        found.reserve(matched.size());
        for (Element* element : matched) {
            found.push_back(HandleOf(*element));
        }
        return found;
    }
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

std::shared_ptr<Element> QueryFirst(Element& scope, const SelectorList& selector, QueryOptions options) {
    std::shared_ptr<Element> found;
    SelectorMatcher matcher(&scope, MatcherOptionsFor(selector, options));
    if (auto candidates = options.useIndex ? IndexedCandidates(scope, selector) : std::nullopt) {
        Element* first = nullptr;
        for (std::size_t i = 0; i < candidates->size(); ++i) {
            for (Element* element : (*candidates)[i]) {
                if (first && !PrecedesInTree(*element, *first)) {
                    break; // an earlier complex selector already matched before this point
                }
                if (matcher.Matches(selector.selectors[i], *element)) {
                    first = element;
                    break;
                }
            }
        }
        return first ? HandleOf(*first) : nullptr;
    }
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
