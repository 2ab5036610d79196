// The engine's typed value, owned: cleared when the wrapper goes. Thread tags as in
// host/ServiceObject.h.
#pragma once

#include "host/HtmlEngineApi.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ui {

// [thread-safe] The engine's function table, looked up once in a function-local static; raises
// ServiceObjectException when the engine library gives none.
const HtmlEngineApi& Engine();

// Every operation is [thread-safe] on distinct values, as the engine's value functions are; one
// value is not shared between threads without a lock.
class Value {
public:
    Value() = default;
    Value(const Value& other);
    Value(Value&& other) noexcept;
    Value& operator=(Value other) noexcept;
    ~Value();

    static Value Int(std::int32_t number);
    static Value Bool(bool flag);
    static Value Float(double number);
    static Value String(std::wstring_view text);
    // A date value: 100-ns ticks since 1601-01-01.
    static Value Date(std::int64_t ticks);
    // Maps and arrays from JSON text; raises ServiceObjectException for malformed JSON.
    static Value FromJson(std::string_view json);

    std::uint32_t Type() const;
    bool IsUndefined() const { return Type() == kHtmlValueUndefined; }
    std::optional<std::int32_t> AsInt() const;
    std::optional<double> AsFloat() const;
    // The ticks of a date value; nothing for any other type.
    std::optional<std::int64_t> AsDate() const;
    // Strings as they are; numbers and other scalars as their text.
    std::wstring AsString() const;
    std::string ToJson() const;

    HtmlValue* Raw() { return &value_; }
    const HtmlValue* Raw() const { return &value_; }

private:
    HtmlValue value_{};
};

} // namespace ui
