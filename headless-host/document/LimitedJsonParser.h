// A JSON parser for files from outside: it refuses nesting, strings and duplicate keys beyond what a
// document file needs, and names the JSON path of every fault.
#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace headless {

struct JsonLimits {
    std::size_t maxDepth = 64;             // arrays and objects inside one another
    std::size_t maxStringBytes = 1u << 20; // one string or key, in UTF-8 bytes
};

// A fault at a JSON path ("/objects/3/name"; "/" for the whole text).
class JsonPathError : public std::runtime_error {
public:
    JsonPathError(std::string path, std::string detail)
        : std::runtime_error(path + ": " + detail), path_(std::move(path)), detail_(std::move(detail)) {}
    const std::string& Path() const { return path_; }
    const std::string& Detail() const { return detail_; }

private:
    std::string path_;
    std::string detail_;
};

// The path of a key or an index below `parent` (JSON pointer escapes: "~0" for "~", "~1" for "/").
std::string JsonChildPath(const std::string& parent, std::string_view key);
std::string JsonChildPath(const std::string& parent, std::size_t index);
// "/" for the root's empty path.
std::string ShownPath(const std::string& path);

// Raises JsonPathError for a syntax error (with line and column), invalid UTF-8, a duplicate key in
// one object, nesting deeper than the limit, or a string longer than the limit.
nlohmann::json ParseLimitedJson(std::string_view text, const JsonLimits& limits = {});

} // namespace headless
