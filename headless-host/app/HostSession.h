// Everything a running host holds around the panel module: the UI thread's queue, the named
// services, the open documents, the panel's window and page, and the loaded module. Made in the
// order the editor starts them and torn down in reverse, so that nothing the module handed out
// outlives the module's code.
#pragma once

#include "headless-host/app/ModuleHost.h"
#include "headless-host/app/UIActionDispatcher.h"
#include "headless-host/document/DocumentWorkspace.h"
#include "headless-host/logger/LogCapture.h"
#include "host/HtmlEngineApi.h"
#include "host/WindowsApi.h"
#include "service-common/ServiceObjectPtr.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace html {
class EngineWindow;
class UIQueue;
} // namespace html

namespace headless {

struct HostSessionOptions {
    std::filesystem::path module;
    std::filesystem::path uiResources;
    std::optional<std::string> logFile;
    std::string language; // "" for untranslated texts
    // The local time the module reads all along (GetLocalTime), from before it loads; none for the
    // system's clock. The session hands the system's clock back when it ends.
    std::optional<SYSTEMTIME> fixedLocalTime;
    // Runs once the documents exist and before the plug-in's call sequence: what the host has open
    // and selected then is what the panel finds when it is handed the documents collection.
    std::function<void(DocumentWorkspace&)> beforePanel;
};

class HostSession {
public:
    static constexpr const char* kPanelPage = "document-panel-properties/properties-view.htm";

    // Starts the host and runs the plug-in's call sequence up to GetUIModel. Failures of the panel
    // parts (a build without the panel handler) are reported once on `diagnostics` and the host
    // carries on; anything else raises.
    HostSession(const HostSessionOptions& options, std::ostream& diagnostics);
    // Cleanup, ServiceObjectModuleOnCleanup, ServiceObjectModuleOnFree and unloading, after the
    // page, the posted work and the documents that could still call into the module are gone.
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    DocumentWorkspace& Workspace() { return *workspace_; }
    html::EngineWindow& Window() { return *window_; }
    // The UI actions the panel page's action buttons dispatched.
    const UIActionDispatcher& UIActions() const { return *uiActions_; }
    ServiceObject* LocaleManager() const { return localeManager_.Get(); }
    ServiceObject* UIEngine() const { return engine_.Get(); }

    // Runs posted work and idle callbacks until both are quiet; false (and a note on the
    // diagnostics stream) when the loop had to give up.
    bool Pump();

    // The number of log entries written since the session started or last forgot them whose text
    // contains `text`; none when the host has no logger.
    std::optional<std::uint64_t> CountLogEntries(const std::string& text) const;
    // Forgets the entries counted so far; false when the host has no logger.
    bool ForgetLogEntries();

    // The page's root element with one reference (release it), or null without a page.
    HELEMENT RootElement() const;

    const std::vector<ModuleHost::ClassEntry>& Classes() const { return classes_; }
    bool HasPanelHandler() const { return static_cast<bool>(handler_); }
    // Why the panel parts are missing, or empty.
    const std::string& PanelFailure() const { return panelFailure_; }

private:
    void Start(const HostSessionOptions& options);
    // Safe on a half-made session: every step checks what exists.
    void TearDown() noexcept;
    std::optional<std::string> ReadResource(std::string_view url) const;
    std::optional<std::wstring> Translate(std::wstring_view text, std::wstring_view context) const;
    void StartPanel();
    // Runs one of the panel-part operations, noting the first failure instead of raising.
    template <class Operation>
    void PanelStep(const char* name, Operation operation);

    std::ostream& diagnostics_;
    std::filesystem::path uiResources_;
    void* loggerLibrary_ = nullptr;
    CountLogEntriesFn countLogEntries_ = nullptr;
    ForgetLogEntriesFn forgetLogEntries_ = nullptr;
    std::unique_ptr<html::UIQueue> queue_;
    so::Ref engine_;
    so::Ref commands_;
    so::Ref localeManager_;
    so::Ref site_;
    so::Ref context_;
    std::unique_ptr<DocumentWorkspace> workspace_;
    std::shared_ptr<UIActionDispatcher> uiActions_ = std::make_shared<UIActionDispatcher>();
    std::unique_ptr<html::EngineWindow> window_;
    std::unique_ptr<ModuleHost> module_;
    std::vector<ModuleHost::ClassEntry> classes_;
    so::Ref handler_;
    so::Ref model_;
    HELEMENT handlerElement_ = nullptr;
    std::string panelFailure_;
};

} // namespace headless
