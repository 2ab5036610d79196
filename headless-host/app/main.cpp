// properties-panel-host: the command-line host of the Properties panel module.
#include "headless-host/app/ModuleHost.h"
#include "headless-host/services/CommandsManagerService.h"
#include "headless-host/services/PluginSiteObject.h"
#include "headless-host/services/UIEngineService.h"
#include "headless-host/support/HostSupport.h"
#include "host/Logger.h"
#include "host/UIServices.h"
#include "service-common/ErrorsStorage.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceQuery.h"
#include "service-common/TextConversion.h"

#include <dlfcn.h>

#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <vector>

namespace {

constexpr const char* kUsage = R"(usage: properties-panel-host [options]

Loads the Properties panel module as the PDF editor's host would, runs the host's call sequence
and reports what the module offers.

options:
  --module PATH   the module to load (default: libdocument-panel-properties.so beside this program)
  --log PATH      write the host's log to PATH (default: standard error)
  --help          show this text
)";

struct Options {
    std::filesystem::path module;
    std::optional<std::string> logFile;
};

std::filesystem::path ProgramFolder() { return std::filesystem::read_symlink("/proc/self/exe").parent_path(); }

std::optional<Options> ParseOptions(int argc, char** argv, int& exitCode) {
    Options options{ProgramFolder() / "libdocument-panel-properties.so", std::nullopt};
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::cout << kUsage;
            exitCode = 0;
            return std::nullopt;
        }
        if (argument == "--module" && i + 1 < argc) {
            options.module = argv[++i];
            continue;
        }
        if (argument == "--log" && i + 1 < argc) {
            options.logFile = argv[++i];
            continue;
        }
        std::cerr << "properties-panel-host: unknown or incomplete option '" << argument << "'\n" << kUsage;
        exitCode = 2;
        return std::nullopt;
    }
    return options;
}

template <class T>
so::Ref Make() {
    return so::Ref::Adopt(so::ServiceObjectCppTheConcrete<T>::Create());
}

void ListResources(ServiceObject* engine) {
    std::uint32_t packages = 0;
    so::Call<host::UIEngine::GetPackageCount>(engine, &packages);
    for (std::uint32_t p = 0; p < packages; ++p) {
        so::Ref package;
        so::Call<host::UIEngine::GetPackage>(engine, p, package.Put());
        std::uint32_t count = 0;
        so::Call<host::ResourcePackage::GetResourceCount>(package.Get(), &count);
        std::cout << "Resources (" << count << "):\n";
        for (std::uint32_t i = 0; i < count; ++i) {
            std::uint32_t length = 0;
            so::Call<host::ResourcePackage::GetResourcePath>(package.Get(), i, nullptr, &length);
            std::wstring path(length + 1, L'\0');
            so::Call<host::ResourcePackage::GetResourcePath>(package.Get(), i, path.data(), &length);
            path.resize(length);
            so::Ref blob;
            so::Call<host::ResourcePackage::GetResource>(package.Get(), path.c_str(), blob.Put());
            std::uint64_t size = 0;
            so::Call<host::Blob::GetSize>(blob.Get(), &size);
            std::cout << "  " << so::Utf8FromWide(path) << " (" << size << " bytes)\n";
        }
    }
}

void SetLogFile(void* loggerLibrary, const std::string& path) {
    auto getLogger = reinterpret_cast<GetLoggerFn>(dlsym(loggerLibrary, "GetLogger"));
    so::Ref logger;
    if (getLogger == nullptr || getLogger(logger.Put()) != so::kOk)
        throw std::runtime_error("The logger library has no GetLogger");
    so::Call<host::Logger::SetOutputFile>(logger.Get(), path.c_str());
}

int Run(const Options& options) {
    // The host's own objects first: the error store must not belong to a module that unloads.
    so::ErrorsStorage::Instance();
    void* logger = dlopen((ProgramFolder() / "liblogger.so").c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (logger == nullptr)
        std::cerr << "properties-panel-host: no logger, the module will log nothing (" << dlerror() << ")\n";
    else if (options.logFile)
        SetLogFile(logger, *options.logFile);

    so::Ref engine = Make<headless::UIEngineService>();
    so::Ref commands = Make<headless::CommandsManagerService>();
    ServiceProviderRegisterObject(so::AtomOf(host::UIEngine::kServiceName), engine.Get());
    ServiceProviderRegisterObject(so::AtomOf(host::CommandsManager::kServiceName), commands.Get());
    so::Ref site = Make<headless::PluginSiteObject>();
    so::Ref context = Make<headless::WindowContextObject>();

    int status = 0;
    {
        headless::ModuleHost module(options.module);
        std::cout << "Module: " << options.module.string() << "\nClasses:\n";
        for (const auto& entry : module.Initialize())
            std::cout << "  " << entry.name << "\n";
        module.StartPlugin(site.Get(), context.Get());
        ListResources(engine.Get());
        try {
            so::Ref handler = module.InitHandler();
            std::cout << "Panel handler: " << (handler ? "created" : "none") << "\n";
        } catch (const so::ServiceObjectException& e) {
            std::cout << "Panel handler: not available (" << e.Message() << ")\n";
        }
        module.StopPlugin();
    }
    ServiceProviderClear();
    if (logger != nullptr)
        dlclose(logger);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    int exitCode = 0;
    std::optional<Options> options = ParseOptions(argc, argv, exitCode);
    if (!options)
        return exitCode;
    try {
        return Run(*options);
    } catch (const so::ServiceObjectException& e) {
        std::cerr << "properties-panel-host: " << e.Message() << " (code 0x" << std::hex << e.Code() << ")\n";
    } catch (const std::exception& e) {
        std::cerr << "properties-panel-host: " << e.what() << "\n";
    }
    return 1;
}
