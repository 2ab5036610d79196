// The selector golden suite: one parameterised test over the case files of selector-cases/.
//
// A case file is markup, then directives, each on a line of its own:
//   @scope SELECTOR        later queries run on the first element SELECTOR finds from the page root
//   @scope                 later queries run on the page root again
//   @note TEXT             a comment, kept as it is
//   @state SELECTOR NAME…  sets the named states (focus, current, expanded…) on every match
//   @query SELECTOR        followed by the expected matches, one per line (tag#id.class…), in
//                          document order; "(none)" for no match; "! message" for an invalid one
// The test regenerates the whole file from the markup and directives and compares, as
// tests/support/Golden.h says: on a mismatch it writes <case>.case.actual beside the case; with
// PP_REBASELINE=1 it rewrites the case instead.
#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/ElementState.h"
#include "headless-host/html-engine/dom/MarkupParser.h"
#include "headless-host/html-engine/dom/SelectorError.h"
#include "headless-host/html-engine/dom/SelectorQuery.h"
#include "tests/support/Golden.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

namespace html {
namespace {

namespace fs = std::filesystem;

const std::map<std::string, std::uint32_t>& StateNames() {
    static const std::map<std::string, std::uint32_t> names = {
        {"hover", ElementState::kHover},         {"active", ElementState::kActive},
        {"focus", ElementState::kFocus},         {"current", ElementState::kCurrent},
        {"checked", ElementState::kChecked},     {"disabled", ElementState::kDisabled},
        {"readonly", ElementState::kReadOnly},   {"expanded", ElementState::kExpanded},
        {"collapsed", ElementState::kCollapsed}, {"owns-popup", ElementState::kOwnsPopup},
        {"popup", ElementState::kPopup}};
    return names;
}

std::string Describe(const Element& element) {
    std::string line = element.TagName();
    if (!element.Id().empty()) {
        line += '#' + element.Id();
    }
    if (const std::string* classes = element.GetAttribute("class")) {
        std::istringstream words(*classes);
        for (std::string word; words >> word;) {
            line += '.' + word;
        }
    }
    return line;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

// Runs the directives of a case against its markup and returns the case file as it should read.
std::string Regenerate(const std::string& caseText) {
    const auto lines = Lines(caseText);
    auto firstDirective = std::find_if(lines.begin(), lines.end(),
                                       [](const std::string& line) { return line.starts_with("@"); });
    std::string markup;
    for (auto line = lines.begin(); line != firstDirective; ++line) {
        markup += *line + "\n";
    }
    MarkupParser parser;
    const Document document = parser.ParseDocument(markup);
    std::string out = markup;
    if (!parser.Diagnostics().empty()) {
        out +=
            "@diagnostics the markup does not parse cleanly; first: " + parser.Diagnostics().front().message +
            "\n";
    }
    std::shared_ptr<Element> scope = document.Root();
    for (auto line = firstDirective; line != lines.end(); ++line) {
        if (!line->starts_with("@") || line->starts_with("@diagnostics")) {
            continue; // expected results and the diagnostics line are regenerated
        }
        out += *line + "\n";
        if (line->starts_with("@note")) {
            continue;
        }
        std::istringstream words(line->substr(1));
        std::string directive;
        words >> directive;
        std::string argument;
        std::getline(words >> std::ws, argument);
        try {
            if (directive == "scope") {
                scope = argument.empty() ? document.Root() : QueryFirst(*document.Root(), argument);
                if (!scope) {
                    out += "! scope not found\n";
                    scope = document.Root();
                }
            } else if (directive == "state") {
                // The selector is everything before the state names, which end the line.
                std::istringstream tokens(argument);
                std::vector<std::string> all;
                for (std::string token; tokens >> token;) {
                    all.push_back(token);
                }
                std::uint32_t bits = 0;
                while (!all.empty() && StateNames().count(all.back())) {
                    bits |= StateNames().at(all.back());
                    all.pop_back();
                }
                std::string selector;
                for (const auto& token : all) {
                    selector += (selector.empty() ? "" : " ") + token;
                }
                for (const auto& element : QueryAll(*document.Root(), selector)) {
                    element->SetState(bits, 0);
                }
            } else if (directive == "query") {
                const auto found = QueryAll(*scope, argument);
                if (found.empty()) {
                    out += "(none)\n";
                }
                for (const auto& element : found) {
                    out += Describe(*element) + "\n";
                }
            } else {
                out += "! unknown directive\n";
            }
        } catch (const SelectorError& error) {
            out += std::string("! ") + error.what() + "\n";
        }
    }
    return out;
}

const fs::path kCasesFolder = HTML_ENGINE_SELECTOR_CASES_DIR;

class SelectorCases : public ::testing::TestWithParam<std::string> {};

TEST_P(SelectorCases, MatchExpectedElements) {
    const fs::path path = kCasesFolder / (GetParam() + ".case");
    ASSERT_TRUE(fs::exists(path)) << path;
    EXPECT_TRUE(testing_host::MatchesGolden(Regenerate(testing_host::ReadFile(path)),
                                            {path, kCasesFolder / (GetParam() + ".case.actual")}));
}

INSTANTIATE_TEST_SUITE_P(Golden, SelectorCases,
                         ::testing::ValuesIn(testing_host::CaseNames(kCasesFolder, ".case")),
                         testing_host::CaseTestName);

} // namespace
} // namespace html
