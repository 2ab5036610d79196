// The module as a host sees it: loaded by path, driven through its six exports and the plug-in's
// operations, with the host's own UIEngine and CommandsManager services.
#include "tests/module/LoadedModule.h"
#include "tests/support/TestHost.h"

#include "headless-host/services/CommandsManagerService.h"
#include "headless-host/services/UIEngineService.h"
#include "host/BLDocument.h"
#include "host/UIHandler.h"
#include "host/UIInplacePlugin.h"
#include "host/UIServices.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceQuery.h"

#include <array>
#include <cstring>
#include <fstream>
#include <memory>

using testing_host::LastErrorMessage;

namespace {

using EngineObject = so::ServiceObjectCppTheConcrete<headless::UIEngineService>;
using CommandsObject = so::ServiceObjectCppTheConcrete<headless::CommandsManagerService>;

// The host's plug-in site: only the slot the plug-in calls is the test's business.
struct TestSiteInterface : host::UIPluginSite {
    using Methods = so::MethodList<GetContextBinding>;
};

ServiceObject* boundContext = nullptr;

class TestSite : public so::ObjectBase {
public:
    using Interface = TestSiteInterface;
    static constexpr std::uint32_t kClassTag = 0x5173E;
    static void BindMethods(so::MethodBinder<TestSite>& binder) {
        binder.Bind<host::UIPluginSite::GetContextBinding, &TestSite::GetContextBinding>();
    }
    SOResult GetContextBinding(void** record) {
        *record = &binding_;
        return so::kOk;
    }

private:
    host::UIPluginSiteContextBinding binding_{nullptr,
                                              [](ServiceObject* context) { boundContext = context; }};
};

class TestWindowContext : public so::ObjectBase {
public:
    using Interface = host::UIWindowContext;
    static constexpr std::uint32_t kClassTag = 0xC0C0;
    static void BindMethods(so::MethodBinder<TestWindowContext>&) {}
};

class ModuleEntryPoints : public testing_host::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        boundContext = nullptr;
        engine_ = so::Ref::Adopt(EngineObject::Create());
        commands_ = so::Ref::Adopt(CommandsObject::Create());
        testing_host::RegisterService("UIEngine", engine_.Get());
        testing_host::RegisterService("CommandsManager", commands_.Get());
        // A private copy per test: the module's once-flags start clear, as in a fresh process.
        copy_ = std::filesystem::temp_directory_path() /
                ("panel-module-" + std::to_string(getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".so");
        std::filesystem::copy_file(testing_host::BinaryFolder() / "libdocument-panel-properties.so", copy_,
                                   std::filesystem::copy_options::overwrite_existing);
        module_ = std::make_unique<testing_host::LoadedModule>(copy_);
    }

    void TearDown() override {
        ServiceProviderClear();
        commands_.Reset();
        engine_.Reset();
        module_.reset();
        std::filesystem::remove(copy_);
        HostTest::TearDown();
    }

    so::Ref CreatePlugin() {
        so::Ref plugin;
        EXPECT_EQ(module_->create(so::AtomOf("PropertiesPanelInplacePlugin"), plugin.Put()), so::kOk);
        return plugin;
    }

    headless::UIEngineService& Engine() { return EngineObject::From(engine_.Get()); }
    headless::CommandsManagerService& Commands() { return CommandsObject::From(commands_.Get()); }

    std::unique_ptr<testing_host::LoadedModule> module_;
    so::Ref engine_;
    so::Ref commands_;
    std::filesystem::path copy_;
};

TEST_F(ModuleEntryPoints, ExportsOnlyTheEntryPointsAndTheResourceTable) {
    EXPECT_NE(module_->Symbol("ModuleResourceTable"), nullptr);
    for (const char* internal : {"DllMain", "_ZN2so12ErrorsStorage8InstanceEv", "GetLogger"})
        EXPECT_EQ(module_->Symbol(internal), nullptr) << internal;
}

TEST_F(ModuleEntryPoints, ReflectBeforeCreateReportsTheUnresolvedAtomForever) {
    const ServiceObjectClassInfo* entries = nullptr;
    std::uint32_t count = 0;
    EXPECT_EQ(module_->reflect(nullptr, &count), so::kInvalidArgument);
    EXPECT_EQ(module_->reflect(&entries, nullptr), so::kInvalidArgument);
    ASSERT_EQ(module_->reflect(&entries, &count), so::kOk);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(entries[0].atom, 0xFFFFFFFFu);
    EXPECT_STREQ(entries[0].className, "PropertiesPanelInplacePlugin");
    EXPECT_EQ(entries[1].atom, 0u); // the terminator
    EXPECT_EQ(entries[1].className, nullptr);

    so::Ref plugin = CreatePlugin();
    const ServiceObjectClassInfo* again = nullptr;
    ASSERT_EQ(module_->reflect(&again, &count), so::kOk);
    EXPECT_EQ(again, entries);
    EXPECT_EQ(again[0].atom, 0xFFFFFFFFu); // built once, never rebuilt
}

