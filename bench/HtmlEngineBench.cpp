// Parsing and selector queries of the HTML engine on a page of realistic panel markup, with
// gumbo's parse of the same bytes as the peer figure and the reference walk beside each indexed
// query; a table after the run puts each pair side by side.
#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/MarkupParser.h"
#include "headless-host/html-engine/dom/SelectorCache.h"
#include "headless-host/html-engine/dom/SelectorParser.h"
#include "headless-host/html-engine/dom/SelectorQuery.h"

#include <benchmark/benchmark.h>
#include <gumbo.h>

#include <array>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

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

std::shared_ptr<html::Element> ScopeOf(const html::Document& document, const PanelQuery& query) {
    return query.scope ? html::QueryFirst(*document.Root(), query.scope) : document.Root();
}

// Each query twice: walking the scope with the remembering matcher (the reference, as queries ran
// before the tree index), and from the index.
void RegisterQueryPair(std::size_t number) {
    for (const bool useIndex : {false, true}) {
        const std::string name =
            std::string("BM_Query/") + (useIndex ? "indexed/" : "plain/") + std::to_string(number);
        benchmark::RegisterBenchmark(name.c_str(), [number, useIndex](benchmark::State& state) {
            const PanelQuery& query = kPanelQueries[number];
            html::Document document = html::MarkupParser().ParseDocument(PanelPage());
            std::shared_ptr<html::Element> scope = ScopeOf(document, query);
            std::size_t matches = 0;
            for (auto _ : state) {
                auto found = html::QueryAll(*scope, *html::SelectorCache::Shared().Get(query.selector),
                                            html::QueryOptions{.useIndex = useIndex});
                matches = found.size();
                benchmark::DoNotOptimize(found);
            }
            state.SetLabel(query.selector);
            state.counters["matches"] = static_cast<double>(matches);
            state.SetItemsProcessed(state.iterations());
        });
    }
}

// The panel's pattern: a class changes on one item, then a query runs; the index follows the change.
void RegisterToggleThenQueryPair() {
    for (const bool useIndex : {false, true}) {
        const std::string name = std::string("BM_ToggleThenQuery/") + (useIndex ? "indexed" : "plain");
        benchmark::RegisterBenchmark(name.c_str(), [useIndex](benchmark::State& state) {
            html::Document document = html::MarkupParser().ParseDocument(PanelPage());
            auto items = html::QueryAll(*document.Root(), ".pg-item");
            std::size_t next = 0;
            for (auto _ : state) {
                html::Element& item = *items[next++ % items.size()];
                const bool selected = item.HasClass("selected");
                item.SetAttribute("class", selected ? "pg-item" : "pg-item selected");
                benchmark::DoNotOptimize(
                    html::QueryAll(*document.Root(), *html::SelectorCache::Shared().Get(".pg-item.selected"),
                                   html::QueryOptions{.useIndex = useIndex}));
            }
            state.SetItemsProcessed(state.iterations());
        });
    }
}

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

// The console table, then each pair side by side: reference against index, gumbo against ours.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                seconds_[run.benchmark_name()] =
                    run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
                labels_[run.benchmark_name()] = run.report_label;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        std::printf("\n%-22s %12s %12s %9s  %s\n", "query (CPU time)", "plain/us", "indexed/us", "speed-up",
                    "selector");
        for (const auto& [name, plain] : seconds_) {
            const std::string prefix = "BM_Query/plain/";
            std::string shown;
            std::string other;
            std::string label = labels_[name];
            if (name.rfind(prefix, 0) == 0) {
                shown = "Query/" + name.substr(prefix.size());
                other = "BM_Query/indexed/" + name.substr(prefix.size());
            } else if (name == "BM_ToggleThenQuery/plain") {
                shown = "ToggleThenQuery";
                other = "BM_ToggleThenQuery/indexed";
                label = "class change, then .pg-item.selected";
            } else {
                continue;
            }
            auto indexed = seconds_.find(other);
            if (indexed == seconds_.end()) {
                continue;
            }
            std::printf("%-22s %12.2f %12.2f %8.1fx  %s\n", shown.c_str(), plain * 1e6, indexed->second * 1e6,
                        plain / indexed->second, label.c_str());
        }
        auto ours = seconds_.find("BM_ParsePanelPage");
        auto gumbo = seconds_.find("BM_ParsePanelPageGumbo");
        if (ours != seconds_.end() && gumbo != seconds_.end()) {
            std::printf("\n%-22s %12s %12s %9s\n", "parse (CPU time)", "gumbo/us", "ours/us", "ours is");
            std::printf("%-22s %12.1f %12.1f %8.2fx faster\n", "panel page", gumbo->second * 1e6,
                        ours->second * 1e6, gumbo->second / ours->second);
        }
        ConsoleReporter::Finalize();
    }

private:
    std::map<std::string, double> seconds_;
    std::map<std::string, std::string> labels_;
};

// The two ways must agree before their times mean anything.
bool QueriesAgree() {
    html::Document document = html::MarkupParser().ParseDocument(PanelPage());
    for (const PanelQuery& query : kPanelQueries) {
        std::shared_ptr<html::Element> scope = ScopeOf(document, query);
        const auto& selector = *html::SelectorCache::Shared().Get(query.selector);
        if (html::QueryAll(*scope, selector) != html::QueryAll(*scope, selector, {.useIndex = false})) {
            std::fprintf(stderr, "%s: the index and the reference differ\n", query.selector);
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (!QueriesAgree()) {
        return 1;
    }
    for (std::size_t number = 0; number < kPanelQueries.size(); ++number) {
        RegisterQueryPair(number);
    }
    RegisterToggleThenQueryPair();
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
