// Golden cases of template fills: every <case>.json in templates-preprocessor-cases names how its
// <case>.input is stored and which rules fill it; <case>.expected holds the text Do produces, or
// the exception it raises. Compared as tests/support/Golden.h says: a mismatch writes <case>.actual;
// PP_REBASELINE=1 rewrites .expected.
//
// <case>.json:
//   "encoding":  "utf-8" (default) | "utf-16le" | "utf-16be" (byte-order mark + text), "none" (the
//                text without a mark), "missing" (the store has no such template)
//   "suffixHex": bytes appended after the encoded text, e.g. "FF"
//   "lineEnds":  "crlf" (default: input and expected line feeds become CR LF) | "lf"
//   "path":      the template path (default "document-panel-properties/<case>.template.htm")
//   "rules":     in order; ["Replace", "PATTERN", "text"], ["Remove", "PATTERN"], or an object
//                {"action", "pattern", "text", "escapeHtml": mask, "safeValue": "lower-case"|"keep"}
//                whose text is first passed through EscapeHtml / MakeSafeValue, as fill code does
#include "service-common/ServiceObjectException.h"
#include "service-common/TextConversion.h"
#include "tests/support/Golden.h"
#include "tests/ui-engine/TestHostObjects.h"
#include "ui-engine/HtmlText.h"
#include "ui-engine/internal/TemplatesPreprocessor.h"

#include <boost/algorithm/string/replace.hpp>
#include <boost/format.hpp>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <map>

namespace {

const std::filesystem::path kCasesFolder = PP_TEMPLATE_CASES_DIR;

using testing_host::ReadFile;

std::string LfToCrlf(const std::string& text) {
    return boost::algorithm::replace_all_copy(text, "\n", "\r\n");
}
std::string CrlfToLf(const std::string& text) {
    return boost::algorithm::replace_all_copy(text, "\r\n", "\n");
}

std::string BytesFromHex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += char(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

std::string Utf16(const std::wstring& text, bool littleEndian) {
    std::string bytes;
    auto put = [&](unsigned unit) {
        char low = char(unit & 0xFF), high = char(unit >> 8);
        bytes += littleEndian ? low : high;
        bytes += littleEndian ? high : low;
    };
    for (wchar_t c : text) {
        auto code = unsigned(c);
        if (code >= 0x10000) {
            put(0xD800 + ((code - 0x10000) >> 10));
            put(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            put(code);
        }
    }
    return bytes;
}

// The template as the store holds it, or nullopt for "missing".
std::optional<std::string> StoredTemplate(const nlohmann::json& caseFile, const std::string& text) {
    std::string encoding = caseFile.value("encoding", "utf-8");
    std::string bytes;
    if (encoding == "missing")
        return std::nullopt;
    if (encoding == "utf-8")
        bytes = "\xEF\xBB\xBF" + text;
    else if (encoding == "utf-16le")
        bytes = "\xFF\xFE" + Utf16(so::WideFromUtf8(text), true);
    else if (encoding == "utf-16be")
        bytes = "\xFE\xFF" + Utf16(so::WideFromUtf8(text), false);
    else if (encoding == "none")
        bytes = text;
    else
        throw std::invalid_argument("unknown encoding " + encoding);
    return bytes + BytesFromHex(caseFile.value("suffixHex", ""));
}

ui::RuleAction ActionOf(const nlohmann::json& action) {
    static const std::map<std::string, ui::RuleAction> kNames = {
        {"Remove", ui::RuleAction::Remove},
        {"Replace", ui::RuleAction::Replace},
        {"InsertBefore", ui::RuleAction::InsertBefore},
        {"InsertAfter", ui::RuleAction::InsertAfter},
    };
    if (action.is_number())
        return ui::RuleAction(action.get<std::uint32_t>());
    return kNames.at(action.get<std::string>());
}

void AddRules(ui::TemplatesPreprocessor& preprocessor, const nlohmann::json& rules) {
    for (const nlohmann::json& rule : rules) {
        if (rule.is_array()) {
            preprocessor.AddRule(so::WideFromUtf8(rule.at(1).get<std::string>()), ActionOf(rule.at(0)),
                                 so::WideFromUtf8(rule.size() > 2 ? rule.at(2).get<std::string>() : ""));
            continue;
        }
        std::wstring text = so::WideFromUtf8(rule.value("text", ""));
        if (rule.contains("escapeHtml"))
            text = ui::EscapeHtml(text, rule.at("escapeHtml").get<std::uint32_t>());
        if (rule.contains("safeValue"))
            text = ui::MakeSafeValue(text, rule.at("safeValue") == "lower-case");
        preprocessor.AddRule(so::WideFromUtf8(rule.at("pattern").get<std::string>()),
                             ActionOf(rule.at("action")), text);
    }
}

class TemplatesPreprocessorGolden : public testing::TestWithParam<std::string> {};

TEST_P(TemplatesPreprocessorGolden, FillsAsExpected) {
    const std::string name = GetParam();
    const nlohmann::json caseFile = nlohmann::json::parse(ReadFile(kCasesFolder / (name + ".json")));
    const bool crlf = caseFile.value("lineEnds", "crlf") == "crlf";
    std::string input = ReadFile(kCasesFolder / (name + ".input"));
    if (crlf)
        input = LfToCrlf(input);
    const std::wstring path =
        so::WideFromUtf8(caseFile.value("path", "document-panel-properties/" + name + ".template.htm"));

    testing_host::ScopedResourceStore store;
    if (auto stored = StoredTemplate(caseFile, input))
        store->templates[path] = *stored;

    ui::TemplatesPreprocessor preprocessor(path);
    AddRules(preprocessor, caseFile.at("rules"));
    std::wstring result;
    so::Ref blobHolder;
    std::string actual;
    bool failed = true;
    try {
        preprocessor.Do(result, blobHolder);
        actual = so::Utf8FromWide(result);
        failed = false;
    } catch (const so::ServiceObjectException& e) {
        actual = (boost::format("!ServiceObjectException code=0x%08X function=%s\n%s\n") % e.Code() %
                  e.Function() % e.Message())
                     .str();
    } catch (const ui::regex_process_undefined_action_error& e) {
        actual = std::string("!regex_process_undefined_action_error\n") + e.what() + "\n";
    }
    EXPECT_FALSE(blobHolder) << "Do releases the blob on every exit";

    // A CR LF case's golden file is written with line feeds; the second check makes sure that every
    // line break of the fill is a CR LF, which the first cannot see.
    const bool lineEndsTranslated = !failed && crlf;
    const std::string readable = lineEndsTranslated ? CrlfToLf(actual) : actual;
    EXPECT_TRUE(testing_host::MatchesGolden(readable, testing_host::GoldenFilesOf(kCasesFolder, name)));
    if (lineEndsTranslated) {
        EXPECT_EQ(LfToCrlf(readable), actual) << "a line of the fill does not end in CR LF";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, TemplatesPreprocessorGolden,
                         testing::ValuesIn(testing_host::CaseNames(kCasesFolder, ".json")),
                         testing_host::CaseTestName);

} // namespace
