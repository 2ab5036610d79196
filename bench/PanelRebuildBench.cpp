// Full rebuilds of the panel, as the host drives them: a selection change, then the UI loop until it
// is idle (the idle callback's rebuild, the inserted tabs and stubs, the bound root group handlers,
// the first tab's content and its bound group and editor handlers). The selection has 7 root groups
// and N properties spread over them; "AllTabs" also generates and binds every other tab's content.
#include "headless-host/app/HostSession.h"
#include "headless-host/app/ScenarioParser.h"
#include "headless-host/app/ScenarioRunner.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

namespace {

constexpr const char* kRootGroups[] = {"General",      "Values", "Events",      "Appearance",
                                       "Measurements", "Format", "Calculations"};
constexpr const char* kRootFlags[] = {"general",      "values", "events",      "appearance",
                                      "measurements", "format", "calculations"};

// Two objects of the same shape, so that selecting one after the other rebuilds every time.
std::string MakeDocument(int propertyCount) {
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
                    json << (first ? "" : ",") << R"({"name": "Property )" << index
                         << R"(", "type": "Label", "value": "Value )" << index << R"("})";
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
    explicit PanelHost(int propertyCount) {
        const std::filesystem::path folder = std::filesystem::canonical("/proc/self/exe").parent_path();
        document_ = std::filesystem::temp_directory_path() /
                    ("panel-bench-" + std::to_string(propertyCount) + ".json");
        std::ofstream(document_) << MakeDocument(propertyCount);
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

void Rebuild(benchmark::State& state, bool allTabs) {
    const int propertyCount = static_cast<int>(state.range(0));
    PanelHost host(propertyCount);
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
    Rebuild(state, false);
}
void BM_PanelRebuildAllTabs(benchmark::State& state) {
    Rebuild(state, true);
}

BENCHMARK(BM_PanelRebuild)
    ->Arg(50)
    ->Arg(200)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_PanelRebuildAllTabs)
    ->Arg(50)
    ->Arg(200)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

} // namespace

BENCHMARK_MAIN();
