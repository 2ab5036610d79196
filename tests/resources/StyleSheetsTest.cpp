// The style sheets of the module and of the host: well formed, standard wherever a browser knows the
// property, selectors the engine understands, existing pictures; and the rules that the panel's
// states, attributes and option ids rely on do reach the elements of the real templates.
#include "tests/resources/StyleSheetReader.h"
#include "tests/resources/UiResources.h"

#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/ElementState.h"
#include "headless-host/html-engine/dom/Selector.h"
#include "headless-host/html-engine/dom/SelectorError.h"
#include "headless-host/html-engine/dom/SelectorParser.h"
#include "headless-host/html-engine/dom/SelectorQuery.h"
#include "headless-host/html-engine/dom/UrlResolver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <tuple>

namespace resources_test {
namespace {

namespace fs = std::filesystem;

// The host's style sheets that the page links, beside the module's own.
const std::vector<std::string> kHostStyleSheets = {"themes/theme-main.css", "common-styles/tabs.css",
                                                   "popup-color-table/popup-color-table.css"};

std::vector<std::string> StyleSheetPaths() {
    std::vector<std::string> paths;
    for (const std::string& name : ModuleFileNames()) {
        if (name.ends_with(".css")) {
            paths.push_back(std::string(kModuleFolder) + "/" + name);
        }
    }
    paths.insert(paths.end(), kHostStyleSheets.begin(), kHostStyleSheets.end());
    return paths;
}

std::vector<StyleRule> Rules(const std::string& uiPath) {
    const auto text = ReadFile(LocateUiPath(uiPath));
    if (!text) {
        throw std::runtime_error(uiPath + " cannot be read");
    }
    return ReadStyleSheet(*text);
}

// Properties a browser knows, as far as these style sheets use them. A name outside both lists is a
// typo or a property of the engine's own dialect that has a standard equivalent.
constexpr std::string_view kStandardProperties =
    "align-content align-items align-self background background-color background-image "
    "background-position background-repeat background-size border border-bottom border-bottom-color "
    "border-color border-left border-left-color border-radius border-right border-style border-top "
    "border-top-color border-width bottom box-shadow box-sizing color cursor display flex flex-basis "
    "flex-direction flex-grow flex-shrink flex-wrap font font-family font-size font-style "
    "font-weight gap height justify-content left letter-spacing line-height list-style margin "
    "margin-bottom margin-left margin-right margin-top max-height max-width min-height min-width "
    "opacity order outline overflow overflow-wrap overflow-x overflow-y padding padding-bottom "
    "padding-left padding-right padding-top pointer-events position right text-align text-decoration "
    "text-overflow text-transform top transform user-select vertical-align visibility white-space "
    "width z-index ";
// The engine's extensions that have no standard counterpart: binding a behaviour to elements.
constexpr std::string_view kEngineProperties = "aspect";

bool IsListed(std::string_view names, std::string_view property) {
    return (" " + std::string(names) + " ").find(" " + std::string(property) + " ") != std::string::npos;
}

class ResourcesStyleSheet : public testing::TestWithParam<std::string> {};

TEST_P(ResourcesStyleSheet, IsWellFormed) {
    try {
        EXPECT_FALSE(Rules(GetParam()).empty());
    } catch (const std::runtime_error& error) {
        FAIL() << error.what();
    }
}

TEST_P(ResourcesStyleSheet, UsesStandardPropertiesOrTheEngineExtensions) {
    for (const StyleRule& rule : Rules(GetParam())) {
        for (const StyleDeclaration& declaration : rule.declarations) {
            EXPECT_TRUE(IsListed(kStandardProperties, declaration.property) ||
                        IsListed(kEngineProperties, declaration.property))
                << "line " << rule.line << ": " << declaration.property;
        }
    }
}

TEST_P(ResourcesStyleSheet, HasSelectorsTheEngineParses) {
    for (const StyleRule& rule : Rules(GetParam())) {
        try {
            html::SelectorParser::Parse(rule.selectorText);
        } catch (const html::SelectorError& error) {
            ADD_FAILURE() << "line " << rule.line << ": " << rule.selectorText << ": " << error.what();
        }
    }
}

TEST_P(ResourcesStyleSheet, ReferencesOnlyExistingFiles) {
    for (const StyleRule& rule : Rules(GetParam())) {
        for (const StyleDeclaration& declaration : rule.declarations) {
            for (const std::string& url : UrlReferences(declaration.value)) {
                const std::string uiPath = html::UrlResolver::Resolve(GetParam(), url);
                EXPECT_TRUE(fs::is_regular_file(LocateUiPath(uiPath)))
                    << "line " << rule.line << ": url(" << url << ") names " << uiPath;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryStyleSheet, ResourcesStyleSheet, testing::ValuesIn(StyleSheetPaths()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return ParamName(info.param);
                         });

// Every rule of every style sheet the page links, in page order.
const std::vector<StyleRule>& PageRules() {
    static const std::vector<StyleRule> rules = [] {
        std::vector<StyleRule> all;
        for (const std::string& path : StyleSheetPaths()) {
            auto rules = Rules(path);
            all.insert(all.end(), rules.begin(), rules.end());
        }
        return all;
    }();
    return rules;
}

// (ids, classes and attributes and pseudo-classes, types), compared in that order.
using Specificity = std::tuple<int, int, int>;

Specificity SpecificityOf(const html::ComplexSelector& complex) {
    int ids = 0;
    int classes = 0;
    int types = 0;
    for (const html::CompoundSelector& compound : complex.compounds) {
        for (const html::SimpleSelector& simple : compound.simpleSelectors) {
            switch (simple.kind) {
            case html::SimpleSelector::Kind::Universal:
                break;
            case html::SimpleSelector::Kind::Type:
                ++types;
                break;
            case html::SimpleSelector::Kind::Id:
                ++ids;
                break;
            case html::SimpleSelector::Kind::Class:
            case html::SimpleSelector::Kind::Attribute:
                ++classes;
                break;
            case html::SimpleSelector::Kind::PseudoClass:
                if (simple.pseudoClass == html::PseudoClass::Not && simple.argument) {
                    Specificity most{};
                    for (const html::ComplexSelector& inner : simple.argument->selectors) {
                        most = std::max(most, SpecificityOf(inner));
                    }
                    ids += std::get<0>(most);
                    classes += std::get<1>(most);
                    types += std::get<2>(most);
                } else {
                    ++classes;
                }
                break;
            }
        }
    }
    return {ids, classes, types};
}

// The value the cascade gives `property` on `element`: the declaration of the most specific
// matching selector, the later one among equals. Inheritance and !important are not used here.
std::optional<std::string> CascadedValue(const html::Element& element, std::string_view property) {
    std::optional<std::string> value;
    Specificity best{-1, -1, -1};
    for (const StyleRule& rule : PageRules()) {
        const html::SelectorList list = html::SelectorParser::Parse(rule.selectorText);
        std::optional<Specificity> matched;
        for (const html::ComplexSelector& complex : list.selectors) {
            if (html::Matches(element, html::SelectorList{{complex}})) {
                matched = std::max(matched.value_or(Specificity{}), SpecificityOf(complex));
            }
        }
        if (!matched || *matched < best) {
            continue;
        }
        for (const StyleDeclaration& declaration : rule.declarations) {
            if (declaration.property == property) {
                best = *matched;
                value = declaration.value;
            }
        }
    }
    return value;
}

// Every value some matching rule gives `property` on `element`, whatever the cascade decides.
std::vector<std::string> AllValuesFor(const html::Element& element, std::string_view property) {
    std::vector<std::string> values;
    for (const StyleRule& rule : PageRules()) {
        if (html::Matches(element, rule.selectorText)) {
            for (const StyleDeclaration& declaration : rule.declarations) {
                if (declaration.property == property) {
                    values.push_back(declaration.value);
                }
            }
        }
    }
    return values;
}

// The options of a list are drawn from the host's pictures by their id, in the list and, for the
// kinds whose captions carry the id, in both captions; the arrow pictures go by number in a fixed
// order. Checked on the real list and item templates, filled as the list editors fill them.
TEST(ResourcesStyleSheets, DrawEveryOptionPictureById) {
    const Manifest& manifest = LoadManifest();
    for (const auto& [listName, pictures] : manifest.pictures.items()) {
        const TemplateEntry& list = manifest.Template(listName);
        std::string itemName = listName;
        itemName.replace(itemName.find(".template.htm"), std::string::npos, "-item.template.htm");
        const TemplateEntry& item = manifest.Template(itemName);
        const std::string optionsPlaceholder = list.placeholders.contains("PROPERTY_OPTIONS_LIST")
                                                   ? "PROPERTY_OPTIONS_LIST"
                                                   : "PROP_VALUES_LIST";
        for (const auto& [id, picture] : pictures.at("ids").items()) {
            const std::string option = FilledText(item, {{"LIST_VALUE", id}});
            const ParsedMarkup parsed =
                ParseResource(list, FilledText(list, {{optionsPlaceholder, option},
                                                      {"PROPERTY_SELECTED_OPTION_ID", id},
                                                      {"PROPERTY_VALUE", id}}));
            const std::string expected = "url(../images/" + picture.get<std::string>() + ")";
            std::vector<std::string> drawnElements = {"option#" + id};
            if (pictures.at("captions").get<bool>()) {
                drawnElements.insert(drawnElements.end(),
                                     {".prop-view-string-list", ".edit-box > .edit-view"});
            }
            for (const std::string& selector : drawnElements) {
                auto element = html::QueryFirst(*parsed.root, selector);
                ASSERT_NE(element, nullptr) << listName << ": " << selector;
                EXPECT_EQ(CascadedValue(*element, "background-image").value_or("(none)"), expected)
                    << listName << ": " << selector << " for " << id;
            }
        }
    }
}

// One look that a state, an attribute or a class must give an element of a real template; the
// cases are in style-cases.json: {"name", "file" (a template or the page), "fill" (placeholder
// values replacing the manifest's), "element" (a selector), "states", "attributes", "property",
// "value" (what the cascade must give), "neverValue" (what no matching rule may give)}.
struct StyleCase {
    std::string name;
    nlohmann::json fields;
};

void PrintTo(const StyleCase& styleCase, std::ostream* out) {
    *out << styleCase.name;
}

std::vector<StyleCase> StyleCases() {
    const auto text = ReadFile(fs::path(PP_SOURCE_DIR) / "tests" / "resources" / "style-cases.json");
    if (!text) {
        throw std::runtime_error("tests/resources/style-cases.json cannot be read");
    }
    std::vector<StyleCase> cases;
    for (const auto& item : nlohmann::json::parse(*text)) {
        cases.push_back({item.at("name").get<std::string>(), item});
    }
    return cases;
}

std::uint32_t StateBits(const std::string& name) {
    static const std::map<std::string, std::uint32_t> bits = {
        {"expanded", html::ElementState::kExpanded}, {"collapsed", html::ElementState::kCollapsed},
        {"disabled", html::ElementState::kDisabled}, {"popup", html::ElementState::kPopup},
        {"current", html::ElementState::kCurrent},   {"focus", html::ElementState::kFocus}};
    return bits.at(name);
}

class ResourcesStyleRule : public testing::TestWithParam<StyleCase> {};

TEST_P(ResourcesStyleRule, ReachesTheTemplateElement) {
    const nlohmann::json& styleCase = GetParam().fields;
    const TemplateEntry& entry = LoadManifest().Template(styleCase.at("file").get<std::string>());
    const auto fill = styleCase.value("fill", std::map<std::string, std::string>{});
    const ParsedMarkup parsed = ParseResource(entry, FilledText(entry, fill));
    const std::string selector = styleCase.at("element").get<std::string>();
    auto element = html::QueryFirst(*parsed.root, selector);
    ASSERT_NE(element, nullptr) << selector;
    for (const std::string& state : styleCase.value("states", std::vector<std::string>{})) {
        element->SetState(StateBits(state), 0);
    }
    for (const auto& [name, value] : styleCase.value("attributes", std::map<std::string, std::string>{})) {
        element->SetAttribute(name, value);
    }
    const std::string property = styleCase.at("property").get<std::string>();
    if (styleCase.contains("value")) {
        EXPECT_EQ(CascadedValue(*element, property).value_or("(none)"),
                  styleCase.at("value").get<std::string>())
            << property;
    }
    if (styleCase.contains("neverValue")) {
        for (const std::string& value : AllValuesFor(*element, property)) {
            EXPECT_NE(value, styleCase.at("neverValue").get<std::string>()) << property;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(PanelLooks, ResourcesStyleRule, testing::ValuesIn(StyleCases()),
                         [](const testing::TestParamInfo<StyleCase>& info) { return info.param.name; });

} // namespace
} // namespace resources_test
