// Fills on several threads share the template cache while another thread drops it, as a language
// switch does: every fill still gets its own texts in its own template.
#include "service-common/TextConversion.h"
#include "tests/ui-engine/TestHostObjects.h"
#include "ui-engine/internal/TemplatesPreprocessor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>
#include <vector>

// Boost.Regex hands the memory blocks of its matchers from thread to thread through atomics in its
// own library, which the thread sanitizer does not instrument and so reports the blocks' reuse as
// a race. No expression object is shared between threads here: every fill compiles its own.
extern "C" const char* __tsan_default_suppressions() {
    return "race:boost::re_detail_*::perl_matcher\n";
}

namespace {

using ui::RuleAction;
using ui::TemplatesPreprocessor;

std::wstring PathOf(std::size_t index) {
    return L"document-panel-properties/concurrent-" + std::to_wstring(index) + L".template.htm";
}

TEST(TemplatesPreprocessorThreads, FillsStayExactWhileTheCacheIsSharedEvictedAndDropped) {
    testing_host::ScopedResourceStore store;
    // More templates than the cache keeps, so that fills also evict one another.
    const std::size_t templateCount = TemplatesPreprocessor::kCachedTemplatesLimit + 8;
    for (std::size_t i = 0; i < templateCount; ++i)
        store->templates[PathOf(i)] =
            "\xEF\xBB\xBF" + so::Utf8FromWide(L"<i id=\"PROPERTY_ID\"><!-- c -->" + std::to_wstring(i) +
                                              L" PROPERTY_VALUE</i>");

    std::atomic<bool> filling{true};
    std::thread invalidator([&] {
        while (filling) {
            TemplatesPreprocessor::Invalidate();
            std::this_thread::yield();
        }
    });
    constexpr int kThreads = 4;
    constexpr int kFillsEach = 400;
    std::vector<std::thread> fillers;
    for (int thread = 0; thread < kThreads; ++thread) {
        fillers.emplace_back([&, thread] {
            std::mt19937 random(thread);
            for (int fill = 0; fill < kFillsEach; ++fill) {
                std::size_t index = random() % templateCount;
                std::wstring id = std::to_wstring(thread) + L"-" + std::to_wstring(fill);
                TemplatesPreprocessor preprocessor(PathOf(index));
                preprocessor.AddRule(L"PROPERTY_ID", RuleAction::Replace, id);
                // Two rule sets per template: with the value computed from the id, or removed.
                const bool computed = fill % 2 == 0;
                if (computed)
                    preprocessor.AddRule(
                        L"PROPERTY_(VALUE)", RuleAction::ReplaceComputed,
                        [&](const std::vector<std::wstring>& groups) { return groups.at(0) + id; });
                else
                    preprocessor.AddRemoveRule(L"PROPERTY_VALUE");
                preprocessor.AddRemoveRule(L"<!--.*?-->");
                std::wstring expected = L"<i id=\"" + id + L"\">" + std::to_wstring(index) + L" " +
                                        (computed ? L"VALUE" + id : L"") + L"</i>";
                ASSERT_EQ(preprocessor.Do(), expected);
            }
        });
    }
    for (std::thread& filler : fillers)
        filler.join();
    filling = false;
    invalidator.join();
}

} // namespace
