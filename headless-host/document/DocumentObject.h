// "BLDocument": an open document with its command stack, as the views and the panel see it.
#pragma once

#include "headless-host/document/DocumentState.h"
#include "host/BLDocument.h"
#include "service-common/ServiceObjectCpp.h"

#include <memory>

namespace headless {

class DocumentObject : public so::ObjectBase {
public:
    using Interface = host::BLDocument;
    static constexpr std::uint32_t kClassTag = 0xB1D0C101;
    static void BindMethods(so::MethodBinder<DocumentObject>& binder);

    explicit DocumentObject(std::shared_ptr<DocumentState> state);
    // The command stack goes with the document: its steps may hold the document's properties.
    ~DocumentObject();
    DocumentObject(const DocumentObject&) = delete;
    DocumentObject& operator=(const DocumentObject&) = delete;

    SOResult GetName(const wchar_t** name);
    SOResult Subscribe(std::uint32_t eventId, const HostEventSubscription* subscription,
                       host::HostEventCookie* cookie);
    SOResult Unsubscribe(host::HostEventCookie cookie);
    SOResult GetExecuteNotification(ServiceObject** notification);
    SOResult GetProgressNotification(ServiceObject** notification);
    SOResult Undo();
    SOResult Redo();
    SOResult GetUndoCount(std::uint32_t* count);
    SOResult GetRedoCount(std::uint32_t* count);
    SOResult GetPageCount(std::uint32_t* count);
    SOResult GetPdfDocument(void** document);
    SOResult ExecuteCommand(SOAtom commandAtom, const void* parameters, std::uint32_t flags);

    const std::shared_ptr<DocumentState>& State() const { return state_; }

private:
    std::shared_ptr<DocumentState> state_;
};

} // namespace headless
