// Host objects the template preprocessor reads from, made by the tests themselves: blobs and a
// resource store registered under service number 18.
#pragma once

#include "host/UIServices.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectPtr.h"

#include <atomic>
#include <functional>
#include <map>
#include <string>

namespace testing_host {

class TestBlob : public so::ObjectBase {
public:
    using Interface = host::Blob;
    static constexpr std::uint32_t kClassTag = 0x7E57B10B;
    static void BindMethods(so::MethodBinder<TestBlob>& binder);

    explicit TestBlob(std::string bytes) : bytes_(std::move(bytes)) {}
    static so::Ref Make(std::string bytes);

    SOResult GetSize(std::uint64_t* size);
    SOResult GetData(const void** data);

private:
    std::string bytes_;
};

// Templates by path; an unknown path is answered with 0 and no blob, as the host's store does.
class TestResourceStore : public so::ObjectBase {
public:
    using Interface = host::UIResourceStore;
    static constexpr std::uint32_t kClassTag = 0x7E575707;
    static void BindMethods(so::MethodBinder<TestResourceStore>& binder);

    SOResult GetResource(const wchar_t* path, ServiceObject** blob);

    // Read from several threads by the concurrency tests; change it only while no fill runs.
    std::map<std::wstring, std::string> templates;
    std::atomic<int> requests{0};
    // Runs inside every GetResource, after the blob is made: what happens while a fill reads.
    std::function<void()> whileReading;
};

class TestResourceService : public so::ObjectBase {
public:
    using Interface = host::UIResourceService;
    static constexpr std::uint32_t kClassTag = 0x7E575E18;
    static void BindMethods(so::MethodBinder<TestResourceService>& binder);

    TestResourceService();
    SOResult GetResourceStore(ServiceObject** store);
    TestResourceStore& Store();

private:
    so::Ref store_;
};

// Registers a fresh store under service number 18 for the scope's lifetime.
class ScopedResourceStore {
public:
    ScopedResourceStore();
    ~ScopedResourceStore();
    TestResourceStore& operator*() { return store_; }
    TestResourceStore* operator->() { return &store_; }

private:
    so::Ref service_;
    TestResourceStore& store_;
};

} // namespace testing_host
