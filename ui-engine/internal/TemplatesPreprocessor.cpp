#include "ui-engine/internal/TemplatesPreprocessor.h"

#include "host/UIServices.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectException.h"
#include "service-common/ServiceQuery.h"
#include "service-common/TextConversion.h"

#include <boost/format.hpp>
#include <boost/regex.hpp>

#include <algorithm>
#include <array>
#include <cassert>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <utility>

namespace ui {

namespace {

// The byte-order marks a template may start with; anything else is refused rather than guessed.
constexpr unsigned char kUtf16LeMark[] = {0xFF, 0xFE};
constexpr unsigned char kUtf8Mark[] = {0xEF, 0xBB, 0xBF};

template <std::size_t N>
bool StartsWith(const unsigned char* bytes, std::uint64_t size, const unsigned char (&mark)[N]) {
    return bytes != nullptr && size >= N && std::equal(mark, mark + N, bytes);
}

// Wide strings are UTF-32 here, so UTF-16 text is widened once. A surrogate without its partner
// becomes U+FFFD: one stray code unit in a template must not cost the whole template.
std::wstring DecodeUtf16Le(const unsigned char* bytes, std::size_t units) {
    auto unitAt = [bytes](std::size_t i) { return char32_t(bytes[2 * i] | bytes[2 * i + 1] << 8); };
    std::wstring text;
    text.reserve(units);
    for (std::size_t i = 0; i < units; ++i) {
        char32_t unit = unitAt(i);
        if (unit < 0xD800 || unit > 0xDFFF) {
            text += wchar_t(unit);
        } else if (unit <= 0xDBFF && i + 1 < units && unitAt(i + 1) >= 0xDC00 && unitAt(i + 1) <= 0xDFFF) {
            text += wchar_t(0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00));
            ++i;
        } else {
            text += L'\uFFFD';
        }
    }
    return text;
}

constexpr std::size_t kTypicalRuleCount = 32;

// Characters with a meaning in a Perl-syntax expression; a pattern without any is a plain text,
// and case-sensitive matching of it is text search. A table, since every rule of every fill asks.
constexpr std::array<bool, 128> kSyntaxCharacters = [] {
    std::array<bool, 128> table{};
    for (char c : std::string_view("\\^$.|?*+()[]{}"))
        table[std::size_t(c)] = true;
    return table;
}();

bool IsPlainText(std::wstring_view pattern) {
    return !pattern.empty() && std::none_of(pattern.begin(), pattern.end(), [](wchar_t c) {
        return std::uint32_t(c) < kSyntaxCharacters.size() && kSyntaxCharacters[std::size_t(c)];
    });
}

bool IsComputed(RuleAction action) {
    return action == RuleAction::ReplaceComputed || action == RuleAction::InsertComputedBefore ||
           action == RuleAction::InsertComputedAfter;
}

// Every occurrence of a set of words in a text, overlapping ones included, found in one scan
// (Aho-Corasick): the same starts as searching each word on its own from every position. Nodes sit
// in one array, children as sibling chains, so that building it costs a few allocations only.
class WordsSearch {
public:
    explicit WordsSearch(std::size_t characters) {
        nodes_.reserve(characters + 1);
        nodes_.emplace_back();
        rootNext_.fill(kNone);
    }

    // The word's index; a word given again gets the index it got first.
    std::size_t Add(std::wstring_view word) {
        assert(!word.empty() && "an empty word would match everywhere");
        std::uint32_t node = kRoot;
        for (wchar_t c : word) {
            std::uint32_t next = Child(node, c);
            if (next == kNone) {
                next = std::uint32_t(nodes_.size());
                nodes_.push_back(
                    {c, kNone, nodes_[node].firstChild, kRoot, kNone, kNone, nodes_[node].depth + 1});
                nodes_[node].firstChild = next;
                if (node == kRoot && std::uint32_t(c) < rootNext_.size())
                    rootNext_[std::size_t(c)] = next;
            }
            node = next;
        }
        if (nodes_[node].word == kNone)
            nodes_[node].word = std::uint32_t(wordCount_++);
        return nodes_[node].word;
    }

