#include "headless-host/document/UIDocumentViewObject.h"

#include "host/BLDocument.h"
#include "service-common/ServiceObjectException.h"

#include <boost/format.hpp>

namespace headless {

void UIDocumentViewObject::BindMethods(so::MethodBinder<UIDocumentViewObject>& binder) {
    binder.Bind<host::UIDocumentView::GetTitle, &UIDocumentViewObject::GetTitle>();
    binder.Bind<host::UIDocumentView::QueryServiceObject, &UIDocumentViewObject::QueryServiceObject>();
}

UIDocumentViewObject::UIDocumentViewObject(std::wstring title, so::Ref businessView)
    : title_(std::move(title)), businessView_(std::move(businessView)) {}

SOResult UIDocumentViewObject::GetTitle(const wchar_t** title) {
    if (title == nullptr)
        return so::kInvalidArgument;
    *title = title_.c_str();
    return so::kOk;
}

SOResult UIDocumentViewObject::QueryServiceObject(std::uint32_t interfaceId, ServiceObject** out) {
    if (interfaceId == 0 || out == nullptr)
        return so::kInvalidArgument;
    *out = nullptr;
    if (interfaceId != host::BLDocumentView::kId || !businessView_)
        throw so::ServiceObjectException(
            so::kServiceNotSupportedByProvider,
            (boost::format("The view has no service object with the interface id 0x%08X") % interfaceId)
                .str());
    *out = so::Ref(businessView_).Detach();
    return so::kOk;
}

} // namespace headless
