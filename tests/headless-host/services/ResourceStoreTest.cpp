// The resource store as a module reaches it: service number 18, its store, blobs of the packages
// the "UIEngine" registered, and a template filled through all of them.
#include "headless-host/services/ResourceStore.h"

#include "headless-host/services/UIEngineService.h"
#include "headless-host/support/HostSupport.h"
#include "host/ModuleExports.h"
#include "host/WindowsApi.h"
#include "service-common/ErrorsStorage.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectException.h"
#include "service-common/ServiceQuery.h"
#include "ui-engine/internal/TemplatesPreprocessor.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const unsigned char kToc[] = "document-panel-properties/property-test.template.htm;"
                             "document-panel-properties/empty.template.htm;";
const unsigned char kTemplate[] = "\xEF\xBB\xBF<b class=\"PROP_EDIT_CLASS\">PROPERTY_VALUE</b>\r\n";

const ModuleResourceEntry kEntries[] = {
    {L"UI-DATA-TOC", L"UI-DATA-TOC", LANG_ENGLISH_US, kToc, sizeof kToc - 1},
    {L"UI-DATA", L"DOCUMENT-PANEL-PROPERTIES/PROPERTY-TEST.TEMPLATE.HTM", LANG_ENGLISH_US, kTemplate,
     sizeof kTemplate - 1},
    {L"UI-DATA", L"DOCUMENT-PANEL-PROPERTIES/EMPTY.TEMPLATE.HTM", LANG_ENGLISH_US, kTemplate, 0},
};

} // namespace

// This program is the module whose resources the engine reads.
extern "C" __attribute__((visibility("default")))
const ModuleResourceDirectory ModuleResourceTable = {sizeof kEntries / sizeof kEntries[0], kEntries};

namespace {

[[maybe_unused]] const so::ErrorsStorage& errorsStorage = so::ErrorsStorage::Instance();

constexpr const wchar_t* kTemplatePath = L"document-panel-properties/property-test.template.htm";

// An engine that fails every read, as a broken package would.
class FailingEngine : public so::ObjectBase {
public:
    using Interface = host::UIEngine;
    static constexpr std::uint32_t kClassTag = 0x7E57E461;
    static void BindMethods(so::MethodBinder<FailingEngine>& binder) {
        binder.Bind<host::UIEngine::LoadResourceData, &FailingEngine::LoadResourceData>();
    }
    SOResult LoadResourceData(const wchar_t*, ServiceObject**) {
        throw so::ServiceObjectException(0x2468, "package unreadable");
    }
};

class ResourceStoreTest : public testing::Test {
protected:
    void SetUp() override {
        engine_ = so::Make<headless::UIEngineService>();
        headless::RegisterResourceService(engine_);
    }
    void TearDown() override { ServiceProviderUnregister(host::UIResourceService::kServiceNumber); }

    void RegisterThisProgramsResources() {
        so::Ref package;
        so::Call<host::UIEngine::CreateResourcePackage>(engine_.Get(), GetModuleHandleW(nullptr),
                                                        package.Put());
        so::Call<host::UIEngine::RegisterResourcePackage>(engine_.Get(), package.Get());
    }

    // What the module does: service number 18, then its store.
    static so::Ref Store() {
        so::Ref service = so::QueryServiceObject(host::UIResourceService::kServiceNumber);
        so::Ref store;
        so::Call<host::UIResourceService::GetResourceStore>(service.Get(), store.Put());
        return store;
    }

    static std::string Bytes(const so::Ref& blob) {
        std::uint64_t size = 0;
        const void* data = nullptr;
        so::Call<host::Blob::GetSize>(blob.Get(), &size);
        so::Call<host::Blob::GetData>(blob.Get(), &data);
        return std::string(static_cast<const char*>(data), size);
    }

    so::Ref engine_;
};

TEST_F(ResourceStoreTest, ServesRegisteredResourcesByPathInAnyCase) {
    so::Ref store = Store(); // made before the package exists: nothing may be cached
    RegisterThisProgramsResources();
    for (const wchar_t* path : {kTemplatePath, L"DOCUMENT-PANEL-PROPERTIES/Property-Test.Template.HTM"}) {
        so::Ref blob;
        EXPECT_EQ(so::Call<host::UIResourceStore::GetResource>(store.Get(), path, blob.Put()), so::kOk);
        ASSERT_TRUE(blob);
        EXPECT_EQ(Bytes(blob), std::string(reinterpret_cast<const char*>(kTemplate)));
    }
}

TEST_F(ResourceStoreTest, MissingOrEmptyResourceGivesNoBlob) {
    RegisterThisProgramsResources();
    so::Ref store = Store();
    for (const wchar_t* path : {L"document-panel-properties/empty.template.htm",
                                L"document-panel-properties/no-such.template.htm", L""}) {
        so::Ref blob;
        EXPECT_EQ(so::Call<host::UIResourceStore::GetResource>(store.Get(), path, blob.Put()), so::kOk);
        EXPECT_FALSE(blob);
    }
    EXPECT_THROW(so::Call<host::UIResourceStore::GetResource>(store.Get(), nullptr,
                                                              static_cast<ServiceObject**>(nullptr)),
                 so::ServiceObjectException);
}

TEST_F(ResourceStoreTest, ModuleFillsTemplatesThroughTheStore) {
    RegisterThisProgramsResources();
    std::wstring filled = ui::TemplatesPreprocessor(kTemplatePath)
                              .AddRule(L"PROPERTY_VALUE", ui::RuleAction::Replace, L"42")
                              .AddRemoveRule(L"PROP_EDIT_CLASS")
                              .Do();
    EXPECT_EQ(filled, L"<b class=\"\">42</b>\r\n");
    EXPECT_EQ(ui::TemplatesPreprocessor(L"document-panel-properties/empty.template.htm")
                  .AddRemoveRule(L"PROPERTY_VALUE")
                  .Do(),
              L"");
}

TEST_F(ResourceStoreTest, EngineFailureReachesTheModuleUnchanged) {
    headless::RegisterResourceService(so::Make<FailingEngine>()); // replaces the service
    try {
        ui::TemplatesPreprocessor(kTemplatePath).AddRemoveRule(L"PROPERTY_VALUE").Do();
        FAIL() << "an unreadable package must fail the fill";
    } catch (const so::ServiceObjectException& e) {
        EXPECT_EQ(e.Code(), 0x2468u);
        EXPECT_NE(e.Message().find("package unreadable"), std::string::npos) << e.Message();
    }
}

} // namespace
