// Default settings: compared per group, stored and restored with every context of the kind told,
// and refused when asked wrongly.
#include "tests/headless-host/document/BusinessLogicFixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

using testing_host::kStyle;
using testing_host::LastErrorMessage;
using testing_host::Path;
using testing_host::RawCall;
using testing_host::SubscribeEvent;
using Fixture = testing_host::SampleDocumentTest;

class BusinessLogicDefaults : public Fixture {
protected:
    so::Ref DefaultsOf(const std::wstring& object) {
        context = Context({object});
        so::Ref defaults;
        so::Call<host::BLPropertiesContext::GetDefaultContext>(context.Get(), defaults.Put());
        return defaults;
    }
    std::uint8_t Equal(ServiceObject* defaults, const std::wstring& group) {
        std::uint8_t equal = 9;
        so::Call<host::BLPropertiesContextDefault::IsCurrentEqualToDefaults>(
            defaults, Group(context.Get(), {group}).Get(), &equal);
        return equal;
    }
    std::uint8_t Original(ServiceObject* defaults) {
        std::uint8_t original = 9;
        so::Call<host::BLPropertiesContextDefault::AreDefaultsOriginal>(defaults, nullptr, &original);
        return original;
    }
    so::Ref context;
};

TEST_F(BusinessLogicDefaults, ObjectWithoutDefaultSettingsGivesNoDefaultContext) {
    so::Ref line = Context({L"Line 1"});
    std::uint8_t supported = 1;
    so::Call<host::BLPropertiesContext::IsDefaultSupported>(line.Get(), &supported);
    EXPECT_EQ(supported, 0);
    so::Ref none;
    EXPECT_EQ(so::Call<host::BLPropertiesContext::GetDefaultContext>(line.Get(), none.Put()),
              so::kNothingProvided);
    EXPECT_FALSE(none);
}

TEST_F(BusinessLogicDefaults, CurrentValuesAreComparedWithTheDefaultsOfTheGroupOnly) {
    so::Ref first = DefaultsOf(L"Square 1");
    EXPECT_EQ(Equal(first.Get(), L"Appearance"), 1);
    so::Ref second = DefaultsOf(L"Square 2");
    EXPECT_EQ(Equal(second.Get(), L"Appearance"), 0) << "blue border, 60% opacity, dashed";
    EXPECT_EQ(Equal(second.Get(), L"General"), 1) << "no defaults there";
    const wchar_t* kind = nullptr;
    so::Call<host::BLPropertiesContextDefault::GetKindName>(second.Get(), &kind);
    EXPECT_STREQ(kind, L"Square");
}

TEST_F(BusinessLogicDefaults, StoringAndRestoringNotifyEveryContextOfTheKind) {
    so::Ref firstDefaults = DefaultsOf(L"Square 1");
    so::Ref firstContext = context; // kept alive past the next selection
    int heardByFirst = 0;
    SubscribeEvent<host::BLPropertiesContextDefault::Subscribe,
                   host::BLPropertiesContextDefault::OptsChanged>(
        firstDefaults.Get(), [&](const host::ObjectEventArguments&) { ++heardByFirst; });

    so::Ref secondDefaults = DefaultsOf(L"Square 2");
    ASSERT_EQ(so::Call<host::BLPropertiesContextDefault::StoreCurrentAsDefaults>(secondDefaults.Get()),
              so::kOk);
    EXPECT_EQ(heardByFirst, 1);
    EXPECT_EQ(Equal(secondDefaults.Get(), L"Appearance"), 1);
    EXPECT_EQ(Original(secondDefaults.Get()), 0);

    ASSERT_EQ(so::Call<host::BLPropertiesContextDefault::RestoreOriginalDefaults>(
                  secondDefaults.Get(), host::BLPropertiesContextDefault::kRestoreAndApply),
              so::kOk);
    EXPECT_EQ(heardByFirst, 2);
    EXPECT_EQ(Original(secondDefaults.Get()), 1);
    EXPECT_EQ(Equal(secondDefaults.Get(), L"Appearance"), 1);
    EXPECT_EQ(Stored(L"Square 2", Path(kStyle, L"Border Color")), "\"#FF0000\"");
    EXPECT_EQ(Stored(L"Square 2", Path(kStyle, L"Line Style")), "\"solid-line\"");

    // The restored values are one step; the stored defaults are not part of the document's history.
    EXPECT_EQ(UndoCount(), 1u);
    workspace->Undo();
    EXPECT_EQ(Stored(L"Square 2", Path(kStyle, L"Border Color")), "\"#0000FF\"");
    EXPECT_EQ(Original(secondDefaults.Get()), 1);
}

TEST_F(BusinessLogicDefaults, UnknownRestoreModeAndForeignGroupsAreRefused) {
    so::Ref defaults = DefaultsOf(L"Square 1");
    so::ClearLastErrorInfo();
    EXPECT_EQ(RawCall<host::BLPropertiesContextDefault::RestoreOriginalDefaults>(defaults.Get(), 2u),
              so::kInvalidArgument);
    EXPECT_NE(LastErrorMessage().find("Unknown restore mode 2"), std::string::npos);
    std::uint8_t equal = 0;
    EXPECT_EQ(RawCall<host::BLPropertiesContextDefault::IsCurrentEqualToDefaults>(defaults.Get(),
                                                                                  defaults.Get(), &equal),
              so::kInvalidArgument);
    EXPECT_NE(LastErrorMessage().find("The group is not a properties group of this host"), std::string::npos);
}

} // namespace
