// The business-logic objects of an open document: the document with its command stack and task
// notifications, its views, and the selection of a view.
//
// Strings out of these interfaces are `const wchar_t*` owned by the giving object (see
// host/BLProperties.h); objects given out carry one reference for the receiver. Every method is
// [thread-safe] unless it says otherwise; events follow host/BLEvents.h.
#pragma once

#include "host/BLEvents.h"
#include "host/ServiceObject.h"

#include <array>
#include <cstdint>

namespace host {

// "Command": one undoable step, made by a "CommandFactory" registered with the "CommandsManager"
// and run by a document's command stack. DO runs again for a redo after UNDO.
struct Command {
    static constexpr std::uint32_t kId = 0xC0AA0001;
    static constexpr const char* kName = "Command";
    // Called once by the document, before the first DO: the command's unique id, its command class
    // atom, and the parameter block given to BLDocument::ExecuteCommand (borrowed for the call).
    using Initialize =
        so::Method<0, SOResult(SOAtom uniqueId, SOAtom commandName, const void* parameters), "Initialize">;
    using DO = so::Method<1, SOResult(), "DO">;
    using UNDO = so::Method<2, SOResult(), "UNDO">;
    // 3 for a null out-pointer.
    using GetUniqueCommandID = so::Method<3, SOResult(SOAtom* id), "GetUniqueCommandID">;
    using GetCommandName = so::Method<4, SOResult(SOAtom* name), "GetCommandName">;
    using Methods = so::MethodList<Initialize, DO, UNDO, GetUniqueCommandID, GetCommandName>;
};

// The parameter block of "SetActionPropDataCommand": the property and the new action (borrowed; the
// command takes its own references).
struct SetActionPropDataParameters {
    ServiceObject* property;
    void* action; // PdfActionHandle
};

// What a command-stack event reports.
enum class CommandAction : std::uint32_t { Do = 0, Undo = 1, Redo = 2 };

// The document's task notifications: each command run, undo and redo is one task.
struct ExecuteNotification {
    static constexpr std::uint32_t kId = 0xE8EC0001;
    static constexpr const char* kName = "ExecuteNotification";
    struct TaskArguments {
        SOAtom commandName;
        std::uint32_t action; // CommandAction
        SOResult status;      // OnTaskFail only: why it failed
    };
    struct OnTaskBegin {
        static constexpr std::uint32_t kEventId = 0;
        using Arguments = TaskArguments;
    };
    struct OnTaskEnd {
        static constexpr std::uint32_t kEventId = 1;
        using Arguments = TaskArguments;
    };
    struct OnTaskFail {
        static constexpr std::uint32_t kEventId = 2;
        using Arguments = TaskArguments;
    };
    static constexpr std::uint32_t kEventCount = 3;
    using Subscribe = so::Method<0,
                                 SOResult(std::uint32_t eventId, const HostEventSubscription* subscription,
                                          HostEventCookie* cookie),
                                 "Subscribe">;
    using Unsubscribe = so::Method<1, SOResult(HostEventCookie cookie), "Unsubscribe">;
    using Methods = so::MethodList<Subscribe, Unsubscribe>;
};

// The document's progress reports for long operations (loading, saving).
struct ProgressNotification {
    static constexpr std::uint32_t kId = 0xE8EC0002;
    static constexpr const char* kName = "ProgressNotification";
    struct StateArguments {
        std::uint32_t state; // 0 idle, 1 running, 2 paused
    };
    struct ProgressArguments {
        std::uint32_t done;
        std::uint32_t total;
    };
    struct TextArguments {
        const wchar_t* text;
    };
    struct FinishedArguments {
        SOResult status;
    };
    struct OnProgressStateChanged {
        static constexpr std::uint32_t kEventId = 0;
        using Arguments = StateArguments;
    };
    struct OnProgressChanged {
        static constexpr std::uint32_t kEventId = 1;
        using Arguments = ProgressArguments;
    };
    struct OnProgressTextChanged {
        static constexpr std::uint32_t kEventId = 2;
        using Arguments = TextArguments;
    };
    // The name of the action the user can take (e.g. "Cancel").
    struct OnProgressActionChanged {
        static constexpr std::uint32_t kEventId = 3;
        using Arguments = TextArguments;
    };
    // The caption of the action button.
    struct OnProgressActionButtonChanged {
        static constexpr std::uint32_t kEventId = 4;
        using Arguments = TextArguments;
    };
    struct OnProgressFinished {
        static constexpr std::uint32_t kEventId = 5;
        using Arguments = FinishedArguments;
    };
    static constexpr std::uint32_t kEventCount = 6;
    using Subscribe = so::Method<0,
                                 SOResult(std::uint32_t eventId, const HostEventSubscription* subscription,
                                          HostEventCookie* cookie),
                                 "Subscribe">;
    using Unsubscribe = so::Method<1, SOResult(HostEventCookie cookie), "Unsubscribe">;
    using Methods = so::MethodList<Subscribe, Unsubscribe>;
};

// An open document.
struct BLDocument {
    static constexpr std::uint32_t kId = 0xB1D0C001;
    static constexpr const char* kName = "BLDocument";

