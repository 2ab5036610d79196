// Typed reads of a parsed JSON text for readers that must say where a value is wrong: each read
// checks the JSON type (and range) and fails with a JsonPathError naming the path of the value.
// Document files and the scenario language's values are read through it.
#pragma once

#include "headless-host/document/LimitedJsonParser.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace headless {

class JsonReader {
public:
    using Json = nlohmann::json;

    // Raises JsonPathError at `path` ("/" for the root).
    [[noreturn]] static void Fail(const std::string& path, const std::string& detail);
    // "an integer", "a string"…: what a value is, for messages.
    static std::string Described(const Json& value);

    static std::string Child(const std::string& path, std::string_view key) {
        return JsonChildPath(path, key);
    }
    static std::string Child(const std::string& path, std::size_t index) {
        return JsonChildPath(path, index);
    }

    static void ExpectObject(const Json& value, const std::string& path);
    static const Json& Array(const Json& value, const std::string& path);
    // Refuses a key outside `allowed`: a misspelt key never passes silently.
    static void CheckKeys(const Json& object, const std::string& path,
                          const std::vector<const char*>& allowed);
    static const Json& Require(const Json& object, const std::string& path, const char* key);
    static const Json* Optional(const Json& object, const char* key);

    static std::wstring Text(const Json& value, const std::string& path);
    // A text that names something: not empty unless `mayBeEmpty`, at most `maxLength` characters.
    static std::wstring Name(const Json& value, const std::string& path, bool mayBeEmpty,
                             std::size_t maxLength);
    static std::vector<std::wstring> Texts(const Json& value, const std::string& path);
    static bool Bool(const Json& value, const std::string& path);
    static bool OptionalBool(const Json& object, const std::string& path, const char* key, bool otherwise);
    static std::int32_t Int(const Json& value, const std::string& path);
    static std::int32_t OptionalInt(const Json& object, const std::string& path, const char* key,
                                    std::int32_t otherwise);
    // A number a float holds: up to half a step beyond FLT_MAX rounds to it, anything further is
    // refused (converting it would be undefined).
    static float Float(const Json& value, const std::string& path);
    static float OptionalFloat(const Json& object, const std::string& path, const char* key, float otherwise);
};

// "\"text\"" for messages.
std::string Quoted(const std::string& text);

} // namespace headless
