#include "headless-host/html-engine/runtime/Value.h"

#include "headless-host/html-engine/runtime/CivilTime.h"
#include "service-common/TextConversion.h"

#include <nlohmann/json.hpp>

#include <bit>
#include <charconv>
#include <cmath>
#include <limits>

namespace html {

namespace {

using Json = nlohmann::ordered_json;

struct TooDeep {};

Value FromJsonTree(const Json& json) {
    switch (json.type()) {
    case Json::value_t::null:
    case Json::value_t::discarded:
        return Value::MakeNull();
    case Json::value_t::boolean:
        return Value::Bool(json.get<bool>());
    case Json::value_t::number_integer:
        return Value::Int(json.get<std::int64_t>());
    case Json::value_t::number_unsigned: {
        auto number = json.get<std::uint64_t>();
        if (number <= std::uint64_t(std::numeric_limits<std::int64_t>::max())) {
            return Value::Int(std::int64_t(number));
        }
        return Value::Float(double(number));
    }
    case Json::value_t::number_float:
        return Value::Float(json.get<double>());
    case Json::value_t::string:
        return Value::String(so::WideFromUtf8(json.get_ref<const std::string&>()));
    case Json::value_t::array: {
        Value::Array items;
        items.reserve(json.size());
        for (const auto& item : json) {
            items.push_back(FromJsonTree(item));
        }
        return Value::MakeArray(std::move(items));
    }
    case Json::value_t::object: {
        Value::Map entries;
        entries.reserve(json.size());
        for (const auto& [key, item] : json.items()) {
            entries.emplace_back(key, FromJsonTree(item));
        }
        return Value::MakeMap(std::move(entries));
    }
    case Json::value_t::binary:
        break;
    }
    return Value::MakeNull();
}

std::wstring FloatText(double number) {
    if (std::isnan(number)) {
        return L"NaN";
    }
    if (std::isinf(number)) {
        return number > 0 ? L"Infinity" : L"-Infinity";
    }
    char text[64];
    auto result = std::to_chars(text, text + sizeof text, number);
    return std::wstring(text, result.ptr);
}

} // namespace

Value Value::MakeNull() {
    Value value;
    value.data_ = Null{};
    return value;
}

Value Value::Bool(bool flag) {
    Value value;
    value.data_ = flag;
    return value;
}

Value Value::Int(std::int64_t number) {
    Value value;
    value.data_ = number;
    return value;
}

Value Value::Float(double number) {
    Value value;
    value.data_ = number;
    return value;
}

Value Value::String(std::wstring text) {
    Value value;
    value.data_ = std::move(text);
    return value;
}

Value Value::DateTicks(std::int64_t ticks) {
    Value value;
    value.data_ = Date{ticks};
    return value;
}

Value Value::MakeArray(Array items) {
    Value value;
    value.data_ = std::move(items);
    return value;
}

Value Value::MakeMap(Map entries) {
    Value value;
    value.data_ = std::move(entries);
    return value;
}

Value Value::FromAttributeText(std::string_view utf8) {
    std::int64_t number = 0;
    auto [end, error] = std::from_chars(utf8.data(), utf8.data() + utf8.size(), number);
    if (!utf8.empty() && error == std::errc() && end == utf8.data() + utf8.size()) {
        return Int(number);
    }
    return String(so::WideFromUtf8(utf8));
}

HtmlValueType Value::Type() const {
    static constexpr HtmlValueType kTypes[] = {kHtmlValueUndefined, kHtmlValueNull,  kHtmlValueBool,
                                               kHtmlValueInt,       kHtmlValueFloat, kHtmlValueString,
                                               kHtmlValueDate,      kHtmlValueArray, kHtmlValueMap};
    return kTypes[data_.index()];
}

std::optional<std::int64_t> Value::AsInt() const {
    if (const auto* number = std::get_if<std::int64_t>(&data_)) {
        return *number;
    }
    if (const auto* flag = std::get_if<bool>(&data_)) {
        return *flag ? 1 : 0;
    }
    return std::nullopt;
}

std::optional<double> Value::AsNumber() const {
    if (const auto* number = std::get_if<double>(&data_)) {
        return *number;
    }
    if (const auto* number = std::get_if<std::int64_t>(&data_)) {
        return double(*number);
    }
    return std::nullopt;
}

std::optional<std::int64_t> Value::AsDateTicks() const {
    if (const auto* date = std::get_if<Date>(&data_)) {
        return date->ticks;
    }
    return std::nullopt;
}

const Value* Value::Find(std::string_view key) const {
    if (const Map* map = AsMap()) {
        for (const auto& [name, item] : *map) {
            if (name == key) {
                return &item;
            }
        }
    }
    return nullptr;
}

std::optional<std::wstring> Value::ToText() const {
    if (const auto* text = std::get_if<std::wstring>(&data_)) {
        return *text;
    }
    if (const auto* flag = std::get_if<bool>(&data_)) {
        return std::wstring(*flag ? L"true" : L"false");
    }
    if (const auto* number = std::get_if<std::int64_t>(&data_)) {
        return std::to_wstring(*number);
    }
    if (const auto* number = std::get_if<double>(&data_)) {
        return FloatText(*number);
    }
    if (const auto* date = std::get_if<Date>(&data_)) {
        return so::WideFromUtf8(CivilTime::FromTicks(date->ticks).DateTimeText());
    }
    return std::nullopt;
}

std::optional<Value> Value::FromJson(std::string_view json) {
    // The parser itself is iterative; the depth check keeps the conversion below (and every later
    // recursive walk of the value) within bounds.
    auto limitDepth = [](int depth, Json::parse_event_t, Json&) {
        if (depth > kMaxJsonDepth) {
            throw TooDeep{};
        }
        return true;
    };
    try {
        Json tree = Json::parse(json.begin(), json.end(), limitDepth);
        return FromJsonTree(tree);
    } catch (const TooDeep&) {
        return std::nullopt;
    } catch (const Json::exception&) {
        return std::nullopt;
    }
}

std::string Value::ToJson() const {
    struct Builder {
        Json operator()(Undefined) const { return nullptr; }
        Json operator()(Null) const { return nullptr; }
        Json operator()(bool flag) const { return flag; }
        Json operator()(std::int64_t number) const { return number; }
        Json operator()(double number) const { return std::isfinite(number) ? Json(number) : Json(nullptr); }
        Json operator()(const std::wstring& text) const { return so::Utf8FromWide(text); }
        Json operator()(Date date) const { return date.ticks; }
        Json operator()(const Array& items) const {
            Json json = Json::array();
            for (const Value& item : items) {
                json.push_back(std::visit(*this, item.data_));
            }
            return json;
        }
        Json operator()(const Map& entries) const {
            Json json = Json::object();
            for (const auto& [key, item] : entries) {
                json[key] = std::visit(*this, item.data_);
            }
            return json;
        }
    };
    return std::visit(Builder{}, data_).dump(-1, ' ', false, Json::error_handler_t::replace);
}

Value Value::FromRaw(const HtmlValue& raw) {
    switch (raw.type) {
    case kHtmlValueNull:
        return MakeNull();
    case kHtmlValueBool:
        return Bool(raw.data != 0);
    case kHtmlValueInt:
        return Int(std::int64_t(raw.data));
    case kHtmlValueFloat:
        return Float(std::bit_cast<double>(raw.data));
    case kHtmlValueDate:
        return DateTicks(std::int64_t(raw.data));
    case kHtmlValueString:
    case kHtmlValueArray:
    case kHtmlValueMap:
        if (raw.data != 0) {
            return *reinterpret_cast<const Value*>(raw.data);
        }
        break;
    default:
        break;
    }
    return Value();
}

HtmlValue Value::ToRaw() const {
    HtmlValue raw{Type(), 0, 0};
    struct Data {
        const Value& self;
        std::uint64_t operator()(Undefined) const { return 0; }
        std::uint64_t operator()(Null) const { return 0; }
        std::uint64_t operator()(bool flag) const { return flag ? 1 : 0; }
        std::uint64_t operator()(std::int64_t number) const { return std::uint64_t(number); }
        std::uint64_t operator()(double number) const { return std::bit_cast<std::uint64_t>(number); }
        std::uint64_t operator()(Date date) const { return std::uint64_t(date.ticks); }
        // Strings, arrays and maps: the raw value owns a heap copy.
        std::uint64_t operator()(const std::wstring&) const { return Owned(); }
        std::uint64_t operator()(const Array&) const { return Owned(); }
        std::uint64_t operator()(const Map&) const { return Owned(); }
        std::uint64_t Owned() const { return reinterpret_cast<std::uintptr_t>(new Value(self)); }
    };
    raw.data = std::visit(Data{*this}, data_);
    return raw;
}

void Value::ClearRaw(HtmlValue& raw) {
    if ((raw.type == kHtmlValueString || raw.type == kHtmlValueArray || raw.type == kHtmlValueMap) &&
        raw.data != 0) {
        delete reinterpret_cast<Value*>(raw.data);
    }
    raw = HtmlValue{kHtmlValueUndefined, 0, 0};
}

bool operator==(const Value& a, const Value& b) {
    return a.data_ == b.data_;
}

} // namespace html
