// The module's log entries reach the host's logger once it is loaded as "logger.dll", and the
// window query reports its failures there.
#include "tests/support/TestHost.h"

#include "headless-host/services/PluginSiteObject.h"
#include "host/Logger.h"
#include "host/UIDocuments.h"
#include "service-common/HostCall.h"
#include "ui-engine/Logging.h"
#include "ui-engine/internal/UIWndServiceObjectRequester.h"

#include <dlfcn.h>

namespace {

class Logging : public testing_host::HostTest {
protected:
    // The logger stays loaded for the whole test program: the module remembers the lookup.
    static void SetUpTestSuite() {
        library_ = dlopen((testing_host::BinaryFolder() / "liblogger.so").c_str(), RTLD_NOW);
        ASSERT_NE(library_, nullptr) << dlerror();
    }

    static std::string LastEntry() {
        auto getLogger = reinterpret_cast<GetLoggerFn>(dlsym(library_, "GetLogger"));
        so::Ref logger;
        getLogger(logger.Put());
        std::uint32_t length = 0;
        so::Call<host::Logger::GetLastEntry>(logger.Get(), nullptr, &length);
        std::string entry(length + 1, '\0');
        so::Call<host::Logger::GetLastEntry>(logger.Get(), entry.data(), &length);
        entry.resize(length);
        return entry;
    }

    static inline void* library_ = nullptr;
};

TEST_F(Logging, EntriesCarryLevelSourceAndText) {
    ASSERT_TRUE(ui::IsLoggerAvailable());
    ui::Log(host::LogLevel::Warning, ui::FormatMessage(L"%2% before %1%", L"first", 2));
    std::string entry = LastEntry();
    EXPECT_EQ(entry.rfind("[warning] ", 0), 0u) << entry;
    EXPECT_NE(entry.find("LoggingTest.cpp:"), std::string::npos) << entry;
    EXPECT_NE(entry.find(": 2 before first"), std::string::npos) << entry;
}

TEST_F(Logging, WindowQueryFailureIsLoggedWithTheRecordsMessage) {
    so::Ref context = so::Make<headless::WindowContextObject>();
    so::Ref found = ui::QueryServiceObjectFromUIWnd(context.Get(), 0x468F6917, "UIDocumentsCollection");
    EXPECT_FALSE(found);
    std::string entry = LastEntry();
    EXPECT_NE(entry.find(
                  "Failed to query UIDocumentsCollection service object from UIWnd! "
                  "UIWindowContext::QueryServiceObject() failed, code: 0x00010008: The window has no service "
                  "object with the interface id 0x468F6917"),
              std::string::npos)
        << entry;
}

// A context that has nothing to give and no error to report.
struct EmptyContext : so::ObjectBase {
    using Interface = host::UIWindowContext;
    static constexpr std::uint32_t kClassTag = 0xE0;
    static void BindMethods(so::MethodBinder<EmptyContext>&) {}
};

TEST_F(Logging, WindowQueryWithoutErrorRecordLogsTheShortForm) {
    so::Ref context = so::Make<EmptyContext>();
    EXPECT_FALSE(ui::QueryServiceObjectFromUIWnd(context.Get(), 0x1234, "UIMainFrame"));
    std::string entry = LastEntry();
    std::string expected = ": Failed to query UIMainFrame service object from UIWnd!";
    ASSERT_GE(entry.size(), expected.size());
    EXPECT_EQ(entry.substr(entry.size() - expected.size()), expected) << entry;
}

TEST_F(Logging, WindowQueryGivesTheObject) {
    so::Ref context = so::Make<headless::WindowContextObject>();
    so::Ref collection = so::Make<headless::WindowContextObject>();
    so::ServiceObjectCppTheConcrete<headless::WindowContextObject>::From(context.Get())
        .SetServiceObject(0x468F6917, collection.Get());
    EXPECT_EQ(ui::QueryServiceObjectFromUIWnd(context.Get(), 0x468F6917, "UIDocumentsCollection"),
              collection);
}

TEST_F(Logging, WindowServicesAreNamedInLogEntries) {
    EXPECT_EQ(ui::WindowServiceName(host::UIMainFrame::kId), "UIMainFrame");
    EXPECT_EQ(ui::WindowServiceName(0x468F6917), "UIDocumentsCollection");
    EXPECT_EQ(ui::WindowServiceName(0x1234), "ID:4660");
}

} // namespace
