#include "headless-host/document/DocumentObject.h"

#include "host/UIInplacePlugin.h"
#include "host/UIServices.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectException.h"
#include "service-common/ServiceQuery.h"

#include <boost/format.hpp>

namespace headless {

void DocumentObject::BindMethods(so::MethodBinder<DocumentObject>& binder) {
    using C = DocumentObject;
    using I = host::BLDocument;
    binder.Bind<I::GetName, &C::GetName>();
    binder.Bind<I::Subscribe, &C::Subscribe>();
    binder.Bind<I::Unsubscribe, &C::Unsubscribe>();
    binder.Bind<I::GetExecuteNotification, &C::GetExecuteNotification>();
    binder.Bind<I::GetProgressNotification, &C::GetProgressNotification>();
    binder.Bind<I::Undo, &C::Undo>();
    binder.Bind<I::Redo, &C::Redo>();
    binder.Bind<I::GetUndoCount, &C::GetUndoCount>();
    binder.Bind<I::GetRedoCount, &C::GetRedoCount>();
    binder.Bind<I::GetPageCount, &C::GetPageCount>();
    binder.Bind<I::GetPdfDocument, &C::GetPdfDocument>();
    binder.Bind<I::ExecuteCommand, &C::ExecuteCommand>();
}

DocumentObject::DocumentObject(std::shared_ptr<DocumentState> state) : state_(std::move(state)) {}

DocumentObject::~DocumentObject() {
    state_->ClearCommands();
}

SOResult DocumentObject::GetName(const wchar_t** name) {
    if (name == nullptr)
        return so::kInvalidArgument;
    *name = state_->Model().name.c_str();
    return so::kOk;
}

SOResult DocumentObject::Subscribe(std::uint32_t eventId, const HostEventSubscription* subscription,
                                   host::HostEventCookie* cookie) {
    return state_->CommandEvents().Subscribe(eventId, subscription, cookie);
}

SOResult DocumentObject::Unsubscribe(host::HostEventCookie cookie) {
    return state_->CommandEvents().Unsubscribe(cookie);
}

SOResult DocumentObject::GetExecuteNotification(ServiceObject** notification) {
    if (notification == nullptr)
        return so::kInvalidArgument;
    *notification = so::Ref::Share(state_->ExecuteNotification()).Detach();
    return so::kOk;
}

SOResult DocumentObject::GetProgressNotification(ServiceObject** notification) {
    if (notification == nullptr)
        return so::kInvalidArgument;
    *notification = so::Ref::Share(state_->ProgressNotification()).Detach();
    return so::kOk;
}

SOResult DocumentObject::Undo() {
    return state_->Undo();
}

SOResult DocumentObject::Redo() {
    return state_->Redo();
}

SOResult DocumentObject::GetUndoCount(std::uint32_t* count) {
    if (count == nullptr)
        return so::kInvalidArgument;
    *count = std::uint32_t(state_->UndoCount());
    return so::kOk;
}

SOResult DocumentObject::GetRedoCount(std::uint32_t* count) {
    if (count == nullptr)
        return so::kInvalidArgument;
    *count = std::uint32_t(state_->RedoCount());
    return so::kOk;
}

SOResult DocumentObject::GetPageCount(std::uint32_t* count) {
    if (count == nullptr)
        return so::kInvalidArgument;
    *count = std::uint32_t(state_->Model().pageLabels.size());
    return so::kOk;
}

SOResult DocumentObject::GetPdfDocument(void** document) {
    if (document == nullptr)
        return so::kInvalidArgument;
    *document = state_->PdfDocument();
    return *document != nullptr ? so::kOk : so::kNothingProvided;
}

SOResult DocumentObject::ExecuteCommand(SOAtom commandAtom, const void* parameters, std::uint32_t flags) {
    if (commandAtom == 0)
        return so::kInvalidArgument;
    if (flags != 0)
        throw so::ServiceObjectException(so::kInvalidArgument,
                                         (boost::format("Unknown command flags 0x%08X") % flags).str());
    std::string name = so::AtomName(commandAtom);
    so::Ref manager = so::QueryServiceObject(host::CommandsManager::kServiceName);
    so::Ref factory;
    so::Call<host::CommandsManager::GetCommandFactory>(manager.Get(), commandAtom, factory.Put());
    if (!factory)
        throw so::ServiceObjectException(
            so::kFactoryNotFound,
            (boost::format("No command factory is registered for \"%1%\"") % name).str());
    so::Ref command;
    so::Call<host::CommandFactory::CreateCommand>(factory.Get(), command.Put());
    if (!command)
        throw so::ServiceObjectException(
            so::kFactoryFunctionFailed,
            (boost::format("The command factory of \"%1%\" made no command") % name).str());
    so::Call<host::Command::Initialize>(command.Get(), state_->NewCommandId(name.empty() ? "Command" : name),
                                        commandAtom, parameters);
    state_->Execute(command);
    return so::kOk;
}

} // namespace headless
