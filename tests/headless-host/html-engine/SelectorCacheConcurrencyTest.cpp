// The parsed-selector cache shared by every query, used from several threads at once (run under
// ThreadSanitizer by the tsan preset).
#include "headless-host/html-engine/dom/SelectorCache.h"
#include "headless-host/html-engine/dom/SelectorError.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace html {
namespace {

TEST(SelectorCacheConcurrency, ThreadsGetConsistentResultsWhileEntriesAreEvicted) {
    SelectorCache cache(8);
    constexpr int kThreads = 4;
    constexpr int kRounds = 2000;
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&cache, &wrong, t] {
            for (int i = 0; i < kRounds; ++i) {
                const int n = (i * 7 + t) % 16; // 16 texts over 8 slots: constant eviction
                const std::string text = ".c" + std::to_string(n) + " > [x=\"" + std::to_string(n) + "\"]";
                auto parsed = cache.Get(text);
                if (!parsed || parsed->selectors.size() != 1 ||
                    parsed->selectors[0].compounds[0].simpleSelectors[0].name != "c" + std::to_string(n)) {
                    ++wrong;
                }
                try {
                    cache.Get("bad[" + std::to_string(n));
                    ++wrong;
                } catch (const SelectorError&) {
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_LE(cache.Size(), 8u);
}

} // namespace
} // namespace html
