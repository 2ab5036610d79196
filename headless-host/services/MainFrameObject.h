// The host's "UIMainFrame": the application frame window, and through it the active document and
// the message box.
#pragma once

#include "host/UIDocuments.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectPtr.h"

#include <atomic>

namespace headless {

class MainFrameObject : public so::ObjectBase {
public:
    using Interface = host::UIMainFrame;
    static constexpr std::uint32_t kClassTag = 0x3A1F7A11;
    static void BindMethods(so::MethodBinder<MainFrameObject>& binder);

    // `collection` ("UIDocumentsCollection") and `messageBox` ("UIMessageBox") are kept.
    MainFrameObject(so::Ref collection, so::Ref messageBox);

    SOResult GetMainFrameWnd(HWND* window);
    SOResult GetDocumentsCollection(ServiceObject** collection);
    SOResult GetActiveDocumentView(ServiceObject** view);
    SOResult GetActiveDocument(ServiceObject** document);
    SOResult GetMessageBox(ServiceObject** messageBox);

    // The window a headless host has none of: a value that only identifies the frame.
    void SetWindow(HWND window) { window_.store(window); }

private:
    so::Ref collection_;
    so::Ref messageBox_;
    std::atomic<HWND> window_;
};

} // namespace headless
