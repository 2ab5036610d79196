#include "headless-host/html-engine/runtime/CivilTime.h"

#include <boost/date_time/gregorian/gregorian.hpp>
#include <boost/date_time/posix_time/posix_time.hpp>

#include <charconv>
#include <cstdio>

namespace html {

namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;

const boost::posix_time::ptime& Epoch() {
    static const boost::posix_time::ptime epoch(boost::gregorian::date(1601, 1, 1));
    return epoch;
}

// Reads exactly `digits` decimal digits at `at`.
std::optional<int> ReadNumber(std::string_view text, std::size_t at, std::size_t digits) {
    if (at + digits > text.size()) {
        return std::nullopt;
    }
    int value = 0;
    auto [end, error] = std::from_chars(text.data() + at, text.data() + at + digits, value);
    if (error != std::errc() || end != text.data() + at + digits) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<std::int64_t> CivilTime::ToTicks() const {
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59) {
        return std::nullopt;
    }
    try {
        boost::gregorian::date date(static_cast<unsigned short>(year), static_cast<unsigned short>(month),
                                    static_cast<unsigned short>(day));
        if (date.year() < 1601) {
            return std::nullopt;
        }
        boost::posix_time::ptime time(date, boost::posix_time::hours(hours) +
                                                boost::posix_time::minutes(minutes) +
                                                boost::posix_time::seconds(seconds));
        return (time - Epoch()).total_seconds() * kTicksPerSecond;
    } catch (const std::exception&) {
        return std::nullopt; // boost rejects out-of-range years, months and days by throwing
    }
}

CivilTime CivilTime::FromTicks(std::int64_t ticks) {
    // Ticks before the epoch or past the calendar are clamped into it rather than rejected: a date
    // value always has a text.
    constexpr std::int64_t kLastSecond = 265'046'774'399; // 9999-12-31 23:59:59
    std::int64_t totalSeconds = ticks / kTicksPerSecond;
    totalSeconds = totalSeconds < 0 ? 0 : (totalSeconds > kLastSecond ? kLastSecond : totalSeconds);
    const std::int64_t days = totalSeconds / 86400;
    const std::int64_t secondsOfDay = totalSeconds % 86400;
    boost::gregorian::date date = Epoch().date() + boost::gregorian::days(static_cast<long>(days));
    CivilTime civil;
    civil.year = date.year();
    civil.month = date.month();
    civil.day = date.day();
    civil.hours = static_cast<int>(secondsOfDay / 3600);
    civil.minutes = static_cast<int>(secondsOfDay / 60 % 60);
    civil.seconds = static_cast<int>(secondsOfDay % 60);
    return civil;
}

std::string CivilTime::DateText() const {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

std::string CivilTime::TimeText() const {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", hours, minutes, seconds);
    return text;
}

std::string CivilTime::DateTimeText() const {
    return DateText() + "T" + TimeText();
}

std::optional<CivilTime> CivilTime::ParseDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    auto year = ReadNumber(text, 0, 4);
    auto month = ReadNumber(text, 5, 2);
    auto day = ReadNumber(text, 8, 2);
    if (!year || !month || !day) {
        return std::nullopt;
    }
    CivilTime civil;
    civil.year = *year;
    civil.month = *month;
    civil.day = *day;
    if (!civil.ToTicks()) {
        return std::nullopt;
    }
    return civil;
}

std::optional<CivilTime> CivilTime::ParseTime(std::string_view text) {
    if ((text.size() != 5 && text.size() != 8) || text[2] != ':' || (text.size() == 8 && text[5] != ':')) {
        return std::nullopt;
    }
    auto hours = ReadNumber(text, 0, 2);
    auto minutes = ReadNumber(text, 3, 2);
    auto seconds = text.size() == 8 ? ReadNumber(text, 6, 2) : std::optional<int>(0);
    if (!hours || !minutes || !seconds) {
        return std::nullopt;
    }
    CivilTime civil;
    civil.hours = *hours;
    civil.minutes = *minutes;
    civil.seconds = *seconds;
    if (!civil.ToTicks()) {
        return std::nullopt;
    }
    return civil;
}

} // namespace html
