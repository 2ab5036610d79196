#include "ui-engine/internal/UIWndServiceObjectRequester.h"

#include "host/UIDocuments.h"
#include "host/UIServices.h"
#include "service-common/HostCall.h"
#include "service-common/TextConversion.h"
#include "ui-engine/Logging.h"

#include <array>
#include <mutex>
#include <utility>

namespace ui {

namespace {

std::mutex keptContextMutex;
so::Ref keptContext;

} // namespace

void KeepPluginWindowContext(ServiceObject* context) {
    so::Ref kept = so::Ref::Share(context);
    std::lock_guard lock(keptContextMutex);
    std::swap(keptContext, kept);
}

so::Ref PluginWindowContext() {
    std::lock_guard lock(keptContextMutex);
    return keptContext;
}

std::string WindowServiceName(std::uint32_t interfaceId) {
    static constexpr std::array<std::pair<std::uint32_t, const char*>, 4> kNames = {{
        {host::UIDocumentsCollection::kId, host::UIDocumentsCollection::kName},
        {host::UIMainFrame::kId, host::UIMainFrame::kName},
        {host::UIMessageBox::kId, host::UIMessageBox::kName},
        {host::UserOptions::kId, host::UserOptions::kName},
    }};
    for (const auto& [id, name] : kNames) {
        if (id == interfaceId)
            return name;
    }
    return "ID:" + std::to_string(interfaceId);
}

so::Ref QueryServiceObjectFromUIWnd(ServiceObject* windowContext, std::uint32_t interfaceId,
                                    const char* serviceName) {
    std::wstring name = so::WideFromUtf8(serviceName != nullptr ? serviceName : "");
    try {
        so::Ref object;
        auto code =
            so::Call<host::UIWindowContext::QueryServiceObject>(windowContext, interfaceId, object.Put());
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
