// Full rebuilds of the panel, as the host drives them: a selection change, then the UI loop until it
// is idle (the idle callback's rebuild, the inserted tabs and stubs, the bound root group handlers,
// the first tab's content and its bound group and editor handlers). The selection has 7 root groups
// and N properties spread over them; "AllTabs" also generates and binds every other tab's content.
// "Label" selections hold label properties only, "Mixed" ones every editor kind in turn.
//
// `panel-rebuild-bench --write-document=mixed:1000:FILE` writes a selection's document and exits,
// for measuring the host itself (its peak memory, a profile) on the same input.
#include "headless-host/app/HostSession.h"
#include "headless-host/app/ScenarioParser.h"
#include "headless-host/app/ScenarioRunner.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

namespace {

constexpr const char* kRootGroups[] = {"General",      "Values", "Events",      "Appearance",
                                       "Measurements", "Format", "Calculations"};
constexpr const char* kRootFlags[] = {"general",      "values", "events",      "appearance",
                                      "measurements", "format", "calculations"};

// One property of every editor kind, as the sample document has them (name and value aside).
constexpr const char* kMixedProperties[] = {
    R"("type": "String", "value": "customer.name")",
    R"("type": "StringMultiline", "value": "The customer's full name")",
    R"("type": "Bool", "value": true)",
    R"("type": "DateTime", "value": "2024-03-05T09:30:00")",
    R"("type": "Label", "value": "Forms team")",
    R"("type": "Color", "value": "#1F4E79")",
    R"("type": "LineWidthDropDown", "items": ["line-width-hairline", "line-width-1", "line-width-2", "line-width-3", "line-width-custom"], "value": "line-width-1", "lineWidth": 1.0)",
    R"("type": "BorderStyleDropDown", "items": ["Solid", "Dashed", "Beveled", "Inset", "Underline"], "value": "Solid")",
    R"("type": "FontDropDown", "fonts": [{"name": "Helvetica", "kind": "standard", "family": 1, "format": "type1"}, {"name": "Times Roman", "kind": "standard", "family": 2, "format": "type1"}, {"name": "Arial", "kind": "system", "family": 10, "format": "true-type"}, {"name": "Symbol Glyphs", "kind": "document", "family": 20, "format": "type3"}], "value": "Helvetica")",
    R"("type": "FloatList", "values": [0, 8, 9, 10, 12, 14, 18, 24], "precision": 1, "positiveOnly": true, "zeroIsDefault": true, "value": 10)",
    R"("type": "FontStyleList", "items": ["Regular", "Bold", "Italic", "Bold Italic"], "value": "Regular")",
    R"("type": "NumberInline", "min": 0, "max": 1000, "step": 1, "value": 0)",
    R"("type": "StringList", "items": ["None", "Number", "Percentage", "Date", "Time", "Special", "Custom"], "disabled": [false, false, false, false, false, true], "value": "None")",
    R"("type": "Number", "min": 0, "max": 10, "value": 2)",
    R"("type": "JavaScriptActionDialog", "dialog": "fields", "value": null)",
    R"("type": "PDActionDialog", "value": {"type": "GoTo", "page": 0, "next": [{"type": "JavaScript", "script": "app.alert(\"Welcome\");"}, {"type": "URI", "uri": "https://example.org/help"}]})",
    R"("type": "LineBorderStyleDropDown", "items": ["solid-line", "dotted-line", "dashed-line", "middle-dashed-line", "dash-dotted-line", "dash-middle-big-line", "dash-small-middle-line", "cloud-line"], "value": "solid-line")",
    R"("type": "NumberSlider", "min": 0, "max": 100, "step": 5, "value": 50)",
    R"("type": "Float", "value": 0.0)",
    R"("type": "FloatInline", "min": 0, "max": 5000, "step": 0.5, "value": 144.0)",
    R"("type": "LineArrowStartDropDown", "items": ["None", "OpenArrow", "ClosedArrow", "ReverseOpenArrow", "ReverseClosedArrow", "Butt", "Diamond", "Circle", "Square", "Slash"], "value": "None")",
    R"("type": "LineArrowEndDropDown", "items": ["None", "OpenArrow", "ClosedArrow", "ReverseOpenArrow", "ReverseClosedArrow", "Butt", "Diamond", "Circle", "Square", "Slash"], "value": "ClosedArrow")",
    R"("type": "RadioGroup", "items": ["None", "Invert", "Outline", "Push"], "value": "Invert")",
    R"("type": "Action", "value": "OpenLinkTarget", "description": "Follows the link", "parameters": {"target": "page", "page": "2"})",
    R"("type": "CheckRadioCaption", "styleFlag": false, "value": "4")",
    R"("type": "EditStringList", "value": ["Yes", "Off"])",
    R"("type": "StringPairListDialog", "value": [["Yes", "1"], ["<No>", "0"]])",
    R"("type": "BulletsStyle", "items": ["list-style-none", "list-style-bullet-type1", "list-style-bullet-type2", "list-style-bullet-type3", "list-style-bullet-type4", "list-style-bullet-type5", "list-style-bullet-type6"], "value": "list-style-bullet-type1")",
};

enum class Kinds { Label, Mixed };

