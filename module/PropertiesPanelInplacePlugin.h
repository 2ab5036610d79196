// The in-place plug-in through which the host creates the Properties panel.
#pragma once

#include "host/UIInplacePlugin.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectPtr.h"

#include <atomic>
#include <mutex>

namespace module {

class PropertiesPanelInplacePlugin : public so::ObjectBase {
public:
    using Interface = host::UIInplacePlugin;
    static constexpr std::uint32_t kClassTag = 0xA32FEC4E;
    static constexpr const char* kClassName = "PropertiesPanelInplacePlugin";
    static void BindMethods(so::MethodBinder<PropertiesPanelInplacePlugin>& binder);

    ~PropertiesPanelInplacePlugin();

    SOResult Handshake() { return so::kOk; }
    SOResult RegisterResources();
    SOResult InitBegin(ServiceObject* site, ServiceObject* context);
    SOResult InitHtml() { return so::kNothingProvided; } // the page is loaded by the host
    SOResult InitSubscription() { return so::kNothingProvided; }
    SOResult InitHandler(ServiceObject** handler);
    SOResult InitComplete();
    SOResult GetUIModel(ServiceObject** model);
    SOResult Cleanup();

private:
    void CreatePanelParts();

    so::Ref context_;
    so::WeakRef site_;
    std::mutex siteMutex_; // InitBegin swaps the site while another thread may read it
    void* siteRecord_ = nullptr;
    so::Ref handler_;
    so::Ref model_;
};

} // namespace module
