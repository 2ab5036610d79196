// The module's own globals: its handle, and the registration lists that static initialisation fills.
#pragma once

#include "host/ModuleExports.h"
#include "host/WindowsApi.h"

#include <functional>

namespace module {

// The handle kept by the load notification; null before process attach and after detach.
HMODULE ModuleHandle();
void SetModuleHandle(HMODULE handle);

// One class the module offers. Records are linked into a module-global list by static
// initialisation, before any export runs.
struct ClassRegistration {
    const char* className;
    SOAtom atom = so::kUnresolvedAtom;
    ServiceObject* (*factory)() = nullptr; // a new object with one reference, or null
    ClassRegistration* next = nullptr;

    ClassRegistration(const char* name, ServiceObject* (*make)());
};

ClassRegistration* FirstClassRegistration();

// One command factory to register with the host's "CommandsManager" when the panel parts are made.
struct CommandFactoryRegistration {
    const char* commandName;
    SOAtom atom = so::kUnresolvedAtom;
    ServiceObject* (*makeFactory)() = nullptr; // the "CommandFactory" object, one reference
    ServiceObject* factory = nullptr;          // made on first registration, released at unload
    std::uint32_t registered = 0;
    CommandFactoryRegistration* next = nullptr;

    CommandFactoryRegistration(const char* name, ServiceObject* (*make)());
};

CommandFactoryRegistration* FirstCommandFactoryRegistration();

// Registers every command factory not yet registered (raises ServiceObjectException on failure)
// and withdraws them all again.
void RegisterCommandFactories();
void UnregisterCommandFactories();

} // namespace module
