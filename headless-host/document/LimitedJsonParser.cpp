#include "headless-host/document/LimitedJsonParser.h"

#include <boost/format.hpp>

#include <set>
#include <vector>

namespace headless {

namespace {

using Json = nlohmann::json;

// Builds the value with the library's own builder, keeping the path of the value being read.
class LimitedSax {
public:
    LimitedSax(Json& result, const JsonLimits& limits) : builder_(result, false), limits_(limits) {}

    bool null() { return builder_.null() && Ended(); }
    bool boolean(bool value) { return builder_.boolean(value) && Ended(); }
    bool number_integer(Json::number_integer_t value) { return builder_.number_integer(value) && Ended(); }
    bool number_unsigned(Json::number_unsigned_t value) { return builder_.number_unsigned(value) && Ended(); }
    bool number_float(Json::number_float_t value, const Json::string_t& text) {
        return builder_.number_float(value, text) && Ended();
    }
    bool string(Json::string_t& value) {
        if (!CheckLength(value, CurrentPath()))
            return false;
        return builder_.string(value) && Ended();
    }
    bool binary(Json::binary_t& value) { return builder_.binary(value) && Ended(); }

    bool start_object(std::size_t size) { return Open(true) && builder_.start_object(size); }
    bool key(Json::string_t& name) {
        Frame& frame = frames_.back();
        std::string path = JsonChildPath(Path(frames_.size() - 1), name);
        if (!CheckLength(name, path))
            return false;
        if (!frame.keys.insert(name).second)
            return Fail(path, "duplicate key \"" + name + "\"");
        frame.key = name;
        frame.hasKey = true;
        return builder_.key(name);
    }
    bool end_object() {
        frames_.pop_back();
        return builder_.end_object() && Ended();
    }
    bool start_array(std::size_t size) { return Open(false) && builder_.start_array(size); }
    bool end_array() {
        frames_.pop_back();
        return builder_.end_array() && Ended();
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) {
        std::string message = error.what();
        // The library's message starts with its own exception id in brackets.
        if (auto end = message.find("] "); message.starts_with("[json.exception") && end != std::string::npos)
            message = message.substr(end + 2);
        // The message quotes the text it read last, which may be the bad bytes themselves.
        std::string printable;
        for (unsigned char c : message)
            printable +=
                c >= 0x20 && c < 0x7F ? std::string(1, char(c)) : (boost::format("\\x%02X") % int(c)).str();
        return Fail(CurrentPath(), printable);
    }

    bool Failed() const { return failed_; }
    const std::string& FailurePath() const { return failurePath_; }
    const std::string& FailureDetail() const { return failureDetail_; }

private:
    struct Frame {
        bool isObject;
        std::string key;
        bool hasKey = false; // between members an object's path is its own
        std::size_t index = 0;
        std::set<std::string> keys;
    };

    // The path of the frames up to `count` (the value inside frame count - 1 being read).
    std::string Path(std::size_t count) const {
        std::string path;
        for (std::size_t i = 0; i < count; ++i) {
            if (frames_[i].isObject && !frames_[i].hasKey)
                break;
            path = frames_[i].isObject ? JsonChildPath(path, frames_[i].key)
                                       : JsonChildPath(path, frames_[i].index);
        }
        return path;
    }
    std::string CurrentPath() const { return Path(frames_.size()); }

    // A value inside an array moves the array on to its next index.
    bool Ended() {
        if (!frames_.empty()) {
            if (frames_.back().isObject)
                frames_.back().hasKey = false;
            else
                ++frames_.back().index;
        }
        return true;
    }
    bool Open(bool isObject) {
        if (frames_.size() >= limits_.maxDepth)
            return Fail(CurrentPath(),
                        (boost::format("nested deeper than %1% levels") % limits_.maxDepth).str());
        frames_.push_back(Frame{isObject, {}, false, 0, {}});
        return true;
    }
    bool CheckLength(const std::string& text, const std::string& path) {
        if (text.size() <= limits_.maxStringBytes)
            return true;
        return Fail(path, (boost::format("a string of %1% bytes is longer than the limit of %2%") %
                           text.size() % limits_.maxStringBytes)
                              .str());
    }
    bool Fail(std::string path, std::string detail) {
        if (!failed_) {
            failed_ = true;
            failurePath_ = std::move(path);
            failureDetail_ = std::move(detail);
        }
        return false;
    }

    nlohmann::detail::json_sax_dom_parser<Json> builder_;
    const JsonLimits& limits_;
    std::vector<Frame> frames_;
    bool failed_ = false;
    std::string failurePath_;
    std::string failureDetail_;
};

std::string Escaped(std::string_view key) {
    std::string escaped;
    for (char c : key) {
        if (c == '~')
            escaped += "~0";
        else if (c == '/')
            escaped += "~1";
        else
            escaped += c;
    }
    return escaped;
}

} // namespace

std::string JsonChildPath(const std::string& parent, std::string_view key) {
    return parent + "/" + Escaped(key);
}

std::string JsonChildPath(const std::string& parent, std::size_t index) {
    return parent + "/" + std::to_string(index);
}

std::string ShownPath(const std::string& path) {
    return path.empty() ? "/" : path;
}

Json ParseLimitedJson(std::string_view text, const JsonLimits& limits) {
    Json result;
    LimitedSax sax(result, limits);
    bool parsed =
        Json::sax_parse(text.begin(), text.end(), &sax, nlohmann::detail::input_format_t::json, true);
    if (sax.Failed())
        throw JsonPathError(ShownPath(sax.FailurePath()), sax.FailureDetail());
    if (!parsed)
        throw JsonPathError("/", "the text is not JSON");
    return result;
}

} // namespace headless
