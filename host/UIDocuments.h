// The host's UI side of documents, reached through a panel's window context: the document views
// and their collection, the application's main frame, the message box, and the user options tree.
//
// Strings out of these interfaces are `const wchar_t*` owned by the giving object (see
// host/BLProperties.h); objects given out carry one reference for the receiver. Every method is
// [thread-safe] unless it says otherwise; events follow host/BLEvents.h.
#pragma once

#include "host/BLEvents.h"
#include "host/ServiceObject.h"
#include "host/WindowsApi.h"

#include <array>
#include <cstdint>

namespace host {

// A view of a document in the host's window.
struct UIDocumentView {
    static constexpr std::uint32_t kId = 0x0D0C7E01;
    static constexpr const char* kName = "UIDocumentView";
    // The title shown on the view's tab (the document's file name).
    using GetTitle = so::Method<0, SOResult(const wchar_t** title), "GetTitle">;
    // The view's objects by interface id: BLDocumentView::kId gives the business side of the view.
    // A view without a document (a start page) refuses with kServiceNotSupportedByProvider.
    using QueryServiceObject =
        so::Method<14, SOResult(std::uint32_t interfaceId, ServiceObject** out), "QueryServiceObject">;
    using Methods = so::MethodList<GetTitle, QueryServiceObject>;
};

// Two document views shown side by side.
struct UIDocumentViewSbS {
    static constexpr std::uint32_t kId = 0x0D0C7E02;
    static constexpr const char* kName = "UIDocumentViewSbS";
    using GetViewCount = so::Method<0, SOResult(std::uint32_t* count), "GetViewCount">;
    using GetView = so::Method<1, SOResult(std::uint32_t index, ServiceObject** view), "GetView">;
    using Methods = so::MethodList<GetViewCount, GetView>;
};

// "UIDocumentsCollection": the open document views of the window, the active one, and the
// side-by-side views.
struct UIDocumentsCollection {
    static constexpr std::uint32_t kId = 0x468F6917;
    static constexpr const char* kName = "UIDocumentsCollection";
    static constexpr const char* kServiceName = "UIDocumentsCollection";

    struct ViewArguments {
        ServiceObject* view; // UIDocumentView, or UIDocumentViewSbS for the side-by-side events
    };
    struct DeactivatedArguments {
        ServiceObject* view;
        ServiceObject* other; // the view being activated instead, or null
    };
    struct CloseArguments {
        ServiceObject* view;
        std::uint8_t* cancel; // a subscriber sets *cancel = 1 to keep the view open
    };
#define HOST_COLLECTION_EVENT(name, id, arguments)                                                           \
    struct name {                                                                                            \
        static constexpr std::uint32_t kEventId = id;                                                        \
        using Arguments = arguments;                                                                         \
    };
    HOST_COLLECTION_EVENT(OnDocumentViewCreated, 0, ViewArguments)
    HOST_COLLECTION_EVENT(OnDocumentViewActivated, 1, ViewArguments)
    HOST_COLLECTION_EVENT(OnDocumentViewDeactivated, 2, DeactivatedArguments)
    HOST_COLLECTION_EVENT(OnDocumentViewClose, 3, CloseArguments)
    HOST_COLLECTION_EVENT(OnDocumentViewDestroyed, 4, ViewArguments)
    HOST_COLLECTION_EVENT(OnSbSViewCreated, 5, ViewArguments)
    HOST_COLLECTION_EVENT(OnSbSViewActivated, 6, ViewArguments)
    HOST_COLLECTION_EVENT(OnSbSViewDeactivated, 7, ViewArguments)
    HOST_COLLECTION_EVENT(OnSbSViewDestroyed, 8, ViewArguments)
#undef HOST_COLLECTION_EVENT
    static constexpr std::uint32_t kEventCount = 9;

    using GetViewCount = so::Method<0, SOResult(std::uint32_t* count), "GetViewCount">;
    // 3 for an index beyond the count.
    using GetView = so::Method<1, SOResult(std::uint32_t index, ServiceObject** view), "GetView">;
    using HasActiveView = so::Method<2, SOResult(std::uint8_t* has), "HasActiveView">;
    // 1 and null when no view is active.
    using GetActiveView = so::Method<3, SOResult(ServiceObject** view), "GetActiveView">;
    using HasActiveSbSView = so::Method<4, SOResult(std::uint8_t* has), "HasActiveSbSView">;
    using GetActiveSbSView = so::Method<5, SOResult(ServiceObject** view), "GetActiveSbSView">;
    using Subscribe = so::Method<6,
                                 SOResult(std::uint32_t eventId, const HostEventSubscription* subscription,
                                          HostEventCookie* cookie),
                                 "Subscribe">;
    using Unsubscribe = so::Method<7, SOResult(HostEventCookie cookie), "Unsubscribe">;
    using GetSbSViewCount = so::Method<8, SOResult(std::uint32_t* count), "GetSbSViewCount">;
    using GetSbSView = so::Method<9, SOResult(std::uint32_t index, ServiceObject** view), "GetSbSView">;

