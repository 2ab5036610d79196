// The controller of the panel page: follows the active document view and its selection, rebuilds
// the tabs and panels at idle time, remembers the chosen tab and sub-tabs, and falls back to the
// hint when nothing is selected.
//
// The panel's threads, told here once for every header of this folder (tags as in
// host/ServiceObject.h).
//
// Where events arrive. The engine calls every handler of the panel (this one, the group handlers,
// the editors) on the UI thread: page events, Attached and Detached, OnLocaleChanged, idle callbacks
// and posted work. The plug-in's operations and the panel model's SetDocumentsCollection come on the
// UI thread too. Host events come on whichever thread raised them (host/BLEvents.h): the documents
// collection's view events, the active view's selection and locked-state events, the selection's
// OnDisplayed, the properties context's OnChanged, a property's OnChange, the default settings'
// OptsChanged. Only the UI thread touches the page.
//
// How work reaches the UI thread. Off it, a handler keeps to locks, atomics and weak references,
// and hands everything else over through the framework (ui-engine/internal/UIHandlerStdImpl.h):
//   PostWeak     posts with a weak reference: a handler that dies meanwhile is not kept for it
//   PostAlways   posts with a strong reference: the handler lives until the record ran or was dropped
//   RunOrPost    runs at once on the UI thread, else PostAlways
//   MustPost     whether the caller must post: the window's invoker decides; true while detached
// or it sets a flag that its idle callback reads. The loop runs posted work first, then the idle
// callbacks, until both are quiet: a rebuild asked for by a flag comes after the work posted before.
//
// The flags that steer rebuilds:
//   updatePending_ (here, atomic): set by OnActiveViewChanged and the selection's OnDisplayed on any
//     thread, and by OnLocaleChanged through a post. OnIdle reads it, clears it and rebuilds at once;
//     cleared first, so that a failing rebuild is not retried at every idle call, and left set while
//     the page's root cannot be read.
//   currentSelection_ (here, weak, under selectionMutex_): written by the observers on any thread,
//     read by _UpdateView. ShowNothing empties it first, so that a rebuild already asked for finds
//     nothing to show.
//   defaultsUpdatePending (PropertiesRootGroupHandler, UI thread only): set by its OnBehaviorEvent on
//     PROP_VIEW_REFRESHED and PROP_EDIT_FINISHED, and by GenerateContent. OnIdle brings the
//     default-settings buttons up to date, then clears it.
//   skipNextIdleUpdate (PropertiesRootGroupHandler, UI thread only): set on PROP_GENERATE_CONTENT.
//     OnIdle clears it and reports work done without updating the buttons, which so wait for the
//     next idle pass.
//   defaultActionRunning (PropertiesRootGroupHandler, atomic): set on the UI thread while
//     SetAsDefault or ResetDefault runs. OptsChanged, on any thread, updates nothing then: the
//     action brings the buttons up to date itself.
//   committing (PropertyHandler_Base, atomic): set on the UI thread while an editor writes its own
//     property. OnChange is raised on the writing thread, so it sees the flag and posts no refresh.
//
// What weak references guarantee. Host-event callbacks (SubscribeWeak, and the editors' and the
// root group handler's own) and PostWeak records hold the handler weakly: once it is gone they do
// nothing, also when an event is still under way after Unsubscribe returned (host/BLEvents.h allows
// that). Posted work checks IsAttached as well, and a detached handler has no invoker, so posting
// drops the work at once. A handler can therefore die on any thread (a dropped PostAlways record or
// a callback's lock may hold the last reference); Detached leaves nothing in it that needs the UI
// thread to be destroyed.
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

    // [thread-safe] Rebuilds for the current selection: at once when `async` is false and the
    // caller is on the UI thread, else posted.
    void UpdateView(bool async);
    // [ui-thread] The rebuild itself.
    void _UpdateView();
    // [thread-safe] Empties the panel (with the hint when `showHint`); posted when called off the UI
    // thread.
    void CleanView(bool showHint);

    // [thread-safe] From the observers, on any thread.
    void OnDocumentViewSelectionChanging(ServiceObject* previous, ServiceObject* next);
    void OnActiveViewChanged(ServiceObject* businessView);
    // [thread-safe] Forgets the current selection and the generator's context, and cleans back to
    // the hint: the view was deactivated or shows nothing selected.
    void ShowNothing();

    // [ui-thread] Handler operations with bodies of their own.
    void OnBehaviorEvent(std::uint8_t& handled, HtmlBehaviorEventParams& event);
    SOResult HandleMouse(HELEMENT element, HtmlMouseParams* params);
    SOResult OnLocaleChanged();
    void OnAttached();
    void OnDetached();
    bool OnIdle();

    // [ui-thread]
    void CloseEditPopup();

    // [thread-safe]
    bool IsUpdatePending() const { return updatePending_.load(); }
    // [thread-safe] for the pointer, set for the handler's life; what it points to is [ui-thread].
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
