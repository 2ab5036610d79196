// The process-wide error store once the host's singleton storage has shut down.
#include "tests/service-common/TestObjects.h"
#include "tests/support/TestHost.h"

#include "host/SupportLibrary.h"

#include <cstdlib>

using namespace testing_objects;

namespace {

class ErrorsStorageShutdown : public testing_host::HostTest {};

// Shutdown cannot be undone, so each case runs in a child process.
TEST_F(ErrorsStorageShutdown, NothingIsRecordedAndNothingIsReadAfterShutdown) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            so::Ref object = so::Ref::Adopt(CalculatorObject::Create());
            auto fail = reinterpret_cast<Calculator::Fail::Function>(so::MethodSlots(object.Get())[1]);
            fail(object.Get(), 0x55);
            SLShutdownSingletonStorage();
            fail(object.Get(), 0x66);
            SOErrorInfo info{};
            bool noRecord = object.Get()->header.GetLastErrorInfo(object.Get(), &info, nullptr) == 9 && info.code == 0;
            std::exit(noRecord ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(ErrorsStorageShutdown, InstanceReportsTheDestroyedStorage) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            SLShutdownSingletonStorage();
            try {
                so::ErrorsStorage::Instance();
            } catch (const std::runtime_error& e) {
                std::exit(std::string(e.what()) == "Fail to get ErrorsStorage instance! Is is already destroyed!" ? 0
                                                                                                                  : 2);
            }
            std::exit(1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
