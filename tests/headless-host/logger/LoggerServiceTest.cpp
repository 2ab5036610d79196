// The host's logger as the host program reads it back: the entries it writes are kept in memory as
// well, counted by their text, forgotten on request and bounded to the most recent ones.
#include "headless-host/logger/LogCapture.h"
#include "host/Logger.h"
#include "service-common/HostCall.h"
#include "tests/support/TestHost.h"

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

class KeptLogEntries : public testing_host::HostTest {
protected:
    static void SetUpTestSuite() {
        library_ = dlopen((testing_host::BinaryFolder() / "liblogger.so").c_str(), RTLD_NOW);
        ASSERT_NE(library_, nullptr) << dlerror();
    }

    void SetUp() override {
        HostTest::SetUp();
        auto getLogger = reinterpret_cast<GetLoggerFn>(dlsym(library_, "GetLogger"));
        count_ = reinterpret_cast<CountLogEntriesFn>(dlsym(library_, headless::kCountLogEntriesName));
        forget_ = reinterpret_cast<ForgetLogEntriesFn>(dlsym(library_, headless::kForgetLogEntriesName));
        ASSERT_TRUE(getLogger != nullptr && count_ != nullptr && forget_ != nullptr);
        ASSERT_EQ(getLogger(logger_.Put()), so::kOk);
        logFile_ = std::filesystem::temp_directory_path() /
                   ("kept-log-entries-" + std::to_string(getpid()) + ".log");
        so::Call<host::Logger::SetOutputFile>(logger_.Get(), logFile_.c_str());
        // The logger lives as long as the library: earlier tests' entries are still kept.
        forget_();
    }

    void TearDown() override {
        so::Call<host::Logger::SetOutputFile>(logger_.Get(), nullptr);
        so::Call<host::Logger::SetMinimumLevel>(logger_.Get(), std::uint32_t(host::LogLevel::Trace));
        std::filesystem::remove(logFile_);
        HostTest::TearDown();
    }

    void Write(const std::string& text, host::LogLevel level = host::LogLevel::Info,
               const LogSource* source = nullptr) {
        so::Call<host::Logger::WriteNarrow>(logger_.Get(), text.c_str(), std::uint32_t(text.size()),
                                            std::uint32_t(level), source);
    }
    std::uint64_t Count(const char* text) const { return count_(text); }
    std::uint64_t EntryCount() {
        std::uint64_t count = 0;
        so::Call<host::Logger::GetEntryCount>(logger_.Get(), &count);
        return count;
    }
    std::string FileText() {
        so::Call<host::Logger::Flush>(logger_.Get());
        std::ifstream in(logFile_);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static inline void* library_ = nullptr;
    CountLogEntriesFn count_ = nullptr;
    ForgetLogEntriesFn forget_ = nullptr;
    so::Ref logger_;
    std::filesystem::path logFile_;
};

TEST_F(KeptLogEntries, AreCountedByTheirTextAloneAndStillWrittenToTheFile) {
    LogSource source{"Panel.cpp", 12, "Close"};
    Write("Opened the panel");
    Write("closed", host::LogLevel::Error, &source);
    std::wstring wide = L"Gr\u00f6\u00dfe gew\u00e4hlt";
    so::Call<host::Logger::WriteWide>(logger_.Get(), wide.c_str(), std::uint32_t(wide.size()),
                                      std::uint32_t(host::LogLevel::Info), nullptr);

    EXPECT_EQ(Count("panel"), 1u);
    EXPECT_EQ(Count("Panel"), 0u) << "the source and the level are not the entry's text";
    EXPECT_EQ(Count("error"), 0u);
    EXPECT_EQ(Count("gew\u00e4hlt"), 1u);
    EXPECT_EQ(Count(""), 3u);
    EXPECT_EQ(Count(nullptr), 3u);
    EXPECT_EQ(FileText(),
              "[info] Opened the panel\n[error] Panel.cpp:12 Close: closed\n[info] Gr\u00f6\u00dfe "
              "gew\u00e4hlt\n");
}

TEST_F(KeptLogEntries, DroppedEntriesAreNotKeptAndForgettingLeavesTheEntryCount) {
    so::Call<host::Logger::SetMinimumLevel>(logger_.Get(), std::uint32_t(host::LogLevel::Warning));
    Write("quiet", host::LogLevel::Debug);
    Write("loud", host::LogLevel::Error);
    EXPECT_EQ(Count("quiet"), 0u);
    EXPECT_EQ(Count("loud"), 1u);

    std::uint64_t written = EntryCount();
    forget_();
    EXPECT_EQ(Count(""), 0u);
    EXPECT_EQ(EntryCount(), written);
    Write("after", host::LogLevel::Error);
    EXPECT_EQ(Count(""), 1u);
}

TEST_F(KeptLogEntries, OnlyTheMostRecentAreKept) {
    Write("oldest");
    for (std::uint64_t i = 0; i < headless::kKeptLogEntries - 1; ++i)
        Write("entry");
    EXPECT_EQ(Count("oldest"), 1u);
    Write("entry");
    EXPECT_EQ(Count("oldest"), 0u);
    EXPECT_EQ(Count("entry"), headless::kKeptLogEntries);
    Write("newest");
    EXPECT_EQ(Count("entry"), headless::kKeptLogEntries - 1);
    EXPECT_EQ(Count(""), headless::kKeptLogEntries);
}

} // namespace
