#include "tests/support/TestHost.h"

#include "service-common/ServiceQuery.h"

#include <unistd.h>

#include <cstring>

namespace testing_host {

std::filesystem::path BinaryFolder() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

void RegisterService(const char* name, ServiceObject* object) {
    ASSERT_EQ(ServiceProviderRegisterObject(so::AtomOf(name), object), so::kOk) << name;
}

std::string LastErrorMessage() {
    SOErrorInfo info{};
    if (so::ReadLastErrorInfo(&info) != so::kOk)
        return {};
    return std::string(info.message, strnlen(info.message, sizeof info.message));
}

void HostTest::SetUp() {
    so::ErrorsStorage::Instance();
    so::ClearLastErrorInfo();
}

void HostTest::TearDown() {
    ServiceProviderClear();
    so::ClearLastErrorInfo();
}

} // namespace testing_host
