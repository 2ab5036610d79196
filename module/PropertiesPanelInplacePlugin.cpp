#include "module/PropertiesPanelInplacePlugin.h"

#include "host/ModuleExports.h"
#include "host/UIServices.h"
#include "module/ModuleExports.h"
#include "module/ModuleState.h"
#include "module/PanelModel.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceQuery.h"
#include "ui-document-panel-properties/PanelParts.h"
#include "ui-engine/internal/UIWndServiceObjectRequester.h"

namespace module {

namespace {
ClassRegistration registration(PropertiesPanelInplacePlugin::kClassName, [] {
    return so::ServiceObjectCppTheConcrete<PropertiesPanelInplacePlugin>::Create();
});

constexpr std::uint32_t kDocumentsCollectionId = 0x468F6917;
} // namespace

void PropertiesPanelInplacePlugin::BindMethods(so::MethodBinder<PropertiesPanelInplacePlugin>& binder) {
    using P = PropertiesPanelInplacePlugin;
    using I = host::UIInplacePlugin;
    binder.Bind<I::Handshake, &P::Handshake>();
    binder.Bind<I::RegisterResources, &P::RegisterResources>();
    binder.Bind<I::InitBegin, &P::InitBegin>();
    binder.Bind<I::InitHtml, &P::InitHtml>();
    binder.Bind<I::InitSubscription, &P::InitSubscription>();
    binder.Bind<I::InitHandler, &P::InitHandler>();
    binder.Bind<I::InitComplete, &P::InitComplete>();
    binder.Bind<I::GetUIModel, &P::GetUIModel>();
    binder.Bind<I::Cleanup, &P::Cleanup>();
}

PropertiesPanelInplacePlugin::~PropertiesPanelInplacePlugin() = default;

SOResult PropertiesPanelInplacePlugin::RegisterResources() {
    so::Ref engine = so::QueryServiceObject(host::UIEngine::kServiceName);
    return ::RegisterResources(engine.Get()) == so::kInvalidArgument ? so::kInvalidArgument : so::kOk;
}

SOResult PropertiesPanelInplacePlugin::InitBegin(ServiceObject* site, ServiceObject* context) {
    if (site == nullptr || context == nullptr)
        return so::kInvalidArgument;
    context_ = so::Ref::Share(context);
    ui::KeepPluginWindowContext(context);
    {
        so::WeakRef weakSite = so::WeakRef::To(site);
        std::lock_guard lock(siteMutex_);
        site_ = std::move(weakSite);
    }
    void* record = nullptr;
    auto code = so::Call<host::UIPluginSite::GetContextBinding>(site, &record);
    if (code && *code == so::kOk && record != nullptr) {
        siteRecord_ = record;
        auto* binding = static_cast<host::UIPluginSiteContextBinding*>(record);
        if (binding->BindContext != nullptr)
            binding->BindContext(context);
    }
    return so::kOk;
}

SOResult PropertiesPanelInplacePlugin::InitHandler(ServiceObject** handler) {
    if (handler == nullptr)
        return so::kInvalidArgument;
    CreatePanelParts();
    *handler = so::Ref(handler_).Detach();
    return so::kOk;
}

SOResult PropertiesPanelInplacePlugin::InitComplete() {
    CreatePanelParts();
    so::Ref collection = ui::QueryServiceObjectFromUIWnd(
        context_.Get(), kDocumentsCollectionId, ui::WindowServiceName(kDocumentsCollectionId).c_str());
    so::Call<host::UIDocumentPanelModel::SetDocumentsCollection>(model_.Get(), collection.Get());
    return so::kOk;
}

SOResult PropertiesPanelInplacePlugin::GetUIModel(ServiceObject** model) {
    if (model == nullptr)
        return so::kInvalidArgument;
    CreatePanelParts();
    *model = so::Ref(model_).Detach();
    return so::kOk;
}

SOResult PropertiesPanelInplacePlugin::Cleanup() {
    // The panel parts go even when the command manager cannot be reached any more.
    auto releaseParts = [this] {
        handler_.Reset();
        model_.Reset();
        context_.Reset();
        ui::KeepPluginWindowContext(nullptr);
    };
    try {
        UnregisterCommandFactories();
    } catch (...) {
        releaseParts();
        throw;
    }
    releaseParts();
    return so::kOk;
}

void PropertiesPanelInplacePlugin::CreatePanelParts() {
    RegisterCommandFactories();
    if (handler_)
        return;
    so::Ref handler = panel::CreatePropertiesPanelHandler();
    model_ = so::Make<PanelModel>(so::WeakRef::To(handler.Get()));
    handler_ = std::move(handler);
}

} // namespace module
