// libFuzzer harness for the indexed selector queries: the input's bytes choose a tree, mutations,
// scopes and selectors; after each mutation the index must hold what the tree holds, and every
// indexed query must find what the reference walk finds.
#include "headless-host/html-engine/dom/Element.h"
#include "tests/headless-host/html-engine/RandomDom.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The input's bytes make the first choices; a generator seeded from them makes the rest, so that
    // even short inputs build varied trees.
    std::size_t at = 0;
    std::mt19937 random(static_cast<std::uint32_t>(
        std::hash<std::string_view>{}(std::string_view(reinterpret_cast<const char*>(data), size))));
    auto choose = [&](std::size_t n) -> std::size_t {
        return at < size ? data[at++] % n : std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    html::testing::RandomDom dom(choose);
    std::vector<std::shared_ptr<html::Element>> roots{dom.MakeTree(1 + choose(24))};
    constexpr int kSteps = 16;
    for (int step = 0; step < kSteps; ++step) {
        if (choose(2) == 0) {
            dom.Mutate(roots);
            for (const auto& root : roots) {
                if (const std::string difference = html::testing::CompareIndexWithTree(*root);
                    !difference.empty()) {
                    std::fprintf(stderr, "after a mutation, %s\n", difference.c_str());
                    std::abort();
                }
            }
            continue;
        }
        html::Element& root = *roots[choose(roots.size())];
        html::Element* scope = &root;
        for (std::size_t steps = choose(4); steps > 0 && scope->FirstElementChild(); --steps) {
            scope = scope->FirstElementChild();
        }
        const std::string text = dom.Selector();
        try {
            const html::SelectorList selector = html::SelectorParser::Parse(text);
            const std::string difference = html::testing::CompareWithReference(*scope, selector);
            if (!difference.empty()) {
                std::fprintf(stderr, "%s: %s\n", text.c_str(), difference.c_str());
                std::abort();
            }
        } catch (const html::SelectorError&) {
        }
    }
    return 0;
}