    struct CommandArguments {
        std::uint32_t action;   // CommandAction
        ServiceObject* command; // the "Command"
        ServiceObject* task;    // null: commands of this host run without a task object
    };
    // Raised before a command's DO or UNDO, and after it succeeded (not after a failure).
    struct OnBeforeCommand {
        static constexpr std::uint32_t kEventId = 0;
        using Arguments = CommandArguments;
    };
    struct OnAfterCommand {
        static constexpr std::uint32_t kEventId = 1;
        using Arguments = CommandArguments;
    };
    static constexpr std::uint32_t kEventCount = 2;

    // The document's file name.
    using GetName = so::Method<0, SOResult(const wchar_t** name), "GetName">;
    using Subscribe = so::Method<1,
                                 SOResult(std::uint32_t eventId, const HostEventSubscription* subscription,
                                          HostEventCookie* cookie),
                                 "Subscribe">;
    using Unsubscribe = so::Method<2, SOResult(HostEventCookie cookie), "Unsubscribe">;
    using GetExecuteNotification =
        so::Method<3, SOResult(ServiceObject** notification), "GetExecuteNotification">;
    using GetProgressNotification =
        so::Method<4, SOResult(ServiceObject** notification), "GetProgressNotification">;
    // Undo and redo the last step; 1 when there is none.
    using Undo = so::Method<5, SOResult(), "Undo">;
    using Redo = so::Method<6, SOResult(), "Redo">;
    using GetUndoCount = so::Method<7, SOResult(std::uint32_t* count), "GetUndoCount">;
    using GetRedoCount = so::Method<8, SOResult(std::uint32_t* count), "GetRedoCount">;
    using GetPageCount = so::Method<9, SOResult(std::uint32_t* count), "GetPageCount">;
    // The PDF core library's document handle (borrowed); 1 and null when the document has none.
    using GetPdfDocument = so::Method<20, SOResult(void** document), "GetPdfDocument">;
    // Runs the command registered under `commandAtom` with the "CommandsManager" as one undoable step:
    // the factory makes it, Initialize gets `parameters`, DO runs. `flags` must be 0. A failing DO
    // leaves no step and gives its failure.
    using ExecuteCommand =
        so::Method<36, SOResult(SOAtom commandAtom, const void* parameters, std::uint32_t flags),
                   "ExecuteCommand">;

    using Methods =
        so::MethodList<GetName, Subscribe, Unsubscribe, GetExecuteNotification, GetProgressNotification, Undo,
                       Redo, GetUndoCount, GetRedoCount, GetPageCount, GetPdfDocument, ExecuteCommand>;
};

// The selected objects of a view. A selection does not change: selecting other objects makes a new
// selection.
struct BLSelection {
    static constexpr std::uint32_t kId = 0xB15E1001;
    static constexpr const char* kName = "BLSelection";
    // Raised once the selection holds its objects, and once the view shows it.
    struct OnInitialized {
        static constexpr std::uint32_t kEventId = 0;
        using Arguments = ObjectEventArguments; // the selection
    };
    struct OnDisplayed {
        static constexpr std::uint32_t kEventId = 1;
        using Arguments = ObjectEventArguments;
    };
    static constexpr std::uint32_t kEventCount = 2;

    using GetObjectCount = so::Method<0, SOResult(std::uint32_t* count), "GetObjectCount">;
    // The name of a selected object; 3 for an index beyond the count.
    using GetObjectName = so::Method<1, SOResult(std::uint32_t index, const wchar_t** name), "GetObjectName">;
    using Subscribe = so::Method<2,
                                 SOResult(std::uint32_t eventId, const HostEventSubscription* subscription,
                                          HostEventCookie* cookie),
                                 "Subscribe">;
    using Unsubscribe = so::Method<3, SOResult(HostEventCookie cookie), "Unsubscribe">;
    // The properties of the selected objects (BLPropertiesContext); the same context on every call.
    using GetPropertiesContext = so::Method<16, SOResult(ServiceObject** context), "GetPropertiesContext">;

