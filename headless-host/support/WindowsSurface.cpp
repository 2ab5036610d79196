// The Windows functions the module calls, over the dynamic loader and the host's own state.
#include "headless-host/support/HostSupport.h"
#include "host/ModuleExports.h"

#include <boost/algorithm/string/predicate.hpp>
#include <boost/locale/encoding_utf.hpp>

#include <dlfcn.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cassert>
#include <chrono>
#include <ctime>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>

namespace {

// "name.dll" is looked up as "libname.so"; other names as given.
std::string SharedObjectName(const std::string& name) {
    if (boost::algorithm::iends_with(name, ".dll"))
        return "lib" + name.substr(0, name.size() - 4) + ".so";
    return name;
}

// A handle of a module that is already loaded, without keeping a load reference.
HMODULE LoadedModule(const char* path) {
    void* handle = dlopen(path, RTLD_LAZY | RTLD_NOLOAD);
    if (handle == nullptr)
        return nullptr;
    dlclose(handle);
    return reinterpret_cast<HMODULE>(handle);
}

const ModuleResourceDirectory* ResourceTable(HMODULE module) {
    if (module == nullptr)
        return nullptr;
    return reinterpret_cast<const ModuleResourceDirectory*>(dlsym(module, so::kModuleResourceTableExport));
}

struct WindowEntry {
    POINT origin;
    HostWindowProcedure procedure;
    void* context;
};

std::mutex windowsMutex;
std::unordered_map<HWND, WindowEntry>& Windows() {
    static std::unordered_map<HWND, WindowEntry> windows;
    return windows;
}

std::array<std::atomic<bool>, 256> keysDown{};

std::mutex clockMutex;
std::optional<SYSTEMTIME> fixedLocalTime; // guarded by clockMutex

std::chrono::year_month_day CalendarDate(const SYSTEMTIME& time) {
    return {std::chrono::year(time.wYear), std::chrono::month(time.wMonth), std::chrono::day(time.wDay)};
}

SYSTEMTIME SystemLocalTime() {
    const auto now = std::chrono::system_clock::now();
    const auto seconds = std::chrono::floor<std::chrono::seconds>(now);
    const std::time_t since1970 = std::chrono::system_clock::to_time_t(seconds);
    std::tm local{};
    localtime_r(&since1970, &local);
    return SYSTEMTIME{WORD(local.tm_year + 1900), WORD(local.tm_mon + 1), WORD(local.tm_wday),
                      WORD(local.tm_mday), WORD(local.tm_hour), WORD(local.tm_min),
                      // A leap second reads as the last second of its minute, as Windows never says 60.
                      WORD(local.tm_sec > 59 ? 59 : local.tm_sec),
                      WORD(std::chrono::duration_cast<std::chrono::milliseconds>(now - seconds).count())};
}

} // namespace

extern "C" {

HMODULE GetModuleHandleW(const wchar_t* moduleName) {
    if (moduleName == nullptr)
        return reinterpret_cast<HMODULE>(dlopen(nullptr, RTLD_LAZY));
    try {
        std::string name = boost::locale::conv::utf_to_utf<char>(moduleName, boost::locale::conv::stop);
        return LoadedModule(SharedObjectName(name).c_str());
    } catch (const std::exception&) {
        return nullptr;
    }
}

BOOL GetModuleHandleExW(DWORD flags, const wchar_t* moduleNameOrAddress, HMODULE* out) {
    if (out == nullptr)
        return 0;
    *out = nullptr;
    if ((flags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) == 0) {
        *out = GetModuleHandleW(moduleNameOrAddress);
        return *out != nullptr;
    }
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(moduleNameOrAddress), &info) == 0 || info.dli_fname == nullptr)
        return 0;
    *out = LoadedModule(info.dli_fname);
    return *out != nullptr;
}

FARPROC GetProcAddress(HMODULE module, const char* procName) {
    if (module == nullptr || procName == nullptr)
        return nullptr;
    return reinterpret_cast<FARPROC>(dlsym(module, procName));
}

