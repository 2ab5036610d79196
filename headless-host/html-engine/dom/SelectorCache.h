// A bounded, thread-safe cache of parsed selectors keyed by their text.
#pragma once

#include "headless-host/html-engine/dom/Selector.h"

#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>

namespace html {

class SelectorError;

// Handlers run the same few selectors on every event, so each text is parsed once. Invalid texts
// are cached too (their error is thrown again). The least recently used entry goes first.
class SelectorCache {
public:
    static constexpr std::size_t kDefaultCapacity = 512;

    explicit SelectorCache(std::size_t capacity = kDefaultCapacity);

    // The parsed selector; throws SelectorError for an invalid one. [thread-safe]
    std::shared_ptr<const SelectorList> Get(std::string_view text);

    std::size_t Size() const;
    void Clear();

    // The cache the query functions use.
    static SelectorCache& Shared();

private:
    struct Entry {
        std::string text;
        std::variant<std::shared_ptr<const SelectorList>, std::shared_ptr<const SelectorError>> parsed;
    };

    std::size_t capacity_;
    mutable std::mutex mutex_;
    std::list<Entry> entries_;                                               // most recently used first
    std::unordered_map<std::string_view, std::list<Entry>::iterator> index_; // keys view entries_' texts
};

} // namespace html