// Two objects of the same shape, so that selecting one after the other rebuilds every time.
std::string MakeDocument(Kinds kinds, int propertyCount) {
    std::ostringstream json;
    json << R"({"document": "Bench.pdf", "pages": [{"label": "1"}], "objects": [)";
    for (int object = 0; object < 2; ++object) {
        json << (object ? "," : "") << R"({"name": "Object )" << object
             << R"(", "kind": "Bench Field", "groups": [)";
        for (int root = 0; root < 7; ++root) {
            json << (root ? "," : "") << R"({"name": ")" << kRootGroups[root] << R"(", "flags": [")"
                 << kRootFlags[root] << R"("], "root": true, "groups": [)";
            for (int sub = 0; sub < 2; ++sub) {
                json << (sub ? "," : "") << R"({"name": "Part )" << sub
                     << R"(", "flags": 0, "properties": [)";
                bool first = true;
                for (int index = root * 2 + sub; index < propertyCount; index += 14) {
                    json << (first ? "" : ",") << R"({"name": "Property )" << index << R"(", )";
                    if (kinds == Kinds::Label)
                        json << R"("type": "Label", "value": "Value )" << index << R"("})";
                    else
                        json << kMixedProperties[index % std::size(kMixedProperties)] << "}";
                    first = false;
                }
                json << "]}";
            }
            json << "]}";
        }
        json << "]}";
    }
    json << "]}";
    return json.str();
}

class PanelHost {
public:
    PanelHost(Kinds kinds, int propertyCount) {
        const std::filesystem::path folder = std::filesystem::canonical("/proc/self/exe").parent_path();
        document_ = std::filesystem::temp_directory_path() / ("panel-bench-" + std::to_string(getpid()) +
                                                              "-" + std::to_string(propertyCount) + ".json");
        std::ofstream(document_) << MakeDocument(kinds, propertyCount);
        headless::HostSessionOptions options;
        options.module = folder / "libdocument-panel-properties.so";
        options.uiResources = std::filesystem::path(PP_SOURCE_DIR) / "headless-host/ui-resources";
        options.logFile = "/dev/null";
        session_ = std::make_unique<headless::HostSession>(options, std::cerr);
        runner_ = std::make_unique<headless::ScenarioRunner>(*session_, out_, std::cerr, false);
        Run("open \"" + document_.string() + "\"");
    }
    ~PanelHost() {
        runner_.reset();
        session_.reset();
        std::filesystem::remove(document_);
    }
    bool Run(const std::string& commands) {
        return runner_->Run(headless::ScenarioParser::ParseInline(commands), "/");
    }

private:
    std::filesystem::path document_;
    std::ostringstream out_;
    std::unique_ptr<headless::HostSession> session_;
    std::unique_ptr<headless::ScenarioRunner> runner_;
};

void Rebuild(benchmark::State& state, Kinds kinds, bool allTabs) {
    const int propertyCount = static_cast<int>(state.range(0));
    PanelHost host(kinds, propertyCount);
    std::string expandAll;
    for (const char* group : kRootGroups)
        expandAll += std::string("; expand \".props-tab[panel=") + group + "]\"";
    int object = 0;
    for (auto _ : state) {
        std::string commands = "select \"Object " + std::to_string(object) + "\"";
        if (allTabs)
            commands += expandAll;
        if (!host.Run(commands)) {
            state.SkipWithError("the host could not run the rebuild");
            break;
        }
        object ^= 1;
    }
    state.SetComplexityN(propertyCount);
    state.counters["properties"] = propertyCount;
}

void BM_PanelRebuild(benchmark::State& state) {
    Rebuild(state, Kinds::Label, false);
}
void BM_PanelRebuildAllTabs(benchmark::State& state) {
    Rebuild(state, Kinds::Label, true);
}
void BM_PanelRebuildMixed(benchmark::State& state) {
    Rebuild(state, Kinds::Mixed, false);
}
void BM_PanelRebuildMixedAllTabs(benchmark::State& state) {
    Rebuild(state, Kinds::Mixed, true);
}

void Sizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->Arg(50)->Arg(200)->Arg(1000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
}
BENCHMARK(BM_PanelRebuild)->Apply(Sizes);
BENCHMARK(BM_PanelRebuildAllTabs)->Apply(Sizes);
BENCHMARK(BM_PanelRebuildMixed)->Apply(Sizes);
BENCHMARK(BM_PanelRebuildMixedAllTabs)->Apply(Sizes);

// "--write-document=label|mixed:COUNT:FILE"; false when the argument is not of that form.
bool WriteDocument(std::string_view argument) {
    constexpr std::string_view kOption = "--write-document=";
    if (argument.substr(0, kOption.size()) != kOption)
        return false;
    argument.remove_prefix(kOption.size());
    const auto firstColon = argument.find(':');
    const auto secondColon = argument.find(':', firstColon == argument.npos ? 0 : firstColon + 1);
    if (secondColon == argument.npos)
        return false;
    const std::string_view kindName = argument.substr(0, firstColon);
    if (kindName != "label" && kindName != "mixed")
        return false;
    const int count =
        std::atoi(std::string(argument.substr(firstColon + 1, secondColon - firstColon - 1)).c_str());
    if (count <= 0)
        return false;
    std::ofstream file{std::string(argument.substr(secondColon + 1))};
    file << MakeDocument(kindName == "label" ? Kinds::Label : Kinds::Mixed, count);
    return static_cast<bool>(file);
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]).starts_with("--write-document=")) {
            if (WriteDocument(argv[i]))
                return 0;
            std::cerr << "usage: --write-document=label|mixed:COUNT:FILE\n";
            return 2;
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
