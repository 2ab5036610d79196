// Right-to-left matching of complex selectors, with failure kinds that cut the search short.
#include "headless-host/html-engine/dom/SelectorMatcher.h"

#include "headless-host/html-engine/dom/AsciiText.h"
#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/ElementState.h"
#include "headless-host/html-engine/dom/Text.h"

#include <array>
#include <functional>
#include <string_view>
#include <vector>

namespace html {

namespace {

const Element& TreeRoot(const Element& element) {
    const Element* root = &element;
    while (root->Parent()) {
        root = root->Parent();
    }
    return *root;
}

bool MatchesNth(const NthPattern& pattern, std::int64_t position) {
    if (pattern.a == 0) {
        return position == pattern.b;
    }
    const std::int64_t offset = position - pattern.b;
    return offset % pattern.a == 0 && offset / pattern.a >= 0;
}

bool ContainsWord(std::string_view text, std::string_view word, bool caseInsensitive) {
    while (!text.empty()) {
        std::size_t start = 0;
        while (start < text.size() && IsAsciiWhitespace(text[start])) {
            ++start;
        }
        std::size_t end = start;
        while (end < text.size() && !IsAsciiWhitespace(text[end])) {
            ++end;
        }
        const std::string_view candidate = text.substr(start, end - start);
        if (caseInsensitive ? EqualsAsciiCaseInsensitive(candidate, word) : candidate == word) {
            return true;
        }
        text.remove_prefix(end);
    }
    return false;
}

bool MatchesAttribute(const SimpleSelector& selector, const Element& element) {
    const std::string* actual = element.GetAttribute(selector.name);
    if (!actual) {
        return false;
    }
    const std::string_view value = *actual;
    const std::string_view wanted = selector.attributeValue;
    const bool ci = selector.attributeCaseInsensitive;
    auto equal = [ci](std::string_view a, std::string_view b) {
        return ci ? EqualsAsciiCaseInsensitive(a, b) : a == b;
    };
    switch (selector.attributeOperator) {
    case AttributeOperator::Present:
        return true;
    case AttributeOperator::Equals:
        return equal(value, wanted);
    case AttributeOperator::Includes:
        // A wanted word that is empty or holds whitespace can never be one of the words.
        for (char c : wanted) {
            if (IsAsciiWhitespace(c)) {
                return false;
            }
        }
        return !wanted.empty() && ContainsWord(value, wanted, ci);
    case AttributeOperator::DashMatch:
        return equal(value, wanted) || (value.size() > wanted.size() && value[wanted.size()] == '-' &&
                                        equal(value.substr(0, wanted.size()), wanted));
    case AttributeOperator::PrefixMatch:
        return !wanted.empty() && value.size() >= wanted.size() &&
               equal(value.substr(0, wanted.size()), wanted);
    case AttributeOperator::SuffixMatch:
        return !wanted.empty() && value.size() >= wanted.size() &&
               equal(value.substr(value.size() - wanted.size()), wanted);
    case AttributeOperator::Substring:
        if (wanted.empty() || value.size() < wanted.size()) {
            return false;
        }
        for (std::size_t i = 0; i + wanted.size() <= value.size(); ++i) {
            if (equal(value.substr(i, wanted.size()), wanted)) {
                return true;
            }
        }
        return false;
    }
    return false;
}

bool IsEmpty(const Element& element) {
    for (const auto& child : element.Children()) {
        if (child->IsElement() ||
            (child->Type() == NodeType::Text && !static_cast<const Text&>(*child).Data().empty())) {
            return false;
        }
    }
    return true;
}

// Everything but pseudo-classes, which need the matcher's state.
bool MatchesSimple(const SimpleSelector& selector, const Element& element, bool quickClasses) {
    switch (selector.kind) {
    case SimpleSelector::Kind::Universal:
        return true;
    case SimpleSelector::Kind::Type:
        return element.TagName() == selector.name;
    case SimpleSelector::Kind::Id:
        return element.Id() == selector.name;
    case SimpleSelector::Kind::Class:
        return quickClasses ? element.HasClassQuickly(selector.name) : element.HasClass(selector.name);
    case SimpleSelector::Kind::Attribute:
        return MatchesAttribute(selector, element);
    case SimpleSelector::Kind::PseudoClass:
        break;
    }
    return false;
}

} // namespace

bool HasSiblingCombinator(const SelectorList& selectors) {
    for (const auto& selector : selectors.selectors) {
        for (const auto& compound : selector.compounds) {
            if (compound.combinator == Combinator::NextSibling ||
                compound.combinator == Combinator::SubsequentSibling) {
                return true;
            }
            for (const auto& simple : compound.simpleSelectors) {
                if (simple.argument && HasSiblingCombinator(*simple.argument)) {
                    return true;
                }
            }
        }
    }
    return false;
}

// How a failed match restricts the search of the compounds to its right. A descendant combinator
// that met NotMatchedGlobally knows no ancestor further up can help, so it stops instead of
// trying each of them: this keeps "a b c d…" linear in the depth of the tree.
enum class SelectorMatcher::MatchResult {
    Matched,
    NotMatchedAndRestartFromClosestLaterSibling,
    NotMatchedAndRestartFromClosestDescendant,
    NotMatchedGlobally,
};

bool SelectorMatcher::Matches(const SelectorList& selectors, const Element& element) {
    for (const auto& selector : selectors.selectors) {
        if (Matches(selector, element)) {
            return true;
        }
    }
    return false;
}

bool SelectorMatcher::Matches(const ComplexSelector& selector, const Element& element) {
    const Element& scope = scope_ ? *scope_ : TreeRoot(element);
    return !selector.compounds.empty() &&
           MatchFrom(selector, selector.compounds.size() - 1, element, scope) == MatchResult::Matched;
}

// Matches compounds[0..index] with compounds[index] on `element`.
SelectorMatcher::MatchResult SelectorMatcher::MatchFrom(const ComplexSelector& selector, std::size_t index,
                                                        const Element& element, const Element& scope) {
    const CompoundSelector& compound = selector.compounds[index];
    if (!MatchesCompound(compound, element, scope)) {
        return MatchResult::NotMatchedAndRestartFromClosestLaterSibling;
    }
    auto matchLeft = [&](const Element& candidate) {
        return MatchFrom(selector, index - 1, candidate, scope);
    };
    auto isFinal = [](MatchResult result) {
        return result == MatchResult::Matched || result == MatchResult::NotMatchedGlobally;
    };
    switch (compound.combinator) {
    case Combinator::None:
        return MatchResult::Matched;
    case Combinator::Child: {
        const Element* parent = element.Parent();
        if (!parent) {
            return MatchResult::NotMatchedGlobally;
        }
        const MatchResult result = matchLeft(*parent);
        // Another ancestor may still serve a descendant combinator further left.
        return isFinal(result) ? result : MatchResult::NotMatchedAndRestartFromClosestDescendant;
    }
    case Combinator::Descendant:
        return Search(selector, index, element.Parent(), scope);
    case Combinator::NextSibling: {
        const Element* sibling = element.PreviousElementSibling();
        if (!sibling) {
            return MatchResult::NotMatchedAndRestartFromClosestDescendant;
        }
        return matchLeft(*sibling);
    }
    case Combinator::SubsequentSibling:
        return Search(selector, index, element.PreviousElementSibling(), scope);
    }
    return MatchResult::NotMatchedGlobally;
}

// The search of a descendant combinator (up the ancestors) or of a subsequent-sibling combinator
// (back over the previous siblings) for compounds[0..index-1], starting at `start`. Every element
// it passes shares its outcome: a search starting there would have gone the same way.
SelectorMatcher::MatchResult SelectorMatcher::Search(const ComplexSelector& selector, std::size_t index,
                                                     const Element* start, const Element& scope) {
    if (!options_.rememberSearches) {
        return SearchRecent(selector, index, start, scope);
    }
    const bool upward = selector.compounds[index].combinator == Combinator::Descendant;
    // Where the search stops: a descendant search only at a final outcome; a sibling search also
    // when the compounds further left need another parent.
    auto stops = [upward](MatchResult result) {
        return result == MatchResult::Matched || result == MatchResult::NotMatchedGlobally ||
               (!upward && result == MatchResult::NotMatchedAndRestartFromClosestDescendant);
    };
    MatchResult outcome =
        upward ? MatchResult::NotMatchedGlobally : MatchResult::NotMatchedAndRestartFromClosestDescendant;
    std::vector<const Element*> passed;
    for (const Element* candidate = start; candidate;
         candidate = upward ? candidate->Parent() : candidate->PreviousElementSibling()) {
        if (auto known = searches_.find({&selector, index, candidate}); known != searches_.end()) {
            outcome = known->second;
            break;
        }
        passed.push_back(candidate);
        const MatchResult result = MatchFrom(selector, index - 1, *candidate, scope);
        if (stops(result)) {
            outcome = result;
            break;
        }
    }
    for (const Element* candidate : passed) {
        searches_.emplace(SearchKey{&selector, index, candidate}, outcome);
    }
    return outcome;
}

// Search without the memo table: the outcomes go into a small table that forgets on collisions.
// Tests run in document order, so neighbours share most of their searches and most lookups hit.
SelectorMatcher::MatchResult SelectorMatcher::SearchRecent(const ComplexSelector& selector, std::size_t index,
                                                           const Element* start, const Element& scope) {
    const bool upward = selector.compounds[index].combinator == Combinator::Descendant;
    if (recentSearches_.empty()) {
        recentSearches_.resize(kRecentSearches);
    }
    // Elements are aligned, so the low bits of their addresses say nothing: take the high bits of
    // a product instead.
    auto slotOf = [this](const SearchKey& key) -> RecentSearch& {
        const auto bits = reinterpret_cast<std::uintptr_t>(key.start) ^
                          (reinterpret_cast<std::uintptr_t>(key.selector) + key.index);
        return recentSearches_[(bits * 0x9E3779B97F4A7C15ull) >> (64 - kRecentSearchBits)];
    };
    MatchResult outcome =
        upward ? MatchResult::NotMatchedGlobally : MatchResult::NotMatchedAndRestartFromClosestDescendant;
    constexpr std::size_t kRememberedPerSearch = 16;
    std::array<const Element*, kRememberedPerSearch> passed;
    std::size_t passedCount = 0;
    for (const Element* candidate = start; candidate;
         candidate = upward ? candidate->Parent() : candidate->PreviousElementSibling()) {
        const SearchKey key{&selector, index, candidate};
        if (const RecentSearch& recent = slotOf(key); recent.key == key) {
            outcome = recent.result;
            break;
        }
        if (passedCount < passed.size()) {
            passed[passedCount++] = candidate;
        }
        const MatchResult result = MatchFrom(selector, index - 1, *candidate, scope);
        if (result == MatchResult::Matched || result == MatchResult::NotMatchedGlobally ||
            (!upward && result == MatchResult::NotMatchedAndRestartFromClosestDescendant)) {
            outcome = result;
            break;
        }
    }
    for (std::size_t i = 0; i < passedCount; ++i) {
        const SearchKey key{&selector, index, passed[i]};
        slotOf(key) = {key, outcome};
    }
    return outcome;
}

std::size_t SelectorMatcher::SearchKeyHash::operator()(const SearchKey& key) const {
    const std::size_t h1 = std::hash<const void*>{}(key.selector);
    const std::size_t h2 = std::hash<const void*>{}(key.start);
    return (h1 * 31 + key.index) * 1000003u ^ h2;
}

bool SelectorMatcher::MatchesCompound(const CompoundSelector& compound, const Element& element,
                                      const Element& scope) {
    for (const auto& simple : compound.simpleSelectors) {
        const bool matched = simple.kind == SimpleSelector::Kind::PseudoClass
                                 ? MatchesPseudoClass(simple, element, scope)
                                 : MatchesSimple(simple, element, !options_.rememberSearches);
        if (!matched) {
            return false;
        }
    }
    return true;
}

bool SelectorMatcher::MatchesPseudoClass(const SimpleSelector& selector, const Element& element,
                                         const Element& scope) {
    const PseudoClass kind = selector.pseudoClass;
    const bool countsSiblings = kind != PseudoClass::Root && kind != PseudoClass::Not &&
                                kind != PseudoClass::Empty && kind != PseudoClass::Enabled &&
                                kind != PseudoClass::State;
    if (countsSiblings && !element.Parent()) {
        return false; // a root has no siblings, so it is no first, last or nth child
    }
    // Without the memo tables, positions among a few siblings are counted on the spot.
    constexpr std::size_t kCountOnTheSpotLimit = 32;
    if (countsSiblings && !options_.rememberSearches &&
        element.Parent()->Children().size() <= kCountOnTheSpotLimit) {
        const auto& siblings = element.Parent()->Children();
        auto count = [&element, &siblings](bool fromEnd, bool ofType) {
            const std::size_t self = element.IndexInParent();
            const std::size_t begin = fromEnd ? self + 1 : 0;
            const std::size_t end = fromEnd ? siblings.size() : self;
            std::int64_t position = 1;
            for (std::size_t i = begin; i < end; ++i) {
                const Node& node = *siblings[i];
                if (node.IsElement() &&
                    (!ofType || static_cast<const Element&>(node).TagName() == element.TagName())) {
                    ++position;
                }
            }
            return position;
        };
        switch (selector.pseudoClass) {
        case PseudoClass::FirstChild:
            return count(false, false) == 1;
        case PseudoClass::LastChild:
            return count(true, false) == 1;
        case PseudoClass::OnlyChild:
            return count(false, false) == 1 && count(true, false) == 1;
        case PseudoClass::NthChild:
            return MatchesNth(selector.nth, count(false, false));
        case PseudoClass::NthLastChild:
            return MatchesNth(selector.nth, count(true, false));
        case PseudoClass::FirstOfType:
            return count(false, true) == 1;
        case PseudoClass::LastOfType:
            return count(true, true) == 1;
        case PseudoClass::OnlyOfType:
            return count(false, true) == 1 && count(true, true) == 1;
        case PseudoClass::NthOfType:
            return MatchesNth(selector.nth, count(false, true));
        case PseudoClass::NthLastOfType:
            return MatchesNth(selector.nth, count(true, true));
        case PseudoClass::Root:
        case PseudoClass::Not:
        case PseudoClass::Empty:
        case PseudoClass::Enabled:
        case PseudoClass::State:
            break;
        }
    }
    switch (selector.pseudoClass) {
    case PseudoClass::Root:
        return &element == &scope;
    case PseudoClass::Not: {
        // The argument is matched with the same scope; its positions are the same tree's.
        for (const auto& complex : selector.argument->selectors) {
            if (!complex.compounds.empty() &&
                MatchFrom(complex, complex.compounds.size() - 1, element, scope) == MatchResult::Matched) {
                return false;
            }
        }
        return true;
    }
    case PseudoClass::FirstChild:
        return PositionOf(element).child == 1;
    case PseudoClass::LastChild:
        return PositionOf(element).childFromEnd == 1;
    case PseudoClass::OnlyChild:
        return PositionOf(element).child == 1 && PositionOf(element).childFromEnd == 1;
    case PseudoClass::NthChild:
        return MatchesNth(selector.nth, PositionOf(element).child);
    case PseudoClass::NthLastChild:
        return MatchesNth(selector.nth, PositionOf(element).childFromEnd);
    case PseudoClass::FirstOfType:
        return PositionOf(element).ofType == 1;
    case PseudoClass::LastOfType:
        return PositionOf(element).ofTypeFromEnd == 1;
    case PseudoClass::OnlyOfType:
        return PositionOf(element).ofType == 1 && PositionOf(element).ofTypeFromEnd == 1;
    case PseudoClass::NthOfType:
        return MatchesNth(selector.nth, PositionOf(element).ofType);
    case PseudoClass::NthLastOfType:
        return MatchesNth(selector.nth, PositionOf(element).ofTypeFromEnd);
    case PseudoClass::Empty:
        return IsEmpty(element);
    case PseudoClass::Enabled:
        return (element.State() & ElementState::kDisabled) == 0;
    case PseudoClass::State:
        return (element.State() & selector.stateBits) == selector.stateBits;
    }
    return false;
}

// Counts the positions of all element children of the parent in one pass, the first time any of
// them is asked for.
const SelectorMatcher::SiblingPosition& SelectorMatcher::PositionOf(const Element& element) {
    const Element* parent = element.Parent();
    if (indexedParents_.insert(parent).second) {
        std::unordered_map<std::string_view, std::int64_t> perType;
        std::int64_t count = 0;
        for (const auto& child : parent->Children()) {
            if (child->IsElement()) {
                const auto& sibling = static_cast<const Element&>(*child);
                auto& position = positions_[&sibling];
                position.child = ++count;
                position.ofType = ++perType[sibling.TagName()];
            }
        }
        for (const auto& child : parent->Children()) {
            if (child->IsElement()) {
                const auto& sibling = static_cast<const Element&>(*child);
                auto& position = positions_[&sibling];
                position.childFromEnd = count - position.child + 1;
                position.ofTypeFromEnd = perType[sibling.TagName()] - position.ofType + 1;
            }
        }
    }
    return positions_[&element];
}

} // namespace html