    // After the last Add. Breadth first, so that every failure target is complete before it is
    // followed.
    void LinkFailures() {
        std::vector<std::uint32_t> pending;
        pending.reserve(nodes_.size());
        for (std::uint32_t child = nodes_[kRoot].firstChild; child != kNone;
             child = nodes_[child].nextSibling)
            pending.push_back(child);
        for (std::size_t next = 0; next < pending.size(); ++next) {
            const std::uint32_t node = pending[next];
            for (std::uint32_t child = nodes_[node].firstChild; child != kNone;
                 child = nodes_[child].nextSibling) {
                const wchar_t c = nodes_[child].character;
                std::uint32_t failure = nodes_[node].failure;
                std::uint32_t target = Child(failure, c);
                while (target == kNone && failure != kRoot) {
                    failure = nodes_[failure].failure;
                    target = Child(failure, c);
                }
                target = target != kNone ? target : kRoot;
                nodes_[child].failure = target;
                nodes_[child].output = nodes_[target].word != kNone ? target : nodes_[target].output;
                pending.push_back(child);
            }
        }
    }

    // Per word, the starts of its occurrences in ascending order.
    std::vector<std::vector<std::size_t>> FindAll(std::wstring_view text) const {
        std::vector<std::vector<std::size_t>> starts(wordCount_);
        if (wordCount_ == 0)
            return starts;
        std::uint32_t node = kRoot;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const wchar_t c = text[i];
            std::uint32_t next = Child(node, c);
            while (next == kNone && node != kRoot) {
                node = nodes_[node].failure;
                next = Child(node, c);
            }
            node = next != kNone ? next : kRoot;
            for (std::uint32_t found = nodes_[node].word != kNone ? node : nodes_[node].output;
                 found != kNone; found = nodes_[found].output)
                starts[nodes_[found].word].push_back(i + 1 - nodes_[found].depth);
        }
        return starts;
    }

private:
    static constexpr std::uint32_t kNone = ~std::uint32_t(0);
    static constexpr std::uint32_t kRoot = 0;

    struct Node {
        wchar_t character = 0; // on the edge from the parent
        std::uint32_t firstChild = kNone;
        std::uint32_t nextSibling = kNone;
        std::uint32_t failure = kRoot;
        // The nearest node on the failure chain that ends a word.
        std::uint32_t output = kNone;
        std::uint32_t word = kNone;
        std::uint32_t depth = 0;
    };

    std::uint32_t Child(std::uint32_t node, wchar_t c) const {
        if (node == kRoot && std::uint32_t(c) < rootNext_.size())
            return rootNext_[std::size_t(c)];
        for (std::uint32_t child = nodes_[node].firstChild; child != kNone;
             child = nodes_[child].nextSibling) {
            if (nodes_[child].character == c)
                return child;
        }
        return kNone;
    }

    std::size_t wordCount_ = 0;
    std::vector<Node> nodes_;
    std::array<std::uint32_t, 128> rootNext_;
};

// A fill's rules made ready to search: the regular expressions compiled, the plain texts in one
// search. Made only when the cache cannot answer.
class CompiledRules {
public:
    // Raises std::runtime_error with the message of the first pattern that does not compile.
    explicit CompiledRules(const TemplateRuleSet& rules)
        : rules_(rules), words_(rules.rules.size(), kNotAWord), search_(rules.patterns.size()) {
        expressions_.resize(rules.rules.size());
        for (std::size_t i = 0; i < rules.rules.size(); ++i) {
            std::wstring_view pattern = rules.Pattern(rules.rules[i]);
            if (IsPlainText(pattern)) {
                words_[i] = search_.Add(pattern);
                continue;
            }
            try {
                expressions_[i] =
                    boost::wregex(pattern.begin(), pattern.end(), boost::regex::perl | boost::regex::mod_s);
            } catch (const boost::regex_error& e) {
                throw std::runtime_error(e.what());
            }
        }
        search_.LinkFailures();
    }

    const TemplateRuleSet& Rules() const { return rules_; }
    const WordsSearch& Search() const { return search_; }
    // Without any regular-expression syntax (every placeholder word): searched as text, with the
    // same matches as its expression.
    bool IsWord(std::size_t rule) const { return words_[rule] != kNotAWord; }
    // The index of a plain rule's text among the search's words.
    std::size_t WordOf(std::size_t rule) const { return words_[rule]; }
    const boost::wregex& Expression(std::size_t rule) const { return expressions_[rule]; }

private:
    static constexpr std::size_t kNotAWord = ~std::size_t(0);

