// The panel's generated HTML for the sample document's objects, against golden files: each
// golden/<case>.input holds scenario commands (they select objects and choose tabs), and
// golden/<case>.expected the ".panel-content" they leave. A mismatch writes <case>.actual beside
// them; PP_REBASELINE=1 rewrites the expected files instead.
#include "headless-host/app/HostSession.h"
#include "headless-host/app/ScenarioParser.h"
#include "headless-host/app/ScenarioRunner.h"
#include "tests/support/PanelHostOptions.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::filesystem::path kGoldenFolder =
    std::filesystem::path(PP_SOURCE_DIR) / "tests/ui-document-panel-properties/golden";

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Identities are addresses of host objects: they differ from run to run, so they are masked.
std::string MaskIdentities(const std::string& html) {
    static const std::regex kIdentity("-[0-9a-f]{16}\"");
    static const std::regex kErrorGroup("error-group-0x[0-9a-f]+");
    return std::regex_replace(std::regex_replace(html, kIdentity, "-IDENTITY\""), kErrorGroup,
                              "error-group-0xIDENTITY");
}

std::vector<std::string> Cases() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(kGoldenFolder)) {
        if (entry.path().extension() == ".input")
            names.push_back(entry.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class PanelGolden : public testing::TestWithParam<std::string> {};

TEST_P(PanelGolden, GeneratedHtmlMatches) {
    const std::filesystem::path input = kGoldenFolder / (GetParam() + ".input");
    const std::filesystem::path expected = kGoldenFolder / (GetParam() + ".expected");
    std::ostringstream diagnostics;
    std::ostringstream out;
    std::ostringstream errors;
    {
        headless::HostSessionOptions options = testing_host::PanelHostOptions();
        headless::HostSession session(options, diagnostics);
        ASSERT_TRUE(session.HasPanelHandler()) << session.PanelFailure();
        headless::ScenarioRunner runner(session, out, errors, false);
        ASSERT_TRUE(runner.Run(
            headless::ScenarioParser::ParseText(ReadFile(input), input.filename().string()), kGoldenFolder))
            << errors.str();
    }
    const std::string actual = MaskIdentities(out.str());
    const char* rebaseline = std::getenv("PP_REBASELINE");
    if (rebaseline != nullptr && std::string(rebaseline) == "1") {
        std::ofstream(expected, std::ios::binary) << actual;
        return;
    }
    if (actual != ReadFile(expected)) {
        std::ofstream(kGoldenFolder / (GetParam() + ".actual"), std::ios::binary) << actual;
        FAIL() << "generated HTML differs from " << expected << "; see the .actual file beside it";
    }
}

INSTANTIATE_TEST_SUITE_P(SampleDocument, PanelGolden, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

} // namespace