TEST_F(ModuleEntryPoints, CreateServiceObjectChecksItsArguments) {
    ServiceObject* object = nullptr;
    EXPECT_EQ(module_->create(0, &object), so::kInvalidArgument);
    EXPECT_EQ(module_->create(so::AtomOf("PropertiesPanelInplacePlugin"), nullptr), so::kInvalidArgument);
    EXPECT_EQ(module_->create(so::AtomOf("SomeOtherClass"), &object), so::kServiceNotSupportedByModule);
    EXPECT_EQ(module_->create(0xFFFFFFFF, &object), so::kServiceNotSupportedByModule);
    EXPECT_EQ(object, nullptr);
}

TEST_F(ModuleEntryPoints, PluginFollowsTheObjectLayout) {
    so::Ref plugin = CreatePlugin();
    const ServiceObjectHeader& header = plugin.Get()->header;
    EXPECT_EQ(header.interfaceId, 0xC2823A90u);
    EXPECT_EQ(header.tableSize, 72u);
    EXPECT_STREQ(header.interfaceName, "UIInplacePlugin");
    std::uint32_t words[2];
    std::memcpy(words, reinterpret_cast<const char*>(plugin.Get()) + sizeof(ServiceObjectHeader) + 72,
                sizeof words);
    EXPECT_EQ(words[0], so::FourCC("EOFT"));
    EXPECT_EQ(words[1], 0xA32FEC4Eu);
    EXPECT_EQ(header.GetRefCount(plugin.Get()), 1u);
}

TEST_F(ModuleEntryPoints, HostCallSequenceUntilThePanelParts) {
    EXPECT_EQ(module_->initialize(), so::kOk);
    so::Ref plugin = CreatePlugin();
    ServiceObject* p = plugin.Get();
    using I = host::UIInplacePlugin;

    EXPECT_EQ(so::Call<I::Handshake>(p), so::kOk);
    EXPECT_EQ(so::Call<I::RegisterResources>(p), so::kOk);
    EXPECT_EQ(Engine().RegisterCalls(), 1u);

    so::Ref site = so::Make<TestSite>();
    so::Ref context = so::Make<TestWindowContext>();
    EXPECT_EQ(testing_host::RawCall<I::InitBegin>(p, nullptr, context.Get()), so::kInvalidArgument);
    EXPECT_EQ(so::Call<I::InitBegin>(p, site.Get(), context.Get()), so::kOk);
    EXPECT_EQ(boundContext, context.Get());
    EXPECT_EQ(site.Get()->header.GetRefCount(site.Get()), 1u); // the plug-in keeps the site weakly

    EXPECT_EQ(so::Call<I::InitHtml>(p), so::kNothingProvided);
    EXPECT_EQ(so::Call<I::InitSubscription>(p), so::kNothingProvided);
    EXPECT_EQ(testing_host::RawCall<I::InitHandler>(p, nullptr), so::kInvalidArgument);

    // The first of InitHandler and GetUIModel makes the panel parts, once; the command factory is
    // registered on the way and stays registered until Cleanup.
    so::Ref handler;
    ASSERT_EQ(so::Call<I::InitHandler>(p, handler.Put()), so::kOk);
    ASSERT_TRUE(handler);
    EXPECT_EQ(handler.Get()->header.interfaceId, host::UIHandler::kId);
    so::Ref model;
    ASSERT_EQ(so::Call<I::GetUIModel>(p, model.Put()), so::kOk);
    ASSERT_TRUE(model);
    so::Ref again;
    ASSERT_EQ(so::Call<I::InitHandler>(p, again.Put()), so::kOk);
    EXPECT_EQ(again, handler);
    again.Reset();
    EXPECT_EQ(handler.Get()->header.GetRefCount(handler.Get()), 2u); // ours and the plug-in's
    EXPECT_EQ(Commands().FactoryCount(), 1u);

    so::Ref factory;
    ASSERT_EQ(so::Call<host::CommandsManager::GetCommandFactory>(
                  commands_.Get(), so::AtomOf("SetActionPropDataCommand"), factory.Put()),
              so::kOk);
    EXPECT_EQ(factory.Get()->header.interfaceId, 0x9CF4B284u);
    so::Ref command;
    ASSERT_EQ(so::Call<host::CommandFactory::CreateCommand>(factory.Get(), command.Put()), so::kOk);
    ASSERT_TRUE(command);
    EXPECT_EQ(command.Get()->header.interfaceId, host::Command::kId);
    // Its operations follow the error convention under the interface's name.
    EXPECT_THROW(so::Call<host::Command::GetUniqueCommandID>(command.Get(), nullptr),
                 so::ServiceObjectException);
    EXPECT_EQ(LastErrorMessage(), "Command::GetUniqueCommandID() failed, code: 0x00000003");
    EXPECT_THROW(so::Call<host::Command::DO>(command.Get()), so::ServiceObjectException)
        << "a command that was never given its property";
    command.Reset();

    EXPECT_EQ(so::Call<I::Cleanup>(p), so::kOk);
    EXPECT_EQ(Commands().FactoryCount(), 0u);
    EXPECT_EQ(handler.Get()->header.GetRefCount(handler.Get()), 1u); // the plug-in let go of its parts
    handler.Reset();
    model.Reset();
    EXPECT_EQ(module_->onCleanup(), so::kOk);
    EXPECT_EQ(module_->onFree(), so::kOk);
}

