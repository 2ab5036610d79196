// Template fills: one pass over the text as loaded (TemplatesPreprocessor) against the obvious
// alternative, one regex_replace per rule over the previous rule's output, on a realistic editor
// template and on a 64 KB template with 200 placeholders and a growing number of rules. One pass
// runs twice: as the module fills (from the preprocessor's cache) and with the cache dropped before
// every fill, so that it reads the template through the host's resource store and compiles its
// patterns every time, as rule by rule always does.
// The summary after the table gives the ratios, from CPU time (builders share the machine).
#include "headless-host/services/BlobObject.h"
#include "headless-host/services/ResourceStore.h"
#include "headless-host/support/HostSupport.h"
#include "service-common/ErrorsStorage.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceQuery.h"
#include "service-common/TextConversion.h"
#include "ui-engine/internal/TemplatesPreprocessor.h"

#include <benchmark/benchmark.h>
#include <boost/format.hpp>
#include <boost/regex.hpp>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr const wchar_t* kCommentPattern = L"<!--.*?-->";

// The engine's resource read, over templates made in memory.
class TemplateEngine : public so::ObjectBase {
public:
    using Interface = host::UIEngine;
    static constexpr std::uint32_t kClassTag = 0xBE4C0001;
    static void BindMethods(so::MethodBinder<TemplateEngine>& binder) {
        binder.Bind<host::UIEngine::LoadResourceData, &TemplateEngine::LoadResourceData>();
    }
    SOResult LoadResourceData(const wchar_t* path, ServiceObject** blob) {
        auto found = templates.find(path);
        *blob = found != templates.end() ? headless::BlobObject::Create(found->second) : nullptr;
        return *blob != nullptr ? so::kOk : so::kNothingProvided;
    }
    std::map<std::wstring, std::string> templates;
};

struct Fill {
    std::wstring path;
    std::vector<std::pair<std::wstring, std::wstring>> placeholders; // in the fill code's order
};

std::string StoredText(const std::wstring& text) {
    return "\xEF\xBB\xBF" + so::Utf8FromWide(text);
}

// A number editor as the panel's property templates look: 19 placeholders, some repeated, some
// inside attribute values, one comment.
const wchar_t kEditorTemplate[] =
    L"<!-- Number editor: the caption shows the value, the popup edits it. -->\r\n"
    L"<div class=\"pg-item PROP_ITEM_CLASS\" id=\"pg-item-PROPERTY_ID\" prop-name=\"PROPERTY_NAME\" "
    L"PROP_ITEM_ATTRS>\r\n"
    L"  <div class=\"prop-name\" titleid=\"tooltip-PROPERTY_ID\">PROPERTY_DISP_NAME</div>\r\n"
    L"  <div class=\"prop-box prop-box-number PROP_BOX_CLASS\">\r\n"
    L"    <div class=\"prop-view prop-view-number PROP_EDIT_CLASS\" id=\"PROPERTY_ID\" "
    L"list-index=\"PROP_LIST_INDEX\">PROPERTY_DISPLAY_VALUE<span class=\"unit\">UNIT_TEXT</span></div>\r\n"
    L"    <popup class=\"edit-popup\">\r\n"
    L"      <div class=\"edit-box\" style=\"EDIT_BOX_STYLE\">\r\n"
    L"        <input type=\"hslider\" class=\"edit-input-number-slider\" min=\"MIN_VALUE\" max=\"MAX_VALUE\" "
    L"step=\"STEP_VALUE\" value=\"PROPERTY_VALUE\" SLIDER_INPUT_ATTRS />\r\n"
    L"        <input type=\"number\" class=\"edit-input-number\" size=\"INPUT_SIZE\" min=\"MIN_VALUE\" "
    L"max=\"MAX_VALUE\" step=\"STEP_VALUE\" value=\"PROPERTY_VALUE\" NUMBER_INPUT_ATTRS />\r\n"
    L"      </div>\r\n"
    L"    </popup>\r\n"
    L"  </div>\r\n"
    L"  <div class=\"tooltip\" id=\"tooltip-PROPERTY_ID\"><p>PROPERTY_HTM_VALUE</p></div>\r\n"
    L"</div>\r\n";

