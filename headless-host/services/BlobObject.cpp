#include "headless-host/services/BlobObject.h"

namespace headless {

void BlobObject::BindMethods(so::MethodBinder<BlobObject>& binder) {
    binder.Bind<host::Blob::GetSize, &BlobObject::GetSize>();
    binder.Bind<host::Blob::GetData, &BlobObject::GetData>();
}

ServiceObject* BlobObject::Create(std::string bytes) {
    return so::ServiceObjectCppTheConcrete<BlobObject>::Create(std::move(bytes));
}

SOResult BlobObject::GetSize(std::uint64_t* size) {
    if (size == nullptr)
        return so::kInvalidArgument;
    *size = bytes_.size();
    return so::kOk;
}

SOResult BlobObject::GetData(const void** data) {
    if (data == nullptr)
        return so::kInvalidArgument;
    *data = bytes_.data();
    return so::kOk;
}

} // namespace headless
