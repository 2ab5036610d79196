// Every HTML file of the module's folder against its manifest entry: it parses cleanly in the
// engine, holds exactly its placeholders, and offers the elements its handlers look for, both as
// stored and once filled.
#include "tests/resources/UiResources.h"

#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/SelectorQuery.h"
#include "headless-host/html-engine/dom/UrlResolver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace resources_test {
namespace {

const std::string kPagePath = std::string(kModuleFolder) + "/properties-view.htm";

std::string Describe(const std::vector<html::ParseDiagnostic>& diagnostics) {
    std::string text;
    for (const html::ParseDiagnostic& diagnostic : diagnostics) {
        text += "\n  " + (diagnostic.source.empty() ? std::string() : diagnostic.source + " ") +
                std::to_string(diagnostic.line) + ":" + std::to_string(diagnostic.column) + " " +
                diagnostic.message;
    }
    return text;
}

class ResourcesTemplate : public testing::TestWithParam<TemplateEntry> {
protected:
    std::string Text() const { return StoredText(GetParam()); }
};

TEST_P(ResourcesTemplate, ParsesWithoutErrorsOrRecoveries) {
    const ParsedMarkup parsed = ParseResource(GetParam(), Text());
    EXPECT_TRUE(parsed.diagnostics.empty()) << Describe(parsed.diagnostics);
    EXPECT_NE(parsed.root->FirstElementChild(), nullptr) << "no element at all";
}

TEST_P(ResourcesTemplate, HoldsExactlyTheManifestPlaceholders) {
    const TemplateEntry& entry = GetParam();
    std::set<std::string> found;
    for (const PlaceholderWord& word : FindPlaceholderWords(Text())) {
        found.insert(word.word);
    }
    std::set<std::string> expected;
    for (const auto& [name, value] : entry.placeholders) {
        expected.insert(name);
    }
    EXPECT_EQ(found, expected);
    for (const std::string& name : entry.filledButAbsent) {
        EXPECT_EQ(found.count(name), 0u) << name << " is filled by the code but is not meant to be used here";
    }
}

// A placeholder in a comment vanishes with the comment in a container template but is filled in a
// property template, whose comments reach the page; neither is wanted. Property templates keep no
// comments at all, as every comment of theirs would end up in the DOM.
TEST_P(ResourcesTemplate, KeepsPlaceholdersOutOfComments) {
    const std::string text = Text();
    const auto comments = FindComments(text);
    if (!GetParam().commentsRemoved && GetParam().uiPath.ends_with(".template.htm")) {
        EXPECT_TRUE(comments.empty()) << "a comment in a property template reaches the page";
    }
    for (const PlaceholderWord& word : FindPlaceholderWords(text)) {
        for (const auto& [start, end] : comments) {
            EXPECT_FALSE(word.offset >= start && word.offset < end) << word.word << " is inside a comment";
        }
    }
}

TEST_P(ResourcesTemplate, OffersTheElementsItsHandlersLookFor) {
    const ParsedMarkup parsed = ParseResource(GetParam(), Text());
    for (const std::string& selector : GetParam().selectors) {
        EXPECT_TRUE(Finds(*parsed.root, selector)) << selector;
    }
}

// Attribute-position placeholders and values with entities must still give clean markup, and
// nothing a handler looks for may depend on the placeholder text itself.
TEST_P(ResourcesTemplate, StillParsesAndMatchesOnceFilled) {
    const std::string filled = FilledText(GetParam());
    EXPECT_TRUE(FindPlaceholderWords(filled).empty());
    const ParsedMarkup parsed = ParseResource(GetParam(), filled);
    EXPECT_TRUE(parsed.diagnostics.empty()) << Describe(parsed.diagnostics);
    for (const std::string& selector : GetParam().selectors) {
        EXPECT_TRUE(Finds(*parsed.root, selector)) << selector;
    }
}

TEST_P(ResourcesTemplate, ReferencesOnlyExistingFiles) {
    const ParsedMarkup parsed = ParseResource(GetParam(), Text());
    for (const char* attribute : {"src", "href"}) {
        for (const auto& element : html::QueryAll(*parsed.root, "[" + std::string(attribute) + "]")) {
            const std::string reference = *element->GetAttribute(attribute);
            // Everything is inserted into the panel page, so references resolve against it.
            const std::string uiPath = html::UrlResolver::Resolve(kPagePath, reference);
            EXPECT_TRUE(std::filesystem::is_regular_file(LocateUiPath(uiPath)))
                << "<" << element->TagName() << " " << attribute << "=\"" << reference << "\"> names "
                << uiPath;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryHtmlFile, ResourcesTemplate, testing::ValuesIn(LoadManifest().templates),
                         [](const testing::TestParamInfo<TemplateEntry>& info) {
                             return ParamName(std::filesystem::path(info.param.uiPath).filename().string());
                         });

} // namespace
} // namespace resources_test
