// Service objects that belong to a UI window, asked of the window's context. Thread tags as in
// host/ServiceObject.h.
#pragma once

#include "host/ServiceObject.h"
#include "service-common/ServiceObjectPtr.h"

#include <cstdint>
#include <string>

namespace ui {

// [ui-thread], as the window context is: gives the object, or null after writing a log entry naming
// `serviceName` (with the error record's message when there is one). Never raises.
so::Ref QueryServiceObjectFromUIWnd(ServiceObject* windowContext, std::uint32_t interfaceId,
                                    const char* serviceName);

// [thread-safe] The window context the plug-in was given at start, which handlers ask for the
// window's services; null forgets it (the plug-in's cleanup). Kept under a lock.
void KeepPluginWindowContext(ServiceObject* context);
// [thread-safe] The kept context with one more reference, or null.
so::Ref PluginWindowContext();

// [thread-safe] The name log entries give a window service: its interface's name ("UIMainFrame",
// "UIDocumentsCollection", ...), or "ID:<decimal id>" for one the module does not know.
std::string WindowServiceName(std::uint32_t interfaceId);

} // namespace ui
