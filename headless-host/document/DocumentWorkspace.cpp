#include "headless-host/document/DocumentWorkspace.h"

#include "host/PdfCore.h"

#include "headless-host/document/DocumentFile.h"
#include "headless-host/document/DocumentObject.h"
#include "headless-host/document/DocumentViewObject.h"
#include "headless-host/document/PropertiesGroupObject.h"
#include "headless-host/document/PropertyObject.h"
#include "headless-host/document/PropertyValues.h"
#include "headless-host/document/SampleDocument.h"
#include "headless-host/document/SelectionObject.h"
#include "headless-host/document/UIDocumentViewObject.h"
#include "headless-host/services/DocumentsCollectionService.h"
#include "headless-host/services/HostDialogs.h"
#include "headless-host/services/MainFrameObject.h"
#include "headless-host/services/MessageBoxService.h"
#include "headless-host/services/PluginSiteObject.h"
#include "headless-host/services/UserOptionsService.h"
#include "headless-host/support/HostSupport.h"
#include "host/BLProperties.h"
#include "host/UIServices.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectException.h"
#include "service-common/ServiceQuery.h"
#include "service-common/TextConversion.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

namespace headless {

namespace {

using so::Make;

std::string JoinedPath(const std::vector<std::wstring>& names) {
    std::string joined;
    for (const auto& name : names)
        joined += (joined.empty() ? "" : "/") + so::Utf8FromWide(name);
    return joined;
}

std::string Flags(const PropertyModel& property) {
    return std::string(property.readOnly ? " [read-only]" : "") + (property.hidden ? " [hidden]" : "");
}

// What dumps show of a value: a property that cannot be read shows why instead, in brackets that no
// value as document files write it starts with.
std::string ShownValue(std::uint32_t typeCode, const StoredValue& value, const std::string* readError) {
    return readError != nullptr ? "<read error: " + *readError + ">" : ValueText(typeCode, value);
}

const std::string* ReadErrorOf(const PropertyModel& property) {
    return property.readError.empty() ? nullptr : &property.readError;
}

void DumpGroup(const DocumentState& state, const GroupModel& group, std::vector<std::wstring>& path,
               std::ostringstream& out) {
    path.push_back(group.name);
    for (const auto& property : group.properties) {
        if (property->removed)
            continue;
        path.push_back(property->name);
        out << "  " << JoinedPath(path) << " = "
            << ShownValue(property->typeCode, state.Value(*property), ReadErrorOf(*property))
            << Flags(*property) << "\n";
        path.pop_back();
    }
    for (const auto& sub : group.groups)
        DumpGroup(state, *sub, path, out);
    path.pop_back();
}

void DumpMergedGroup(ServiceObject* group, std::vector<std::wstring>& path, std::ostringstream& out) {
    auto& merged = so::ServiceObjectCppTheConcrete<PropertiesGroupObject>::From(group);
    path.push_back(merged.Path().back());
    for (const auto& propertyRef : merged.Properties()) {
        auto& property = so::ServiceObjectCppTheConcrete<PropertyObject>::From(propertyRef.Get());
        const PropertyModel& model = *property.Targets().front();
        bool mixed = false;
        StoredValue value = property.CurrentValue(&mixed);
        std::uint8_t readOnly = 0;
        std::uint8_t hidden = 0;
        property.IsReadOnly(&readOnly);
        property.IsHidden(&hidden);
        path.push_back(model.name);
        out << JoinedPath(path) << " = " << ShownValue(model.typeCode, value, property.ReadError())
            << (mixed ? " [mixed]" : "") << (readOnly != 0 ? " [read-only]" : "")
            << (hidden != 0 ? " [hidden]" : "") << "\n";
        path.pop_back();
    }
    for (const auto& sub : merged.Groups())
        DumpMergedGroup(sub.Get(), path, out);
    path.pop_back();
}

} // namespace

DocumentWorkspace::DocumentWorkspace()
    : collection_(Make<DocumentsCollectionService>()), messageBox_(Make<MessageBoxService>()),
      userOptions_(Make<UserOptionsService>()), mainFrame_(Make<MainFrameObject>(collection_, messageBox_)),
      dialogs_(std::make_shared<DialogScript>()) {
    dialogs_->SetMainFrame(mainFrame_);
    // A wizard answer is an action the user made in the active document, which owns it.
    dialogs_->SetActionMaker([this](const std::string& json) -> std::shared_ptr<void> {
        const std::optional<std::size_t> active = ActiveIndex();
        if (!active)
            throw std::invalid_argument("no document view is active to make the action in");
        PDHandle action = nullptr;
        if (PDActionCreateFromJson(Document(*active).state->PdfDocument(), json.c_str(), &action) != kPDOk ||
            action == nullptr) {
            std::uint32_t length = 0;
            PDGetLastError(nullptr, &length);
            std::string message(length + 1, '\0');
            std::uint32_t size = length + 1;
            PDGetLastError(message.data(), &size);
            message.resize(length);
            throw std::invalid_argument(message);
        }
        return std::shared_ptr<void>(action, [](void* made) { PDHandleRelease(made); });
    });
}

DocumentWorkspace::~DocumentWorkspace() {
    try {
        Uninstall();
        CloseAll();
    } catch (...) {
        // A subscriber that fails while the views close cannot keep the host from ending.
    }
}

void DocumentWorkspace::Install(const so::Ref& context) {
    Uninstall();
    context_ = context;
    if (context_) {
        auto& window = so::ServiceObjectCppTheConcrete<WindowContextObject>::From(context_.Get());
        window.SetServiceObject(host::UIDocumentsCollection::kId, collection_.Get());
        window.SetServiceObject(host::UIMainFrame::kId, mainFrame_.Get());
        window.SetServiceObject(host::UIMessageBox::kId, messageBox_.Get());
        window.SetServiceObject(host::UserOptions::kId, userOptions_.Get());
    }
    for (auto [name, object] : {std::pair{host::UIDocumentsCollection::kServiceName, collection_.Get()},
                                std::pair{host::UIMainFrame::kServiceName, mainFrame_.Get()},
                                std::pair{host::UserOptions::kServiceName, userOptions_.Get()}}) {
        SOResult code = ServiceProviderRegisterObject(so::AtomOf(name), object);
        if (code != so::kOk)
            throw so::ServiceObjectException(code, std::string("The service provider refused ") + name);
    }
    dialogs_->Register();
}

void DocumentWorkspace::Uninstall() {
    if (context_) {
        auto& window = so::ServiceObjectCppTheConcrete<WindowContextObject>::From(context_.Get());
        for (std::uint32_t id : {host::UIDocumentsCollection::kId, host::UIMainFrame::kId,
                                 host::UIMessageBox::kId, host::UserOptions::kId})
            window.SetServiceObject(id, nullptr);
        context_.Reset();
    }
    // Only what this workspace registered: another one may serve the names meanwhile.
    for (auto [name, object] : {std::pair{host::UIDocumentsCollection::kServiceName, collection_.Get()},
                                std::pair{host::UIMainFrame::kServiceName, mainFrame_.Get()},
                                std::pair{host::UserOptions::kServiceName, userOptions_.Get()}}) {
        ServiceObject* registered = nullptr;
        SOAtom atom = so::AtomOf(name);
        if (ServiceProviderGetServiceObject(atom, &registered) == so::kOk && registered != nullptr) {
            bool ours = registered == object;
            registered->header.Release(registered);
            if (ours)
                ServiceProviderUnregister(atom);
        }
    }
    dialogs_->Unregister();
}

std::size_t DocumentWorkspace::Open(DocumentModel model) {
    OpenDocument opened;
    std::wstring title = model.name;
    opened.state = std::make_shared<DocumentState>(std::move(model));
    opened.document = Make<DocumentObject>(opened.state);
    opened.businessView = DocumentViewObject::Make(opened.document);
    opened.view = Make<UIDocumentViewObject>(title, opened.businessView);
    documents_.push_back(opened);
    CollectionService().AddView(opened.view.Get());
    return documents_.size() - 1;
}

std::size_t DocumentWorkspace::OpenFile(const std::filesystem::path& file) {
    return Open(LoadDocumentFile(file));
}

std::size_t DocumentWorkspace::OpenSample() {
    return Open(LoadSampleDocument());
}

const DocumentWorkspace::OpenDocument& DocumentWorkspace::Document(std::size_t index) const {
    if (index >= documents_.size())
        throw std::out_of_range("No open document " + std::to_string(index));
    return documents_[index];
}

std::optional<std::size_t> DocumentWorkspace::ActiveIndex() const {
    so::Ref active = CollectionService().ActiveView();
    for (std::size_t i = 0; i < documents_.size(); ++i)
        if (active && documents_[i].view == active)
            return i;
    return std::nullopt;
}

void DocumentWorkspace::Activate(std::size_t index) {
    CollectionService().ActivateView(Document(index).view.Get());
}

void DocumentWorkspace::Deactivate() {
    CollectionService().DeactivateActiveView();
}

bool DocumentWorkspace::Close(std::size_t index) {
    OpenDocument closing = Document(index);
    if (!CollectionService().CloseView(closing.view.Get()))
        return false;
    documents_.erase(documents_.begin() + std::ptrdiff_t(index));
    // The steps may hold the document's properties; they go with the document.
    closing.state->ClearCommands();
    return true;
}

void DocumentWorkspace::CloseAll() {
    while (!documents_.empty()) {
        std::size_t last = documents_.size() - 1;
        if (!Close(last)) {
            // A view kept open by a subscriber still goes when the host ends.
            documents_[last].state->ClearCommands();
            documents_.pop_back();
        }
    }
}

std::size_t DocumentWorkspace::RequireActive() const {
    auto index = ActiveIndex();
    if (!index)
        throw std::logic_error("No document view is active");
    return *index;
}

DocumentViewObject& DocumentWorkspace::View(std::size_t index) const {
    return so::ServiceObjectCppTheConcrete<DocumentViewObject>::From(Document(index).businessView.Get());
}

DocumentViewObject& DocumentWorkspace::ActiveView() const {
    return View(RequireActive());
}

void DocumentWorkspace::Select(const std::vector<std::wstring>& objectNames) {
    Select(RequireActive(), objectNames);
}

void DocumentWorkspace::Select(std::size_t index, const std::vector<std::wstring>& objectNames) {
    View(index).Select(objectNames);
}

void DocumentWorkspace::SetLockedState(std::uint32_t state) {
    SetLockedState(RequireActive(), state);
}

void DocumentWorkspace::SetLockedState(std::size_t index, std::uint32_t state) {
    if (state > (host::BLDocumentView::kLockedForWrite | host::BLDocumentView::kLockedForRead))
        throw std::invalid_argument("A locked state is a bit set of 1 (write) and 2 (read)");
    View(index).State()->SetLockedState(state);
}

SOResult DocumentWorkspace::Undo() {
    return Undo(RequireActive());
}

SOResult DocumentWorkspace::Redo() {
    return Redo(RequireActive());
}

SOResult DocumentWorkspace::Undo(std::size_t index) {
    return StepThroughCommands<host::CommandsManager::Undo, host::BLDocument::Undo>(index);
}

SOResult DocumentWorkspace::Redo(std::size_t index) {
    return StepThroughCommands<host::CommandsManager::Redo, host::BLDocument::Redo>(index);
}

// Through the "CommandsManager" when one is registered (as the editor's menus do), else on the
// document itself.
template <class ManagerStep, class DocumentStep>
SOResult DocumentWorkspace::StepThroughCommands(std::size_t index) {
    ServiceObject* document = Document(index).document.Get();
    ServiceObject* manager = nullptr;
    if (ServiceProviderGetServiceObject(so::AtomOf(host::CommandsManager::kServiceName), &manager) ==
            so::kOk &&
        manager != nullptr) {
        so::Ref held = so::Ref::Adopt(manager);
        return so::Call<ManagerStep>(manager, document).value_or(so::kNothingProvided);
    }
    return *so::Call<DocumentStep>(document);
}

std::string DocumentWorkspace::DumpValues(std::size_t index) const {
    const OpenDocument& opened = Document(index);
    std::ostringstream out;
    for (const auto& object : opened.state->Model().objects) {
        if (object->removed)
            continue;
        out << so::Utf8FromWide(object->name) << " (" << so::Utf8FromWide(object->kind) << ")\n";
        std::vector<std::wstring> path;
        for (const auto& group : object->groups)
            DumpGroup(*opened.state, *group, path, out);
    }
    return out.str();
}

std::string DocumentWorkspace::DumpSelection() const {
    return DumpSelection(RequireActive());
}

std::string DocumentWorkspace::DumpSelection(std::size_t index) const {
    so::Ref selection = View(index).Selection();
    if (!selection)
        return {};
    so::Ref context;
    so::Call<host::BLSelection::GetPropertiesContext>(selection.Get(), context.Put());
    std::uint32_t count = 0;
    so::Call<host::BLPropertiesContext::GetGroupCount>(context.Get(), &count);
    std::ostringstream out;
    for (std::uint32_t i = 0; i < count; ++i) {
        so::Ref group;
        so::Call<host::BLPropertiesContext::GetGroup>(context.Get(), i, group.Put());
        std::vector<std::wstring> path;
        DumpMergedGroup(group.Get(), path, out);
    }
    return out.str();
}

std::shared_ptr<PropertyModel> DocumentWorkspace::ObjectProperty(std::size_t index,
                                                                 const std::wstring& objectName,
                                                                 const PropertyPath& path) const {
    auto object = FindObject(Document(index).state->Model(), objectName);
    if (!object)
        throw std::invalid_argument("The document has no object named \"" + so::Utf8FromWide(objectName) +
                                    "\"");
    auto property = FindProperty(*object, path);
    if (!property)
        throw std::invalid_argument("The object \"" + so::Utf8FromWide(objectName) + "\" has no property " +
                                    JoinedPath(path));
    return property;
}

std::string DocumentWorkspace::PropertyValue(std::size_t index, const std::wstring& objectName,
                                             const PropertyPath& path) const {
    auto property = ObjectProperty(index, objectName, path);
    return ShownValue(property->typeCode, Document(index).state->Value(*property), ReadErrorOf(*property));
}

so::Ref DocumentWorkspace::PropertyOfObject(std::size_t index, const std::wstring& objectName,
                                            const PropertyPath& path) const {
    return PropertyObject::Make(Document(index).state, {ObjectProperty(index, objectName, path)});
}

std::uint64_t DocumentWorkspace::PropertyWrites(std::size_t index, const std::wstring& objectName,
                                                const PropertyPath& path) const {
    return Document(index).state->Writes(*ObjectProperty(index, objectName, path));
}

std::string DocumentWorkspace::PendingValue(std::size_t index, const std::wstring& objectName,
                                            const PropertyPath& path) const {
    auto property = ObjectProperty(index, objectName, path);
    std::optional<StoredValue> pending = Document(index).state->Pending(*property);
    return pending ? ValueText(property->typeCode, *pending) : "none";
}

void DocumentWorkspace::RefuseWrites(std::size_t index, const std::wstring& objectName,
                                     const PropertyPath& path, std::uint32_t count, std::string message) {
    Document(index).state->RefuseWrites(*ObjectProperty(index, objectName, path), count, std::move(message));
}

void DocumentWorkspace::RemoveProperty(std::size_t index, const std::wstring& objectName,
                                       const PropertyPath& path) {
    Document(index).state->Remove({ObjectProperty(index, objectName, path)});
}

void DocumentWorkspace::RemoveObject(std::size_t index, const std::wstring& objectName) {
    const OpenDocument& opened = Document(index);
    auto object = FindObject(opened.state->Model(), objectName);
    if (!object)
        throw std::invalid_argument("The document has no object named \"" + so::Utf8FromWide(objectName) +
                                    "\"");
    std::vector<std::shared_ptr<PropertyModel>> properties;
    auto collect = [&properties](auto& self, const GroupModel& group) -> void {
        properties.insert(properties.end(), group.properties.begin(), group.properties.end());
        for (const auto& sub : group.groups)
            self(self, *sub);
    };
    for (const auto& group : object->groups)
        collect(collect, *group);
    object->removed = true;
    opened.state->Remove(properties);

    so::Ref selection = View(index).Selection();
    if (!selection)
        return;
    const auto& selected = so::ServiceObjectCppTheConcrete<SelectionObject>::From(selection.Get()).Objects();
    if (std::find(selected.begin(), selected.end(), object) == selected.end())
        return;
    std::vector<std::wstring> remaining;
    for (const auto& other : selected)
        if (other != object)
            remaining.push_back(other->name);
    View(index).Select(remaining);
}

DocumentsCollectionService& DocumentWorkspace::CollectionService() const {
    return so::ServiceObjectCppTheConcrete<DocumentsCollectionService>::From(collection_.Get());
}

MessageBoxService& DocumentWorkspace::MessageBoxes() const {
    return so::ServiceObjectCppTheConcrete<MessageBoxService>::From(messageBox_.Get());
}

UserOptionsService& DocumentWorkspace::Options() const {
    return so::ServiceObjectCppTheConcrete<UserOptionsService>::From(userOptions_.Get());
}

} // namespace headless
