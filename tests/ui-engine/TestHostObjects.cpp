#include "tests/ui-engine/TestHostObjects.h"

#include "headless-host/support/HostSupport.h"
#include "service-common/ErrorsStorage.h"

#include <stdexcept>
#include <utility>

namespace testing_host {

namespace {

// Every test binary of this folder records errors into one store, created before anything runs.
[[maybe_unused]] const so::ErrorsStorage& errorsStorage = so::ErrorsStorage::Instance();

} // namespace

void TestBlob::BindMethods(so::MethodBinder<TestBlob>& binder) {
    binder.Bind<host::Blob::GetSize, &TestBlob::GetSize>();
    binder.Bind<host::Blob::GetData, &TestBlob::GetData>();
}

so::Ref TestBlob::Make(std::string bytes) {
    return so::Make<TestBlob>(std::move(bytes));
}

SOResult TestBlob::GetSize(std::uint64_t* size) {
    *size = bytes_.size();
    return so::kOk;
}

SOResult TestBlob::GetData(const void** data) {
    *data = bytes_.data();
    return so::kOk;
}

void TestResourceStore::BindMethods(so::MethodBinder<TestResourceStore>& binder) {
    binder.Bind<host::UIResourceStore::GetResource, &TestResourceStore::GetResource>();
}

SOResult TestResourceStore::GetResource(const wchar_t* path, ServiceObject** blob) {
    ++requests;
    *blob = nullptr;
    auto found = templates.find(path);
    if (found != templates.end())
        *blob = TestBlob::Make(found->second).Detach();
    if (whileReading)
        whileReading();
    return so::kOk;
}

void TestResourceService::BindMethods(so::MethodBinder<TestResourceService>& binder) {
    binder.Bind<host::UIResourceService::GetResourceStore, &TestResourceService::GetResourceStore>();
}

TestResourceService::TestResourceService() : store_(so::Make<TestResourceStore>()) {}

SOResult TestResourceService::GetResourceStore(ServiceObject** store) {
    *store = so::Ref(store_).Detach();
    return so::kOk;
}

TestResourceStore& TestResourceService::Store() {
    return so::ServiceObjectCppTheConcrete<TestResourceStore>::From(store_.Get());
}

ScopedResourceStore::ScopedResourceStore()
    : service_(so::Make<TestResourceService>()),
      store_(so::ServiceObjectCppTheConcrete<TestResourceService>::From(service_.Get()).Store()) {
    if (ServiceProviderRegisterObject(host::UIResourceService::kServiceNumber, service_.Get()) != so::kOk)
        throw std::runtime_error("cannot register the test resource service");
}

ScopedResourceStore::~ScopedResourceStore() {
    ServiceProviderUnregister(host::UIResourceService::kServiceNumber);
}

} // namespace testing_host
