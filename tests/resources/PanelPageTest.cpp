// The panel page loaded as the engine loads it (includes resolved from the module's folder and the
// host's resources): its links, its structure, and every selector the panel handler and the
// generated content's handlers use, on the page as stored and after generated content is inserted.
#include "tests/resources/UiResources.h"

#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/SelectorQuery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace resources_test {
namespace {

const TemplateEntry& Page() {
    return LoadManifest().Template("properties-view.htm");
}

std::shared_ptr<html::Element> LoadPage() {
    ParsedMarkup page = ParseResource(Page(), StoredText(Page()));
    EXPECT_TRUE(page.diagnostics.empty()) << page.diagnostics.front().message;
    return page.root;
}

std::vector<std::string> Ids(const html::Element& parent) {
    std::vector<std::string> ids;
    for (const html::Element* child = parent.FirstElementChild(); child;
         child = child->NextElementSibling()) {
        const std::string* classes = child->GetAttribute("class");
        ids.push_back(!child->Id().empty() ? "#" + child->Id() : classes ? "." + *classes : child->TagName());
    }
    return ids;
}

// Runs one selector entry of the manifest: {"selector", "scope" (found from the root first; none:
// the root itself), "ancestor" (look up instead of down), "maxDepth"}.
void ExpectFound(const std::shared_ptr<html::Element>& root, const nlohmann::json& entry) {
    const std::string selector = entry.at("selector").get<std::string>();
    std::shared_ptr<html::Element> scope = root;
    if (entry.contains("scope")) {
        scope = html::QueryFirst(*root, entry.at("scope").get<std::string>());
        ASSERT_NE(scope, nullptr) << "no scope " << entry.at("scope") << " for " << selector;
    }
    if (entry.value("ancestor", false)) {
        EXPECT_NE(html::Closest(*scope, selector, entry.value("maxDepth", 0)), nullptr) << selector;
    } else {
        EXPECT_TRUE(Finds(*scope, selector)) << selector;
    }
}

TEST(ResourcesPage, FindsEachElementThePanelHandlerSelects) {
    auto root = LoadPage();
    for (const auto& entry : LoadManifest().page.at("selectors")) {
        ExpectFound(root, entry);
    }
}

TEST(ResourcesPage, NestsTheHintAndTheTabControlAsThePanelExpects) {
    auto root = LoadPage();
    auto body = html::QueryFirst(*root, "body");
    ASSERT_NE(body, nullptr);
    EXPECT_TRUE(body->HasClass("properties-panel-body"));
    auto panelContent = html::QueryFirst(*body, ".panel-content");
    ASSERT_NE(panelContent, nullptr);
    EXPECT_EQ(Ids(*panelContent), (std::vector<std::string>{"#no-items-msg", "#tabbed-groups"}));
    auto tabs = html::QueryFirst(*panelContent, "#tabbed-groups");
    EXPECT_EQ(Ids(*tabs), (std::vector<std::string>{".strip icon-tabs-container", ".panels-container"}));

    auto hint = html::QueryFirst(*panelContent, "#no-items-msg");
    EXPECT_EQ(hint->TextContent(), "Click on the object to edit its properties");
    ASSERT_TRUE(hint->HasAttribute("localize"));
    EXPECT_EQ(*hint->GetAttribute("localize"), "") << "static page texts carry an empty localize attribute";
}

TEST(ResourcesPage, LinksEveryModuleStyleSheetOnceCommonFirstAndViewLast) {
    auto root = LoadPage();
    std::vector<std::string> linked;
    for (const auto& link : html::QueryAll(*root, "head > link[rel=stylesheet]")) {
        const std::string href = *link->GetAttribute("href");
        if (href.find('/') == std::string::npos) {
            linked.push_back(href);
        }
    }
    std::vector<std::string> styleSheets;
    for (const std::string& name : ModuleFileNames()) {
        if (name.ends_with(".css")) {
            styleSheets.push_back(name);
        }
    }
    ASSERT_FALSE(linked.empty());
    EXPECT_EQ(linked.front(), "props-common.css");
    EXPECT_EQ(linked.back(), "properties-view.css");
    std::vector<std::string> sorted = linked;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, styleSheets);
}

