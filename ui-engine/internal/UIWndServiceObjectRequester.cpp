#include "ui-engine/internal/UIWndServiceObjectRequester.h"

#include "host/UIServices.h"
#include "service-common/HostCall.h"
#include "service-common/TextConversion.h"
#include "ui-engine/Logging.h"

namespace ui {

so::Ref QueryServiceObjectFromUIWnd(ServiceObject* windowContext, std::uint32_t interfaceId,
                                    const char* serviceName) {
    std::wstring name = so::WideFromUtf8(serviceName != nullptr ? serviceName : "");
    try {
        so::Ref object;
        auto code = so::Call<host::UIWindowContext::QueryServiceObject>(windowContext, interfaceId, object.Put());
        if (code && *code == so::kOk && object)
            return object;
    } catch (const so::ServiceObjectException& e) {
        Log(host::LogLevel::Error, FormatMessage(L"Failed to query %1% service object from UIWnd! %2%", name,
                                                 so::WideFromUtf8(e.Message())));
        return {};
    }
    Log(host::LogLevel::Error, FormatMessage(L"Failed to query %1% service object from UIWnd!", name));
    return {};
}

} // namespace ui
