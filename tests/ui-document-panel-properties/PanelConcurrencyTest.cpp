// The panel while the host raises its events on other threads: selections, locked states and value
// changes arrive from a worker while the UI thread runs its loop. The handler only marks, stores weak
// references and posts there; everything touching the page runs on the UI thread.
#include "headless-host/app/HostSession.h"
#include "headless-host/app/ScenarioParser.h"
#include "headless-host/app/ScenarioRunner.h"
#include "tests/support/PanelHostOptions.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <sstream>
#include <thread>

namespace {

class PanelConcurrency : public testing::Test {
protected:
    void SetUp() override {
        headless::HostSessionOptions options = testing_host::PanelHostOptions();
        options.logFile = "/dev/null";
        session_ = std::make_unique<headless::HostSession>(options, diagnostics_);
        ASSERT_TRUE(session_->HasPanelHandler()) << session_->PanelFailure();
        runner_ = std::make_unique<headless::ScenarioRunner>(*session_, out_, errors_, false);
        ASSERT_TRUE(Run("open sample")) << errors_.str();
    }
    void TearDown() override {
        runner_.reset();
        session_.reset();
    }
    bool Run(const std::string& commands) {
        return runner_->Run(headless::ScenarioParser::ParseInline(commands), PP_SOURCE_DIR);
    }
    // Runs `work` on a worker thread while the UI thread keeps pumping, then pumps once more.
    template <class Work>
    void WhilePumping(Work work) {
        std::atomic<bool> done{false};
        std::thread worker([&] {
            work();
            done = true;
        });
        while (!done.load())
            session_->Pump();
        worker.join();
        session_->Pump();
    }

    std::ostringstream diagnostics_;
    std::ostringstream out_;
    std::ostringstream errors_;
    std::unique_ptr<headless::HostSession> session_;
    std::unique_ptr<headless::ScenarioRunner> runner_;
};

TEST_F(PanelConcurrency, SelectionsFromAnotherThreadEndWithTheLastOneShown) {
    WhilePumping([this] {
        for (int i = 0; i < 30; ++i)
            session_->Workspace().Select(i % 2 == 0 ? std::vector<std::wstring>{L"Name Field"}
                                                    : std::vector<std::wstring>{L"Square 1"});
    });
    EXPECT_TRUE(Run("expect count .props-tab 3; expect attr .props-panel obj square")) << errors_.str();
}

TEST_F(PanelConcurrency, NothingSelectedFromAnotherThreadShowsTheHint) {
    ASSERT_TRUE(Run("select \"Square 1\"")) << errors_.str();
    WhilePumping([this] {
        for (int i = 0; i < 20; ++i)
            session_->Workspace().Select(i % 2 == 1 ? std::vector<std::wstring>{}
                                                    : std::vector<std::wstring>{L"Line 1"});
    });
    EXPECT_TRUE(Run("expect count .props-tab 0; expect state #no-items-msg expanded")) << errors_.str();
}

TEST_F(PanelConcurrency, LockedStatesFromAnotherThreadApplyTheLastOne) {
    ASSERT_TRUE(Run("select \"Square 1\"")) << errors_.str();
    WhilePumping([this] {
        for (std::uint32_t i = 0; i < 21; ++i)
            session_->Workspace().SetLockedState(i % 2 == 0 ? 1u : 0u); // ends locked for writing
    });
    EXPECT_TRUE(Run("expect state \".props-panel[name=General] .pg-items\" disabled")) << errors_.str();
}

} // namespace