    const TemplateRuleSet& rules_;
    std::vector<std::size_t> words_;
    std::vector<boost::wregex> expressions_;
    WordsSearch search_;
};

// A template as read through one store.
struct TemplateText {
    // Weak, so that a store that goes away (and another one made at its address) is never taken
    // for the one the text came from.
    so::WeakRef store;
    std::wstring text;

    bool IsFrom(ServiceObject* current) const { return !store.IsEmpty() && store.Lock().Get() == current; }
};

// A rule's match; once applied, the text before it runs from the previous segment's end to `start`.
struct Segment {
    std::size_t start;
    std::size_t end;
    std::uint32_t rule;
    std::vector<std::wstring> subExpressions; // only for computed rules with an expression
};

// What every fill of one template with one set of patterns and actions has in common. Never
// changed once made, so fills on several threads read it without a lock.
struct PreparedFill {
    // Of the rule set it was made for: the patterns and, per rule, action and pattern size.
    std::wstring patterns;
    std::vector<std::pair<RuleAction, std::uint32_t>> shape;
    std::shared_ptr<const TemplateText> source;
    std::vector<Segment> segments;

    bool IsFor(const TemplateRuleSet& rules) const {
        if (patterns != rules.patterns || shape.size() != rules.rules.size())
            return false;
        for (std::size_t i = 0; i < shape.size(); ++i) {
            if (shape[i].first != rules.rules[i].action || shape[i].second != rules.rules[i].patternSize)
                return false;
        }
        return true;
    }
    bool IsFor(const PreparedFill& other) const { return patterns == other.patterns && shape == other.shape; }
};

// Collects the matches of every rule in the text as loaded and keeps those the output applies.
PreparedFill Prepare(std::shared_ptr<const TemplateText> source, const CompiledRules& compiled) {
    const std::wstring_view text = source->text;
    const wchar_t* begin = text.data();
    const wchar_t* end = begin + text.size();
    const TemplateRuleSet& ruleSet = compiled.Rules();
    const std::vector<TemplateRuleSet::Rule>& rules = ruleSet.rules;
    const std::vector<std::vector<std::size_t>> wordStarts = compiled.Search().FindAll(text);

    // Every rule searches the text as loaded, in the order added. The first rule to match at a
    // position keeps it: `holderAt` says which match did.
    constexpr std::uint32_t kNoHolder = ~std::uint32_t(0);
    std::vector<std::uint32_t> holderAt(text.size() + 1, kNoHolder);
    std::vector<Segment> collected;
    boost::match_results<const wchar_t*> match;
    for (std::uint32_t ruleIndex = 0; ruleIndex < rules.size(); ++ruleIndex) {
        const TemplateRuleSet::Rule& rule = rules[ruleIndex];
        const std::vector<std::size_t>* starts =
            compiled.IsWord(ruleIndex) ? &wordStarts[compiled.WordOf(ruleIndex)] : nullptr;
        std::size_t nextStart = 0; // into *starts
        std::size_t from = 0;
        while (from <= text.size()) {
            std::size_t start = 0;
            std::size_t stop = 0;
            if (starts != nullptr) {
                // The occurrences at or after `from`, as a search from there would find them.
                while (nextStart < starts->size() && (*starts)[nextStart] < from)
                    ++nextStart;
                if (nextStart == starts->size())
                    break;
                start = (*starts)[nextStart];
                stop = start + rule.patternSize;
            } else {
                auto flags = boost::match_default;
                if (from != 0)
                    flags |= boost::match_prev_avail; // anchors and look-behinds see the text before
                if (!boost::regex_search(begin + from, end, match, compiled.Expression(ruleIndex), flags,
                                         begin))
                    break;
                start = std::size_t(match[0].first - begin);
                stop = std::size_t(match[0].second - begin);
            }
            std::uint32_t& holder = holderAt[start];
            if (holder == kNoHolder) {
                holder = std::uint32_t(collected.size());
                collected.push_back({start, stop, ruleIndex, {}});
                if (IsComputed(rule.action) && starts == nullptr) {
                    for (std::size_t i = 1; i < match.size(); ++i)
                        collected.back().subExpressions.push_back(match[i].str());
                }
            }
            // Continue after the match that holds this position; an empty one would be found again
            // at the same place forever, so the search then moves on by one character.
            const std::size_t heldEnd = collected[holder].end;
            from = heldEnd > start ? heldEnd : start + 1;
        }
    }
    if (collected.empty())
        throw regex_process_nothing_to_process_error();

    PreparedFill fill;
    fill.patterns = ruleSet.patterns;
    fill.shape.reserve(rules.size());
    for (const TemplateRuleSet::Rule& rule : rules)
        fill.shape.emplace_back(rule.action, rule.patternSize);
    // Left to right (no two share a start); a match that starts inside an applied one is skipped.
    std::sort(collected.begin(), collected.end(),
              [](const Segment& left, const Segment& right) { return left.start < right.start; });
    std::size_t cursor = 0;
    for (Segment& match : collected) {
        if (match.start < cursor)
            continue;
        cursor = match.end;
        fill.segments.push_back(std::move(match));
    }
    fill.source = std::move(source);
    return fill;
}