HRSRC FindResourceExW(HMODULE module, const wchar_t* type, const wchar_t* name, std::uint16_t language) {
    const ModuleResourceDirectory* table = ResourceTable(module);
    if (table == nullptr || type == nullptr || name == nullptr)
        return nullptr;
    std::wstring_view wantedType(type), wantedName(name);
    for (std::uint32_t i = 0; i < table->count; ++i) {
        const ModuleResourceEntry& entry = table->entries[i];
        if (boost::algorithm::iequals(wantedType, std::wstring_view(entry.type)) &&
            boost::algorithm::iequals(wantedName, std::wstring_view(entry.name)) &&
            (language == 0 || entry.language == language))
            return reinterpret_cast<HRSRC>(const_cast<ModuleResourceEntry*>(&entry));
    }
    return nullptr;
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) { return resource; }

void* LockResource(HGLOBAL resource) {
    if (resource == nullptr)
        return nullptr;
    return const_cast<unsigned char*>(static_cast<ModuleResourceEntry*>(resource)->data);
}

DWORD SizeofResource(HMODULE, HRSRC resource) {
    if (resource == nullptr)
        return 0;
    return static_cast<ModuleResourceEntry*>(static_cast<void*>(resource))->size;
}

DWORD GetCurrentThreadId() {
    thread_local DWORD id = DWORD(syscall(SYS_gettid));
    return id;
}

void Sleep(DWORD milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

void GetLocalTime(SYSTEMTIME* time) {
    if (time == nullptr)
        return;
    {
        std::lock_guard lock(clockMutex);
        if (fixedLocalTime) {
            *time = *fixedLocalTime;
            return;
        }
    }
    *time = SystemLocalTime();
}

void HostSetLocalTime(const SYSTEMTIME* fixed) {
    std::optional<SYSTEMTIME> pinned;
    if (fixed != nullptr) {
        pinned = *fixed;
        assert(CalendarDate(*fixed).ok() && fixed->wHour < 24 && fixed->wMinute < 60 && fixed->wSecond < 60 &&
               fixed->wMilliseconds < 1000 && "HostSetLocalTime takes a date and time that exist");
        pinned->wDayOfWeek =
            WORD(std::chrono::weekday(std::chrono::sys_days(CalendarDate(*fixed))).c_encoding());
    }
    std::lock_guard lock(clockMutex);
    fixedLocalTime = pinned;
}

SHORT GetKeyState(int virtualKey) {
    if (virtualKey < 0 || virtualKey >= int(keysDown.size()))
        return 0;
    return keysDown[std::size_t(virtualKey)].load(std::memory_order_relaxed) ? SHORT(0x8000) : SHORT(0);
}

void HostSetKeyState(int virtualKey, BOOL down) {
    if (virtualKey >= 0 && virtualKey < int(keysDown.size()))
        keysDown[std::size_t(virtualKey)].store(down != 0, std::memory_order_relaxed);
}

BOOL ClientToScreen(HWND window, POINT* point) {
    if (point == nullptr)
        return 0;
    std::lock_guard lock(windowsMutex);
    auto found = Windows().find(window);
    if (found == Windows().end())
        return 0;
    point->x += found->second.origin.x;
    point->y += found->second.origin.y;
    return 1;
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowEntry entry{};
    {
        std::lock_guard lock(windowsMutex);
        auto found = Windows().find(window);
        if (found == Windows().end())
            return 0;
        entry = found->second;
    }
    return entry.procedure != nullptr ? entry.procedure(entry.context, message, wParam, lParam) : 0;
}

void HostRegisterWindow(HWND window, POINT clientOrigin, HostWindowProcedure procedure, void* context) {
    std::lock_guard lock(windowsMutex);
    Windows()[window] = {clientOrigin, procedure, context};
}

void HostUnregisterWindow(HWND window) {
    std::lock_guard lock(windowsMutex);
    Windows().erase(window);
}

} // extern "C"
