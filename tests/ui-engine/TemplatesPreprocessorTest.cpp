// The preprocessor's contract beyond the golden cases: where the template comes from and what
// happens to the blob, which failures keep their identity, computed rules, how one pass over the
// text as loaded relates to applying the rules one after another, and what the cache keeps.
#include "ui-engine/internal/TemplatesPreprocessor.h"

#include "service-common/ServiceObjectException.h"
#include "service-common/TextConversion.h"
#include "tests/ui-engine/TestHostObjects.h"

#include <boost/algorithm/string/join.hpp>
#include <boost/regex.hpp>
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <random>
#include <utility>

namespace {

using testing_host::ScopedResourceStore;
using testing_host::TestBlob;
using ui::RuleAction;
using ui::TemplatesPreprocessor;

constexpr const wchar_t* kPath = L"document-panel-properties/property-test.template.htm";

std::string Utf8Template(const std::wstring& text) {
    return "\xEF\xBB\xBF" + so::Utf8FromWide(text);
}

struct Rule {
    std::wstring pattern;
    std::wstring text;
    RuleAction action = RuleAction::Replace;
};

std::wstring FillOnePass(const std::wstring& text, const std::vector<Rule>& rules) {
    TemplatesPreprocessor preprocessor(kPath);
    preprocessor.SetPreloadedBlob(TestBlob::Make(Utf8Template(text)));
    for (const Rule& rule : rules)
        preprocessor.AddRule(rule.pattern, rule.action, rule.text);
    return preprocessor.Do();
}

// The obvious alternative: each rule rewrites the previous rule's output.
std::wstring FillRuleByRule(std::wstring text, const std::vector<Rule>& rules) {
    for (const Rule& rule : rules) {
        boost::wregex pattern(rule.pattern, boost::regex::perl | boost::regex::mod_s);
        text = boost::regex_replace(text, pattern, rule.action == RuleAction::Remove ? L"" : rule.text,
                                    boost::regex_constants::format_literal);
    }
    return text;
}

TEST(TemplatesPreprocessor, BlobGivenByTheCallerIsUsedAndReleased) {
    ScopedResourceStore store;
    so::Ref blob = TestBlob::Make(Utf8Template(L"PROPERTY_VALUE"));
    so::Ref holder = blob;
    std::wstring result;
    TemplatesPreprocessor(kPath).AddRule(L"PROPERTY_VALUE", RuleAction::Replace, L"1").Do(result, holder);
    EXPECT_EQ(result, L"1");
    EXPECT_EQ(store->requests, 0);
    EXPECT_FALSE(holder);
    EXPECT_EQ(blob.Get()->header.GetRefCount(blob.Get()), 1u);
}

TEST(TemplatesPreprocessor, MissingResourceServicePassesTheProviderFailure) {
    try {
        TemplatesPreprocessor(kPath).AddRule(L"X", RuleAction::Remove).Do();
        FAIL() << "without a resource service there is no template";
    } catch (const so::ServiceObjectException& e) {
        EXPECT_EQ(e.Code(), so::kServiceNotSupportedByProvider);
    }
}

TEST(TemplatesPreprocessor, ComputedRulesReceiveSubExpressions) {
    std::vector<std::vector<std::wstring>> calls;
    auto describe = [&](const std::vector<std::wstring>& groups) {
        calls.push_back(groups);
        return L"<" + groups.at(0) + L"|" + groups.at(1) + L">";
    };
    TemplatesPreprocessor preprocessor(kPath);
    preprocessor.SetPreloadedBlob(TestBlob::Make(Utf8Template(L"a=1; b=; c=3; d=4;")));
    preprocessor.AddRule(L"(a)=(\\d)", RuleAction::ReplaceComputed, describe)
        .AddRule(L"(b)=(\\d)?", RuleAction::InsertComputedBefore, describe)
        .AddRule(L"(c)=(\\d)", RuleAction::InsertComputedAfter, describe)
        .AddRule(L"d=4", RuleAction::ReplaceComputed, ui::ComputeReplacement());
    EXPECT_EQ(preprocessor.Do(), L"<a|1>; <b|>b=; c=3<c|3>; ;");
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0], (std::vector<std::wstring>{L"a", L"1"}));
}

