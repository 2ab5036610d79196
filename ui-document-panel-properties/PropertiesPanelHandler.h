// The controller of the panel page: follows the active document view and its selection, rebuilds
// the tabs and panels at idle time, remembers the chosen tab and sub-tabs, and falls back to the
// hint when nothing is selected. Every DOM change runs on the UI thread.
#pragma once

#include "ui-document-panel-properties/DocumentObservers.h"
#include "ui-document-panel-properties/EventConnection.h"
#include "ui-document-panel-properties/PropsViewGen.h"
#include "ui-engine/internal/UIHandlerStdImpl.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace panel {

class PropertiesPanelHandler : public ui::UIHandlerStdImpl<PropertiesPanelHandler>,
                               public DocumentViewObserverBase<PropertiesPanelHandler, 1>,
                               public DocumentViewLockedStateController<PropertiesPanelHandler>,
                               public CommandOrTaskObserver<PropertiesPanelHandler> {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86AE8;
    static constexpr std::uint32_t kEventMask = kHandleMouse | kHandleBehaviorEvent | kHandleSom;
    static constexpr bool kHasIdle = true;

    PropertiesPanelHandler();

    // Rebuilds for the current selection: at once when `async` is false and the caller is on the UI
    // thread, else posted.
    void UpdateView(bool async);
    void _UpdateView();
    // Empties the panel (with the hint when `showHint`); posted when called off the UI thread.
    void CleanView(bool showHint);

    // From the observers, on any thread.
    void OnDocumentViewSelectionChanging(ServiceObject* previous, ServiceObject* next);
    void OnActiveViewChanged(ServiceObject* businessView);
    // Forgets the current selection and the generator's context, and cleans back to the hint: the
    // view was deactivated or shows nothing selected. Any thread.
    void ShowNothing();

    // Handler operations with bodies of their own.
    SOResult HandleEvent(std::uint8_t* handled, HELEMENT element, HtmlBehaviorEventParams* event);
    SOResult HandleMouse(HELEMENT element, HtmlMouseParams* params);
    SOResult OnLocaleChanged();
    void OnAttached();
    void OnDetached();
    bool OnIdle();

    void CloseEditPopup();

    bool IsUpdatePending() const { return updatePending_.load(); }
    const std::shared_ptr<PropsViewGenSharedData>& SharedData() const { return sharedData_; }

private:
    void GenerateAndInsert(ServiceObject* context);
    ui::Element FindBody() const;
    void SetCurrentSelection(ServiceObject* selection);
    so::Ref CurrentSelection() const;

    std::shared_ptr<PropsViewGenSharedData> sharedData_;
    PropsViewGen propsViewGen_;
    mutable std::mutex selectionMutex_;
    so::WeakRef currentSelection_;
    EventConnectionList connections_;
    std::atomic<bool> updatePending_{false};
    // Set while the panel itself selects a tab after a rebuild. [ui-thread]
    bool selectingTab_ = false;
};

} // namespace panel
