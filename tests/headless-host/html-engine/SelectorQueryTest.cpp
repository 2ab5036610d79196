// The query entry points beyond "find all": find first, test with a scope, the nearest ancestor
// within a depth, errors the caller sees, and the parsed-selector cache.
#include "headless-host/html-engine/dom/SelectorQuery.h"
#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/MarkupParser.h"
#include "headless-host/html-engine/dom/SelectorCache.h"
#include "headless-host/html-engine/dom/SelectorError.h"

#include <gtest/gtest.h>

namespace html {
namespace {

class SelectorQuery : public ::testing::Test {
protected:
    SelectorQuery()
        : document_(MarkupParser().ParseDocument(
              "<body><div class=props-panel name=general>"
              "<div class=pg-view><div class=a><div class=b><div class=c><div class=pg-tab id=tab>"
              "<span id=deep></span></div></div></div></div></div></div></body>")) {}

    std::shared_ptr<Element> Find(const char* selector) { return QueryFirst(*document_.Root(), selector); }

    Document document_;
};

TEST_F(SelectorQuery, ClosestLooksOnlyAtAncestorsWithinTheDepth) {
    auto tab = Find("#tab");
    EXPECT_EQ(*Closest(*tab, ".pg-view", 5)->GetAttribute("class"), "pg-view"); // four levels up
    EXPECT_EQ(Closest(*tab, ".pg-view", 3), nullptr);
    EXPECT_NE(Closest(*tab, ".props-panel", 5), nullptr); // five levels up
    EXPECT_EQ(Closest(*tab, ".props-panel", 4), nullptr);
    EXPECT_EQ(Closest(*tab, "body", 5), nullptr);           // six levels up
    EXPECT_EQ(Closest(*tab, "body", 0)->TagName(), "body"); // no limit
    EXPECT_EQ(Closest(*tab, ".pg-tab", 5), nullptr);        // the element itself is no ancestor
}

TEST_F(SelectorQuery, MatchesTakesRootFromTheScope) {
    auto view = Find(".pg-view");
    auto a = Find(".a");
    EXPECT_TRUE(Matches(*a, ":root > .a", view.get()));
    EXPECT_FALSE(Matches(*a, ":root > .a", nullptr)); // without a scope :root is the page root
    EXPECT_TRUE(Matches(*document_.Root(), ":root", nullptr));
    EXPECT_TRUE(Matches(*a, "[name=general] .a"));
}

TEST_F(SelectorQuery, QueryFirstReturnsTheFirstInDocumentOrderOrNull) {
    EXPECT_EQ(*Find("div")->GetAttribute("class"), "props-panel");
    EXPECT_EQ(Find(".missing"), nullptr);
    auto tab = Find("#tab");
    EXPECT_EQ(QueryFirst(*tab, "div"), nullptr); // descendants only
}

TEST_F(SelectorQuery, InvalidSelectorIsAnErrorForEveryEntryPoint) {
    auto tab = Find("#tab");
    EXPECT_THROW(QueryAll(*tab, "a >"), SelectorError);
    EXPECT_THROW(QueryFirst(*tab, "[x"), SelectorError);
    EXPECT_THROW(Matches(*tab, ":bogus"), SelectorError);
    EXPECT_THROW(Closest(*tab, "::after", 5), SelectorError);
}

TEST(SelectorCache, ReturnsTheSameParseAndEvictsTheLeastRecentlyUsed) {
    SelectorCache cache(2);
    auto first = cache.Get(".a");
    EXPECT_EQ(cache.Get(".a"), first);
    cache.Get(".b");
    cache.Get(".a"); // .a is now the most recent; .b goes next
    cache.Get(".c");
    EXPECT_EQ(cache.Size(), 2u);
    EXPECT_EQ(cache.Get(".a"), first);
    EXPECT_NE(cache.Get(".b"), nullptr);
    EXPECT_EQ(cache.Size(), 2u);
}

TEST(SelectorCache, InvalidSelectorsAreCachedAndThrowEachTime) {
    SelectorCache cache(4);
    for (int i = 0; i < 2; ++i) {
        try {
            cache.Get("a[x");
            FAIL() << "accepted";
        } catch (const SelectorError& error) {
            EXPECT_EQ(error.Reason(), "unclosed '['");
        }
    }
    EXPECT_EQ(cache.Size(), 1u);
}

} // namespace
} // namespace html