Fill EditorFill() {
    return {L"document-panel-properties/property-number.template.htm",
            {{L"PROP_ITEM_CLASS", L"limit-length-block"},
             {L"PROPERTY_ID", L"prop-opacity-12"},
             {L"PROPERTY_NAME", L"Opacity"},
             {L"PROP_ITEM_ATTRS", L"readonly=\"\""},
             {L"PROPERTY_DISP_NAME", L"Deckkraft"},
             {L"PROP_BOX_CLASS", L"select-box"},
             {L"PROP_EDIT_CLASS", L"prop-edit"},
             {L"PROP_LIST_INDEX", L"0"},
             {L"PROPERTY_DISPLAY_VALUE", L"75"},
             {L"UNIT_TEXT", L"%"},
             {L"EDIT_BOX_STYLE", L"min-width: 120px;"},
             {L"MIN_VALUE", L"0"},
             {L"MAX_VALUE", L"100"},
             {L"STEP_VALUE", L"1"},
             {L"PROPERTY_VALUE", L"75"},
             {L"SLIDER_INPUT_ATTRS", L""},
             {L"INPUT_SIZE", L"3"},
             {L"NUMBER_INPUT_ATTRS", L"novalue=\"&#8211;\""},
             {L"PROPERTY_HTM_VALUE", L"75 &amp; more"}}};
}

// 64 KB of group markup holding 200 placeholders spread over `ruleCount` distinct names.
std::pair<Fill, std::wstring> LargeFill(int ruleCount) {
    constexpr int kOccurrences = 200;
    constexpr std::size_t kBytes = 64 * 1024;
    Fill fill{L"document-panel-properties/large-" + std::to_wstring(ruleCount) + L".template.htm", {}};
    for (int i = 0; i < ruleCount; ++i)
        fill.placeholders.push_back(
            {(boost::wformat(L"FIELD_%03d_VALUE") % i).str(), L"value " + std::to_wstring(i)});
    std::wstring text;
    for (int i = 0; i < kOccurrences; ++i) {
        std::wstring item =
            (boost::wformat(L"<div class=\"pg-item\" id=\"item-%1%\">\r\n  <!-- item %1% -->\r\n"
                            L"  <span class=\"prop-value\">%2%</span>\r\n") %
             i % fill.placeholders[i % ruleCount].first)
                .str();
        while (item.size() < kBytes / kOccurrences - 8)
            item += L"  <i class=\"filler\">lorem ipsum dolor</i>\r\n";
        text += item + L"</div>\r\n";
    }
    return {fill, text};
}

std::wstring FillOnePass(const Fill& fill) {
    ui::TemplatesPreprocessor preprocessor(fill.path);
    for (const auto& [placeholder, value] : fill.placeholders)
        preprocessor.AddRule(placeholder, ui::RuleAction::Replace, value);
    preprocessor.AddRemoveRule(kCommentPattern);
    return preprocessor.Do();
}

std::wstring FillRuleByRule(const Fill& fill) {
    so::Ref service = so::QueryServiceObject(host::UIResourceService::kServiceNumber);
    so::Ref store, blob;
    so::Call<host::UIResourceService::GetResourceStore>(service.Get(), store.Put());
    so::Call<host::UIResourceStore::GetResource>(store.Get(), fill.path.c_str(), blob.Put());
    std::uint64_t size = 0;
    const void* data = nullptr;
    so::Call<host::Blob::GetSize>(blob.Get(), &size);
    so::Call<host::Blob::GetData>(blob.Get(), &data);
    std::wstring text = so::WideFromUtf8(std::string_view(static_cast<const char*>(data) + 3, size - 3));
    const auto options = boost::regex::perl | boost::regex::mod_s;
    for (const auto& [placeholder, value] : fill.placeholders)
        text = boost::regex_replace(text, boost::wregex(placeholder, options), value,
                                    boost::regex_constants::format_literal);
    return boost::regex_replace(text, boost::wregex(kCommentPattern, options), L"",
                                boost::regex_constants::format_literal);
}

