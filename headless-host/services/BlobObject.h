// A "Blob" service object that owns a copy of its bytes.
#pragma once

#include "host/UIServices.h"
#include "service-common/ServiceObjectCpp.h"

#include <string>

namespace headless {

class BlobObject : public so::ObjectBase {
public:
    using Interface = host::Blob;
    static constexpr std::uint32_t kClassTag = 0xB10B0002;
    static void BindMethods(so::MethodBinder<BlobObject>& binder);

    explicit BlobObject(std::string bytes) : bytes_(std::move(bytes)) {}

    // A new blob with one reference.
    static ServiceObject* Create(std::string bytes);

    SOResult GetSize(std::uint64_t* size);
    SOResult GetData(const void** data);

private:
    std::string bytes_;
};

} // namespace headless
