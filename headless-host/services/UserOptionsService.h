// The host's user options tree ("UserOptions"): typed options in named groups, each with a default
// and an optional value set by the user, read and written under the tree's lock.
#pragma once

#include "host/UIDocuments.h"
#include "service-common/ServiceObjectCpp.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace headless {

class UserOptionsService : public so::ObjectBase {
public:
    using Interface = host::UserOptions;
    static constexpr std::uint32_t kClassTag = 0x05E40972;
    static void BindMethods(so::MethodBinder<UserOptionsService>& binder);

    // Starts with the options the panel reads (the reset-default warning, on by default).
    UserOptionsService();

    using Value = std::variant<bool, std::int32_t>;
    // Adds an option; an option that exists keeps its definition and value.
    void Define(const std::wstring& group, const std::wstring& name, Value defaultValue,
                std::wstring description);

    SOResult GetBool(const wchar_t* group, const wchar_t* name, std::uint8_t* value);
    SOResult SetBool(const wchar_t* group, const wchar_t* name, std::uint8_t value, std::uint8_t* changed);
    SOResult GetInt(const wchar_t* group, const wchar_t* name, std::int32_t* value);
    SOResult SetInt(const wchar_t* group, const wchar_t* name, std::int32_t value, std::uint8_t* changed);
    SOResult IsSet(const wchar_t* group, const wchar_t* name, std::uint8_t* isSet);
    SOResult Reset(const wchar_t* group, const wchar_t* name);
    SOResult GetDescription(const wchar_t* group, const wchar_t* name, const wchar_t** description);

private:
    struct Option {
        Value defaultValue;
        std::optional<Value> value;
        std::wstring description; // never changes: handed out by pointer
    };
    // Raises ServiceObjectException (3) for an unknown option, or one of another type than `Wanted`.
    template <class Wanted>
    Option& Find(const wchar_t* group, const wchar_t* name);
    template <class Wanted>
    SOResult Set(const wchar_t* group, const wchar_t* name, Wanted value, std::uint8_t* changed);

    std::mutex mutex_;
    std::map<std::pair<std::wstring, std::wstring>, Option> options_;
};

} // namespace headless
