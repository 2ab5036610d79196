// "UIDocumentView": a view in the host's window; gives its business side through its service query.
#pragma once

#include "host/UIDocuments.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectPtr.h"

#include <string>

namespace headless {

class UIDocumentViewObject : public so::ObjectBase {
public:
    using Interface = host::UIDocumentView;
    static constexpr std::uint32_t kClassTag = 0x0D0C7E11;
    static void BindMethods(so::MethodBinder<UIDocumentViewObject>& binder);

    // `businessView`: the BLDocumentView, or null for a view that shows no document.
    UIDocumentViewObject(std::wstring title, so::Ref businessView);

    SOResult GetTitle(const wchar_t** title);
    SOResult QueryServiceObject(std::uint32_t interfaceId, ServiceObject** out);

    ServiceObject* BusinessView() const { return businessView_.Get(); }

private:
    std::wstring title_;
    so::Ref businessView_;
};

} // namespace headless
