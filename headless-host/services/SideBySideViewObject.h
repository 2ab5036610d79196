// "UIDocumentViewSbS": document views shown side by side.
#pragma once

#include "host/UIDocuments.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectPtr.h"

#include <vector>

namespace headless {

class SideBySideViewObject : public so::ObjectBase {
public:
    using Interface = host::UIDocumentViewSbS;
    static constexpr std::uint32_t kClassTag = 0x0D0C7E12;
    static void BindMethods(so::MethodBinder<SideBySideViewObject>& binder);

    explicit SideBySideViewObject(std::vector<so::Ref> views);

    SOResult GetViewCount(std::uint32_t* count);
    SOResult GetView(std::uint32_t index, ServiceObject** view);

private:
    std::vector<so::Ref> views_;
};

} // namespace headless
