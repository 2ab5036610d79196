// Fills one HTML template of the module's UI resources: loads it from the UI resource store, decodes
// it and rewrites it in one pass with an ordered list of regular-expression rules.
#pragma once

#include "host/ServiceObject.h"
#include "service-common/ServiceObjectPtr.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// What a rule puts in place of each of its matches.
enum class RuleAction : std::uint32_t {
    Remove = 0,               // nothing
    Replace = 1,              // the rule's text
    InsertBefore = 2,         // the rule's text, then the match
    InsertAfter = 3,          // the match, then the rule's text
    ReplaceComputed = 4,      // the computed text
    InsertComputedBefore = 5, // the computed text, then the match
    InsertComputedAfter = 6,  // the match, then the computed text
};

// Gives the text for a match of a computed rule from the texts of its sub-expressions 1..n (the
// whole match is not passed).
using ComputeReplacement = std::function<std::wstring(const std::vector<std::wstring>& subExpressions)>;

// The rules of one fill in the order added. Stored in a few shared buffers, so that adding a rule
// allocates nothing of its own: a fill adds dozens and is otherwise answered from the cache.
struct TemplateRuleSet {
    struct Rule {
        std::uint32_t patternStart = 0; // in `patterns`
        std::uint32_t patternSize = 0;
        std::uint32_t textStart = 0; // in `texts`
        std::uint32_t textSize = 0;
        std::uint32_t compute = kNoCompute; // in `computes`
        RuleAction action = RuleAction::Replace;
    };
    static constexpr std::uint32_t kNoCompute = ~std::uint32_t(0);

    std::vector<Rule> rules;
    // Every rule's pattern, one after another. With the rules' actions and pattern sizes, all that
    // decides which matches a text has: what the cache compares.
    std::wstring patterns;
    // The texts rules insert, verbatim: no "$n" expansion, no escaping.
    std::wstring texts;
    std::vector<ComputeReplacement> computes;

    // Perl syntax, case-sensitive, "." also matching line breaks; compiled only when a fill has to
    // search the text, never for a fill the cache answers. A pattern without any regular-expression
    // syntax (every placeholder word) is searched as text, all such patterns of a fill in one scan,
    // with the same matches as their expressions.
    std::wstring_view Pattern(const Rule& rule) const {
        return std::wstring_view(patterns).substr(rule.patternStart, rule.patternSize);
    }
    std::wstring_view Text(const Rule& rule) const {
        return std::wstring_view(texts).substr(rule.textStart, rule.textSize);
    }
};

// Raised by processing when no rule matched anywhere: a fill that changes nothing is a mistake of
// the fill code or of the template.
class regex_process_nothing_to_process_error : public std::runtime_error {
public:
    regex_process_nothing_to_process_error() : std::runtime_error("Nothing to process") {}
};

// Raised for an action value outside RuleAction. A logic error, so that Do lets it pass unchanged.
class regex_process_undefined_action_error : public std::logic_error {
public:
    regex_process_undefined_action_error() : std::logic_error("Undefined regex_process action type") {}
};

// One template fill: construct on the stack, add rules, call Do once, discard. [ui-thread] by use;
// an object is never shared, but fills may run on several threads at once.
//
// Processing collects the matches of every rule in the text as loaded (never in the output), then
// composes the output from left to right. Of two matches at one position the rule added first
// wins; a match that starts inside an applied one is skipped; inserted texts are never searched
// again. So where one placeholder is a prefix of another (PROPERTY_VALUE, PROPERTY_VALUES), the
// longer one must be added first.
//
// Which matches exist depends only on the text and on the rules' patterns and actions, never on
// the texts they insert, so a template read from the resource store is read and decoded once and
// its applied matches are found once per set of patterns; later fills only copy the text between
// them and insert their own texts (computed rules are still asked at every fill). The cache is
// shared by all fills of the process, bounded, and keyed by path, patterns, actions and the
// store the text came from. A blob given by the caller or through SetPreloadedBlob is never
// cached. A store that refuses weak references is read at every fill.
class TemplatesPreprocessor {
public:
    // Code of every failure Do reports itself.
    static constexpr SOResult kTemplateErrorCode = 0x5000A;
    // The function and source location those failures record, kept as the host's error reports
    // know them rather than where this build's code happens to sit.
    static constexpr const char* kDoFunctionName =
        "details::TemplatesPreprocessor<struct details::UTF16_Strategy>::Do";
    static constexpr const char* kDoSourceFile = "App/include/ui-engine/internal/TemplatesPreprocessor";
    static constexpr std::uint32_t kEncodingErrorLine = 217;
    static constexpr std::uint32_t kProcessingErrorLine = 257;
    // Templates the cache keeps, least recently filled dropped first, and the sets of patterns it
    // keeps per template: the module has a few dozen templates, each filled by a few rule sets.
    static constexpr std::size_t kCachedTemplatesLimit = 128;
    static constexpr std::size_t kCachedRuleSetsPerTemplate = 8;

    // `templatePath` as "document-panel-properties/properties-tab.template.htm", handed to the
    // resource store unchanged.
    explicit TemplatesPreprocessor(std::wstring templatePath);

    // Appends the rule. A pattern that does not compile is not raised here but by Do, as a
    // processing failure naming the template, so that rule chains stay simple.
    TemplatesPreprocessor& AddRule(std::wstring_view pattern, RuleAction action, std::wstring_view text = {});
    // The same for the computed actions; an empty callback gives an empty text.
    TemplatesPreprocessor& AddRule(std::wstring_view pattern, RuleAction action, ComputeReplacement compute);
    TemplatesPreprocessor& AddRemoveRule(std::wstring_view pattern);

    // Bytes to fill instead of the resource store's (a blob object); no caller of the panel needs it.
    void SetPreloadedBlob(so::Ref blob);

    // Loads, decodes and processes the template into `result`. `blobHolder` is the caller's empty
    // reference: Do fills it with the loaded blob (unless the caller put one there) and releases it
    // on every exit. A missing template gives an empty result without error. A template the cache
    // holds is not read again: the store is asked for it only when the cache cannot answer.
    //
    // Raises ServiceObjectException with kTemplateErrorCode for a template that is neither UTF-16LE
    // nor UTF-8 with a byte-order mark, and for any runtime error while loading or processing (a
    // regular expression too complex to match, no rule matching). A pattern that did not compile is
    // raised the same way before anything is loaded, so that a broken fill is reported whatever
    // the template holds, even when it is missing.
    // ServiceObjectExceptions of the resource store and regex_process_undefined_action_error pass
    // unchanged. On failure `result` is left empty or partial.
    void Do(std::wstring& result, so::Ref& blobHolder);
    // Do with a holder of its own.
    std::wstring Do();

    const std::wstring& TemplatePath() const { return templatePath_; }

    // Drops everything the cache holds, so that every template is read from the store again: on a
    // language switch and when the module's resources change, which the host does not announce.
    // Fills running meanwhile finish with what they read and do not put it back. [thread-safe]
    static void Invalidate();

private:
    void AppendRule(std::wstring_view pattern, RuleAction action, std::wstring_view text,
                    ComputeReplacement compute);
    std::wstring Decode(const so::Ref& blob) const;

    std::wstring templatePath_;
    so::Ref preloadedBlob_;
    TemplateRuleSet rules_;
};

} // namespace ui
