// The preprocessor's contract beyond the golden cases: where the template comes from and what
// happens to the blob, which failures keep their identity, computed rules, and how one pass over
// the text as loaded relates to applying the rules one after another.
#include "ui-engine/internal/TemplatesPreprocessor.h"

#include "service-common/ServiceObjectException.h"
#include "service-common/TextConversion.h"
#include "tests/ui-engine/TestHostObjects.h"

#include <boost/regex.hpp>
#include <gtest/gtest.h>

#include <random>

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

} // namespace
