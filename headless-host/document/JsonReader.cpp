#include "headless-host/document/JsonReader.h"

#include "service-common/TextConversion.h"

#include <boost/format.hpp>

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace headless {

namespace {

// Numbers up to half a step beyond FLT_MAX round to it; among them is "3.4028235e+38", the shortest
// text of FLT_MAX and so what dumps write for it, which a file must be able to give back.
constexpr double kFloatRoundingLimit = (2.0 - 0x1p-24) * 0x1p127;

} // namespace

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

void JsonReader::Fail(const std::string& path, const std::string& detail) {
    throw JsonPathError(ShownPath(path), detail);
}

std::string JsonReader::Described(const Json& value) {
    switch (value.type()) {
    case Json::value_t::null:
        return "null";
    case Json::value_t::boolean:
        return "a boolean";
    case Json::value_t::string:
        return "a string";
    case Json::value_t::number_float:
        return "a number with a fraction";
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
        return "an integer";
    case Json::value_t::object:
        return "an object";
    case Json::value_t::array:
        return "an array";
    default:
        return "a binary value";
    }
}

void JsonReader::ExpectObject(const Json& value, const std::string& path) {
    if (!value.is_object())
        Fail(path, "expected an object, found " + Described(value));
}

const JsonReader::Json& JsonReader::Array(const Json& value, const std::string& path) {
    if (!value.is_array())
        Fail(path, "expected an array, found " + Described(value));
    return value;
}

void JsonReader::CheckKeys(const Json& object, const std::string& path,
                           const std::vector<const char*>& allowed) {
    for (const auto& item : object.items()) {
        const std::string& key = item.key();
        if (std::none_of(allowed.begin(), allowed.end(), [&key](const char* name) { return key == name; }))
            Fail(Child(path, key), "unknown key " + Quoted(key));
    }
}

const JsonReader::Json& JsonReader::Require(const Json& object, const std::string& path, const char* key) {
    auto found = object.find(key);
    if (found == object.end())
        Fail(path, std::string("missing key ") + Quoted(key));
    return *found;
}

const JsonReader::Json* JsonReader::Optional(const Json& object, const char* key) {
    auto found = object.find(key);
    return found != object.end() ? &*found : nullptr;
}

std::wstring JsonReader::Text(const Json& value, const std::string& path) {
    if (!value.is_string())
        Fail(path, "expected a string, found " + Described(value));
    return so::WideFromUtf8(value.get_ref<const std::string&>());
}

std::wstring JsonReader::Name(const Json& value, const std::string& path, bool mayBeEmpty,
                              std::size_t maxLength) {
    std::wstring name = Text(value, path);
    if (name.empty() && !mayBeEmpty)
        Fail(path, "the name is empty");
    if (name.size() > maxLength)
        Fail(path, (boost::format("a name of %1% characters is longer than the limit of %2%") % name.size() %
                    maxLength)
                       .str());
    return name;
}

std::vector<std::wstring> JsonReader::Texts(const Json& value, const std::string& path) {
    std::vector<std::wstring> texts;
    const Json& array = Array(value, path);
    for (std::size_t i = 0; i < array.size(); ++i)
        texts.push_back(Text(array[i], Child(path, i)));
    return texts;
}

bool JsonReader::Bool(const Json& value, const std::string& path) {
    if (!value.is_boolean())
        Fail(path, "expected a boolean, found " + Described(value));
    return value.get<bool>();
}

bool JsonReader::OptionalBool(const Json& object, const std::string& path, const char* key, bool otherwise) {
    const Json* value = Optional(object, key);
    return value != nullptr ? Bool(*value, Child(path, key)) : otherwise;
}

std::int32_t JsonReader::Int(const Json& value, const std::string& path) {
    if (!value.is_number_integer())
        Fail(path, "expected an integer, found " + Described(value));
    bool fits = value.is_number_unsigned()
                    ? value.get<std::uint64_t>() <= std::uint64_t(INT32_MAX)
                    : (value.get<std::int64_t>() >= INT32_MIN && value.get<std::int64_t>() <= INT32_MAX);
    if (!fits)
        Fail(path, "the integer does not fit in 32 bits");
    return std::int32_t(value.get<std::int64_t>());
}

std::int32_t JsonReader::OptionalInt(const Json& object, const std::string& path, const char* key,
                                     std::int32_t otherwise) {
    const Json* value = Optional(object, key);
    return value != nullptr ? Int(*value, Child(path, key)) : otherwise;
}

float JsonReader::Float(const Json& value, const std::string& path) {
    if (!value.is_number())
        Fail(path, "expected a number, found " + Described(value));
    double number = value.get<double>();
    if (!std::isfinite(number) || std::fabs(number) >= kFloatRoundingLimit)
        Fail(path, "the number is out of the range of a float");
    // Clamped first: converting a double beyond FLT_MAX to float is undefined in C++.
    return float(std::clamp(number, double(-FLT_MAX), double(FLT_MAX)));
}

float JsonReader::OptionalFloat(const Json& object, const std::string& path, const char* key,
                                float otherwise) {
    const Json* value = Optional(object, key);
    return value != nullptr ? Float(*value, Child(path, key)) : otherwise;
}

} // namespace headless