std::wstring ComputedText(const TemplateRuleSet& rules, const TemplateRuleSet::Rule& rule,
                          const Segment& segment) {
    if (rule.compute == TemplateRuleSet::kNoCompute || !rules.computes[rule.compute])
        return {};
    return rules.computes[rule.compute](segment.subExpressions);
}

void AppendOutput(const TemplateRuleSet& rules, const Segment& segment, std::wstring_view matched,
                  std::wstring& result) {
    const TemplateRuleSet::Rule& rule = rules.rules[segment.rule];
    switch (rule.action) {
    case RuleAction::Remove:
        return;
    case RuleAction::Replace:
        result += rules.Text(rule);
        return;
    case RuleAction::InsertBefore:
        result += rules.Text(rule);
        result += matched;
        return;
    case RuleAction::InsertAfter:
        result += matched;
        result += rules.Text(rule);
        return;
    case RuleAction::ReplaceComputed:
        result += ComputedText(rules, rule, segment);
        return;
    case RuleAction::InsertComputedBefore:
        result += ComputedText(rules, rule, segment);
        result += matched;
        return;
    case RuleAction::InsertComputedAfter:
        result += matched;
        result += ComputedText(rules, rule, segment);
        return;
    }
    throw regex_process_undefined_action_error();
}

// Composition, left to right, with this fill's texts.
void Compose(const PreparedFill& fill, const TemplateRuleSet& rules, std::wstring& result) {
    const std::wstring_view text = fill.source->text;
    std::size_t reserved = text.size();
    for (const Segment& segment : fill.segments)
        reserved += rules.rules[segment.rule].textSize;
    result.clear();
    result.reserve(reserved);
    std::size_t cursor = 0;
    for (const Segment& segment : fill.segments) {
        result.append(text.substr(cursor, segment.start - cursor));
        AppendOutput(rules, segment, text.substr(segment.start, segment.end - segment.start), result);
        cursor = segment.end;
    }
    result.append(text.substr(cursor));
}

// The templates read and the fills prepared, for every preprocessor of the process. [thread-safe]
// Only pointers to finished, immutable objects go in and out, and no host object is called under
// the lock.
class PreparedTemplates {
public:
    static PreparedTemplates& Instance() {
        static PreparedTemplates instance;
        return instance;
    }

    std::shared_ptr<const PreparedFill> FindFill(const std::wstring& path, const TemplateRuleSet& rules) {
        std::lock_guard lock(mutex_);
        Entry* entry = Touch(path);
        if (entry == nullptr)
            return nullptr;
        auto found = std::find_if(entry->fills.begin(), entry->fills.end(),
                                  [&](const auto& fill) { return fill->IsFor(rules); });
        if (found == entry->fills.end())
            return nullptr;
        std::rotate(entry->fills.begin(), found, found + 1);
        return entry->fills.front();
    }

    std::shared_ptr<const TemplateText> FindText(const std::wstring& path) {
        std::lock_guard lock(mutex_);
        Entry* entry = Touch(path);
        return entry != nullptr ? entry->text : nullptr;
    }

    // Taken before a fill reads anything: a fill whose reading overlapped an Invalidate does not
    // keep what it read.
    std::uint64_t Generation() {
        std::lock_guard lock(mutex_);
        return generation_;
    }

