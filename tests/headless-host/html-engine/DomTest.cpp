// The DOM's own rules: ownership and parent links, child list upkeep, attributes, classes, states,
// text content and document order.
#include "headless-host/html-engine/dom/Comment.h"
#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/ElementState.h"
#include "headless-host/html-engine/dom/MarkupParser.h"
#include "headless-host/html-engine/dom/MarkupSerializer.h"
#include "headless-host/html-engine/dom/SelectorQuery.h"
#include "headless-host/html-engine/dom/Text.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace html {
namespace {

std::shared_ptr<Element> Parse(const std::string& markup) {
    auto container = Element::Create("div");
    MarkupParser().SetInnerHtml(*container, markup);
    return container;
}

TEST(HtmlEngineDom, RemovedElementStaysValidThroughAHandle) {
    auto root = Parse("<ul><li id=a>one</li><li id=b>two</li></ul>");
    std::shared_ptr<Element> first = QueryFirst(*root, "#a");
    first->Remove();
    EXPECT_EQ(first->Parent(), nullptr);
    EXPECT_EQ(first->TextContent(), "one");
    EXPECT_EQ(MarkupSerializer::InnerHtml(*root), "<ul><li id=\"b\">two</li></ul>");
    EXPECT_EQ(QueryFirst(*root, "#b")->IndexInParent(), 0u);
}

TEST(HtmlEngineDom, DyingParentClearsTheParentLinkOfSurvivingChildren) {
    auto root = Parse("<section><p id=kept>x</p></section>");
    std::shared_ptr<Element> kept = QueryFirst(*root, "#kept");
    root.reset();
    EXPECT_EQ(kept->Parent(), nullptr);
    EXPECT_EQ(kept->PreviousSibling(), nullptr);
    EXPECT_EQ(MarkupSerializer::OuterHtml(*kept), "<p id=\"kept\">x</p>");
}

TEST(HtmlEngineDom, InsertingMovesTheNodeAndRenumbersBothParents) {
    auto root = Parse("<div id=from><b id=x></b><i id=y></i></div><div id=to><u></u></div>");
    auto from = QueryFirst(*root, "#from");
    auto to = QueryFirst(*root, "#to");
    auto x = QueryFirst(*root, "#x");
    to->InsertChild(0, x);
    EXPECT_EQ(x->Parent(), to.get());
    EXPECT_EQ(QueryFirst(*root, "#y")->IndexInParent(), 0u);
    EXPECT_EQ(MarkupSerializer::InnerHtml(*to), "<b id=\"x\"></b><u></u>");
    // Within one parent: moving a node to the end.
    to->InsertChild(99, x);
    EXPECT_EQ(MarkupSerializer::InnerHtml(*to), "<u></u><b id=\"x\"></b>");
    EXPECT_EQ(x->IndexInParent(), 1u);
    EXPECT_EQ(from->Children().size(), 1u);
}

TEST(HtmlEngineDom, InsertingAnAncestorIntoItsDescendantIsRefused) {
    auto root = Parse("<div id=outer><div id=inner></div></div>");
    auto outer = QueryFirst(*root, "#outer");
    auto inner = QueryFirst(*root, "#inner");
    EXPECT_THROW(inner->AppendChild(outer), std::invalid_argument);
    EXPECT_THROW(outer->AppendChild(outer), std::invalid_argument);
    EXPECT_EQ(inner->Parent(), outer.get());
    EXPECT_EQ(outer->Parent(), root.get());
}

TEST(HtmlEngineDom, AttributesKeepOrderAndCompareNamesWithoutCase) {
    auto element = Element::Create("DIV");
    EXPECT_EQ(element->TagName(), "div");
    element->SetAttribute("b", "1");
    element->SetAttribute("hideTabsIcons", "");
    element->SetAttribute("a", "2");
    element->SetAttribute("B", "3");
    ASSERT_NE(element->GetAttribute("HIDETABSICONS"), nullptr);
    EXPECT_EQ(MarkupSerializer::OuterHtml(*element), "<div b=\"3\" hidetabsicons=\"\" a=\"2\"></div>");
    EXPECT_TRUE(element->RemoveAttribute("HideTabsIcons"));
    EXPECT_FALSE(element->RemoveAttribute("hidetabsicons"));
    EXPECT_EQ(MarkupSerializer::OuterHtml(*element), "<div b=\"3\" a=\"2\"></div>");
}

TEST(HtmlEngineDom, AddMissingAttributesKeepsTheFirstOfEachName) {
    auto element = Element::Create("div");
    element->AddMissingAttributes({{"a", "1"}, {"b", "2"}, {"a", "3"}});
    EXPECT_EQ(MarkupSerializer::OuterHtml(*element), "<div a=\"1\" b=\"2\"></div>");
    element->AddMissingAttributes({{"b", "4"}, {"c", "5"}});
    EXPECT_EQ(MarkupSerializer::OuterHtml(*element), "<div a=\"1\" b=\"2\" c=\"5\"></div>");
}

// HasClassQuickly must give HasClass's answer, also after the classes change.
TEST(HtmlEngineDom, HasClassMatchesWholeWordsOnly) {
    for (const bool quickly : {false, true}) {
        // The title's value reads as the former class, should a stale summary look at it.
        auto root = Parse("<div class=\" prop-view\tprop-view-string \" title=view></div>");
        Element* element = root->FirstElementChild();
        auto has = [&](std::string_view name) {
            return quickly ? element->HasClassQuickly(name) : element->HasClass(name);
        };
        EXPECT_TRUE(has("prop-view"));
        EXPECT_TRUE(has("prop-view-string"));
        EXPECT_FALSE(has("prop"));
        EXPECT_FALSE(has("view"));
        EXPECT_FALSE(has(""));
        element->SetAttribute("class", "view");
        EXPECT_FALSE(has("prop-view"));
        EXPECT_TRUE(has("view"));
        element->RemoveAttribute("class");
        EXPECT_FALSE(has("view"));
        element->AddMissingAttributes({{"class", "prop"}});
        EXPECT_TRUE(has("prop"));
    }
}

TEST(HtmlEngineDom, SetStateReportsWhetherAnythingChanged) {
    auto element = Element::Create("div");
    EXPECT_TRUE(element->SetState(ElementState::kExpanded, 0));
    EXPECT_FALSE(element->SetState(ElementState::kExpanded, 0));
    EXPECT_TRUE(element->SetState(ElementState::kCollapsed, ElementState::kExpanded));
    EXPECT_EQ(element->State(), ElementState::kCollapsed);
    EXPECT_FALSE(element->SetState(0, ElementState::kFocus));
}

TEST(HtmlEngineDom, TextContentSkipsCommentsAndSettingItReplacesChildren) {
    auto root = Parse("<p>a<!-- c --><b>b<i>c</i></b>d</p>");
    Element& paragraph = *root->FirstElementChild();
    EXPECT_EQ(paragraph.TextContent(), "abcd");
    paragraph.SetTextContent("x < y");
    EXPECT_EQ(MarkupSerializer::OuterHtml(paragraph), "<p>x &lt; y</p>");
    paragraph.SetTextContent("");
    EXPECT_TRUE(paragraph.Children().empty());
}

TEST(HtmlEngineDom, DocumentOrderFollowsTheTree) {
    auto root = Parse("<div id=a><div id=b></div></div><div id=c></div>");
    auto a = QueryFirst(*root, "#a");
    auto b = QueryFirst(*root, "#b");
    auto c = QueryFirst(*root, "#c");
    EXPECT_LT(CompareDocumentOrder(*a, *b), 0);
    EXPECT_GT(CompareDocumentOrder(*c, *b), 0);
    EXPECT_LT(CompareDocumentOrder(*b, *c), 0);
    EXPECT_EQ(CompareDocumentOrder(*c, *c), 0);
    auto detached = Element::Create("div");
    EXPECT_EQ(CompareDocumentOrder(*detached, *a), -CompareDocumentOrder(*a, *detached));
}

// Trees built through the API have no depth limit; walking, serialising and destroying them must
// not recurse per level.
TEST(HtmlEngineDom, VeryDeepTreeIsSerialisedAndDestroyedWithoutRecursion) {
    constexpr int kDepth = 200000;
    auto root = Element::Create("div");
    Element* current = root.get();
    for (int i = 0; i < kDepth; ++i) {
        auto child = Element::Create("b");
        Element* next = child.get();
        current->AppendChild(std::move(child));
        current = next;
    }
    current->AppendChild(Text::Create("x"));
    EXPECT_EQ(root->TextContent(), "x");
    EXPECT_EQ(MarkupSerializer::OuterHtml(*root).size(), 11u + 7u * kDepth + 1u);
    EXPECT_EQ(QueryAll(*root, "b b b").size(), static_cast<std::size_t>(kDepth - 2));
    root.reset();
}

} // namespace
} // namespace html
