// The module's load notification: keeps the module handle that resource registration needs.
#include "host/WindowsApi.h"
#include "module/ModuleState.h"

extern "C" BOOL DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH)
        module::SetModuleHandle(instance);
    else if (reason == DLL_PROCESS_DETACH)
        module::SetModuleHandle(nullptr);
    return 1;
}
