// The date-time and colour kinds' rules that need no page: the calendar checks, the relative texts
// around their limits, the engine's ticks, and which colour texts are taken.
#include "ui-document-panel-properties/ChoiceEditors.h"

#include <boost/date_time/posix_time/posix_time.hpp>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using boost::posix_time::hours;
using boost::posix_time::minutes;
using boost::posix_time::ptime;
using boost::posix_time::seconds;
using boost::posix_time::time_from_string;
using namespace panel;

host::DateTimeValue Record(int year, int month, int day, int h = 0, int m = 0, int s = 0) {
    host::DateTimeValue record;
    record.yearsSince1900 = year - 1900;
    record.month = month - 1;
    record.dayOfMonth = day;
    record.hours = h;
    record.minutes = m;
    record.seconds = s;
    return record;
}

std::string OutOfRangeMessage(const host::DateTimeValue& record) {
    try {
        datetime::ToTime(record);
    } catch (const std::out_of_range& e) {
        return e.what();
    }
    return "no error";
}

TEST(DateTimeTexts, RecordsOutsideTheCalendarNameTheirField) {
    EXPECT_EQ(OutOfRangeMessage(Record(1399, 12, 31)), "Year is out of valid range: 1400..9999");
    EXPECT_EQ(OutOfRangeMessage(Record(10000, 1, 1)), "Year is out of valid range: 1400..9999");
    EXPECT_EQ(OutOfRangeMessage(Record(2026, 13, 1)), "Month number is out of range 1..12");
    EXPECT_EQ(OutOfRangeMessage(Record(2026, 1, 32)), "Day of month value is out of range 1..31");
    EXPECT_EQ(OutOfRangeMessage(Record(2026, 1, 0)), "Day of month value is out of range 1..31");
    EXPECT_NE(OutOfRangeMessage(Record(2026, 2, 29)), "no error") << "2026 is no leap year";
    host::DateTimeValue huge = Record(2026, 1, 1);
    huge.yearsSince1900 = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(OutOfRangeMessage(huge), "Year is out of valid range: 1400..9999");
    EXPECT_EQ(OutOfRangeMessage(Record(1400, 1, 1)), "no error");
}

TEST(DateTimeTexts, ARecordIsNormalisedWithItsDaysOfWeekAndYear) {
    const host::DateTimeValue monday = datetime::ToRecord(datetime::ToTime(Record(2026, 12, 7, 9, 30, 5)));
    EXPECT_EQ(monday, (host::DateTimeValue{5, 30, 9, 7, 11, 126, 1, 340, 0}));
    const host::DateTimeValue leap = datetime::ToRecord(datetime::ToTime(Record(2024, 12, 31)));
    EXPECT_EQ(leap.dayOfYear, 365);
    EXPECT_EQ(leap.dayOfWeek, 2);
}

TEST(DateTimeTexts, RecentValuesAreToldRelativeToNowAndOlderOnesInThePattern) {
    const ptime now = time_from_string("2026-12-07 10:00:00");
    EXPECT_EQ(datetime::DisplayText(now - seconds(59), now), L"Less then a minute ago");
    EXPECT_EQ(datetime::DisplayText(now + hours(30), now), L"Less then a minute ago") << "the future";
    EXPECT_EQ(datetime::DisplayText(now - minutes(1), now), L"A minute ago");
    EXPECT_EQ(datetime::DisplayText(now - minutes(59) - seconds(59), now), L"59 minutes ago");
    EXPECT_EQ(datetime::DisplayText(now - minutes(60), now), L"An hour ago");
    EXPECT_EQ(datetime::DisplayText(now - hours(3) - minutes(59), now), L"3 hours ago");
    EXPECT_EQ(datetime::DisplayText(now - hours(24) - minutes(59), now), L"24 hours ago");
    EXPECT_EQ(datetime::DisplayText(now - hours(25), now), L"2026-12-06 09:00:00");
    EXPECT_EQ(datetime::DisplayText(time_from_string("1400-01-01 00:00:00"), now), L"1400-01-01 00:00:00");
}

TEST(DateTimeTexts, EngineTicksCountFrom1601) {
    EXPECT_EQ(datetime::TicksOf(time_from_string("1601-01-01 00:00:00")), 0);
    EXPECT_EQ(datetime::TicksOf(time_from_string("1601-01-02 00:00:01")), (86400LL + 1) * 10'000'000);
    const ptime value = time_from_string("2026-12-07 09:30:00");
    EXPECT_EQ(datetime::TimeOfTicks(datetime::TicksOf(value)), value);
}

TEST(ColorTexts, OnlyAHashAndSixHexDigitsGiveAColourAndOtherHashesAreRefused) {
    EXPECT_EQ(color::ParseChoice(L"#FF0000"), 0xFFFF0000u);
    EXPECT_EQ(color::ParseChoice(L"#00ff7f"), 0xFF00FF7Fu);
    EXPECT_EQ(color::ParseChoice(L"#000000"), 0xFF000000u) << "black is a colour";
    EXPECT_EQ(color::ParseChoice(L""), 0u);
    EXPECT_EQ(color::ParseChoice(L"nocolor"), 0u);
    for (const wchar_t* garbage : {L"#12", L"#GG0000", L"#1234567", L"#", L"# 12345", L"#-12345", L"#+12345"})
        EXPECT_EQ(color::ParseChoice(garbage), std::nullopt) << garbage;
    EXPECT_EQ(color::CssText(0xFF12AB34u), L"#12AB34");
    EXPECT_EQ(color::CssText(0), L"#000000");
}

TEST(ColorTexts, NoColourIsOfferedForBordersAndBackgroundsOrWhereThePropertySaysSo) {
    EXPECT_TRUE(color::NoColorOffered(L"border-color", L"false"));
    EXPECT_TRUE(color::NoColorOffered(L"interior-color", L""));
    EXPECT_TRUE(color::NoColorOffered(L"text-color", L"TRUE"));
    EXPECT_FALSE(color::NoColorOffered(L"text-color", L"false"));
    EXPECT_FALSE(color::NoColorOffered(L"Border", L"")) << "ids are compared as they are";
}

} // namespace
