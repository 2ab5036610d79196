// The error of a selector that cannot be parsed: what was wrong, and where in the selector text.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace html {

class SelectorError : public std::runtime_error {
public:
    SelectorError(std::string reason, std::size_t position)
        : std::runtime_error(reason + " at offset " + std::to_string(position)), reason_(std::move(reason)),
          position_(position) {}

    const std::string& Reason() const { return reason_; }
    // Byte offset into the selector text.
    std::size_t Position() const { return position_; }

private:
    std::string reason_;
    std::size_t position_;
};

} // namespace html
