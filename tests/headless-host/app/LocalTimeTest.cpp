// The local time a host fixes for a whole run: a session's option, in force before the module
// loads and given back when the session ends, and properties-panel-host's --now that sets it.
#include "headless-host/app/HostSession.h"
#include "headless-host/app/ScenarioRunner.h"
#include "host/WindowsApi.h"
#include "tests/support/PanelHostOptions.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <ctime>
#include <optional>
#include <sstream>
#include <string>

namespace headless {
namespace {

SYSTEMTIME LocalTime() {
    SYSTEMTIME time{};
    GetLocalTime(&time);
    return time;
}

int SystemYear() {
    std::time_t since1970 = std::time(nullptr);
    std::tm local{};
    localtime_r(&since1970, &local);
    return local.tm_year + 1900;
}

TEST(SessionLocalTime, IsFixedBeforeTheModuleLoadsAndGivenBackAtTheEnd) {
    HostSessionOptions options = testing_host::PanelHostOptions();
    options.fixedLocalTime = ScenarioRunner::ParseLocalTime("2024-02-29T23:59:30");
    std::optional<SYSTEMTIME> beforeModule;
    options.beforePanel = [&beforeModule](DocumentWorkspace&) { beforeModule = LocalTime(); };
    std::ostringstream diagnostics;
    {
        HostSession session(options, diagnostics);
        ASSERT_TRUE(beforeModule.has_value());
        for (const SYSTEMTIME& read : {*beforeModule, LocalTime()}) {
            EXPECT_EQ(read.wYear, 2024);
            EXPECT_EQ(read.wMonth, 2);
            EXPECT_EQ(read.wDay, 29);
            EXPECT_EQ(read.wDayOfWeek, 4);
            EXPECT_EQ(read.wHour, 23);
            EXPECT_EQ(read.wMinute, 59);
            EXPECT_EQ(read.wSecond, 30);
        }
    }
    EXPECT_EQ(LocalTime().wYear, SystemYear());
}

struct ProgramRun {
    int status = -1;
    std::string output; // standard output and standard error
};

// Runs properties-panel-host from beside the test with `arguments`, written for the shell.
ProgramRun RunHostProgram(const std::string& arguments) {
    const std::string command =
        "'" + (testing_host::BinaryFolder() / "properties-panel-host").string() + "' " + arguments + " 2>&1";
    ProgramRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    std::array<char, 4096> buffer{};
    for (std::size_t read; (read = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        run.output.append(buffer.data(), read);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

struct RefusedNow {
    const char* value;
    const char* message;
};

class HostProgramNow : public testing::TestWithParam<RefusedNow> {};

TEST_P(HostProgramNow, RefusesATimeThatDoesNotExistAsABadOption) {
    ProgramRun run = RunHostProgram(std::string("--now '") + GetParam().value + "' --run pump");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.output,
              std::string("properties-panel-host: --now: ") + GetParam().message + " (see --help)\n");
}

INSTANTIATE_TEST_SUITE_P(
    Values, HostProgramNow,
    testing::Values(RefusedNow{"2024-02-30T10:00:00", "there is no date 2024-02-30"},
                    RefusedNow{"2024-03-01T25:00:00", "there is no time of day 25:00:00"},
                    RefusedNow{"tomorrow", "a local time is written YYYY-MM-DDTHH:MM:SS, not \"tomorrow\""},
                    RefusedNow{"system", "a local time is written YYYY-MM-DDTHH:MM:SS, not \"system\""}));

TEST(HostProgramNow, StartsTheHostWithATimeThatExists) {
    ProgramRun run = RunHostProgram("--now 2024-02-29T23:59:30 --run 'now system; now 2025-01-01T00:00:00'");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output.find("now"), std::string::npos) << run.output;
}

TEST(HostProgramNow, HelpShowsTheOptionAndTheCommand) {
    ProgramRun run = RunHostProgram("--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("\n  --now YYYY-MM-DDTHH:MM:SS\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("\n  now YYYY-MM-DDTHH:MM:SS|system\n"), std::string::npos) << run.output;
}

} // namespace
} // namespace headless
