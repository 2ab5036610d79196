#include "headless-host/services/CommandsManagerService.h"

#include "host/BLDocument.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectException.h"
#include "service-common/ServiceQuery.h"

namespace headless {

void CommandsManagerService::BindMethods(so::MethodBinder<CommandsManagerService>& binder) {
    using C = CommandsManagerService;
    using I = host::CommandsManager;
    binder.Bind<I::RegisterCommandFactory, &C::RegisterCommandFactory>();
    binder.Bind<I::UnregisterCommandFactory, &C::UnregisterCommandFactory>();
    binder.Bind<I::GetCommandFactory, &C::GetCommandFactory>();
    binder.Bind<I::Undo, &C::Undo>();
    binder.Bind<I::Redo, &C::Redo>();
}

SOResult CommandsManagerService::RegisterCommandFactory(SOAtom commandAtom, ServiceObject* factory) {
    if (commandAtom == 0 || factory == nullptr)
        return so::kInvalidArgument;
    std::lock_guard lock(mutex_);
    auto [entry, added] = factories_.try_emplace(commandAtom, so::Ref::Share(factory));
    if (!added)
        throw so::ServiceObjectException(so::kInvalidArgument, "A factory for the command " +
                                                                   so::AtomName(commandAtom) +
                                                                   " is registered already");
    return so::kOk;
}

SOResult CommandsManagerService::UnregisterCommandFactory(SOAtom commandAtom) {
    so::Ref factory; // released outside the lock: its destructor may call back
    std::lock_guard lock(mutex_);
    auto found = factories_.find(commandAtom);
    if (found == factories_.end())
        throw so::ServiceObjectException(so::kInvalidArgument, "No factory is registered for the command " +
                                                                   so::AtomName(commandAtom));
    factory = std::move(found->second);
    factories_.erase(found);
    return so::kOk;
}

SOResult CommandsManagerService::GetCommandFactory(SOAtom commandAtom, ServiceObject** factory) {
    if (factory == nullptr)
        return so::kInvalidArgument;
    std::lock_guard lock(mutex_);
    auto found = factories_.find(commandAtom);
    *factory = found != factories_.end() ? so::Ref(found->second).Detach() : nullptr;
    return *factory != nullptr ? so::kOk : so::kNothingProvided;
}

SOResult CommandsManagerService::Undo(ServiceObject* document) {
    if (document == nullptr)
        return so::kInvalidArgument;
    // A document too old to have a command stack has nothing to undo.
    return so::Call<host::BLDocument::Undo>(document).value_or(so::kNothingProvided);
}

SOResult CommandsManagerService::Redo(ServiceObject* document) {
    if (document == nullptr)
        return so::kInvalidArgument;
    return so::Call<host::BLDocument::Redo>(document).value_or(so::kNothingProvided);
}

std::size_t CommandsManagerService::FactoryCount() const {
    std::lock_guard lock(mutex_);
    return factories_.size();
}

} // namespace headless
