// The per-tree index and the queries that use it: its lists follow every kind of mutation in
// document order, and indexed queries find exactly what the reference walk finds.
#include "headless-host/html-engine/dom/TreeIndex.h"
#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/MarkupParser.h"
#include "headless-host/html-engine/dom/SelectorQuery.h"
#include "tests/headless-host/html-engine/RandomDom.h"

#include <gtest/gtest.h>

#include <random>

namespace html {
namespace {

std::vector<Element*> ElementsOf(Element& root) {
    std::vector<Element*> elements{&root};
    for (Node* node = NextInTreeOrder(root, root); node; node = NextInTreeOrder(*node, root)) {
        if (node->IsElement()) {
            elements.push_back(static_cast<Element*>(node));
        }
    }
    return elements;
}

void ExpectListsMatchTree(Element& root) {
    EXPECT_EQ(testing::CompareIndexWithTree(root), "");
}

// Trees, mutations, scopes and selectors drawn from a fixed seed: a few thousand comparisons.
TEST(TreeIndex, IndexedQueriesAgreeWithTheReferenceThroughMutations) {
    std::mt19937 random(20240607);
    testing::RandomDom dom(
        [&random](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); });
    std::size_t comparisons = 0;
    for (int round = 0; round < 150; ++round) {
        std::vector<std::shared_ptr<Element>> roots{dom.MakeTree(1 + random() % 40)};
        for (int step = 0; step < 8; ++step) {
            dom.Mutate(roots);
            for (const auto& root : roots) {
                const auto elements = ElementsOf(*root);
                for (int query = 0; query < 3; ++query) {
                    Element& scope = *elements[random() % elements.size()];
                    const std::string text = dom.Selector();
                    std::shared_ptr<const SelectorList> selector;
                    try {
                        selector = std::make_shared<SelectorList>(SelectorParser::Parse(text));
                    } catch (const SelectorError&) {
                        continue;
                    }
                    const std::string difference = testing::CompareWithReference(scope, *selector);
                    ASSERT_EQ(difference, "") << text << " on <" << scope.TagName() << "> in round " << round;
                    ++comparisons;
                }
                ExpectListsMatchTree(*root);
            }
        }
    }
    EXPECT_GT(comparisons, 2000u);
}

TEST(TreeIndex, RemovedSubtreeGetsItsOwnIndexAndGivesItUpWhenInsertedAgain) {
    Document document = MarkupParser().ParseDocument(
        "<div class=a><p class=b id=x></p></div><div class=b><span class=b></span></div>");
    Element& root = *document.Root();
    ASSERT_EQ(QueryAll(root, ".b").size(), 3u);
    auto second = QueryAll(root, "div.b").front();
    second->Remove();
    EXPECT_EQ(QueryAll(root, ".b").size(), 1u);
    EXPECT_EQ(QueryAll(*second, ".b").size(), 1u); // the span: a scope never finds itself
    ExpectListsMatchTree(*second);
    // Through a parent without index: the subtree must not keep pointing to the index it gave up.
    auto holder = Element::Create("div");
    holder->AppendChild(second);
    second->SetAttribute("class", "b d");
    auto first = QueryFirst(root, ".a");
    first->InsertChild(0, second);
    second->SetAttribute("class", "c");
    ExpectListsMatchTree(root);
    const auto found = QueryAll(root, ".b, .c");
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0], second); // moved before the <p>
    EXPECT_EQ(found[1]->TagName(), "span");
    EXPECT_EQ(found[2]->Id(), "x");
}

TEST(TreeIndex, MarkupSetIntoAnIndexedTreeTakesItsPlaceInDocumentOrder) {
    Document document =
        MarkupParser().ParseDocument("<div id=a class=k></div><div id=b class=k><p class=k></p></div>");
    Element& root = *document.Root();
    ASSERT_EQ(QueryAll(root, ".k").size(), 3u); // the index exists from here on
    auto a = QueryFirst(root, "#a");
    MarkupParser().SetInnerHtml(*a, "<span class=k id=s></span>text<i class=k><b class=k></b></i>");
    ExpectListsMatchTree(root);
    std::vector<std::string> order;
    for (const auto& element : QueryAll(root, ".k")) {
        order.push_back(element->TagName() + "#" + element->Id());
    }
    EXPECT_EQ(order, (std::vector<std::string>{"div#a", "span#s", "i#", "b#", "div#b", "p#"}));
    // Replaced again: what left is gone from the lists.
    MarkupParser().SetInnerHtml(*a, "<em class=k></em>");
    ExpectListsMatchTree(root);
    EXPECT_EQ(QueryAll(root, ".k").size(), 4u);
    EXPECT_EQ(QueryFirst(root, "#s"), nullptr);
}

TEST(TreeIndex, ChildrenHandedOverWholeKeepTheirOrderAndLeaveTheirIndex) {
    Document document = MarkupParser().ParseDocument("<ul class=k></ul><ol><li class=k id=1></li></ol>");
    Element& root = *document.Root();
    auto donor = Element::Create("div");
    MarkupParser().SetInnerHtml(*donor, "<li class=k id=2></li> <li class=k id=3><b class=k></b></li>");
    ASSERT_EQ(QueryAll(*donor, ".k").size(), 3u); // the donor is a root with its own index
    ASSERT_EQ(QueryAll(root, ".k").size(), 2u);
    auto list = QueryFirst(root, "ul");
    list->AppendChildrenOf(*donor);
    EXPECT_TRUE(donor->Children().empty());
    EXPECT_EQ(QueryAll(*donor, ".k").size(), 0u);
    ExpectListsMatchTree(root);
    ExpectListsMatchTree(*donor);
    std::vector<std::string> ids;
    for (const auto& element : QueryAll(root, "li.k")) {
        ids.push_back(element->Id());
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"2", "3", "1"}));
    EXPECT_EQ(list->Children().size(), 3u); // the text between them came along
    EXPECT_THROW(QueryFirst(root, "b")->AppendChildrenOf(*list), std::invalid_argument);
    EXPECT_EQ(list->Children().size(), 3u);
}

TEST(TreeIndex, SurvivorsOfADyingIndexedRootAreQueriedOnTheirOwn) {
    std::shared_ptr<Element> survivor;
    {
        Document document =
            MarkupParser().ParseDocument("<div class=a><p class=a><span class=a></span></p></div>");
        ASSERT_EQ(QueryAll(*document.Root(), ".a").size(), 3u);
        survivor = QueryFirst(*document.Root(), "p");
    }
    EXPECT_EQ(survivor->Parent(), nullptr);
    EXPECT_EQ(QueryAll(*survivor, ".a").size(), 1u);
    survivor->AppendChild(Element::Create("b"));
    survivor->Children().back()->Remove();
    ExpectListsMatchTree(*survivor);
}

} // namespace
} // namespace html
