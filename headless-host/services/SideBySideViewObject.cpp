#include "headless-host/services/SideBySideViewObject.h"

#include "service-common/ServiceObjectException.h"

#include <boost/format.hpp>

namespace headless {

void SideBySideViewObject::BindMethods(so::MethodBinder<SideBySideViewObject>& binder) {
    binder.Bind<host::UIDocumentViewSbS::GetViewCount, &SideBySideViewObject::GetViewCount>();
    binder.Bind<host::UIDocumentViewSbS::GetView, &SideBySideViewObject::GetView>();
}

SideBySideViewObject::SideBySideViewObject(std::vector<so::Ref> views) : views_(std::move(views)) {}

SOResult SideBySideViewObject::GetViewCount(std::uint32_t* count) {
    if (count == nullptr)
        return so::kInvalidArgument;
    *count = std::uint32_t(views_.size());
    return so::kOk;
}

SOResult SideBySideViewObject::GetView(std::uint32_t index, ServiceObject** view) {
    if (view == nullptr)
        return so::kInvalidArgument;
    *view = nullptr;
    if (index >= views_.size())
        throw so::ServiceObjectException(
            so::kInvalidArgument,
            (boost::format("There is no view %1% (the side-by-side view has %2%)") % index % views_.size())
                .str());
    *view = so::Ref(views_[index]).Detach();
    return so::kOk;
}

} // namespace headless
