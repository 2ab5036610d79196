// The "CommandFactory" of the undoable "SetActionPropDataCommand".
#pragma once

#include "host/UIInplacePlugin.h"
#include "service-common/ServiceObjectCpp.h"

namespace module {

class SetActionPropDataCommandFactory : public so::ObjectBase {
public:
    using Interface = host::CommandFactory;
    static constexpr std::uint32_t kClassTag = 0x578D7AA1;
    static constexpr const char* kCommandName = "SetActionPropDataCommand";
    static void BindMethods(so::MethodBinder<SetActionPropDataCommandFactory>& binder);

    SOResult CreateCommand(ServiceObject** command);
};

} // namespace module