TEST_F(ModuleEntryPoints, MissingCommandsManagerFailsThePanelParts) {
    ServiceProviderUnregister(so::AtomOf("CommandsManager"));
    so::Ref plugin = CreatePlugin();
    so::Ref model;
    EXPECT_EQ(testing_host::RawCall<host::UIInplacePlugin::GetUIModel>(plugin.Get(), model.Put()), 0x10008u);
    EXPECT_EQ(LastErrorMessage(),
              "UIInplacePlugin::GetUIModel() failed, code: 0x00010008: Fail to query "
              "CommandsManager service object: corresponding service is not supported by the "
              "service provider.\n");
}

TEST_F(ModuleEntryPoints, AFailedWithdrawalDoesNotKeepTheNextPanelFromRegistering) {
    using I = host::UIInplacePlugin;
    so::Ref first = CreatePlugin();
    so::Ref handler;
    ASSERT_EQ(so::Call<I::InitHandler>(first.Get(), handler.Put()), so::kOk);
    EXPECT_EQ(Commands().FactoryCount(), 1u);

    // The manager cannot be reached when the first panel goes: its withdrawal fails.
    ServiceProviderUnregister(so::AtomOf("CommandsManager"));
    EXPECT_NE(testing_host::RawCall<I::Cleanup>(first.Get()), so::kOk);
    handler.Reset();
    testing_host::RegisterService("CommandsManager", commands_.Get());
    Commands().UnregisterCommandFactory(
        so::AtomOf("SetActionPropDataCommand")); // the host drops what was left

    so::Ref second = CreatePlugin();
    ASSERT_EQ(so::Call<I::InitHandler>(second.Get(), handler.Put()), so::kOk);
    EXPECT_EQ(Commands().FactoryCount(), 1u) << "the second panel registered its factory again";
    handler.Reset();
    EXPECT_EQ(so::Call<I::Cleanup>(second.Get()), so::kOk);
    EXPECT_EQ(Commands().FactoryCount(), 0u);
}

TEST_F(ModuleEntryPoints, ResourcesAreRegisteredOnce) {
    EXPECT_EQ(module_->registerResources(nullptr), so::kInvalidArgument);
    EXPECT_EQ(module_->registerResources(engine_.Get()), so::kOk);
    EXPECT_EQ(module_->registerResources(engine_.Get()), so::kOk);
    EXPECT_EQ(Engine().CreateCalls(), 1u);
    EXPECT_EQ(Engine().RegisterCalls(), 1u);
}

// An engine of an older interface version: two methods only.
struct OldEngineInterface {
    static constexpr std::uint32_t kId = host::UIEngine::kId;
    static constexpr const char* kName = "UIEngine";
    using Methods = so::MethodList<host::UIEngine::GetPackageCount, host::UIEngine::GetPackage>;
};
struct OldEngine : so::ObjectBase {
    using Interface = OldEngineInterface;
    static constexpr std::uint32_t kClassTag = 0x01D;
    static void BindMethods(so::MethodBinder<OldEngine>&) {}
};

TEST_F(ModuleEntryPoints, EngineWithoutPackageMethodsLeavesResourcesForALaterTry) {
    so::Ref old = so::Make<OldEngine>();
    EXPECT_EQ(module_->registerResources(old.Get()), so::kOk);
    EXPECT_EQ(module_->registerResources(engine_.Get()), so::kOk);
    EXPECT_EQ(Engine().RegisterCalls(), 1u);
}

TEST_F(ModuleEntryPoints, EmbeddedPageIsUtf8WithMarkAndCrlf) {
    ASSERT_EQ(module_->registerResources(engine_.Get()), so::kOk);
    so::Ref blob;
    ASSERT_EQ(so::Call<host::UIEngine::LoadResourceData>(
                  engine_.Get(), L"document-panel-properties/properties-view.htm", blob.Put()),
              so::kOk);
    std::uint64_t size = 0;
    const void* data = nullptr;
    so::Call<host::Blob::GetSize>(blob.Get(), &size);
    so::Call<host::Blob::GetData>(blob.Get(), &data);
    std::string text(static_cast<const char*>(data), size);
    ASSERT_GE(text.size(), 3u);
    EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare line feed at " << i;
        }
    }
    EXPECT_NE(text.find("properties-panel-body"), std::string::npos);
}

} // namespace
