// Parsed CSS selectors: a list of complex selectors, each a chain of compounds and combinators.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace html {

struct SelectorList;

enum class Combinator {
    None,              // the leftmost compound: nothing further to the left
    Descendant,        // "a b"
    Child,             // "a > b"
    NextSibling,       // "a + b"
    SubsequentSibling, // "a ~ b"
};

enum class AttributeOperator {
    Present,     // [name]
    Equals,      // [name=value]
    Includes,    // [name~=value]: one of the whitespace-separated words
    DashMatch,   // [name|=value]: the value, or the value followed by '-'
    PrefixMatch, // [name^=value]
    SuffixMatch, // [name$=value]
    Substring,   // [name*=value]
};

enum class PseudoClass {
    Root, // the element the query runs on (its scope); the tree's root without a scope
    Not,
    FirstChild,
    LastChild,
    OnlyChild,
    NthChild,
    NthLastChild,
    FirstOfType,
    LastOfType,
    OnlyOfType,
    NthOfType,
    NthLastOfType,
    Empty,
    Enabled, // not in the disabled state
    State,   // :focus, :current, :expanded…: the state bits in SimpleSelector::stateBits are all set
};

// An+B of the :nth-* pseudo-classes: matches the 1-based positions a*n+b for some n >= 0.
struct NthPattern {
    std::int64_t a = 0;
    std::int64_t b = 0;
};

struct SimpleSelector {
    enum class Kind { Universal, Type, Id, Class, Attribute, PseudoClass };

    Kind kind = Kind::Universal;
    // Type: the lower-case tag name; Id and Class: the name; Attribute: the lower-case name.
    std::string name;
    AttributeOperator attributeOperator = AttributeOperator::Present;
    std::string attributeValue;
    bool attributeCaseInsensitive = false; // the " i" flag
    PseudoClass pseudoClass = PseudoClass::Root;
    std::uint32_t stateBits = 0;
    NthPattern nth;
    std::shared_ptr<const SelectorList> argument; // of :not()
};

struct CompoundSelector {
    // How this compound relates to the compound to its left (None for the leftmost).
    Combinator combinator = Combinator::None;
    std::vector<SimpleSelector> simpleSelectors;
};

// Compounds from left to right, as written; matching starts at the last one.
struct ComplexSelector {
    std::vector<CompoundSelector> compounds;
};

struct SelectorList {
    std::vector<ComplexSelector> selectors;
};

} // namespace html
