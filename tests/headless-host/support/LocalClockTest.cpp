// The local clock GetLocalTime reads, as the host pins it for tests and frees it again, and as the
// module reads it from any thread while the host changes it.
#include "headless-host/support/HostSupport.h"
#include "host/WindowsApi.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <thread>
#include <tuple>
#include <vector>

// Found by argument-dependent lookup, so beside SYSTEMTIME in the global namespace.
static bool operator==(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return std::tie(a.wYear, a.wMonth, a.wDayOfWeek, a.wDay, a.wHour, a.wMinute, a.wSecond,
                    a.wMilliseconds) ==
           std::tie(b.wYear, b.wMonth, b.wDayOfWeek, b.wDay, b.wHour, b.wMinute, b.wSecond, b.wMilliseconds);
}

static void PrintTo(const SYSTEMTIME& t, std::ostream* out) {
    *out << t.wYear << "-" << t.wMonth << "-" << t.wDay << " (day " << t.wDayOfWeek << ") " << t.wHour << ":"
         << t.wMinute << ":" << t.wSecond << "." << t.wMilliseconds;
}

namespace {

SYSTEMTIME Now() {
    SYSTEMTIME time{};
    GetLocalTime(&time);
    return time;
}

// Every test leaves the clock as the process found it.
class LocalClock : public testing::Test {
protected:
    void TearDown() override { HostSetLocalTime(nullptr); }
};

struct FixedTime {
    SYSTEMTIME given; // with a day of the week that does not fit the date
    WORD dayOfWeek;   // 0 = Sunday
};

class FixedLocalClock : public LocalClock, public testing::WithParamInterface<FixedTime> {};

TEST_P(FixedLocalClock, AnswersTheFixedTimeWithTheDayOfWeekOfItsDate) {
    HostSetLocalTime(&GetParam().given);
    SYSTEMTIME expected = GetParam().given;
    expected.wDayOfWeek = GetParam().dayOfWeek;
    EXPECT_EQ(Now(), expected);
    Sleep(20);
    EXPECT_EQ(Now(), expected) << "a fixed clock stands still";
}

INSTANTIATE_TEST_SUITE_P(Dates, FixedLocalClock,
                         testing::Values(FixedTime{{2024, 2, 0, 29, 23, 59, 59, 999},
                                                   4},                                  // leap day, Thursday
                                         FixedTime{{2000, 1, 3, 1, 0, 0, 0, 0}, 6},     // Saturday
                                         FixedTime{{2023, 12, 6, 31, 12, 30, 0, 0}, 0}, // Sunday
                                         FixedTime{{1970, 1, 7, 1, 9, 5, 7, 1}, 4},     // out of range given
                                         FixedTime{{2100, 3, 0, 1, 6, 0, 0, 0}, 1})); // after no 29 February

TEST_F(LocalClock, NullGivesTheSystemsLocalTimeBack) {
    const SYSTEMTIME fixed{2001, 9, 0, 3, 8, 0, 0, 0};
    HostSetLocalTime(&fixed);
    HostSetLocalTime(nullptr);

    const std::time_t before = std::time(nullptr);
    const SYSTEMTIME read = Now();
    const std::time_t after = std::time(nullptr);
    std::tm local{};
    local.tm_year = read.wYear - 1900;
    local.tm_mon = read.wMonth - 1;
    local.tm_mday = read.wDay;
    local.tm_hour = read.wHour;
    local.tm_min = read.wMinute;
    local.tm_sec = read.wSecond;
    local.tm_isdst = -1;
    const std::time_t readBack = std::mktime(&local);
    // One second either way for a change of second between the readings, and for the hour a
    // daylight-saving change repeats.
    EXPECT_GE(readBack, before - 1) << testing::PrintToString(read);
    EXPECT_LE(readBack, after + 1) << testing::PrintToString(read);
    EXPECT_EQ(read.wDayOfWeek, local.tm_wday);
    EXPECT_LT(read.wMilliseconds, 1000);
}

TEST_F(LocalClock, ReadersOnOtherThreadsSeeOneWholeTimeWhileItChanges) {
    const SYSTEMTIME first{2024, 2, 4, 29, 23, 59, 59, 999};
    const SYSTEMTIME second{2025, 3, 6, 1, 0, 0, 0, 0};
    HostSetLocalTime(&first);
    std::atomic<int> reading = 3;
    std::atomic<int> torn = 0;
    std::vector<std::thread> readers;
    for (int i = 0; i < 3; ++i) {
        readers.emplace_back([&] {
            for (int read = 0; read < 20000; ++read) {
                const SYSTEMTIME time = Now();
                if (!(time == first) && !(time == second))
                    ++torn;
            }
            --reading;
        });
    }
    for (int i = 0; reading.load() > 0; ++i)
        HostSetLocalTime(i % 2 == 0 ? &second : &first);
    for (auto& reader : readers)
        reader.join();
    EXPECT_EQ(torn.load(), 0);
}

} // namespace