TEST(ResourcesPage, NamesTheHostResourcesByRelativePath) {
    // Without a resolver the includes stay in the tree, as written.
    html::MarkupParser parser;
    const html::Document page = parser.ParseDocument(StoredText(Page()));
    for (const char* selector :
         {"link[href=\"../themes/theme-main.css\"]", "link[href=\"../common-styles/tabs.css\"]",
          "script[src=\"../common-scripts/theme.js\"]",
          "script[src=\"../popup-color-table/show-color-popup.js\"]",
          "body > include[src=\"../common-styles/bubble.htm.inc\"]",
          "body > include[src=\"tooltips.htm\"]"}) {
        EXPECT_TRUE(Finds(*page.Root(), selector)) << selector;
    }
}

// The tab template names its tooltip "props-tab-tooltip-" + the group identifier; the page must
// define it for the groups that have one.
TEST(ResourcesPage, DefinesTheTooltipOfEveryRootGroupTab) {
    auto root = LoadPage();
    const TemplateEntry& tab = LoadManifest().Template("properties-tab.template.htm");
    for (const char* id : {"general", "values", "events", "appearance", "format", "calculations"}) {
        ParsedMarkup filled = ParseResource(tab, FilledText(tab, {{"PROPS_GROUP_ID", id}}));
        auto tabElement = html::QueryFirst(*filled.root, ".props-tab");
        ASSERT_NE(tabElement, nullptr);
        const std::string tooltip = *tabElement->GetAttribute("titleid");
        EXPECT_TRUE(Finds(*root, "popup[id=\"" + tooltip + "\"]")) << tooltip;
    }
}

// Inserts generated markup as the panel does, failing on any parse diagnostic.
void Insert(html::Element& target, const std::string& markup) {
    html::MarkupParser parser = MakeParser();
    parser.SetInnerHtml(target, markup);
    EXPECT_TRUE(parser.Diagnostics().empty()) << parser.Diagnostics().front().message;
}

// A tab and a panel stub in the page, the panel's content in the stub, one group with one editor
// in the content: the selectors of the panel handler, the root group handler and the generator's
// binding steps must find their elements there.
TEST(ResourcesPage, FindsTheGeneratedTabsPanelsGroupsAndEditors) {
    const Manifest& manifest = LoadManifest();
    auto root = LoadPage();
    const std::string editor = FilledText(manifest.Template("property-string.template.htm"));
    const std::string group =
        FilledText(manifest.Template("properties-group.template.htm"), {{"PROPS_GROUP_ITEMS", editor}});
    const std::string subTab = FilledText(manifest.Template("properties-group-tab.template.htm"));
    const std::string content =
        FilledText(manifest.Template("properties-panel-content.template.htm"),
                   {{"PROPS_SUB_GROUPS_TABS", subTab}, {"PROPS_SUB_GROUPS_CONTENT", group}});

    auto strip = html::QueryFirst(*root, "#tabbed-groups > .strip");
    auto panels = html::QueryFirst(*root, "#tabbed-groups > .panels-container");
    ASSERT_TRUE(strip && panels);
    Insert(*strip, FilledText(manifest.Template("properties-tab.template.htm")));
    Insert(*panels, FilledText(manifest.Template("properties-panel-stub.template.htm")));
    auto stub = html::QueryFirst(*panels, ".props-panel");
    ASSERT_NE(stub, nullptr);
    Insert(*stub, content);

    for (const auto& entry : manifest.page.at("generatedSelectors")) {
        ExpectFound(root, entry);
    }
}

} // namespace
} // namespace resources_test