    using Methods = so::MethodList<GetViewCount, GetView, HasActiveView, GetActiveView, HasActiveSbSView,
                                   GetActiveSbSView, Subscribe, Unsubscribe, GetSbSViewCount, GetSbSView>;
};

// Message-box flags and answers, with the values of the original platform.
namespace MessageBoxFlags {
constexpr std::uint32_t kOk = 0x0;
constexpr std::uint32_t kOkCancel = 0x1;
constexpr std::uint32_t kYesNoCancel = 0x3;
constexpr std::uint32_t kYesNo = 0x4;
constexpr std::uint32_t kButtonsMask = 0xF;
constexpr std::uint32_t kIconError = 0x10;
constexpr std::uint32_t kIconQuestion = 0x20;
constexpr std::uint32_t kIconWarning = 0x30;
constexpr std::uint32_t kIconInformation = 0x40;
} // namespace MessageBoxFlags
namespace MessageBoxAnswer {
constexpr std::uint32_t kOk = 1;
constexpr std::uint32_t kCancel = 2;
constexpr std::uint32_t kYes = 6;
constexpr std::uint32_t kNo = 7;
} // namespace MessageBoxAnswer

// The host's modal message box. [ui-thread]
struct UIMessageBox {
    static constexpr std::uint32_t kId = 0x3E55A6E1;
    static constexpr const char* kName = "UIMessageBox";
    // Shows `html` (markup; a `<button type="checkbox">` in it is a check box the user may tick) with
    // the buttons and icon of `flags` until the user answers. `answer` gets a MessageBoxAnswer;
    // `checkBoxChecked` (may be null) whether the text's first check box was ticked (0 without one).
    using Show = so::Method<0,
                            SOResult(const wchar_t* html, const wchar_t* caption, std::uint32_t flags,
                                     std::uint32_t* answer, std::uint8_t* checkBoxChecked),
                            "Show">;
    using Methods = so::MethodList<Show>;
};

// "UIMainFrame": the application's main frame window.
struct UIMainFrame {
    static constexpr std::uint32_t kId = 0x3A1F7A01;
    static constexpr const char* kName = "UIMainFrame";
    static constexpr const char* kServiceName = "UIMainFrame";
    // The frame's native window: the parent of modal dialogs.
    using GetMainFrameWnd = so::Method<0, SOResult(HWND* window), "GetMainFrameWnd">;
    using GetDocumentsCollection =
        so::Method<1, SOResult(ServiceObject** collection), "GetDocumentsCollection">;
    // The active UIDocumentView; 1 and null when none.
    using GetActiveDocumentView = so::Method<2, SOResult(ServiceObject** view), "GetActiveDocumentView">;
    // The BLDocument of the active view; 1 and null when none.
    using GetActiveDocument = so::Method<3, SOResult(ServiceObject** document), "GetActiveDocument">;
    using GetMessageBox = so::Method<4, SOResult(ServiceObject** messageBox), "GetMessageBox">;
    using Methods = so::MethodList<GetMainFrameWnd, GetDocumentsCollection, GetActiveDocumentView,
                                   GetActiveDocument, GetMessageBox>;
};

// "UserOptions": the application's typed, grouped user settings. An option is named by its group and
// its own name; each has a default and may have a set value that overrides it. Every method takes
// the tree's lock for its own duration. Unknown options and type mismatches give 3.
struct UserOptions {
    static constexpr std::uint32_t kId = 0x05E40971;
    static constexpr const char* kName = "UserOptions";
    static constexpr const char* kServiceName = "UserOptions";

    static constexpr const wchar_t* kGroupAccountDependentOptions = L"UsrOptGroup_AccountDependentOptions";
    // Bool, default 1: ask before restoring the original default settings.
    static constexpr const wchar_t* kResetDefaultWarning = L"UsrOptValue_ResetDefaultWarning";

    // The set value, or else the default.
    using GetBool =
        so::Method<0, SOResult(const wchar_t* group, const wchar_t* name, std::uint8_t* value), "GetBool">;
    // Writes only when the value differs from the current one; `changed` (may be null) says whether it did.
    using SetBool = so::Method<
        1, SOResult(const wchar_t* group, const wchar_t* name, std::uint8_t value, std::uint8_t* changed),
        "SetBool">;
    using GetInt =
        so::Method<2, SOResult(const wchar_t* group, const wchar_t* name, std::int32_t* value), "GetInt">;
    using SetInt = so::Method<
        3, SOResult(const wchar_t* group, const wchar_t* name, std::int32_t value, std::uint8_t* changed),
        "SetInt">;
    // 1 in `isSet` when a value overrides the default.
    using IsSet =
        so::Method<4, SOResult(const wchar_t* group, const wchar_t* name, std::uint8_t* isSet), "IsSet">;
    // Drops the set value: the default applies again.
    using Reset = so::Method<5, SOResult(const wchar_t* group, const wchar_t* name), "Reset">;
    // The option's description, e.g. "Show warning before reset to default".
    using GetDescription =
        so::Method<6, SOResult(const wchar_t* group, const wchar_t* name, const wchar_t** description),
                   "GetDescription">;
    using Methods = so::MethodList<GetBool, SetBool, GetInt, SetInt, IsSet, Reset, GetDescription>;
};

} // namespace host
