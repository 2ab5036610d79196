// LRU bookkeeping of the parsed-selector cache.
#include "headless-host/html-engine/dom/SelectorCache.h"

#include "headless-host/html-engine/dom/SelectorError.h"
#include "headless-host/html-engine/dom/SelectorParser.h"

namespace html {

SelectorCache::SelectorCache(std::size_t capacity) : capacity_(capacity == 0 ? 1 : capacity) {}

std::shared_ptr<const SelectorList> SelectorCache::Get(std::string_view text) {
    std::unique_lock lock(mutex_);
    auto found = index_.find(text);
    if (found == index_.end()) {
        // Parse without the lock: parsing is the slow part, and two threads parsing the same
        // text at once only do the work twice.
        lock.unlock();
        Entry entry{std::string(text), {}};
        try {
            entry.parsed = std::make_shared<const SelectorList>(SelectorParser::Parse(text));
        } catch (const SelectorError& error) {
            entry.parsed = std::make_shared<const SelectorError>(error);
        }
        lock.lock();
        found = index_.find(text);
        if (found == index_.end()) {
            entries_.push_front(std::move(entry));
            index_.emplace(entries_.front().text, entries_.begin());
            if (entries_.size() > capacity_) {
                index_.erase(entries_.back().text);
                entries_.pop_back();
            }
            found = index_.find(text);
        }
    }
    entries_.splice(entries_.begin(), entries_, found->second);
    const auto& parsed = found->second->parsed;
    if (const auto* error = std::get_if<std::shared_ptr<const SelectorError>>(&parsed)) {
        throw SelectorError(**error);
    }
    return std::get<std::shared_ptr<const SelectorList>>(parsed);
}

std::size_t SelectorCache::Size() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

void SelectorCache::Clear() {
    std::lock_guard lock(mutex_);
    index_.clear();
    entries_.clear();
}

SelectorCache& SelectorCache::Shared() {
    static SelectorCache cache;
    return cache;
}

} // namespace html