TEST(TemplatesPreprocessor, RuntimeErrorOfAComputedRuleBecomesAProcessingFailure) {
    TemplatesPreprocessor preprocessor(kPath);
    preprocessor.SetPreloadedBlob(TestBlob::Make(Utf8Template(L"X")));
    preprocessor.AddRule(
        L"X", RuleAction::ReplaceComputed,
        [](const std::vector<std::wstring>&) -> std::wstring { throw std::range_error("bad"); });
    try {
        preprocessor.Do();
        FAIL() << "the callback's failure must surface";
    } catch (const so::ServiceObjectException& e) {
        EXPECT_EQ(e.Code(), TemplatesPreprocessor::kTemplateErrorCode);
        EXPECT_EQ(e.Message(),
                  "Process htm-template \"document-panel-properties/property-test.template.htm\" "
                  "failed: bad");
        EXPECT_EQ(e.Function(), TemplatesPreprocessor::kDoFunctionName);
    }
}

struct FailureCase {
    const char* name;
    std::string stored;
    std::uint32_t line;
};

void PrintTo(const FailureCase& failure, std::ostream* out) {
    *out << failure.name;
}

class TemplatesPreprocessorFailure : public testing::TestWithParam<FailureCase> {};

// The host's error reports know the preprocessor's failures by this function and source location,
// wherever this build's code sits.
TEST_P(TemplatesPreprocessorFailure, RecordsTheSourceLocationTheHostKnows) {
    TemplatesPreprocessor preprocessor(kPath);
    preprocessor.SetPreloadedBlob(TestBlob::Make(GetParam().stored));
    preprocessor.AddRule(L"PROPERTY_VALUE", RuleAction::Replace, L"1");
    try {
        preprocessor.Do();
        FAIL() << "the fill must fail";
    } catch (const so::ServiceObjectException& e) {
        EXPECT_EQ(e.Function(), "details::TemplatesPreprocessor<struct details::UTF16_Strategy>::Do");
        EXPECT_EQ(e.File(), "App/include/ui-engine/internal/TemplatesPreprocessor");
        EXPECT_EQ(e.Line(), GetParam().line);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, TemplatesPreprocessorFailure,
                         testing::Values(FailureCase{"RejectedEncoding", "PROPERTY_VALUE", 217},
                                         FailureCase{"NothingToProcess", "\xEF\xBB\xBF", 257}),
                         [](const testing::TestParamInfo<FailureCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(TemplatesPreprocessor, LoneSurrogatesOfAUtf16TemplateBecomeReplacementCharacters) {
    // "X", a lone low surrogate, "Y", a high surrogate before a non-surrogate, "Z", a pair (U+1D11E),
    // and a high surrogate that ends the text.
    const std::vector<unsigned> units = {'X', 0xDC00, 'Y', 0xD800, 'Z', 0xD834, 0xDD1E, 0xD800};
    std::string stored = "\xFF\xFE";
    for (unsigned unit : units) {
        stored += char(unit & 0xFF);
        stored += char(unit >> 8);
    }
    TemplatesPreprocessor preprocessor(kPath);
    preprocessor.SetPreloadedBlob(TestBlob::Make(stored));
    preprocessor.AddRule(L"X", RuleAction::Replace, L"1");
    EXPECT_EQ(preprocessor.Do(), L"1\uFFFDY\uFFFDZ\U0001D11E\uFFFD");
}

TEST(TemplatesPreprocessor, DotInAPatternMatchesAnyCharacter) {
    EXPECT_EQ(FillOnePass(L"PROPERTY_VALUE PROPERTY-VALUE", {{L"PROPERTY.VALUE", L"v"}}), L"v v");
}

TEST(TemplatesPreprocessor, FirstPatternThatDoesNotCompileIsTheOneReported) {
    TemplatesPreprocessor preprocessor(kPath);
    preprocessor.SetPreloadedBlob(TestBlob::Make(Utf8Template(L"PROPERTY_VALUE")));
    preprocessor.AddRule(L"PROPERTY_VALUE", RuleAction::Replace, L"1")
        .AddRule(L"(first", RuleAction::Replace, L"2")
        .AddRule(L"[second", RuleAction::Replace, L"3");
    try {
        preprocessor.Do();
        FAIL() << "a pattern that does not compile fails the fill";
    } catch (const so::ServiceObjectException& e) {
        EXPECT_NE(e.Message().find("'(first"), std::string::npos) << e.Message();
        EXPECT_EQ(e.Message().find("[second"), std::string::npos) << e.Message();
    }
}

// "A|BC|C" first matches "A", where "AB" already holds the position; its search then goes on after
// "AB", so it finds "C" and not "BC", which would start inside "AB" and be skipped.
TEST(TemplatesPreprocessor, SearchGoesOnAfterTheMatchThatHoldsThePosition) {
    EXPECT_EQ(FillOnePass(L"ABC", {{L"AB", L"1"}, {L"A|BC|C", L"2"}}), L"12");
}

TEST(TemplatesPreprocessor, ComputedRuleGetsOnlyTheSubExpressionsOfItsOwnMatch) {
    std::vector<std::vector<std::wstring>> calls;
    auto record = [&](const std::vector<std::wstring>& groups) {
        calls.push_back(groups);
        return std::wstring(L"*");
    };
    TemplatesPreprocessor preprocessor(kPath);
    preprocessor.SetPreloadedBlob(TestBlob::Make(Utf8Template(L"AB")));
    preprocessor.AddRule(L"(A)(B)", RuleAction::ReplaceComputed, record)
        .AddRule(L"(A)", RuleAction::ReplaceComputed, record);
    EXPECT_EQ(preprocessor.Do(), L"*");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], (std::vector<std::wstring>{L"A", L"B"}));
}

// Texts whose placeholders share no letters with each other's values or with the surrounding
// markup: here one pass and rule by rule must agree exactly.
TEST(TemplatesPreprocessor, OnePassEqualsRuleByRuleWhereRulesCannotInterfere) {
    const std::vector<std::wstring> placeholders = {L"PROPS_GROUP_ID", L"PROPERTY_HTM_VALUE",
                                                    L"CHECK_BOX_ATTRS", L"NUM_PROPS_SUB_GROUPS",
                                                    L"RADIO_GROUP_ITEMS"};
    const std::vector<std::wstring> fillers = {
        L"<div class=\"pg-item\">", L"</div>", L"\r\n", L"  ", L"größe",
        L"<!-- a note -->",         L"=\"",    L"-",    L"é𝄞"};
    const std::vector<std::wstring> values = {L"<b>", L"größe ", L"=\"", L"\r\n", L"é𝄞", L"$1 $& \\1"};
    std::mt19937 random(20240611);
    auto pick = [&](const std::vector<std::wstring>& from) { return from[random() % from.size()]; };
    for (int round = 0; round < 200; ++round) {
        std::wstring text;
        for (int piece = 0; piece < 30; ++piece)
            text += random() % 3 == 0 ? pick(placeholders) : pick(fillers);
        std::vector<Rule> rules;
        for (const std::wstring& placeholder : placeholders) {
            if (random() % 4 == 0)
                rules.push_back({placeholder, L"", RuleAction::Remove});
            else
                rules.push_back({placeholder, pick(values) + L"value " + std::to_wstring(round)});
        }
        std::shuffle(rules.begin(), rules.end(), random);
        rules.push_back({L"<!--.*?-->", L"", RuleAction::Remove});
        if (text.find(L"_") == std::wstring::npos && text.find(L"<!--") == std::wstring::npos)
            text += placeholders[0]; // at least one match, or both fail
        ASSERT_EQ(FillOnePass(text, rules), FillRuleByRule(text, rules)) << so::Utf8FromWide(text);
    }
}

struct DifferingCase {
    const char* name;
    std::wstring text;
    std::vector<Rule> rules;
    std::wstring onePass;
};

class TemplatesPreprocessorDiffers : public testing::TestWithParam<DifferingCase> {};

TEST_P(TemplatesPreprocessorDiffers, FromRuleByRuleExactlyAsDesigned) {
    const DifferingCase& sample = GetParam();
    std::wstring onePass = FillOnePass(sample.text, sample.rules);
    EXPECT_EQ(onePass, sample.onePass);
    EXPECT_NE(onePass, FillRuleByRule(sample.text, sample.rules));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TemplatesPreprocessorDiffers,
    testing::Values(
        DifferingCase{"InsertedTextIsNotSearchedAgain",
                      L"<b>PROPS_GROUP_ITEMS</b> PROPERTY_ID",
                      {{L"PROPS_GROUP_ITEMS", L"<i id=\"PROPERTY_ID\"></i>"}, {L"PROPERTY_ID", L"7"}},
                      L"<b><i id=\"PROPERTY_ID\"></i></b> 7"},
        DifferingCase{"InsertedCommentSurvivesTheCommentRule",
                      L"<b>PROPERTY_HTM_VALUE</b><!-- x -->",
                      {{L"PROPERTY_HTM_VALUE", L"<!-- kept -->"}, {L"<!--.*?-->", L"", RuleAction::Remove}},
                      L"<b><!-- kept --></b>"},
        DifferingCase{"MatchStartingFirstWinsOverEarlierRule",
                      L"PROPERTY_DISPLAY_VALUE",
                      {{L"DISPLAY_VALUE", L"shown"}, {L"PROPERTY_DISPLAY_VALUE", L"property shown"}},
                      L"property shown"},
        DifferingCase{"RemovalDoesNotJoinTextIntoNewMatches",
                      L"PROPERTY<!-- -->_ID",
                      {{L"<!--.*?-->", L"", RuleAction::Remove}, {L"PROPERTY_ID", L"7"}},
                      L"PROPERTY_ID"}),
    [](const testing::TestParamInfo<DifferingCase>& info) { return std::string(info.param.name); });

// What the cache keeps is checked through the store's reads; each case starts from an empty cache.
class TemplatesPreprocessorCache : public testing::Test {
protected:
    void SetUp() override { TemplatesPreprocessor::Invalidate(); }

    // A fill of `path` through the store with the two placeholders and a computed rule.
    std::wstring Fill(const std::wstring& path, const std::wstring& id, const std::wstring& value) {
        return TemplatesPreprocessor(path)
            .AddRule(L"PROPERTY_ID", RuleAction::Replace, id)
            .AddRule(L"PROPERTY_VALUE", RuleAction::InsertAfter, value)
            .AddRule(L"(\\w+)=\"(\\d)\"", RuleAction::ReplaceComputed,
                     [&](const std::vector<std::wstring>& groups) {
                         ++computed;
                         return groups.at(1) + L":" + groups.at(0) + L":" + value;
                     })
            .AddRemoveRule(L"<!--.*?-->")
            .Do();
    }

    ScopedResourceStore store;
    int computed = 0;
};

TEST_F(TemplatesPreprocessorCache, LaterFillsReadNothingAndInsertTheirOwnTexts) {
    store->templates[kPath] = Utf8Template(L"<b id=\"PROPERTY_ID\" n=\"3\"><!-- c -->PROPERTY_VALUE</b>");
    EXPECT_EQ(Fill(kPath, L"a", L"1"), L"<b id=\"a\" 3:n:1>PROPERTY_VALUE1</b>");
    EXPECT_EQ(Fill(kPath, L"b", L"22"), L"<b id=\"b\" 3:n:22>PROPERTY_VALUE22</b>");
    EXPECT_EQ(Fill(kPath, L"", L""), L"<b id=\"\" 3:n:>PROPERTY_VALUE</b>");
    EXPECT_EQ(store->requests, 1);
    EXPECT_EQ(computed, 3); // computed rules are asked at every fill
}

TEST_F(TemplatesPreprocessorCache, RuleSetsOfOneTemplateShareOneRead) {
    store->templates[kPath] = Utf8Template(L"PROPERTY_ID PROPERTY_VALUE");
    EXPECT_EQ(Fill(kPath, L"a", L"1"), L"a PROPERTY_VALUE1");
    EXPECT_EQ(TemplatesPreprocessor(kPath).AddRule(L"PROPERTY_VALUE", RuleAction::Replace, L"2").Do(),
              L"PROPERTY_ID 2");
    EXPECT_EQ(TemplatesPreprocessor(kPath).AddRule(L"PROPERTY_VALUE", RuleAction::Remove).Do(),
              L"PROPERTY_ID ");
    // The same characters split between two rules.
    EXPECT_EQ(TemplatesPreprocessor(kPath)
                  .AddRule(L"PROPERTY_", RuleAction::Replace, L"p")
                  .AddRule(L"VALUE", RuleAction::Replace, L"v")
                  .Do(),
              L"pID pv");
    EXPECT_EQ(TemplatesPreprocessor(kPath)
                  .AddRule(L"PROPERTY_VAL", RuleAction::Replace, L"p")
                  .AddRule(L"UE", RuleAction::Replace, L"v")
                  .Do(),
              L"PROPERTY_ID pv");
    EXPECT_EQ(TemplatesPreprocessor(kPath).AddRule(L"PROPERTY_(\\w+)", RuleAction::Replace, L"3").Do(),
              L"3 3");
    // The same pattern computed: its sub-expressions are kept for it alone.
    EXPECT_EQ(TemplatesPreprocessor(kPath)
                  .AddRule(L"PROPERTY_(\\w+)", RuleAction::ReplaceComputed,
                           [](const std::vector<std::wstring>& groups) { return groups.at(0); })
                  .Do(),
              L"ID VALUE");
    EXPECT_EQ(store->requests, 1);
}

TEST_F(TemplatesPreprocessorCache, InvalidateMakesTheNextFillReadTheStoreAgain) {
    store->templates[kPath] = Utf8Template(L"old PROPERTY_VALUE");
    EXPECT_EQ(Fill(kPath, L"", L"1"), L"old PROPERTY_VALUE1");
    store->templates[kPath] = Utf8Template(L"new PROPERTY_VALUE");
    EXPECT_EQ(Fill(kPath, L"", L"2"), L"old PROPERTY_VALUE2"); // nothing announced the change
    TemplatesPreprocessor::Invalidate();
    EXPECT_EQ(Fill(kPath, L"", L"3"), L"new PROPERTY_VALUE3");
    EXPECT_EQ(store->requests, 2);
}

// A language switch while a fill reads the template: that fill finishes with what it read, but
// keeps none of it for the next.
TEST_F(TemplatesPreprocessorCache, FillOverlappingAnInvalidateKeepsNothing) {
    store->templates[kPath] = Utf8Template(L"old PROPERTY_VALUE");
    bool switched = false;
    store->whileReading = [&] {
        if (std::exchange(switched, true))
            return;
        store->templates[kPath] = Utf8Template(L"new PROPERTY_VALUE");
        TemplatesPreprocessor::Invalidate();
    };
    EXPECT_EQ(Fill(kPath, L"", L"1"), L"old PROPERTY_VALUE1");
    EXPECT_EQ(Fill(kPath, L"", L"2"), L"new PROPERTY_VALUE2");
    EXPECT_EQ(store->requests, 2);
}

TEST_F(TemplatesPreprocessorCache, AnotherStoreIsReadAfresh) {
    store->templates[kPath] = Utf8Template(L"first PROPERTY_VALUE");
    EXPECT_EQ(Fill(kPath, L"", L"1"), L"first PROPERTY_VALUE1");
    // Stores made and dropped one after another may well share an address.
    for (const wchar_t* text : {L"second PROPERTY_VALUE", L"third PROPERTY_VALUE"}) {
        ScopedResourceStore other;
        other->templates[kPath] = Utf8Template(text);
        EXPECT_EQ(Fill(kPath, L"", L"2"), std::wstring(text) + L"2");
        EXPECT_EQ(other->requests, 1);
    }
}

TEST_F(TemplatesPreprocessorCache, BlobsNotFromTheStoreAreNeverCached) {
    store->templates[kPath] = Utf8Template(L"stored PROPERTY_VALUE");
    for (const wchar_t* text : {L"given PROPERTY_VALUE", L"other PROPERTY_VALUE"}) {
        TemplatesPreprocessor preloaded(kPath);
        preloaded.SetPreloadedBlob(TestBlob::Make(Utf8Template(text)));
        EXPECT_EQ(preloaded.AddRule(L"PROPERTY_VALUE", RuleAction::Replace, L"1").Do(),
                  std::wstring(text).substr(0, 6) + L"1");
        so::Ref holder = TestBlob::Make(Utf8Template(text));
        std::wstring result;
        TemplatesPreprocessor(kPath).AddRule(L"PROPERTY_VALUE", RuleAction::Replace, L"2").Do(result, holder);
        EXPECT_EQ(result, std::wstring(text).substr(0, 6) + L"2");
    }
    EXPECT_EQ(TemplatesPreprocessor(kPath).AddRule(L"PROPERTY_VALUE", RuleAction::Replace, L"3").Do(),
              L"stored 3");
    EXPECT_EQ(store->requests, 1);
}

TEST_F(TemplatesPreprocessorCache, LeastRecentlyFilledTemplateIsDroppedFirst) {
    auto path = [](std::size_t i) {
        return L"document-panel-properties/lru-" + std::to_wstring(i) + L".htm";
    };
    const std::size_t limit = TemplatesPreprocessor::kCachedTemplatesLimit;
    for (std::size_t i = 0; i <= limit; ++i)
        store->templates[path(i)] = Utf8Template(L"PROPERTY_VALUE " + std::to_wstring(i));
    for (std::size_t i = 0; i < limit; ++i)
        Fill(path(i), L"", L"");
    Fill(path(0), L"", L"");     // now path 1 is the least recently filled
    Fill(path(limit), L"", L""); // one too many
    ASSERT_EQ(store->requests, int(limit + 1));
    EXPECT_EQ(Fill(path(0), L"", L"0"), L"PROPERTY_VALUE0 0");
    EXPECT_EQ(store->requests, int(limit + 1));
    EXPECT_EQ(Fill(path(1), L"", L"1"), L"PROPERTY_VALUE1 1");
    EXPECT_EQ(store->requests, int(limit + 2));
}

TEST_F(TemplatesPreprocessorCache, PatternErrorIsRaisedWhateverTheCacheHolds) {
    store->templates[kPath] = Utf8Template(L"PROPERTY_VALUE");
    auto fill = [] {
        return TemplatesPreprocessor(kPath)
            .AddRule(L"PROPERTY_VALUE", RuleAction::Replace, L"1")
            .AddRule(L"(open", RuleAction::Replace, L"2")
            .Do();
    };
    EXPECT_EQ(TemplatesPreprocessor(kPath).AddRule(L"PROPERTY_VALUE", RuleAction::Replace, L"1").Do(), L"1");
    for (int attempt = 0; attempt < 2; ++attempt)
        EXPECT_THROW(fill(), so::ServiceObjectException);
    EXPECT_EQ(store->requests, 1);
}

// The documented one-pass semantics written out with one expression per rule, plain words
// included: the oracle for the one scan that finds all plain words at once.
std::optional<std::wstring> FillAsDocumented(const std::wstring& text, const std::vector<Rule>& rules) {
    struct Match {
        std::size_t end;
        const Rule* rule;
        std::vector<std::wstring> groups;
    };
    std::map<std::size_t, Match> matches;
    const wchar_t* begin = text.data();
    const wchar_t* end = begin + text.size();
    for (const Rule& rule : rules) {
        boost::wregex expression(rule.pattern, boost::regex::perl | boost::regex::mod_s);
        boost::match_results<const wchar_t*> found;
        for (std::size_t from = 0; from <= text.size();) {
            auto flags = from != 0 ? boost::match_default | boost::match_prev_avail : boost::match_default;
            if (!boost::regex_search(begin + from, end, found, expression, flags, begin))
                break;
            auto start = std::size_t(found[0].first - begin);
            std::vector<std::wstring> groups;
            for (std::size_t i = 1; i < found.size(); ++i)
                groups.push_back(found[i].str());
            auto [held, added] =
                matches.try_emplace(start, Match{std::size_t(found[0].second - begin), &rule, groups});
            from = held->second.end > start ? held->second.end : start + 1;
        }
    }
    if (matches.empty())
        return std::nullopt;
    std::wstring result;
    std::size_t cursor = 0;
    for (const auto& [start, match] : matches) {
        if (start < cursor)
            continue;
        result += text.substr(cursor, start - cursor);
        std::wstring matched = text.substr(start, match.end - start);
        std::wstring computed = L"[" + boost::algorithm::join(match.groups, L"|") + L"]";
        switch (match.rule->action) {
        case RuleAction::Remove:
            break;
        case RuleAction::Replace:
            result += match.rule->text;
            break;
        case RuleAction::InsertBefore:
            result += match.rule->text + matched;
            break;
        case RuleAction::InsertAfter:
            result += matched + match.rule->text;
            break;
        case RuleAction::ReplaceComputed:
            result += computed;
            break;
        case RuleAction::InsertComputedBefore:
            result += computed + matched;
            break;
        case RuleAction::InsertComputedAfter:
            result += matched + computed;
            break;
        }
        cursor = match.end;
    }
    return result + text.substr(cursor);
}

// Words that overlap, repeat and hold one another, beside expressions with empty matches, anchors
// and look-arounds, filled through the store (first and cached fill) and from a given blob.
TEST_F(TemplatesPreprocessorCache, EveryFillKeepsTheDocumentedSemantics) {
    const std::vector<std::wstring> patterns = {
        L"A",    L"AB", L"ABA",   L"BA", L"AAB", L"B_A",     L"_",    L"ABAB",    L"AA",  L"BAB",
        L"B|AB", L"A*", L"(?=B)", L"^A", L"A$",  L"(A)(B)?", L"\\bB", L"(?<=A)_", L"B.A", L"(_)?"};
    const std::vector<RuleAction> actions = {RuleAction::Remove,
                                             RuleAction::Replace,
                                             RuleAction::InsertBefore,
                                             RuleAction::InsertAfter,
                                             RuleAction::ReplaceComputed,
                                             RuleAction::InsertComputedBefore,
                                             RuleAction::InsertComputedAfter};
    const std::wstring alphabet = L"AAB_\n";
    auto join = [](const std::vector<std::wstring>& groups) {
        return L"[" + boost::algorithm::join(groups, L"|") + L"]";
    };
    std::mt19937 random(20261207);
    for (int round = 0; round < 400; ++round) {
        std::wstring text;
        for (std::size_t length = random() % 24; text.size() < length;)
            text += alphabet[random() % alphabet.size()];
        std::vector<Rule> rules(1 + random() % 6);
        for (std::size_t i = 0; i < rules.size(); ++i)
            rules[i] = {patterns[random() % patterns.size()], L"<" + std::to_wstring(i) + L">",
                        actions[random() % actions.size()]};
        const std::optional<std::wstring> expected = FillAsDocumented(text, rules);

        const std::wstring path = L"document-panel-properties/random-" + std::to_wstring(round) + L".htm";
        store->templates[path] = Utf8Template(text);
        auto fill = [&](bool preloaded) {
            TemplatesPreprocessor preprocessor(path);
            if (preloaded)
                preprocessor.SetPreloadedBlob(TestBlob::Make(Utf8Template(text)));
            for (const Rule& rule : rules) {
                if (rule.action >= RuleAction::ReplaceComputed)
                    preprocessor.AddRule(rule.pattern, rule.action, join);
                else
                    preprocessor.AddRule(rule.pattern, rule.action, rule.text);
            }
            try {
                return std::optional<std::wstring>(preprocessor.Do());
            } catch (const so::ServiceObjectException& e) {
                EXPECT_NE(e.Message().find("Nothing to process"), std::string::npos) << e.Message();
                return std::optional<std::wstring>();
            }
        };
        std::string context = so::Utf8FromWide(text);
        for (const Rule& rule : rules)
            context += " / " + so::Utf8FromWide(rule.pattern) + " " + std::to_string(int(rule.action));
        EXPECT_EQ(fill(true), expected) << context;
        EXPECT_EQ(fill(false), expected) << context;
        EXPECT_EQ(fill(false), expected) << context;
    }
}

} // namespace
