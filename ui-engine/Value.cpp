#include "ui-engine/Value.h"

#include "service-common/HostCall.h"
#include "service-common/ServiceObjectException.h"
#include "service-common/TextReceivers.h"

#include <utility>

namespace ui {

const HtmlEngineApi& Engine() {
    static const HtmlEngineApi* api = HtmlEngineAPI();
    if (api == nullptr)
        throw so::ServiceObjectException(so::kNotInitialized, "Not initialized");
    return *api;
}

Value::Value(const Value& other) {
    Engine().ValueCopy(&value_, &other.value_);
}
Value::Value(Value&& other) noexcept : value_(std::exchange(other.value_, HtmlValue{})) {}
Value& Value::operator=(Value other) noexcept {
    std::swap(value_, other.value_);
    return *this;
}
Value::~Value() {
    if (value_.type != kHtmlValueUndefined)
        Engine().ValueClear(&value_);
}

Value Value::Int(std::int32_t number) {
    Value value;
    Engine().ValueIntDataSet(&value.value_, number, kHtmlValueInt);
    return value;
}

Value Value::Bool(bool flag) {
    Value value;
    Engine().ValueIntDataSet(&value.value_, flag ? 1 : 0, kHtmlValueBool);
    return value;
}

Value Value::Date(std::int64_t ticks) {
    Value value;
    Engine().ValueInt64DataSet(&value.value_, ticks, kHtmlValueDate);
    return value;
}

Value Value::Float(double number) {
    Value value;
    Engine().ValueFloatDataSet(&value.value_, number);
    return value;
}

Value Value::String(std::wstring_view text) {
    Value value;
    Engine().ValueStringDataSet(&value.value_, text.data(), std::uint32_t(text.size()));
    return value;
}

Value Value::FromJson(std::string_view json) {
    Value value;
    if (Engine().ValueFromJson(&value.value_, json.data(), std::uint32_t(json.size())) != kHtmlOk)
        throw so::ServiceObjectException(so::kInvalidArgument, "The engine refused a JSON value");
    return value;
}

std::uint32_t Value::Type() const {
    return value_.type;
}

std::optional<std::int32_t> Value::AsInt() const {
    std::int32_t number = 0;
    if (Engine().ValueIntData(&value_, &number) != kHtmlOk)
        return std::nullopt;
    return number;
}

std::optional<std::int64_t> Value::AsDate() const {
    std::int64_t ticks = 0;
    if (Type() != kHtmlValueDate || Engine().ValueInt64Data(&value_, &ticks) != kHtmlOk)
        return std::nullopt;
    return ticks;
}

std::optional<double> Value::AsFloat() const {
    double number = 0;
    if (Engine().ValueFloatData(&value_, &number) != kHtmlOk)
        return std::nullopt;
    return number;
}

std::wstring Value::AsString() const {
    std::wstring text;
    Engine().ValueStringData(&value_, &so::AppendWide, &text);
    return text;
}

std::string Value::ToJson() const {
    std::string json;
    Engine().ValueToJson(&value_, &so::AppendUtf8, &json);
    return json;
}

} // namespace ui