    void Add(const std::wstring& path, std::shared_ptr<const PreparedFill> fill, std::uint64_t generation) {
        // What this drops is released after the lock: the last reference to a text releases the
        // store's weak reference, which calls into the host.
        std::list<Entry> droppedEntries;
        std::vector<std::shared_ptr<const PreparedFill>> droppedFills;
        std::shared_ptr<const TemplateText> droppedText;
        std::lock_guard lock(mutex_);
        if (generation != generation_)
            return;
        Entry* entry = Touch(path);
        if (entry == nullptr) {
            entries_.push_front({path, fill->source, {}});
            entry = &entries_.front();
            byPath_.emplace(entry->path, entries_.begin());
        } else if (entry->text != fill->source) {
            // Read again (through another store): what was prepared from the old text is stale.
            droppedText = std::exchange(entry->text, fill->source);
            droppedFills.swap(entry->fills);
        }
        auto same = std::find_if(entry->fills.begin(), entry->fills.end(),
                                 [&](const auto& kept) { return kept->IsFor(*fill); });
        if (same != entry->fills.end()) {
            droppedFills.push_back(std::move(*same));
            entry->fills.erase(same);
        }
        entry->fills.insert(entry->fills.begin(), std::move(fill));
        if (entry->fills.size() > TemplatesPreprocessor::kCachedRuleSetsPerTemplate) {
            droppedFills.push_back(std::move(entry->fills.back()));
            entry->fills.pop_back();
        }
        if (entries_.size() > TemplatesPreprocessor::kCachedTemplatesLimit) {
            byPath_.erase(entries_.back().path);
            droppedEntries.splice(droppedEntries.begin(), entries_, std::prev(entries_.end()));
        }
    }

    void Clear() {
        std::list<Entry> dropped; // released after the lock
        std::lock_guard lock(mutex_);
        ++generation_;
        byPath_.clear();
        dropped.swap(entries_);
    }

private:
    struct Entry {
        std::wstring path;
        std::shared_ptr<const TemplateText> text;
        std::vector<std::shared_ptr<const PreparedFill>> fills; // most recently used first
    };

    // The entry for `path`, made the most recently used; null when there is none.
    Entry* Touch(const std::wstring& path) {
        auto found = byPath_.find(path);
        if (found == byPath_.end())
            return nullptr;
        entries_.splice(entries_.begin(), entries_, found->second);
        return &*found->second;
    }

    std::mutex mutex_;
    std::list<Entry> entries_;                                                 // most recently used first
    std::unordered_map<std::wstring_view, std::list<Entry>::iterator> byPath_; // views of entries_' paths
    std::uint64_t generation_ = 0;
};

so::Ref ResourceStore() {
    so::Ref service = so::QueryServiceObject(host::UIResourceService::kServiceNumber);
    so::Ref store;
    so::Call<host::UIResourceService::GetResourceStore>(service.Get(), store.Put());
    return store;
}

} // namespace

TemplatesPreprocessor::TemplatesPreprocessor(std::wstring templatePath)
    : templatePath_(std::move(templatePath)) {
    // Room for a typical fill's rules, so that adding them does not keep reallocating.
    rules_.rules.reserve(kTypicalRuleCount);
    rules_.patterns.reserve(kTypicalRuleCount * 20);
    rules_.texts.reserve(kTypicalRuleCount * 16);
}

TemplatesPreprocessor& TemplatesPreprocessor::AddRule(std::wstring_view pattern, RuleAction action,
                                                      std::wstring_view text) {
    AppendRule(pattern, action, text, {});
    return *this;
}

TemplatesPreprocessor& TemplatesPreprocessor::AddRule(std::wstring_view pattern, RuleAction action,
                                                      ComputeReplacement compute) {
    AppendRule(pattern, action, std::wstring_view(), std::move(compute));
    return *this;
}

TemplatesPreprocessor& TemplatesPreprocessor::AddRemoveRule(std::wstring_view pattern) {
    return AddRule(pattern, RuleAction::Remove, std::wstring_view());
}

void TemplatesPreprocessor::SetPreloadedBlob(so::Ref blob) {
    preloadedBlob_ = std::move(blob);
}

void TemplatesPreprocessor::Invalidate() {
    PreparedTemplates::Instance().Clear();
}

std::wstring TemplatesPreprocessor::Do() {
    std::wstring result;
    so::Ref blobHolder;
    Do(result, blobHolder);
    return result;
}

