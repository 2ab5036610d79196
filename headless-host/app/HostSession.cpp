#include "headless-host/app/HostSession.h"

#include "headless-host/html-engine/driver/HostPageScripts.h"
#include "headless-host/html-engine/runtime/EngineWindow.h"
#include "headless-host/html-engine/runtime/UIQueue.h"
#include "headless-host/services/CommandsManagerService.h"
#include "headless-host/services/HostEventSource.h"
#include "headless-host/services/LocaleManagerService.h"
#include "headless-host/services/PluginSiteObject.h"
#include "headless-host/services/ResourceStore.h"
#include "headless-host/services/UIEngineService.h"
#include "headless-host/support/HostSupport.h"
#include "host/Localization.h"
#include "host/Logger.h"
#include "host/UIHandler.h"
#include "host/UIServices.h"
#include "service-common/ErrorsStorage.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectException.h"
#include "service-common/ServiceQuery.h"
#include "service-common/TextConversion.h"

#include <dlfcn.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <utility>

namespace headless {

namespace {

using so::Make;

std::filesystem::path ProgramFolder() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

void Register(const char* name, ServiceObject* object) {
    if (SOResult code = ServiceProviderRegisterObject(so::AtomOf(name), object); code != so::kOk)
        throw so::ServiceObjectException(code, std::string("The service provider refused ") + name);
}

std::string Hex(SOResult code) {
    std::ostringstream text;
    text << "0x" << std::hex << code;
    return text.str();
}

const char* kModuleFolder = "document-panel-properties/";

} // namespace

HostSession::HostSession(const HostSessionOptions& options, std::ostream& diagnostics)
    : diagnostics_(diagnostics), uiResources_(options.uiResources) {
    try {
        Start(options);
    } catch (...) {
        // A host that failed half-way still unloads the module after what could call into it.
        TearDown();
        throw;
    }
}

void HostSession::Start(const HostSessionOptions& options) {
    // The host's own objects first: the error store must not belong to a module that unloads.
    so::ErrorsStorage::Instance();
    // A clock pinned by an earlier session in this process does not carry over.
    HostSetLocalTime(options.fixedLocalTime ? &*options.fixedLocalTime : nullptr);
    loggerLibrary_ = dlopen((ProgramFolder() / "liblogger.so").c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (loggerLibrary_ == nullptr) {
        diagnostics_ << "properties-panel-host: no logger, the module will log nothing (" << dlerror()
                     << ")\n";
    } else {
        countLogEntries_ = reinterpret_cast<CountLogEntriesFn>(dlsym(loggerLibrary_, kCountLogEntriesName));
        forgetLogEntries_ =
            reinterpret_cast<ForgetLogEntriesFn>(dlsym(loggerLibrary_, kForgetLogEntriesName));
        // The library stays loaded while anything else holds it: a session counts only its own entries.
        ForgetLogEntries();
        if (options.logFile) {
            auto getLogger = reinterpret_cast<GetLoggerFn>(dlsym(loggerLibrary_, "GetLogger"));
            so::Ref logger;
            if (getLogger == nullptr || getLogger(logger.Put()) != so::kOk)
                throw std::runtime_error("The logger library has no GetLogger");
            so::Call<host::Logger::SetOutputFile>(logger.Get(), options.logFile->c_str());
        }
    }
    HostEventSource::SetFailureReporter(
        [this](const std::string& message) { diagnostics_ << "host event: " << message << "\n"; });

    queue_ = std::make_unique<html::UIQueue>();
    queue_->SetErrorReporter(
        [this](const std::string& message) { diagnostics_ << "UI loop: " << message << "\n"; });
    Register(host::UIService::kServiceName, queue_->Service());
    engine_ = Make<UIEngineService>();
    commands_ = Make<CommandsManagerService>();
    Register(host::UIEngine::kServiceName, engine_.Get());
    Register(host::CommandsManager::kServiceName, commands_.Get());
    RegisterResourceService(engine_);
    localeManager_ = InstallLocaleManager(options.language, DefaultCatalogueFolder());

    site_ = Make<PluginSiteObject>();
    context_ = Make<WindowContextObject>();
    workspace_ = std::make_unique<DocumentWorkspace>();
    workspace_->Install(context_);

    window_ = std::make_unique<html::EngineWindow>(*queue_);
    window_->SetErrorReporter(
        [this](const std::string& message) { diagnostics_ << "page: " << message << "\n"; });
    window_->SetWindowContext(context_.Get());
    window_->SetResourceReader([this](std::string_view url) { return ReadResource(url); });
    window_->SetTranslator(
        [this](std::wstring_view text, std::wstring_view context) { return Translate(text, context); });
    html::InstallHostPageScripts(*window_);
    uiActions_->Install(*window_);
    if (options.beforePanel)
        options.beforePanel(*workspace_);

    module_ = std::make_unique<ModuleHost>(options.module);
    classes_ = module_->Initialize();
    module_->StartPlugin(site_.Get(), context_.Get());
    StartPanel();
}

void HostSession::StartPanel() {
    // The page comes first: the handler is attached to its root element.
    if (!window_->LoadUrl(kPanelPage))
        throw std::runtime_error(std::string("The module registered no ") + kPanelPage);
    for (const std::string& problem : window_->LoadDiagnostics())
        diagnostics_ << "properties-panel-host: " << kPanelPage << ": " << problem << "\n";
    PanelStep("InitHandler", [this] {
        handler_ = module_->InitHandler();
        if (!handler_)
            return;
        HELEMENT root = RootElement();
        HtmlResult result = HtmlEngineAPI()->AttachEventHandler(root, handler_.Get());
        if (result == kHtmlOk)
            handlerElement_ = root;
        else
            HtmlEngineAPI()->ElementRelease(root);
        if (result != kHtmlOk)
            throw std::runtime_error("the page refused the panel handler (engine result " +
                                     std::to_string(result) + ")");
    });
    PanelStep("InitComplete", [this] { module_->InitComplete(); });
    PanelStep("GetUIModel", [this] { model_ = module_->GetUIModel(); });
    Pump();
}

template <class Operation>
void HostSession::PanelStep(const char* name, Operation operation) {
    std::string failure;
    try {
        operation();
        return;
    } catch (const so::ServiceObjectException& e) {
        // Records of the module already name their code.
        failure = e.Message().find(Hex(e.Code()).substr(2)) == std::string::npos
                      ? e.Message() + " (code " + Hex(e.Code()) + ")"
                      : e.Message();
    } catch (const std::exception& e) {
        failure = e.what();
    }
    // A build without the panel handler fails every panel step alike: one report is enough.
    if (!panelFailure_.empty())
        return;
    panelFailure_ = std::string(name) + ": " + failure;
    diagnostics_ << "properties-panel-host: " << panelFailure_ << "; carrying on without the panel handler\n";
}

HostSession::~HostSession() {
    TearDown();
}

void HostSession::TearDown() noexcept {
    try {
        if (handlerElement_ != nullptr) {
            HtmlEngineAPI()->DetachEventHandler(handlerElement_, handler_.Get());
            HtmlEngineAPI()->ElementRelease(handlerElement_);
            handlerElement_ = nullptr;
        }
        // The window detaches what is still attached; posted work may still name the module's objects.
        window_.reset();
        if (queue_)
            queue_->PumpUntilIdle();
        handler_.Reset();
        model_.Reset();
        if (module_)
            module_->StopPlugin();
    } catch (const std::exception& e) {
        diagnostics_ << "properties-panel-host: clean-up: " << e.what() << "\n";
    }
    try {
        // Undo steps and subscriptions may hold the module's objects: they go before its code does.
        workspace_.reset();
        if (queue_)
            queue_->Shutdown();
        module_.reset();
        if (localeManager_)
            UninstallLocaleManager();
    } catch (const std::exception& e) {
        diagnostics_ << "properties-panel-host: clean-up: " << e.what() << "\n";
    }
    localeManager_.Reset();
    ServiceProviderClear();
    site_.Reset();
    context_.Reset();
    commands_.Reset();
    engine_.Reset();
    queue_.reset();
    HostEventSource::SetFailureReporter(nullptr);
    countLogEntries_ = nullptr;
    forgetLogEntries_ = nullptr;
    if (loggerLibrary_ != nullptr)
        dlclose(std::exchange(loggerLibrary_, nullptr));
    HostSetLocalTime(nullptr);
}

std::optional<std::uint64_t> HostSession::CountLogEntries(const std::string& text) const {
    if (countLogEntries_ == nullptr)
        return std::nullopt;
    return countLogEntries_(text.c_str());
}

bool HostSession::ForgetLogEntries() {
    if (forgetLogEntries_ == nullptr)
        return false;
    forgetLogEntries_();
    return true;
}

bool HostSession::Pump() {
    html::PumpReport report = queue_->PumpUntilIdle();
    if (!report.quiet)
        diagnostics_ << "properties-panel-host: the UI loop did not settle after " << report.rounds
                     << " rounds\n";
    return report.quiet;
}

HELEMENT HostSession::RootElement() const {
    HELEMENT root = nullptr;
    if (window_ == nullptr || HtmlEngineAPI()->GetRootElement(window_->Handle(), &root) != kHtmlOk)
        return nullptr;
    return root;
}

std::optional<std::string> HostSession::ReadResource(std::string_view url) const {
    if (url.starts_with(kModuleFolder)) {
        so::Ref blob;
        std::wstring path = so::WideFromUtf8(url);
        auto code = so::Call<host::UIEngine::LoadResourceData>(engine_.Get(), path.c_str(), blob.Put());
        if (!code || *code != so::kOk || !blob)
            return std::nullopt;
        std::uint64_t size = 0;
        const void* data = nullptr;
        so::Call<host::Blob::GetSize>(blob.Get(), &size);
        so::Call<host::Blob::GetData>(blob.Get(), &data);
        return std::string(static_cast<const char*>(data), static_cast<std::size_t>(size));
    }
    // The page's relative links are resolved by the engine; anything that still climbs out of the
    // resources folder is not the host's to serve.
    std::filesystem::path relative(url);
    bool climbs =
        std::any_of(relative.begin(), relative.end(), [](const auto& part) { return part == ".."; });
    if (relative.is_absolute() || climbs || url.find("://") != std::string_view::npos)
        return std::nullopt;
    std::ifstream in(uiResources_ / relative, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::optional<std::wstring> HostSession::Translate(std::wstring_view text, std::wstring_view context) const {
    std::wstring source(text);
    std::wstring contextName(context);
    std::uint32_t length = 0;
    auto call = [&](wchar_t* buffer) {
        return contextName.empty()
                   ? so::Call<host::LocaleManager::Translate>(localeManager_.Get(), buffer, &length,
                                                              source.c_str())
                   : so::Call<host::LocaleManager::TranslateInContext>(localeManager_.Get(), buffer, &length,
                                                                       contextName.c_str(), source.c_str());
    };
    if (!localeManager_ || call(nullptr).value_or(so::kNothingProvided) != so::kOk)
        return std::nullopt;
    std::wstring translated(length + 1, L'\0');
    if (call(translated.data()).value_or(so::kNothingProvided) != so::kOk)
        return std::nullopt;
    translated.resize(length);
    if (translated == source)
        return std::nullopt;
    return translated;
}

} // namespace headless
