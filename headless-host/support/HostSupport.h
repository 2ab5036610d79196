// What only the host calls on its support library: filling the service provider's registry,
// shutting the singleton storage down, and feeding the Windows surface (keyboard, windows, clock).
#pragma once

#include "host/SupportLibrary.h"
#include "host/WindowsApi.h"

extern "C" {

// A service served by one object: every query gets it with one more reference. The registry
// keeps its own reference until the service is withdrawn.
HOST_SUPPORT_API SOResult ServiceProviderRegisterObject(SOAtom serviceAtom, ServiceObject* object);
// A service made on every query by `factory(context, out)`.
HOST_SUPPORT_API SOResult ServiceProviderRegisterFactory(SOAtom serviceAtom,
                                                         SOResult (*factory)(void* context, ServiceObject** out),
                                                         void* context);
// A service made by a module loaded on first query from `modulePath` (a file path), through its
// "CreateServiceObject" export with `classAtom`.
HOST_SUPPORT_API SOResult ServiceProviderRegisterModule(SOAtom serviceAtom, const char* modulePath,
                                                        SOAtom classAtom);
// 3 when nothing is registered for the atom.
HOST_SUPPORT_API SOResult ServiceProviderUnregister(SOAtom serviceAtom);
// Withdraws every service (releasing registered objects) and unloads the modules it loaded.
HOST_SUPPORT_API void ServiceProviderClear();

// Destroys every singleton (in reverse order of creation) and refuses access from then on.
// Runs by itself when the support library unloads.
HOST_SUPPORT_API void SLShutdownSingletonStorage();

// Keyboard state as GetKeyState reports it.
HOST_SUPPORT_API void HostSetKeyState(int virtualKey, BOOL down);

// A window of the host: its client origin in screen coordinates and the procedure that answers
// SendMessageW. `procedure` runs on the caller's thread.
using HostWindowProcedure = LRESULT (*)(void* context, UINT message, WPARAM wParam, LPARAM lParam);
HOST_SUPPORT_API void HostRegisterWindow(HWND window, POINT clientOrigin, HostWindowProcedure procedure,
                                         void* context);
HOST_SUPPORT_API void HostUnregisterWindow(HWND window);

// Pins the clock GetLocalTime reads: non-null, it answers `*fixed` (copied) from now on, with the
// day of the week worked out from the date whatever `fixed` says; null, it follows the system's
// local time again. The caller passes a date and time that exist (month 1-12, a day the month has,
// 0-23:0-59:0-59, milliseconds 0-999): they are not checked here. [thread-safe]
HOST_SUPPORT_API void HostSetLocalTime(const SYSTEMTIME* fixed);

} // extern "C"
