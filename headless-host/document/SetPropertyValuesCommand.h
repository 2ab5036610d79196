// The undoable step of an accepted property write (or restored defaults): new values for one or
// more properties, and the values they had when the step was done.
#pragma once

#include "headless-host/document/DocumentState.h"
#include "host/BLDocument.h"
#include "service-common/ServiceObjectCpp.h"

#include <memory>
#include <mutex>
#include <vector>

namespace headless {

class SetPropertyValuesCommand : public so::ObjectBase {
public:
    using Interface = host::Command;
    static constexpr std::uint32_t kClassTag = 0xC0AA0101;
    static constexpr const char* kCommandName = "SetPropertyValues";
    static void BindMethods(so::MethodBinder<SetPropertyValuesCommand>& binder);

    // The state is held weakly: the state's command stack holds the command.
    SetPropertyValuesCommand(std::weak_ptr<DocumentState> state, std::vector<ValueChange> changes);

    SOResult Initialize(SOAtom uniqueId, SOAtom commandName, const void* parameters);
    // The values before DO are read when DO runs, so that a redo restores what undo left.
    SOResult Do();
    SOResult Undo();
    SOResult GetUniqueCommandID(SOAtom* id);
    SOResult GetCommandName(SOAtom* name);

private:
    std::shared_ptr<DocumentState> LockState() const;

    std::weak_ptr<DocumentState> state_;
    std::vector<ValueChange> changes_;
    std::mutex mutex_;
    std::vector<StoredValue> previous_;
    SOAtom uniqueId_ = 0;
    SOAtom name_ = 0;
};

// Gives the properties their new values as one undoable step of the document (or as part of the
// command running on this thread).
void RunValueStep(const std::shared_ptr<DocumentState>& state, std::vector<ValueChange> changes);

} // namespace headless
