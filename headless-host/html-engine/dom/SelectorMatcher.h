// Tests elements against parsed selectors, right to left.
#pragma once

#include "headless-host/html-engine/dom/Selector.h"

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace html {

class Element;

struct SelectorMatcherOptions {
    // Remember the outcome of every descendant and sibling search, and the sibling positions of
    // every parent seen. That keeps any selector linear in the tree's size but costs allocations on
    // each test. Without it, the latest outcomes go into a small table that forgets, positions among
    // a few siblings are counted on the spot and classes are tested through the element's class
    // summary. Neighbours in document order share most of their searches, so that is cheaper for a
    // selector without sibling combinator (see HasSiblingCombinator); with one, a long run of
    // siblings could be searched again and again. The results are the same either way.
    bool rememberSearches = true;
};

// Whether `a + b` or `a ~ b` occurs in the selectors, in :not() arguments included.
bool HasSiblingCombinator(const SelectorList& selectors);

// One matcher serves a series of tests on a tree that does not change meanwhile (one query). A
// query's work is linear in the tree's size for any selector: a failed descendant or sibling
// search is never retried from further up (no backtracking blow-up), no search runs twice from the
// same element, and sibling positions for :nth-*() are counted once per parent. What a matcher
// remembers refers to the selectors and elements it has seen: use one per query, not longer.
class SelectorMatcher {
public:
    // `scope` is the element ":root" stands for; without one it is the root of each tested
    // element's tree.
    explicit SelectorMatcher(const Element* scope = nullptr, SelectorMatcherOptions options = {})
        : scope_(scope), options_(options) {}

    bool Matches(const SelectorList& selectors, const Element& element);
    bool Matches(const ComplexSelector& selector, const Element& element);

private:
    enum class MatchResult;

    // 1-based positions among the parent's element children, from the start and from the end,
    // among all of them and among those of the same tag.
    struct SiblingPosition {
        std::int64_t child = 0;
        std::int64_t childFromEnd = 0;
        std::int64_t ofType = 0;
        std::int64_t ofTypeFromEnd = 0;
    };

    // The outcome of a descendant or subsequent-sibling search that starts at an element, per
    // compound: searches that reach an element already searched from reuse its outcome, so no
    // element is searched from twice (without this, "a ~ b" over a long list is quadratic).
    struct SearchKey {
        const ComplexSelector* selector;
        std::size_t index;
        const Element* start;
        bool operator==(const SearchKey&) const = default;
    };
    struct SearchKeyHash {
        std::size_t operator()(const SearchKey& key) const;
    };

    MatchResult MatchFrom(const ComplexSelector& selector, std::size_t index, const Element& element,
                          const Element& scope);
    MatchResult Search(const ComplexSelector& selector, std::size_t index, const Element* start,
                       const Element& scope);
    MatchResult SearchRecent(const ComplexSelector& selector, std::size_t index, const Element* start,
                             const Element& scope);
    bool MatchesCompound(const CompoundSelector& compound, const Element& element, const Element& scope);
    bool MatchesPseudoClass(const SimpleSelector& selector, const Element& element, const Element& scope);
    const SiblingPosition& PositionOf(const Element& element);

    const Element* scope_;
    SelectorMatcherOptions options_;
    std::unordered_set<const Element*> indexedParents_;
    std::unordered_map<const Element*, SiblingPosition> positions_;
    std::unordered_map<SearchKey, MatchResult, SearchKeyHash> searches_;

    struct RecentSearch {
        SearchKey key{};
        MatchResult result{};
    };
    static constexpr unsigned kRecentSearchBits = 7;
    static constexpr std::size_t kRecentSearches = std::size_t{1} << kRecentSearchBits;
    std::vector<RecentSearch> recentSearches_; // sized on first use
};

} // namespace html
