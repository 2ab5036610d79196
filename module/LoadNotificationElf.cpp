// Where the loader has no DllMain, the library's constructor and destructor deliver the same
// notifications. Built only for such platforms.
#include "host/WindowsApi.h"

extern "C" BOOL DllMain(HINSTANCE instance, DWORD reason, void*);

namespace {

HMODULE ThisModule() {
    HMODULE handle = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<const wchar_t*>(&ThisModule), &handle);
    return handle;
}

__attribute__((constructor)) void OnProcessAttach() { DllMain(ThisModule(), DLL_PROCESS_ATTACH, nullptr); }
__attribute__((destructor)) void OnProcessDetach() { DllMain(nullptr, DLL_PROCESS_DETACH, nullptr); }

} // namespace