    using Methods =
        so::MethodList<GetObjectCount, GetObjectName, Subscribe, Unsubscribe, GetPropertiesContext>;
};

// The business side of a document view: what it shows, its selection and its locked state.
struct BLDocumentView {
    static constexpr std::uint32_t kId = 0x3D9D638F;
    static constexpr const char* kName = "BLDocumentView";

    // Locked-state bits (GetLockedState, OnLockedStateChanged).
    static constexpr std::uint32_t kLockedForWrite = 0x1;
    static constexpr std::uint32_t kLockedForRead = 0x2;

    struct ZoomArguments {
        std::uint32_t zoomType; // 0 custom, 1 fit page, 2 fit width
        float zoom;
    };
    struct FocusPageArguments {
        std::uint64_t page;
    };
    struct RangeArguments {
        PageRange range;
    };
    struct PagesArguments {
        std::uint32_t operation; // 0 inserted, 1 deleted, 2 moved, 3 rotated
        PageRange range;
    };
    struct SelectionChangingArguments {
        ServiceObject* previous; // BLSelection or null
        ServiceObject* next;     // BLSelection or null
    };
    struct SelectionArguments {
        ServiceObject* selection; // BLSelection or null
    };
    struct AtomArguments {
        SOAtom atom;
    };
    struct ScrollArguments {
        std::uint32_t scrollBar; // 0 horizontal, 1 vertical
        ScrollState state;
    };
    struct StateArguments {
        std::uint32_t state;
    };
    struct FlagArguments {
        std::uint8_t on;
    };

#define HOST_VIEW_EVENT(name, id, arguments)                                                                 \
    struct name {                                                                                            \
        static constexpr std::uint32_t kEventId = id;                                                        \
        using Arguments = arguments;                                                                         \
    };
    HOST_VIEW_EVENT(OnZoomChanged, 0, ZoomArguments)
    HOST_VIEW_EVENT(OnFocusPageChanged, 1, FocusPageArguments)
    HOST_VIEW_EVENT(OnVisibleRangeChanged, 2, RangeArguments)
    HOST_VIEW_EVENT(OnPagesChanged, 3, PagesArguments)
    HOST_VIEW_EVENT(OnSelectionChanging, 4, SelectionChangingArguments)
    HOST_VIEW_EVENT(OnSelectionChanged, 5, SelectionArguments)
    HOST_VIEW_EVENT(OnLayoutChanged, 6, AtomArguments)
    HOST_VIEW_EVENT(OnScrollChanged, 7, ScrollArguments)
    HOST_VIEW_EVENT(OnAvailableOperationsChanged, 8, StateArguments)
    HOST_VIEW_EVENT(OnLockedStateChanged, 9, StateArguments) // kLockedForWrite | kLockedForRead
    HOST_VIEW_EVENT(OnActiveToolChanged, 10, AtomArguments)
    HOST_VIEW_EVENT(OnActiveInputHandlerChanged, 11, AtomArguments)
    HOST_VIEW_EVENT(OnViewStateChanged, 12, StateArguments)
    HOST_VIEW_EVENT(OnViewRulerStateChanged, 13, FlagArguments)
    HOST_VIEW_EVENT(OnViewGridStateChanged, 14, FlagArguments)
#undef HOST_VIEW_EVENT
    static constexpr std::uint32_t kEventCount = 15;

    using GetDocument = so::Method<0, SOResult(ServiceObject** document), "GetDocument">;
    using GetLockedState = so::Method<1, SOResult(std::uint32_t* state), "GetLockedState">;
    using Subscribe = so::Method<2,
                                 SOResult(std::uint32_t eventId, const HostEventSubscription* subscription,
                                          HostEventCookie* cookie),
                                 "Subscribe">;
    using Unsubscribe = so::Method<3, SOResult(HostEventCookie cookie), "Unsubscribe">;
    using GetFocusPage = so::Method<4, SOResult(std::uint64_t* page), "GetFocusPage">;
    // The current selection; 1 and null when nothing is selected.
    using GetSelection = so::Method<106, SOResult(ServiceObject** selection), "GetSelection">;

    using Methods =
        so::MethodList<GetDocument, GetLockedState, Subscribe, Unsubscribe, GetFocusPage, GetSelection>;
};

} // namespace host
