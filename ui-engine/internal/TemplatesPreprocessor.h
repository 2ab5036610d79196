// Fills one HTML template of the module's UI resources: loads it from the UI resource store, decodes
// it and rewrites it in one pass with an ordered list of regular-expression rules.
#pragma once

#include "host/ServiceObject.h"
#include "service-common/ServiceObjectPtr.h"

#include <boost/regex.hpp>

#include <cstdint>
#include <functional>
#include <optional>
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

struct TemplateRule {
    // Perl syntax, case-sensitive, "." also matching line breaks. Empty when the pattern is plain
    // text: see `plainText`.
    boost::wregex pattern;
    // A pattern without any regular-expression syntax (every placeholder word) is searched as
    // text: the same matches as its expression, found several times faster and without compiling,
    // which keeps the cost of a fill low however many placeholders it fills.
    std::wstring plainText;
    // Inserted verbatim: no "$n" expansion, no escaping.
    std::wstring replacement;
    ComputeReplacement computeReplacement;
    RuleAction action = RuleAction::Replace;
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

// One template fill: construct on the stack, add rules, call Do once, discard. Nothing is cached
// between fills. [ui-thread] by use; an object is never shared.
//
// Processing collects the matches of every rule in the text as loaded (never in the output), then
// composes the output from left to right. Of two matches at one position the rule added first
// wins; a match that starts inside an applied one is skipped; inserted texts are never searched
// again. So where one placeholder is a prefix of another (PROPERTY_VALUE, PROPERTY_VALUES), the
// longer one must be added first.
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

    // `templatePath` as "document-panel-properties/properties-tab.template.htm", handed to the
    // resource store unchanged.
    explicit TemplatesPreprocessor(std::wstring templatePath);

    // Compiles the pattern and appends the rule. A pattern that does not compile is not raised here
    // but by Do, as a processing failure naming the template, so that rule chains stay simple.
    TemplatesPreprocessor& AddRule(std::wstring_view pattern, RuleAction action, std::wstring text = {});
    // The same for the computed actions; an empty callback gives an empty text.
    TemplatesPreprocessor& AddRule(std::wstring_view pattern, RuleAction action, ComputeReplacement compute);
    TemplatesPreprocessor& AddRemoveRule(std::wstring_view pattern);

    // Bytes to fill instead of the resource store's (a blob object); no caller of the panel needs it.
    void SetPreloadedBlob(so::Ref blob);

    // Loads, decodes and processes the template into `result`. `blobHolder` is the caller's empty
    // reference: Do fills it with the loaded blob (unless the caller put one there) and releases it
    // on every exit. A missing template gives an empty result without error.
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

private:
    void AppendRule(std::wstring_view pattern, RuleAction action, std::wstring text,
                    ComputeReplacement compute);
    so::Ref LoadFromResourceStore() const;
    void Process(std::wstring_view text, std::wstring& result) const;

    std::wstring templatePath_;
    so::Ref preloadedBlob_;
    std::vector<TemplateRule> rules_;
    // The first pattern that did not compile, raised by Do.
    std::optional<std::string> patternError_;
};

} // namespace ui
