#include "headless-host/services/UserOptionsService.h"

#include "service-common/ServiceObjectException.h"
#include "service-common/TextConversion.h"

#include <boost/format.hpp>

namespace headless {

namespace {
std::string OptionName(const wchar_t* group, const wchar_t* name) {
    return so::Utf8FromWide(group) + "/" + so::Utf8FromWide(name);
}
} // namespace

void UserOptionsService::BindMethods(so::MethodBinder<UserOptionsService>& binder) {
    using C = UserOptionsService;
    using I = host::UserOptions;
    binder.Bind<I::GetBool, &C::GetBool>();
    binder.Bind<I::SetBool, &C::SetBool>();
    binder.Bind<I::GetInt, &C::GetInt>();
    binder.Bind<I::SetInt, &C::SetInt>();
    binder.Bind<I::IsSet, &C::IsSet>();
    binder.Bind<I::Reset, &C::Reset>();
    binder.Bind<I::GetDescription, &C::GetDescription>();
}

UserOptionsService::UserOptionsService() {
    Define(host::UserOptions::kGroupAccountDependentOptions, host::UserOptions::kResetDefaultWarning, true,
           L"Show warning before reset to default");
}

void UserOptionsService::Define(const std::wstring& group, const std::wstring& name, Value defaultValue,
                                std::wstring description) {
    std::lock_guard lock(mutex_);
    options_.try_emplace({group, name}, Option{defaultValue, std::nullopt, std::move(description)});
}

template <class Wanted>
UserOptionsService::Option& UserOptionsService::Find(const wchar_t* group, const wchar_t* name) {
    if (group == nullptr || name == nullptr)
        throw so::ServiceObjectException(so::kInvalidArgument, "An option needs a group and a name");
    auto found = options_.find({group, name});
    if (found == options_.end())
        throw so::ServiceObjectException(
            so::kInvalidArgument,
            (boost::format("There is no user option %1%") % OptionName(group, name)).str());
    if (!std::holds_alternative<Wanted>(found->second.defaultValue))
        throw so::ServiceObjectException(
            so::kInvalidArgument, (boost::format("The user option %1% is not %2%") % OptionName(group, name) %
                                   (std::is_same_v<Wanted, bool> ? "a flag" : "a number"))
                                      .str());
    return found->second;
}

template <class Wanted>
SOResult UserOptionsService::Set(const wchar_t* group, const wchar_t* name, Wanted value,
                                 std::uint8_t* changed) {
    std::lock_guard lock(mutex_);
    Option& option = Find<Wanted>(group, name);
    Wanted current = std::get<Wanted>(option.value.value_or(option.defaultValue));
    bool differs = current != value;
    if (differs)
        option.value = value;
    if (changed != nullptr)
        *changed = differs ? 1 : 0;
    return so::kOk;
}

SOResult UserOptionsService::GetBool(const wchar_t* group, const wchar_t* name, std::uint8_t* value) {
    if (value == nullptr)
        return so::kInvalidArgument;
    std::lock_guard lock(mutex_);
    const Option& option = Find<bool>(group, name);
    *value = std::get<bool>(option.value.value_or(option.defaultValue)) ? 1 : 0;
    return so::kOk;
}

SOResult UserOptionsService::SetBool(const wchar_t* group, const wchar_t* name, std::uint8_t value,
                                     std::uint8_t* changed) {
    return Set<bool>(group, name, value != 0, changed);
}

SOResult UserOptionsService::GetInt(const wchar_t* group, const wchar_t* name, std::int32_t* value) {
    if (value == nullptr)
        return so::kInvalidArgument;
    std::lock_guard lock(mutex_);
    const Option& option = Find<std::int32_t>(group, name);
    *value = std::get<std::int32_t>(option.value.value_or(option.defaultValue));
    return so::kOk;
}

SOResult UserOptionsService::SetInt(const wchar_t* group, const wchar_t* name, std::int32_t value,
                                    std::uint8_t* changed) {
    return Set<std::int32_t>(group, name, value, changed);
}

SOResult UserOptionsService::IsSet(const wchar_t* group, const wchar_t* name, std::uint8_t* isSet) {
    if (group == nullptr || name == nullptr || isSet == nullptr)
        return so::kInvalidArgument;
    std::lock_guard lock(mutex_);
    auto found = options_.find({group, name});
    if (found == options_.end())
        throw so::ServiceObjectException(
            so::kInvalidArgument,
            (boost::format("There is no user option %1%") % OptionName(group, name)).str());
    *isSet = found->second.value.has_value() ? 1 : 0;
    return so::kOk;
}

SOResult UserOptionsService::Reset(const wchar_t* group, const wchar_t* name) {
    if (group == nullptr || name == nullptr)
        return so::kInvalidArgument;
    std::lock_guard lock(mutex_);
    auto found = options_.find({group, name});
    if (found == options_.end())
        throw so::ServiceObjectException(
            so::kInvalidArgument,
            (boost::format("There is no user option %1%") % OptionName(group, name)).str());
    found->second.value.reset();
    return so::kOk;
}

SOResult UserOptionsService::GetDescription(const wchar_t* group, const wchar_t* name,
                                            const wchar_t** description) {
    if (group == nullptr || name == nullptr || description == nullptr)
        return so::kInvalidArgument;
    std::lock_guard lock(mutex_);
    auto found = options_.find({group, name});
    if (found == options_.end())
        throw so::ServiceObjectException(
            so::kInvalidArgument,
            (boost::format("There is no user option %1%") % OptionName(group, name)).str());
    *description = found->second.description.c_str();
    return so::kOk;
}

} // namespace headless
