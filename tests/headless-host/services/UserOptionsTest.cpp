// The user options tree: the option the panel reads, typed access, writes only on change, and the
// refusal of unknown options.
#include "headless-host/services/UserOptionsService.h"
#include "service-common/HostCall.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

namespace {

using host::UserOptions;
using OptionsObject = so::ServiceObjectCppTheConcrete<headless::UserOptionsService>;
constexpr const wchar_t* kGroup = UserOptions::kGroupAccountDependentOptions;
constexpr const wchar_t* kWarning = UserOptions::kResetDefaultWarning;

class UserOptionsTree : public testing_host::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        options = so::Ref::Adopt(OptionsObject::Create());
    }
    std::uint8_t Flag(const wchar_t* group, const wchar_t* name) {
        std::uint8_t value = 9;
        so::Call<UserOptions::GetBool>(options.Get(), group, name, &value);
        return value;
    }
    std::uint8_t IsSet(const wchar_t* name) {
        std::uint8_t set = 9;
        so::Call<UserOptions::IsSet>(options.Get(), kGroup, name, &set);
        return set;
    }
    std::uint8_t SetFlag(const wchar_t* name, std::uint8_t value) {
        std::uint8_t changed = 9;
        so::Call<UserOptions::SetBool>(options.Get(), kGroup, name, value, &changed);
        return changed;
    }
    so::Ref options;
};

TEST_F(UserOptionsTree, ResetWarningIsOnByDefaultAndDescribed) {
    EXPECT_EQ(Flag(kGroup, kWarning), 1);
    EXPECT_EQ(IsSet(kWarning), 0);
    const wchar_t* description = nullptr;
    so::Call<UserOptions::GetDescription>(options.Get(), kGroup, kWarning, &description);
    EXPECT_STREQ(description, L"Show warning before reset to default");
}

TEST_F(UserOptionsTree, SetValueIsWrittenOnlyWhenItDiffersAndResetRestoresTheDefault) {
    EXPECT_EQ(SetFlag(kWarning, 1), 0) << "the default already says 1";
    EXPECT_EQ(IsSet(kWarning), 0);
    EXPECT_EQ(SetFlag(kWarning, 0), 1);
    EXPECT_EQ(IsSet(kWarning), 1);
    EXPECT_EQ(Flag(kGroup, kWarning), 0);
    EXPECT_EQ(SetFlag(kWarning, 0), 0);
    so::Call<UserOptions::Reset>(options.Get(), kGroup, kWarning);
    EXPECT_EQ(Flag(kGroup, kWarning), 1);
    EXPECT_EQ(IsSet(kWarning), 0);
}

TEST_F(UserOptionsTree, NumbersAreKeptApartFromFlags) {
    OptionsObject::From(options.Get())
        .Define(L"UsrOptGroup_View", L"UsrOptValue_Zoom", std::int32_t(100), L"Zoom");
    std::int32_t zoom = 0;
    so::Call<UserOptions::GetInt>(options.Get(), L"UsrOptGroup_View", L"UsrOptValue_Zoom", &zoom);
    EXPECT_EQ(zoom, 100);
    std::uint8_t changed = 0;
    so::Call<UserOptions::SetInt>(options.Get(), L"UsrOptGroup_View", L"UsrOptValue_Zoom", 150, &changed);
    so::Call<UserOptions::GetInt>(options.Get(), L"UsrOptGroup_View", L"UsrOptValue_Zoom", &zoom);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(zoom, 150);
}

struct RefusalCase {
    const wchar_t* group;
    const wchar_t* name;
    bool asNumber;
    const char* message;
};

class UserOptionsRefusal : public UserOptionsTree, public testing::WithParamInterface<RefusalCase> {};

TEST_P(UserOptionsRefusal, UnknownOrMistypedOptionGivesInvalidArgument) {
    const RefusalCase& sample = GetParam();
    so::ClearLastErrorInfo();
    SOResult code = 0;
    if (sample.asNumber) {
        std::int32_t value = 0;
        code = testing_host::RawCall<UserOptions::GetInt>(options.Get(), sample.group, sample.name, &value);
    } else {
        std::uint8_t value = 0;
        code = testing_host::RawCall<UserOptions::GetBool>(options.Get(), sample.group, sample.name, &value);
    }
    EXPECT_EQ(code, so::kInvalidArgument);
    EXPECT_NE(testing_host::LastErrorMessage().find(sample.message), std::string::npos)
        << testing_host::LastErrorMessage();
}

INSTANTIATE_TEST_SUITE_P(
    Options, UserOptionsRefusal,
    testing::Values(
        RefusalCase{kGroup, L"UsrOptValue_NoSuchOption", false,
                    "There is no user option UsrOptGroup_AccountDependentOptions/UsrOptValue_NoSuchOption"},
        RefusalCase{L"UsrOptGroup_Other", kWarning, false, "There is no user option UsrOptGroup_Other/"},
        RefusalCase{kGroup, kWarning, true,
                    "The user option UsrOptGroup_AccountDependentOptions/UsrOptValue_ResetDefaultWarning "
                    "is not a number"},
        RefusalCase{nullptr, kWarning, false, "An option needs a group and a name"}));

} // namespace
