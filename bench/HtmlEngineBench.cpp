// Parsing and selector queries of the HTML engine on a page of realistic panel markup, with
// gumbo's parse of the same bytes as the peer figure.
#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/MarkupParser.h"
#include "headless-host/html-engine/dom/SelectorParser.h"
#include "headless-host/html-engine/dom/SelectorQuery.h"

#include <benchmark/benchmark.h>
#include <gumbo.h>

#include <array>
#include <string>

namespace {

// The panel page with every tab's content generated: seven root groups, each with sub-group tabs
// and group views, each view holding property items of the common editor shapes (string with an
// edit popup, drop-down list with a select widget, inline number, check box).
std::string MakePanelPage() {
    static const std::array<const char*, 7> kGroups = {"general",      "values", "events",      "appearance",
                                                       "measurements", "format", "calculations"};
    std::string tabs;
    std::string panels;
    int key = 0;
    for (const char* group : kGroups) {
        tabs += std::string("<div class=\"props-tab\" panel=\"") + group + "\" display-name=\"" + group +
                "\"><span class=\"icon\"></span><span class=\"tab-title\" localize=\"PD Prop Panel Title\">" +
                group + "</span></div>\n";
        panels += std::string("<div class=\"props-panel\" name=\"") + group + "\" display-name=\"" + group +
                  "\">\n";
        panels += "<div class=\"pg-tabs strip\">";
        for (int sub = 0; sub < 3; ++sub) {
            panels += "<div class=\"pg-tab\" panel=\"sub" + std::to_string(sub) + "\" display-name=\"Sub " +
                      std::to_string(sub) + "\">Sub " + std::to_string(sub) + "</div>";
        }
        panels += "</div>\n";
        for (int sub = 0; sub < 3; ++sub) {
            panels += "<div class=\"pg-view properties-group-container\" uid=\"" + std::string(group) +
                      "-sub" + std::to_string(sub) + "\"><div class=\"properties-group-name\">Sub " +
                      std::to_string(sub) + "</div>\n";
            for (int item = 0; item < 10; ++item) {
                const std::string id = "prop-" + std::to_string(key);
                const std::string puid = id + "-00000000000000" + std::to_string(10 + key % 90);
                ++key;
                panels += "<div class=\"pg-item\" id=\"" + id + "\" puid=\"" + puid + "\" name=\"Prop " +
                          std::to_string(key) + "\" display-name=\"Prop " + std::to_string(key) + "\">" +
                          "<div class=\"prop-name\" titleid=\"tooltip-" + id + "\"><span>Prop " +
                          std::to_string(key) + "</span></div>";
                switch (item % 4) {
                case 0:
                    panels +=
                        "<div class=\"prop-box prop-box-string select-box\"><div class=\"prop-view "
                        "prop-view-string editable-prop\" title=\"Value &amp; more\">Value &amp; more</div>"
                        "<popup class=\"edit-popup edit-popup-string\"><div class=\"edit-box\"><input "
                        "class=\"edit-input-string\" type=\"text\" maxlength=\"8192\" value=\"Value\">"
                        "<div class=\"edit-view\"></div></div></popup></div>";
                    break;
                case 1:
                    panels +=
                        "<div class=\"prop-box prop-box-string-list select-box\"><div class=\"prop-view "
                        "prop-view-string-list editable-prop\" list-index=\"1\" lv=\"Solid\"><span "
                        "class=\"prop-text-view\">Solid</span></div><popup class=\"edit-popup "
                        "edit-popup-string-list\"><div class=\"edit-box\"><div "
                        "class=\"edit-view\">Solid</div>"
                        "<widget type=\"select\" size=\"4\"><optgroup>";
                    for (int option = 0; option < 4; ++option) {
                        panels += "<option value=\"" + std::to_string(option) + "\" lv=\"Style " +
                                  std::to_string(option) + "\">Style " + std::to_string(option) + "</option>";
                    }
                    panels += "</optgroup></widget></div></popup></div>";
                    break;
                case 2:
                    panels +=
                        "<div class=\"prop-box prop-box-number\"><div class=\"prop-view prop-view-number\">"
                        "<input type=\"number\" filter=\"0~9\" min=\"0\" max=\"100\" step=\"1\" value=\"12\" "
                        "novalue=\"&ndash;\"><span class=\"units\">pt</span></div></div>";
                    break;
                default:
                    panels += "<div class=\"prop-box prop-box-bool\"><div class=\"prop-view prop-view-bool\">"
                              "<button type=\"checkbox\" class=\"check-box\" checked></button></div></div>";
                    break;
                }
                panels += "</div>\n";
            }
            panels += "</div>\n";
        }
        panels +=
            "<div class=\"buttons-container\"><button class=\"make-default\" localize=\"dialog button\">"
            "MAKE DEFAULT</button><button class=\"reset-default\">RESET DEFAULT</button></div></div>\n";
    }
    return "\xEF\xBB\xBF<html>\n<head>\n<link rel=\"stylesheet\" type=\"text/css\" "
           "href=\"props-common.css\">\n"
           "<!-- the panel page -->\n</head>\n<body class=\"properties-panel-body\">\n<div "
           "class=\"panel-content\">\n"
           "<div id=\"no-items-msg\" localize>Click on the object to edit its properties</div>\n"
           "<div id=\"tabbed-groups\">\n<div class=\"strip icon-tabs-container\">\n" +
           tabs + "</div>\n<div class=\"panels-container\">\n" + panels +
           "</div>\n</div>\n</div>\n</body>\n</html>\n";
}

const std::string& PanelPage() {
    static const std::string page = MakePanelPage();
    return page;
}

std::size_t CountElements(const html::Element& root) {
    std::size_t count = 1;
    for (const html::Node* node = html::NextInTreeOrder(root, root); node;
         node = html::NextInTreeOrder(*node, root)) {
        count += node->IsElement() ? 1 : 0;
    }
    return count;
}

void BM_ParsePanelPage(benchmark::State& state) {
    const std::string& page = PanelPage();
    std::size_t elements = 0;
    for (auto _ : state) {
        html::MarkupParser parser;
        html::Document document = parser.ParseDocument(page);
        elements = CountElements(*document.Root());
        benchmark::DoNotOptimize(document);
    }
    state.counters["elements"] = static_cast<double>(elements);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_ParsePanelPage);

void BM_ParsePanelPageGumbo(benchmark::State& state) {
    const std::string& page = PanelPage();
    for (auto _ : state) {
        GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, page.data(), page.size());
        benchmark::DoNotOptimize(output);
        gumbo_destroy_output(&kGumboDefaultOptions, output);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_ParsePanelPageGumbo);

// Selectors as the panel and its editors run them; the scope is where they run them.
struct PanelQuery {
    const char* scope; // a selector for the scope element, or null for the page root
    const char* selector;
};

constexpr std::array kPanelQueries = std::to_array<PanelQuery>({
    {nullptr, ":root .panel-content"},
    {".panel-content", ":root > #tabbed-groups > .strip > [panel]"},
    {".panel-content", ":root > #tabbed-groups > .panels-container > [name]"},
    {nullptr, "[puid=\"prop-177-0000000000000097\"]"},
    {nullptr, ".edit-popup"},
    {nullptr, ".prop-edit-btn, .editable-prop"},
    {"#prop-1", ":root .edit-popup-string-list"},
    {"#prop-1", ".edit-box > widget[type=select] > optgroup > option"},
    {nullptr, ".props-panel:not([name=general]) .pg-view > .pg-item:nth-child(odd) .prop-view"},
});

void BM_Query(benchmark::State& state) {
    const PanelQuery& query = kPanelQueries[static_cast<std::size_t>(state.range(0))];
    html::Document document = html::MarkupParser().ParseDocument(PanelPage());
    std::shared_ptr<html::Element> scope =
        query.scope ? html::QueryFirst(*document.Root(), query.scope) : document.Root();
    std::size_t matches = 0;
    for (auto _ : state) {
        auto found = html::QueryAll(*scope, query.selector);
        matches = found.size();
        benchmark::DoNotOptimize(found);
    }
    state.SetLabel(query.selector);
    state.counters["matches"] = static_cast<double>(matches);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Query)->DenseRange(0, static_cast<int>(kPanelQueries.size()) - 1);

// The editors' ancestor lookups: from a deep element to its group view, five levels at most.
void BM_ClosestGroupView(benchmark::State& state) {
    html::Document document = html::MarkupParser().ParseDocument(PanelPage());
    auto deep = html::QueryAll(*document.Root(), ".edit-box");
    for (auto _ : state) {
        for (const auto& element : deep) {
            benchmark::DoNotOptimize(html::Closest(*element, ".pg-item", 5));
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * deep.size()));
}
BENCHMARK(BM_ClosestGroupView);

// Parsing without the cache: what a selector costs the first time it is used.
void BM_ParseSelector(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(html::SelectorParser::Parse(
            ".panel-content, .properties-group-container, .properties-group-name, "
            ".props-panel, .strip, .icon, .buttons-container, .buttons-container>*"));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseSelector);

} // namespace

BENCHMARK_MAIN();
