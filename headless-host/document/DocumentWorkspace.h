// The host's open documents and the window services that show them: each document gets a view in
// the documents collection; views are activated, objects selected, documents locked, steps undone.
// The collection, the main frame, the message box and the user options are offered to modules
// through the panel's window context and the service provider; the dialogs and the action wizard
// through the service provider.
#pragma once

#include "headless-host/document/DocumentModel.h"
#include "headless-host/document/DocumentState.h"
#include "service-common/ServiceObjectPtr.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace headless {

class DialogScript;
class DocumentsCollectionService;
class DocumentViewObject;
class MessageBoxService;
class UserOptionsService;
class WindowContextObject;

class DocumentWorkspace {
public:
    DocumentWorkspace();
    // Withdraws the services and closes every document (dropping their undo steps).
    ~DocumentWorkspace();
    DocumentWorkspace(const DocumentWorkspace&) = delete;
    DocumentWorkspace& operator=(const DocumentWorkspace&) = delete;

    // Offers the collection, the main frame, the message box and the user options through `context`
    // (by interface id) and the service provider (by name), and the dialogs and the action wizard
    // through the provider. Raises ServiceObjectException when the provider refuses.
    void Install(const so::Ref& context);
    void Uninstall();

    struct OpenDocument {
        std::shared_ptr<DocumentState> state;
        so::Ref document;     // BLDocument
        so::Ref businessView; // BLDocumentView
        so::Ref view;         // UIDocumentView
    };

    // A new view of the document in the collection (OnDocumentViewCreated); not yet active. Gives the
    // document's index. The file forms raise DocumentFileError.
    std::size_t Open(DocumentModel model);
    std::size_t OpenFile(const std::filesystem::path& file);
    std::size_t OpenSample();

    std::size_t DocumentCount() const { return documents_.size(); }
    // Raises std::out_of_range for an index that is not open.
    const OpenDocument& Document(std::size_t index) const;
    std::optional<std::size_t> ActiveIndex() const;

    void Activate(std::size_t index);
    void Deactivate();
    // False when a subscriber kept the view open.
    bool Close(std::size_t index);
    void CloseAll();

    // On the active view (raise std::logic_error when none is active) or on the view of the document
    // at `index`, active or not (std::out_of_range for an index that is not open). Raise
    // std::invalid_argument for an unknown object name or a locked state outside 0..3.
    void Select(const std::vector<std::wstring>& objectNames);
    void Select(std::size_t index, const std::vector<std::wstring>& objectNames);
    void SetLockedState(std::uint32_t state);
    void SetLockedState(std::size_t index, std::uint32_t state);
    // Through the "CommandsManager" when one is registered, else on the document itself; 1 when there
    // is nothing to undo or redo. Failures raise ServiceObjectException.
    SOResult Undo();
    SOResult Redo();
    SOResult Undo(std::size_t index);
    SOResult Redo(std::size_t index);

    // Every property of every object of a document, one line each:
    // "<object>/<group>/…/<property> = <value as in document files>" with " [read-only]", " [hidden]";
    // "<read error: MESSAGE>" instead of the value of a property that cannot be read.
    std::string DumpValues(std::size_t index) const;
    // The properties of the active view's selection as the panel reads them (" [mixed]" where they
    // differ); empty when nothing is selected.
    std::string DumpSelection() const;
    std::string DumpSelection(std::size_t index) const;
    // The value of one property of a document object, as in document files (or its read error, as
    // dumps show it). Raises std::invalid_argument for an unknown object or path.
    std::string PropertyValue(std::size_t index, const std::wstring& objectName,
                              const PropertyPath& path) const;
    // The same property as a BLProperty of that one object, as another window would hold it.
    so::Ref PropertyOfObject(std::size_t index, const std::wstring& objectName,
                             const PropertyPath& path) const;
    // How many writes of the property were accepted (also of the value it had).
    std::uint64_t PropertyWrites(std::size_t index, const std::wstring& objectName,
                                 const PropertyPath& path) const;
    // The value of the property's last pending-value notice, as in document files; "none" when it
    // was told that no edit is pending, or never told anything.
    std::string PendingValue(std::size_t index, const std::wstring& objectName,
                             const PropertyPath& path) const;
    // The next `count` writes of the property fail with `message`.
    void RefuseWrites(std::size_t index, const std::wstring& objectName, const PropertyPath& path,
                      std::uint32_t count, std::string message);

    // Take the property, or the object with all its properties, out of the document, as another
    // window deleting them would: the contexts showing them hear that their content changed, objects
    // still holding a removed property fail to read or write it, and a view whose selection holds
    // the removed object selects what remains of it. Raise std::invalid_argument as PropertyValue.
    void RemoveProperty(std::size_t index, const std::wstring& objectName, const PropertyPath& path);
    void RemoveObject(std::size_t index, const std::wstring& objectName);

    ServiceObject* Collection() const { return collection_.Get(); }
    ServiceObject* MainFrame() const { return mainFrame_.Get(); }
    ServiceObject* MessageBox() const { return messageBox_.Get(); }
    ServiceObject* UserOptions() const { return userOptions_.Get(); }
    DocumentsCollectionService& CollectionService() const;
    MessageBoxService& MessageBoxes() const;
    // The answers queued for the dialogs and the action wizard, and what they were shown with.
    DialogScript& Dialogs() const { return *dialogs_; }
    UserOptionsService& Options() const;
    // The active view's business side; raises std::logic_error when none is active.
    DocumentViewObject& ActiveView() const;
    // The business side of the view of the document at `index`.
    DocumentViewObject& View(std::size_t index) const;

private:
    std::size_t RequireActive() const;
    std::shared_ptr<PropertyModel> ObjectProperty(std::size_t index, const std::wstring& objectName,
                                                  const PropertyPath& path) const;
    template <class ManagerStep, class DocumentStep>
    SOResult StepThroughCommands(std::size_t index);

    so::Ref collection_;
    so::Ref messageBox_;
    so::Ref userOptions_;
    so::Ref mainFrame_;
    std::shared_ptr<DialogScript> dialogs_;
    so::Ref context_; // the window context installed into
    std::vector<OpenDocument> documents_;
};

} // namespace headless
