// The host's "CommandsManager": command factories registered by command-class atom, and undo and
// redo of a document's steps. The undo stack belongs to each document (its command-stack events are
// the document's); the manager passes undo and redo on to the document it is given.
#pragma once

#include "host/UIServices.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectPtr.h"

#include <map>
#include <mutex>

namespace headless {

class CommandsManagerService : public so::ObjectBase {
public:
    using Interface = host::CommandsManager;
    static constexpr std::uint32_t kClassTag = 0xC033A4D6;
    static void BindMethods(so::MethodBinder<CommandsManagerService>& binder);

    // A second registration for one atom is refused, so that one module cannot silently take over
    // another's command.
    SOResult RegisterCommandFactory(SOAtom commandAtom, ServiceObject* factory);
    SOResult UnregisterCommandFactory(SOAtom commandAtom);
    SOResult GetCommandFactory(SOAtom commandAtom, ServiceObject** factory);
    SOResult Undo(ServiceObject* document);
    SOResult Redo(ServiceObject* document);

    std::size_t FactoryCount() const;

private:
    mutable std::mutex mutex_;
    std::map<SOAtom, so::Ref> factories_;
};

} // namespace headless
