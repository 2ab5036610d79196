// Service objects that belong to a UI window, asked of the window's context.
#pragma once

#include "host/ServiceObject.h"
#include "service-common/ServiceObjectPtr.h"

#include <cstdint>

namespace ui {

// Gives the object, or null after writing a log entry naming `serviceName` (with the error
// record's message when there is one). Never raises.
so::Ref QueryServiceObjectFromUIWnd(ServiceObject* windowContext, std::uint32_t interfaceId,
                                    const char* serviceName);

} // namespace ui