void TemplatesPreprocessor::Do(std::wstring& result, so::Ref& blobHolder) {
    struct ReleaseOnExit {
        so::Ref& blob;
        ~ReleaseOnExit() { blob.Reset(); }
    } release{blobHolder};

    result.clear();
    try {
        if (blobHolder || preloadedBlob_) {
            // Bytes that did not come through the store have no identity the cache could trust.
            CompiledRules compiled(rules_);
            if (!blobHolder)
                blobHolder = preloadedBlob_;
            auto source = std::make_shared<TemplateText>(TemplateText{so::WeakRef(), Decode(blobHolder)});
            Compose(Prepare(std::move(source), compiled), rules_, result);
            return;
        }

        PreparedTemplates& cache = PreparedTemplates::Instance();
        std::shared_ptr<const PreparedFill> prepared = cache.FindFill(templatePath_, rules_);
        // A prepared fill proves that these patterns compile; otherwise their errors come before
        // anything is loaded.
        std::optional<CompiledRules> compiled;
        if (!prepared)
            compiled.emplace(rules_);
        so::Ref store = ResourceStore();
        if (!store)
            return;
        if (prepared && prepared->source->IsFrom(store.Get())) {
            Compose(*prepared, rules_, result);
            return;
        }

        const std::uint64_t generation = cache.Generation();
        std::shared_ptr<const TemplateText> source = cache.FindText(templatePath_);
        if (!source || !source->IsFrom(store.Get())) {
            so::Call<host::UIResourceStore::GetResource>(store.Get(), templatePath_.c_str(),
                                                         blobHolder.Put());
            if (!blobHolder)
                return;
            source = std::make_shared<TemplateText>(
                TemplateText{so::WeakRef::To(store.Get()), Decode(blobHolder)});
        }
        if (!compiled)
            compiled.emplace(rules_);
        auto fill = std::make_shared<const PreparedFill>(Prepare(source, *compiled));
        if (!source->store.IsEmpty())
            cache.Add(templatePath_, fill, generation);
        Compose(*fill, rules_, result);
    } catch (const std::runtime_error& e) {
        // Boost's complexity and stack errors land here too: a pattern that would take "forever" on
        // this text is a broken template fill, reported as such.
        throw so::ServiceObjectException(kTemplateErrorCode,
                                         (boost::format("Process htm-template \"%1%\" failed: %2%") %
                                          so::Utf8FromWide(templatePath_) % e.what())
                                             .str(),
                                         kDoFunctionName, kDoSourceFile, kProcessingErrorLine);
    }
}

std::wstring TemplatesPreprocessor::Decode(const so::Ref& blob) const {
    std::uint64_t size = 0;
    const void* data = nullptr;
    so::Call<host::Blob::GetSize>(blob.Get(), &size);
    so::Call<host::Blob::GetData>(blob.Get(), &data);
    const auto* bytes = static_cast<const unsigned char*>(data);

    if (StartsWith(bytes, size, kUtf16LeMark))
        return DecodeUtf16Le(bytes + 2, std::size_t((size - 2) / 2));
    if (StartsWith(bytes, size, kUtf8Mark))
        return so::WideFromUtf8(std::string_view(reinterpret_cast<const char*>(bytes) + 3, size - 3));
    throw so::ServiceObjectException(
        kTemplateErrorCode,
        (boost::format("The htm-template \"%1%\" should be saved using UTF-16-LE or UTF8 encoding") %
         so::Utf8FromWide(templatePath_))
            .str(),
        kDoFunctionName, kDoSourceFile, kEncodingErrorLine);
}

void TemplatesPreprocessor::AppendRule(std::wstring_view pattern, RuleAction action, std::wstring_view text,
                                       ComputeReplacement compute) {
    TemplateRuleSet::Rule rule;
    rule.action = action;
    rule.patternStart = std::uint32_t(rules_.patterns.size());
    rule.patternSize = std::uint32_t(pattern.size());
    rules_.patterns += pattern;
    rule.textStart = std::uint32_t(rules_.texts.size());
    rule.textSize = std::uint32_t(text.size());
    rules_.texts += text;
    if (compute) {
        rule.compute = std::uint32_t(rules_.computes.size());
        rules_.computes.push_back(std::move(compute));
    }
    rules_.rules.push_back(rule);
}

} // namespace ui
