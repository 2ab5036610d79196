#include "headless-host/services/MainFrameObject.h"

#include "host/BLDocument.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectException.h"

namespace headless {

namespace {
// Distinct from every real window handle of the process: the address of a host object.
const char kFrameWindowTag = 0;
} // namespace

void MainFrameObject::BindMethods(so::MethodBinder<MainFrameObject>& binder) {
    using C = MainFrameObject;
    using I = host::UIMainFrame;
    binder.Bind<I::GetMainFrameWnd, &C::GetMainFrameWnd>();
    binder.Bind<I::GetDocumentsCollection, &C::GetDocumentsCollection>();
    binder.Bind<I::GetActiveDocumentView, &C::GetActiveDocumentView>();
    binder.Bind<I::GetActiveDocument, &C::GetActiveDocument>();
    binder.Bind<I::GetMessageBox, &C::GetMessageBox>();
}

MainFrameObject::MainFrameObject(so::Ref collection, so::Ref messageBox)
    : collection_(std::move(collection)), messageBox_(std::move(messageBox)),
      window_(reinterpret_cast<HWND>(const_cast<char*>(&kFrameWindowTag))) {}

SOResult MainFrameObject::GetMainFrameWnd(HWND* window) {
    if (window == nullptr)
        return so::kInvalidArgument;
    *window = window_.load();
    return so::kOk;
}

SOResult MainFrameObject::GetDocumentsCollection(ServiceObject** collection) {
    if (collection == nullptr)
        return so::kInvalidArgument;
    *collection = so::Ref(collection_).Detach();
    return *collection != nullptr ? so::kOk : so::kNothingProvided;
}

SOResult MainFrameObject::GetActiveDocumentView(ServiceObject** view) {
    if (view == nullptr)
        return so::kInvalidArgument;
    *view = nullptr;
    if (!collection_)
        return so::kNothingProvided;
    so::Ref active;
    so::Call<host::UIDocumentsCollection::GetActiveView>(collection_.Get(), active.Put());
    *view = active.Detach();
    return *view != nullptr ? so::kOk : so::kNothingProvided;
}

SOResult MainFrameObject::GetActiveDocument(ServiceObject** document) {
    if (document == nullptr)
        return so::kInvalidArgument;
    *document = nullptr;
    so::Ref view;
    if (GetActiveDocumentView(view.Put()) != so::kOk)
        return so::kNothingProvided;
    so::Ref businessView;
    try {
        so::Call<host::UIDocumentView::QueryServiceObject>(view.Get(), host::BLDocumentView::kId,
                                                           businessView.Put());
    } catch (const so::ServiceObjectException&) {
        return so::kNothingProvided; // the active view shows no document
    }
    so::Ref found;
    so::Call<host::BLDocumentView::GetDocument>(businessView.Get(), found.Put());
    *document = found.Detach();
    return *document != nullptr ? so::kOk : so::kNothingProvided;
}

SOResult MainFrameObject::GetMessageBox(ServiceObject** messageBox) {
    if (messageBox == nullptr)
        return so::kInvalidArgument;
    *messageBox = so::Ref(messageBox_).Detach();
    return *messageBox != nullptr ? so::kOk : so::kNothingProvided;
}

} // namespace headless
