#include "ui-engine/internal/TemplatesPreprocessor.h"

#include "host/UIServices.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectException.h"
#include "service-common/ServiceQuery.h"
#include "service-common/TextConversion.h"

#include <boost/format.hpp>

#include <algorithm>
#include <map>

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

// Characters with a meaning in a Perl-syntax expression; a pattern without any is a plain text,
// and case-sensitive matching of it is text search.
bool IsPlainText(std::wstring_view pattern) {
    return !pattern.empty() && pattern.find_first_of(L"\\^$.|?*+()[]{}") == std::wstring_view::npos;
}

bool IsComputed(RuleAction action) {
    return action == RuleAction::ReplaceComputed || action == RuleAction::InsertComputedBefore ||
           action == RuleAction::InsertComputedAfter;
}

struct CollectedMatch {
    std::size_t end;
    const TemplateRule* rule;
    std::vector<std::wstring> subExpressions; // only for computed rules
};

std::wstring ComputedText(const CollectedMatch& match) {
    if (!match.rule->computeReplacement)
        return {};
    return match.rule->computeReplacement(match.subExpressions);
}

void AppendOutput(const CollectedMatch& match, std::wstring_view matched, std::wstring& result) {
    const TemplateRule& rule = *match.rule;
    switch (rule.action) {
    case RuleAction::Remove:
        return;
    case RuleAction::Replace:
        result += rule.replacement;
        return;
    case RuleAction::InsertBefore:
        result += rule.replacement;
        result += matched;
        return;
    case RuleAction::InsertAfter:
        result += matched;
        result += rule.replacement;
        return;
    case RuleAction::ReplaceComputed:
        result += ComputedText(match);
        return;
    case RuleAction::InsertComputedBefore:
        result += ComputedText(match);
        result += matched;
        return;
    case RuleAction::InsertComputedAfter:
        result += matched;
        result += ComputedText(match);
        return;
    }
    throw regex_process_undefined_action_error();
}

} // namespace

TemplatesPreprocessor::TemplatesPreprocessor(std::wstring templatePath)
    : templatePath_(std::move(templatePath)) {}

TemplatesPreprocessor& TemplatesPreprocessor::AddRule(std::wstring_view pattern, RuleAction action,
                                                      std::wstring text) {
    AppendRule(pattern, action, std::move(text), {});
    return *this;
}

TemplatesPreprocessor& TemplatesPreprocessor::AddRule(std::wstring_view pattern, RuleAction action,
                                                      ComputeReplacement compute) {
    AppendRule(pattern, action, {}, std::move(compute));
    return *this;
}

TemplatesPreprocessor& TemplatesPreprocessor::AddRemoveRule(std::wstring_view pattern) {
    return AddRule(pattern, RuleAction::Remove, std::wstring());
}

void TemplatesPreprocessor::SetPreloadedBlob(so::Ref blob) {
    preloadedBlob_ = std::move(blob);
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
        if (patternError_)
            throw std::runtime_error(*patternError_);
        if (!blobHolder)
            blobHolder = preloadedBlob_;
        if (!blobHolder)
            blobHolder = LoadFromResourceStore();
        if (!blobHolder)
            return;

        std::uint64_t size = 0;
        const void* data = nullptr;
        so::Call<host::Blob::GetSize>(blobHolder.Get(), &size);
        so::Call<host::Blob::GetData>(blobHolder.Get(), &data);
        const auto* bytes = static_cast<const unsigned char*>(data);

        std::wstring text;
        if (StartsWith(bytes, size, kUtf16LeMark)) {
            text = DecodeUtf16Le(bytes + 2, std::size_t((size - 2) / 2));
        } else if (StartsWith(bytes, size, kUtf8Mark)) {
            text = so::WideFromUtf8(std::string_view(reinterpret_cast<const char*>(bytes) + 3, size - 3));
        } else {
            throw so::ServiceObjectException(
                kTemplateErrorCode,
                (boost::format("The htm-template \"%1%\" should be saved using UTF-16-LE or UTF8 encoding") %
                 so::Utf8FromWide(templatePath_))
                    .str(),
                kDoFunctionName, kDoSourceFile, kEncodingErrorLine);
        }

        Process(text, result);
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

void TemplatesPreprocessor::AppendRule(std::wstring_view pattern, RuleAction action, std::wstring text,
                                       ComputeReplacement compute) {
    if (IsPlainText(pattern)) {
        rules_.push_back(
            {boost::wregex(), std::wstring(pattern), std::move(text), std::move(compute), action});
        return;
    }
    try {
        rules_.push_back(
            {boost::wregex(pattern.begin(), pattern.end(), boost::regex::perl | boost::regex::mod_s),
             std::wstring(), std::move(text), std::move(compute), action});
    } catch (const boost::regex_error& e) {
        if (!patternError_)
            patternError_ = e.what();
    }
}

so::Ref TemplatesPreprocessor::LoadFromResourceStore() const {
    so::Ref service = so::QueryServiceObject(host::UIResourceService::kServiceNumber);
    so::Ref store;
    so::Call<host::UIResourceService::GetResourceStore>(service.Get(), store.Put());
    if (!store)
        return {};
    so::Ref blob;
    so::Call<host::UIResourceStore::GetResource>(store.Get(), templatePath_.c_str(), blob.Put());
    return blob;
}

void TemplatesPreprocessor::Process(std::wstring_view text, std::wstring& result) const {
    const wchar_t* begin = text.data();
    const wchar_t* end = begin + text.size();

    // Collection: every rule searches the text as loaded. Keyed by start, so that the first rule
    // to match at a position keeps it.
    std::map<std::size_t, CollectedMatch> collected;
    boost::match_results<const wchar_t*> match;
    for (const TemplateRule& rule : rules_) {
        std::size_t from = 0;
        while (from <= text.size()) {
            std::size_t start = 0;
            std::size_t stop = 0;
            if (!rule.plainText.empty()) {
                start = text.find(rule.plainText, from);
                if (start == std::wstring_view::npos)
                    break;
                stop = start + rule.plainText.size();
            } else {
                auto flags = boost::match_default;
                if (from != 0)
                    flags |= boost::match_prev_avail; // anchors and look-behinds see the text before
                if (!boost::regex_search(begin + from, end, match, rule.pattern, flags, begin))
                    break;
                start = std::size_t(match[0].first - begin);
                stop = std::size_t(match[0].second - begin);
            }
            auto [entry, added] = collected.try_emplace(start, CollectedMatch{stop, &rule, {}});
            if (added && IsComputed(rule.action) && rule.plainText.empty()) {
                for (std::size_t i = 1; i < match.size(); ++i)
                    entry->second.subExpressions.push_back(match[i].str());
            }
            // Continue after the match that holds this position; an empty one would be found again
            // at the same place forever, so the search then moves on by one character.
            from = entry->second.end > start ? entry->second.end : start + 1;
        }
    }
    if (collected.empty())
        throw regex_process_nothing_to_process_error();

    // Composition, left to right: a match that starts inside an applied one is skipped.
    std::size_t reserved = text.size();
    for (const TemplateRule& rule : rules_)
        reserved += rule.replacement.size();
    result.clear();
    result.reserve(reserved);
    std::size_t cursor = 0;
    for (const auto& [start, collectedMatch] : collected) {
        if (start < cursor)
            continue;
        result.append(text.substr(cursor, start - cursor));
        AppendOutput(collectedMatch, text.substr(start, collectedMatch.end - start), result);
        cursor = collectedMatch.end;
    }
    result.append(text.substr(cursor));
}

} // namespace ui
