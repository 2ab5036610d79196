// The engine's typed value as behaviours and the host program handle it; HtmlValue is its form at
// the C interface, where strings, arrays and maps live behind a pointer the value owns.
#pragma once

#include "headless-host/html-engine/runtime/HtmlEngineExport.h"
#include "host/HtmlEngineApi.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace html {

class HTML_ENGINE_API Value {
public:
    struct Undefined {
        friend bool operator==(Undefined, Undefined) { return true; }
    };
    struct Null {
        friend bool operator==(Null, Null) { return true; }
    };
    // 100-ns ticks since 1601-01-01 UTC.
    struct Date {
        std::int64_t ticks = 0;
        friend bool operator==(Date a, Date b) { return a.ticks == b.ticks; }
    };
    using Array = std::vector<Value>;
    // Keys (UTF-8) keep their insertion order, so maps built from JSON read back in the same order.
    using Map = std::vector<std::pair<std::string, Value>>;

    // JSON nested deeper than this is refused: it bounds the recursion of every later walk.
    static constexpr int kMaxJsonDepth = 200;

    Value() = default;
    static Value MakeNull();
    static Value Bool(bool flag);
    static Value Int(std::int64_t number);
    static Value Float(double number);
    static Value String(std::wstring text);
    static Value DateTicks(std::int64_t ticks);
    static Value MakeArray(Array items);
    static Value MakeMap(Map entries);
    // Attribute text as the engine reads it as a value: an integer text becomes an integer, any
    // other text stays a string.
    static Value FromAttributeText(std::string_view utf8);

    HtmlValueType Type() const;
    bool IsUndefined() const { return std::holds_alternative<Undefined>(data_); }

    // Integers and booleans.
    std::optional<std::int64_t> AsInt() const;
    // Integers and floats.
    std::optional<double> AsNumber() const;
    std::optional<std::int64_t> AsDateTicks() const;
    const std::wstring* AsString() const { return std::get_if<std::wstring>(&data_); }
    const Array* AsArray() const { return std::get_if<Array>(&data_); }
    const Map* AsMap() const { return std::get_if<Map>(&data_); }
    // The value of a map key, or null.
    const Value* Find(std::string_view key) const;

    // The text of a scalar: strings as they are, numbers, booleans and dates as text; none for
    // undefined, null, arrays and maps.
    std::optional<std::wstring> ToText() const;

    // Any JSON text; none when it is malformed or nested deeper than kMaxJsonDepth.
    static std::optional<Value> FromJson(std::string_view json);
    // Undefined and non-finite floats are written as null, dates as their tick count.
    std::string ToJson() const;

    // A copy of what `raw` holds.
    static Value FromRaw(const HtmlValue& raw);
    // A new HtmlValue owning a copy of this value.
    HtmlValue ToRaw() const;
    // Frees what `raw` owns and leaves it undefined.
    static void ClearRaw(HtmlValue& raw);

    friend HTML_ENGINE_API bool operator==(const Value& a, const Value& b);

private:
    std::variant<Undefined, Null, bool, std::int64_t, double, std::wstring, Date, Array, Map> data_;
};

} // namespace html
