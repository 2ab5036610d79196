// What the selector parser rejects, and where it says the fault is; and the limits that keep
// hostile selectors cheap.
#include "headless-host/html-engine/dom/SelectorParser.h"
#include "headless-host/html-engine/dom/SelectorError.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace html {
namespace {

using ::testing::HasSubstr;

struct InvalidSelector {
    const char* name;
    std::string text;
    std::string reason;
    std::size_t position;
};

std::ostream& operator<<(std::ostream& out, const InvalidSelector& invalid) {
    return out << invalid.name;
}

class SelectorParserRejects : public ::testing::TestWithParam<InvalidSelector> {};

TEST_P(SelectorParserRejects, WithReasonAndPosition) {
    const InvalidSelector& param = GetParam();
    try {
        SelectorParser::Parse(param.text);
        FAIL() << "accepted: " << param.text;
    } catch (const SelectorError& error) {
        EXPECT_THAT(error.Reason(), HasSubstr(param.reason));
        EXPECT_EQ(error.Position(), param.position) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SelectorParserRejects,
    ::testing::Values(InvalidSelector{"Empty", "", "selector expected", 0},
                      InvalidSelector{"OnlyWhitespace", "   ", "selector expected", 3},
                      InvalidSelector{"EmptyListItem", "a, ,b", "selector expected", 3},
                      InvalidSelector{"TrailingComma", "a,", "selector expected", 2},
                      InvalidSelector{"DanglingCombinator", ".strip >", "selector expected after '>'", 8},
                      InvalidSelector{"DoubleCombinator", "a > > b", "selector expected", 4},
                      InvalidSelector{"LeadingCombinatorInNot", ":not(> a)", "selector expected", 5},
                      InvalidSelector{"UnclosedAttribute", "a[name", "unclosed '['", 1},
                      InvalidSelector{"BadAttributeOperator", "[a!=b]", "attribute operator", 2},
                      InvalidSelector{"MissingAttributeValue", "[a=]", "attribute value expected", 3},
                      InvalidSelector{"UnclosedString", "[a=\"b]", "unclosed string", 3},
                      InvalidSelector{"GarbageAfterValue", "[a=b c]", "']' expected", 5},
                      InvalidSelector{"EmptyId", "div#", "id name expected", 3},
                      InvalidSelector{"EmptyClass", ". x", "class name expected", 0},
                      InvalidSelector{"UnknownPseudoClass", "a:hovered", "unknown pseudo-class ':hovered'",
                                      1},
                      InvalidSelector{"UnknownFunction", "a:has(b)", "unknown pseudo-class function", 1},
                      InvalidSelector{"PseudoElement", "p::before", "pseudo-elements", 2},
                      InvalidSelector{"UnclosedNot", ":not(a", "missing ')'", 6},
                      InvalidSelector{"EmptyNot", ":not()", "selector expected", 5},
                      InvalidSelector{"BadNth", "li:nth-child(2n+)", "An+B expected", 13},
                      InvalidSelector{"NthWithoutClose", "li:nth-child(2", "missing ')'", 13},
                      InvalidSelector{"HugeNth", "li:nth-child(12345678901)", "number too large", 13},
                      InvalidSelector{"Namespace", "svg|rect", "namespaces", 3},
                      InvalidSelector{"StrayCharacter", "a $ b", "selector expected", 2},
                      InvalidSelector{"JunkAfterCompound", "a!", "unexpected '!'", 1},
                      InvalidSelector{"IncompleteEscape", "a\\", "incomplete escape", 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SelectorParserLimits, NestingOfNotIsBounded) {
    std::string nested;
    for (int i = 0; i < SelectorParser::kMaxNesting; ++i) {
        nested += ":not(";
    }
    nested += "a" + std::string(SelectorParser::kMaxNesting, ')');
    EXPECT_NO_THROW(SelectorParser::Parse(nested));
    EXPECT_THROW(SelectorParser::Parse(":not(" + nested + ")"), SelectorError);
}

TEST(SelectorParserLimits, OverlongTextIsRejected) {
    std::string text = "a";
    while (text.size() <= SelectorParser::kMaxLength) {
        text += " a";
    }
    EXPECT_THROW(SelectorParser::Parse(text), SelectorError);
}

TEST(SelectorParserStructure, CompoundsAndCombinatorsAreRecordedLeftToRight) {
    const SelectorList list = SelectorParser::Parse(":root > #tabbed-groups .strip+[panel] ~ a, DIV");
    ASSERT_EQ(list.selectors.size(), 2u);
    const auto& compounds = list.selectors[0].compounds;
    ASSERT_EQ(compounds.size(), 5u);
    EXPECT_EQ(compounds[0].combinator, Combinator::None);
    EXPECT_EQ(compounds[1].combinator, Combinator::Child);
    EXPECT_EQ(compounds[2].combinator, Combinator::Descendant);
    EXPECT_EQ(compounds[3].combinator, Combinator::NextSibling);
    EXPECT_EQ(compounds[4].combinator, Combinator::SubsequentSibling);
    EXPECT_EQ(list.selectors[1].compounds[0].simpleSelectors[0].name, "div");
}

TEST(SelectorParserStructure, EscapesAndQuotesAreDecoded) {
    const SelectorList list = SelectorParser::Parse(R"(#\31 23[title='it\'s'][lang=e\6e])");
    const auto& simple = list.selectors[0].compounds[0].simpleSelectors;
    ASSERT_EQ(simple.size(), 3u);
    EXPECT_EQ(simple[0].name, "123");
    EXPECT_EQ(simple[1].attributeValue, "it's");
    EXPECT_EQ(simple[2].attributeValue, "en");
}

} // namespace
} // namespace html
