#include "module/ModuleState.h"

#include "host/UIServices.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceQuery.h"

#include <atomic>
#include <exception>
#include <utility>

namespace module {

namespace {

std::atomic<HMODULE> moduleHandle{nullptr};

// Function-local heads: static records in other files may link themselves in before this file's
// own globals are initialised.
ClassRegistration*& ClassListHead() {
    static ClassRegistration* head = nullptr;
    return head;
}

CommandFactoryRegistration*& CommandListHead() {
    static CommandFactoryRegistration* head = nullptr;
    return head;
}

std::uint32_t commandFactoriesRegistered = 0;

} // namespace

HMODULE ModuleHandle() {
    return moduleHandle.load(std::memory_order_acquire);
}
void SetModuleHandle(HMODULE handle) {
    moduleHandle.store(handle, std::memory_order_release);
}

ClassRegistration::ClassRegistration(const char* name, ServiceObject* (*make)())
    : className(name), factory(make) {
    // Appended, so that the list keeps the order of definition.
    ClassRegistration** link = &ClassListHead();
    while (*link != nullptr)
        link = &(*link)->next;
    *link = this;
}

ClassRegistration* FirstClassRegistration() {
    return ClassListHead();
}

CommandFactoryRegistration::CommandFactoryRegistration(const char* name, ServiceObject* (*make)())
    : commandName(name), makeFactory(make) {
    CommandFactoryRegistration** link = &CommandListHead();
    while (*link != nullptr)
        link = &(*link)->next;
    *link = this;
}

CommandFactoryRegistration* FirstCommandFactoryRegistration() {
    return CommandListHead();
}

void RegisterCommandFactories() {
    if (commandFactoriesRegistered != 0)
        return;
    so::Ref manager = so::QueryServiceObject(host::CommandsManager::kServiceName);
    for (CommandFactoryRegistration* record = CommandListHead(); record != nullptr; record = record->next) {
        if (record->registered != 0)
            continue;
        if (record->atom == so::kUnresolvedAtom)
            record->atom = so::AtomOf(record->commandName);
        if (record->factory == nullptr)
            record->factory = record->makeFactory();
        so::Call<host::CommandsManager::RegisterCommandFactory>(manager.Get(), record->atom, record->factory);
        record->registered = 1;
    }
    commandFactoriesRegistered = 1;
}

void UnregisterCommandFactories() {
    if (commandFactoriesRegistered == 0)
        return;
    // Marked withdrawn before anything can fail: a manager that cannot be reached now must not keep
    // a later panel from registering its factories again.
    commandFactoriesRegistered = 0;
    std::exception_ptr firstFailure;
    so::Ref manager;
    try {
        manager = so::QueryServiceObject(host::CommandsManager::kServiceName);
    } catch (...) {
        firstFailure = std::current_exception();
    }
    for (CommandFactoryRegistration* record = CommandListHead(); record != nullptr; record = record->next) {
        if (record->registered == 0)
            continue;
        record->registered = 0;
        so::Ref factory = so::Ref::Adopt(std::exchange(record->factory, nullptr));
        if (!manager)
            continue;
        try {
            so::Call<host::CommandsManager::UnregisterCommandFactory>(manager.Get(), record->atom);
        } catch (...) {
            if (!firstFailure)
                firstFailure = std::current_exception();
        }
    }
    if (firstFailure)
        std::rethrow_exception(firstFailure);
}

} // namespace module
