#include "module/SetActionPropDataCommandFactory.h"

#include "module/ModuleState.h"
#include "ui-document-panel-properties/PanelParts.h"

namespace module {

namespace {
CommandFactoryRegistration registration(SetActionPropDataCommandFactory::kCommandName, [] {
    return so::ServiceObjectCppTheConcrete<SetActionPropDataCommandFactory>::Create();
});
} // namespace

void SetActionPropDataCommandFactory::BindMethods(so::MethodBinder<SetActionPropDataCommandFactory>& binder) {
    binder.Bind<host::CommandFactory::CreateCommand, &SetActionPropDataCommandFactory::CreateCommand>();
}

SOResult SetActionPropDataCommandFactory::CreateCommand(ServiceObject** command) {
    if (command == nullptr)
        return so::kInvalidArgument;
    *command = panel::CreateSetActionPropDataCommand().Detach();
    return so::kOk;
}

} // namespace module
