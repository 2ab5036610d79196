// The numeric editors' texts and rules: what a user sees of a number, and what a typed text is read
// as before anything is written.
#include "host/ValueRecords.h"
#include "ui-document-panel-properties/NumericEditors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace panel::numeric;

TEST(NumericTexts, NumbersAsUsersSeeThem) {
    EXPECT_EQ(IntegerText(-7), L"-7");
    EXPECT_EQ(IntegerText(host::kNoIntegerValue), L"\u2013");
    EXPECT_EQ(IntegerText(host::kNoIntegerValue + 1), L"-2147483647");
    EXPECT_EQ(FloatText(1.5f, 4), L"1.5000");
    EXPECT_EQ(FloatText(1.005f, 2), L"1.00"); // the float below 1.005, rounded as printf does
    EXPECT_EQ(FloatText(-0.25f, 1), L"-0.2");
    EXPECT_EQ(FloatText(12.0f, 0), L"12");
    EXPECT_EQ(FloatText(std::nanf(""), 2), L"\u2013");
    // No grouping and no exponent, however large.
    EXPECT_EQ(FloatText(1e10f, 1), L"10000000000.0");
    EXPECT_EQ(FloatText(std::numeric_limits<float>::max(), 2).size(), 42u);
    // A precision from a record out of the usual range is kept within what can be shown.
    EXPECT_EQ(FloatText(2.0f, -3), L"2");
    EXPECT_EQ(FloatText(0.5f, 1000).size(), 19u);
}

TEST(NumericTexts, TypedFloatsReadUpToTheirFirstForeignCharacter) {
    EXPECT_EQ(ParseFloatPrefix(L"  1.5abc"), 1.5f);
    EXPECT_EQ(ParseFloatPrefix(L"0.75.2"), 0.75f);
    EXPECT_EQ(ParseFloatPrefix(L"-.5"), -0.5f);
    EXPECT_EQ(ParseFloatPrefix(L"+2"), 2.0f);
    EXPECT_EQ(ParseFloatPrefix(L"3e2"), 300.0f);
    EXPECT_EQ(ParseFloatPrefix(L"7\u00e9"), 7.0f);
}

TEST(NumericTexts, TextsThatAreNoFloatAreRefused) {
    for (const wchar_t* text : {L"", L"   ", L"abc", L".", L"-", L"+", L"+-1", L"--1", L"\u20132", L"nan",
                                L"NaN", L"inf", L"-infinity", L"1e39", L"-1e39"}) {
        EXPECT_EQ(ParseFloatPrefix(text), std::nullopt) << testing::PrintToString(std::wstring(text));
    }
}

TEST(NumericTexts, ClampKeepsValuesWithinTheLimits) {
    EXPECT_EQ(Clamp(500, 0, 255), 255);
    EXPECT_EQ(Clamp(-5, 0, 255), 0);
    EXPECT_EQ(Clamp(7, 0, 255), 7);
    // Limits the wrong way round: above max gives max, everything else min.
    EXPECT_EQ(Clamp(20, 10, 5), 5);
    EXPECT_EQ(Clamp(5, 10, 5), 10);
    EXPECT_EQ(Clamp(3, 10, 5), 10);
    EXPECT_EQ(Clamp(1.0f / 0.0f, 0.0f, 5000.0f), 5000.0f);
}

TEST(NumericTexts, TheLastEqualEntryIsChosen) {
    EXPECT_EQ(LastIndexOf({8, 10, 8}, 8.0f), 2u);
    EXPECT_EQ(LastIndexOf({0, 1}, -0.0f), 0u);
    EXPECT_EQ(LastIndexOf({8, 10}, 9.0f), std::nullopt);
    EXPECT_EQ(LastIndexOf({std::nanf("")}, std::nanf("")), std::nullopt);
}

} // namespace
