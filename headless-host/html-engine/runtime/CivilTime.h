// Calendar fields of the engine's date values (100-ns ticks since 1601-01-01 UTC), and their
// texts as date and time inputs show them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace html {

struct CivilTime {
    int year = 1601;
    int month = 1; // 1-12
    int day = 1;   // 1-31
    int hours = 0;
    int minutes = 0;
    int seconds = 0;

    // None for fields outside the calendar (the years 1601 to 9999).
    std::optional<std::int64_t> ToTicks() const;
    static CivilTime FromTicks(std::int64_t ticks);

    // "YYYY-MM-DD", "HH:MM:SS" and both joined by 'T'.
    std::string DateText() const;
    std::string TimeText() const;
    std::string DateTimeText() const;
    // The date part from "YYYY-MM-DD", the time part from "HH:MM" or "HH:MM:SS"; the other fields
    // keep their defaults. None for any other text.
    static std::optional<CivilTime> ParseDate(std::string_view text);
    static std::optional<CivilTime> ParseTime(std::string_view text);
};

} // namespace html