void RegisterFills(const std::string& name, const Fill& fill) {
    benchmark::RegisterBenchmark(("OnePass/" + name).c_str(), [fill](benchmark::State& state) {
        for (auto _ : state)
            benchmark::DoNotOptimize(FillOnePass(fill));
        state.SetItemsProcessed(state.iterations());
    });
    benchmark::RegisterBenchmark(("Uncached/" + name).c_str(), [fill](benchmark::State& state) {
        for (auto _ : state) {
            ui::TemplatesPreprocessor::Invalidate();
            benchmark::DoNotOptimize(FillOnePass(fill));
        }
        state.SetItemsProcessed(state.iterations());
    });
    benchmark::RegisterBenchmark(("RuleByRule/" + name).c_str(), [fill](benchmark::State& state) {
        for (auto _ : state)
            benchmark::DoNotOptimize(FillRuleByRule(fill));
        state.SetItemsProcessed(state.iterations());
    });
}

// The console table, then how one pass (cached and not) compares with rule by rule, and how each
// grows with rules.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                seconds_[run.benchmark_name()] =
                    run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        std::printf("\n%-22s %12s %12s %14s %10s %10s\n", "fill", "one pass/s", "uncached/s",
                    "rule by rule/s", "speed-up", "uncached");
        for (const auto& [name, onePass] : seconds_) {
            if (name.rfind("OnePass/", 0) != 0)
                continue;
            std::string fill = name.substr(8);
            auto uncached = seconds_.find("Uncached/" + fill);
            auto other = seconds_.find("RuleByRule/" + fill);
            if (uncached == seconds_.end() || other == seconds_.end())
                continue;
            std::printf("%-22s %12.0f %12.0f %14.0f %9.2fx %9.2fx\n", fill.c_str(), 1 / onePass,
                        1 / uncached->second, 1 / other->second, other->second / onePass,
                        other->second / uncached->second);
        }
        const std::string kinds[] = {"OnePass/", "Uncached/", "RuleByRule/"};
        auto at = [&](const std::string& kind, int rules) {
            auto found = seconds_.find(kind + (boost::format("large/rules:%03d") % rules).str());
            return found != seconds_.end() ? found->second : 0.0;
        };
        if (std::all_of(std::begin(kinds), std::end(kinds),
                        [&](const auto& kind) { return at(kind, 10) > 0; })) {
            std::printf("\ncost against 10 rules (64 KB, 200 placeholders)\n%-10s %10s %10s %14s\n", "rules",
                        "one pass", "uncached", "rule by rule");
            for (int rules : {10, 20, 40, 80}) {
                std::printf("%-10.1f", rules / 10.0);
                for (const std::string& kind : kinds)
                    std::printf(" %*.2fx", kind == kinds[2] ? 13 : 9, at(kind, rules) / at(kind, 10));
                std::printf("\n");
            }
        }
        ConsoleReporter::Finalize();
    }

private:
    std::map<std::string, double> seconds_;
};

} // namespace

int main(int argc, char** argv) {
    so::ErrorsStorage::Instance();
    so::Ref engine = so::Make<TemplateEngine>();
    auto& templates = so::ServiceObjectCppTheConcrete<TemplateEngine>::From(engine.Get()).templates;
    headless::RegisterResourceService(engine);

    std::vector<std::pair<std::string, Fill>> fills;
    Fill editor = EditorFill();
    templates[editor.path] = StoredText(kEditorTemplate);
    fills.push_back({"editor", editor});
    for (int rules : {10, 20, 40, 80}) {
        auto [fill, text] = LargeFill(rules);
        templates[fill.path] = StoredText(text);
        fills.push_back({(boost::format("large/rules:%03d") % rules).str(), fill});
    }
    // Where no replacement holds a placeholder or a comment the two must agree, whether one pass
    // reads the template or finds it in the cache; compare once.
    for (const auto& [name, fill] : fills) {
        ui::TemplatesPreprocessor::Invalidate();
        const std::wstring expected = FillRuleByRule(fill);
        if (FillOnePass(fill) != expected || FillOnePass(fill) != expected) {
            std::fprintf(stderr, "%s: one pass and rule by rule differ\n", name.c_str());
            return 1;
        }
        RegisterFills(name, fill);
    }

    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    ServiceProviderUnregister(host::UIResourceService::kServiceNumber);
    return 0;
}
