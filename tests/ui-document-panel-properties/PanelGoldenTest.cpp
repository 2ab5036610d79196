// The panel's generated HTML for the sample document's objects, against golden files: each
// golden/<case>.input holds scenario commands (they select objects and choose tabs), and
// golden/<case>.expected the ".panel-content" they leave. Compared as tests/support/Golden.h says:
// a mismatch writes <case>.actual beside them; PP_REBASELINE=1 rewrites the expected files instead.
#include "headless-host/app/HostSession.h"
#include "headless-host/app/ScenarioParser.h"
#include "headless-host/app/ScenarioRunner.h"
#include "tests/support/Golden.h"
#include "tests/support/PanelHostOptions.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <string>

namespace {

const std::filesystem::path kGoldenFolder =
    std::filesystem::path(PP_SOURCE_DIR) / "tests/ui-document-panel-properties/golden";

// Identities are addresses of host objects: they differ from run to run, so they are masked.
std::string MaskIdentities(const std::string& html) {
    static const std::regex kIdentity("-[0-9a-f]{16}\"");
    static const std::regex kErrorGroup("error-group-0x[0-9a-f]+");
    return std::regex_replace(std::regex_replace(html, kIdentity, "-IDENTITY\""), kErrorGroup,
                              "error-group-0xIDENTITY");
}

class PanelGolden : public testing::TestWithParam<std::string> {};

TEST_P(PanelGolden, GeneratedHtmlMatches) {
    const std::filesystem::path input = kGoldenFolder / (GetParam() + ".input");
    std::ostringstream diagnostics;
    std::ostringstream out;
    std::ostringstream errors;
    {
        headless::HostSessionOptions options = testing_host::PanelHostOptions();
        headless::HostSession session(options, diagnostics);
        ASSERT_TRUE(session.HasPanelHandler()) << session.PanelFailure();
        headless::ScenarioRunner runner(session, out, errors, false);
        ASSERT_TRUE(runner.Run(
            headless::ScenarioParser::ParseText(testing_host::ReadFile(input), input.filename().string()),
            kGoldenFolder))
            << errors.str();
    }
    EXPECT_TRUE(testing_host::MatchesGolden(MaskIdentities(out.str()),
                                            testing_host::GoldenFilesOf(kGoldenFolder, GetParam())));
}

INSTANTIATE_TEST_SUITE_P(SampleDocument, PanelGolden,
                         testing::ValuesIn(testing_host::CaseNames(kGoldenFolder, ".input")),
                         testing_host::CaseTestName);

} // namespace
