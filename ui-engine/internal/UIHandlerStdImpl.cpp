#include "ui-engine/internal/UIHandlerStdImpl.h"

namespace ui {

std::string HandlerClassName(const std::type_info& type) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                     &std::free);
    std::string name = status == 0 && demangled ? demangled.get() : type.name();
    for (const char* prefix : {"struct ", "class "}) {
        if (name.rfind(prefix, 0) == 0)
            name.erase(0, std::char_traits<char>::length(prefix));
    }
    return name;
}

} // namespace ui
