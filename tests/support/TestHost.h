// What every test that plays the host needs: the error store made by the host first, paths of the
// built binaries, and a service registry emptied after each test.
#pragma once

#include "headless-host/support/HostSupport.h"
#include "service-common/ErrorsStorage.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectPtr.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace testing_host {

// The folder holding the test binary, the module and the host's libraries.
std::filesystem::path BinaryFolder();

// Registers `object` (one reference of the caller's is kept by the test) as a named service.
void RegisterService(const char* name, ServiceObject* object);

// The calling thread's last error record, or an empty message when it has none.
std::string LastErrorMessage();

// Calls method M of `object` and gives its raw result, without the failure check: for tests of
// what an operation answers.
template <class M, class... Args>
SOResult RawCall(ServiceObject* object, Args... args) {
    auto function = reinterpret_cast<typename M::Function>(so::MethodSlots(object)[M::kPosition]);
    return function(object, args...);
}

// The implementation behind a test's own service object made with so::Make<T>.
template <class T>
T& Fake(const so::Ref& object) {
    return so::ServiceObjectCppTheConcrete<T>::From(object.Get());
}

// Base fixture: the host creates the error store before any module does (so its destructor never
// points into an unloaded module), and every test starts with no error record and no services.
class HostTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

} // namespace testing_host
