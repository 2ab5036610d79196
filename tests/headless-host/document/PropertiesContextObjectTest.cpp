// Multi-selections: what differs shows the no-value markers, what two kinds do not share is left
// out, and a write is one step for every object.
#include "tests/headless-host/document/BusinessLogicFixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using host::BLProperty;
using testing_host::LastErrorMessage;
using testing_host::SubscribeEvent;
using BusinessLogic = testing_host::SampleDocumentTest;

TEST_F(BusinessLogic, MultiSelectionShowsNoValueMarkersWhereValuesDiffer) {
    so::Ref context = Context({L"Name Field", L"City Field"});
    const wchar_t* kind = nullptr;
    so::Call<host::BLPropertiesContext::GetObjectName>(context.Get(), &kind);
    EXPECT_STREQ(kind, L"Text Field");

    auto mixed = [&](const std::vector<std::wstring>& path) {
        std::uint8_t isMixed = 9;
        so::Call<BLProperty::IsMixed>(Property(context.Get(), path).Get(), &isMixed);
        return isMixed;
    };
    EXPECT_EQ(Read<host::NumberValue>(Property(context.Get(), {L"Values", L"Value", L"Max Characters"}).Get())
                  .value,
              host::kNoIntegerValue);
    EXPECT_EQ(Read<std::wstring>(Property(context.Get(), {L"Values", L"Value", L"Default Value"}).Get()),
              L"");
    EXPECT_EQ(mixed({L"Values", L"Value", L"Default Value"}), 1);
    EXPECT_EQ(Read<std::shared_ptr<host::FloatListData>>(
                  Property(context.Get(), {L"Appearance", L"Text", L"Font Size"}).Get())
                  ->selected,
              host::kNoListIndex);
    EXPECT_EQ(Read<std::shared_ptr<host::PropFontListData>>(
                  Property(context.Get(), {L"Appearance", L"Text", L"Font"}).Get())
                  ->selected,
              host::kNoListIndex);
    EXPECT_EQ(
        Read<host::ColorValue>(Property(context.Get(), {L"Appearance", L"Border", L"Border Color"}).Get())
            .color,
        0u);
    EXPECT_FALSE(Read<std::shared_ptr<std::wstring>>(
        Property(context.Get(), {L"General", L"Common", L"Tooltip"}).Get()));
    // Equal values stay values.
    EXPECT_EQ(Read<std::wstring>(Property(context.Get(), {L"General", L"Info", L"Author"}).Get()),
              L"Forms team");
    EXPECT_EQ(mixed({L"General", L"Info", L"Author"}), 0);
    EXPECT_EQ(
        Read<host::ColorValue>(Property(context.Get(), {L"Appearance", L"Text", L"Text Color"}).Get()).color,
        0xFF000000u);
}

TEST_F(BusinessLogic, WriteToAMultiSelectionIsOneStepForAllObjects) {
    so::Ref context = Context({L"Name Field", L"City Field"});
    so::Ref maxCharacters = Property(context.Get(), {L"Values", L"Value", L"Max Characters"});
    host::NumberValue record = Read<host::NumberValue>(maxCharacters.Get());
    record.value = 25;
    ASSERT_EQ(Write(maxCharacters.Get(), record), so::kOk) << LastErrorMessage();
    EXPECT_EQ(Stored(L"Name Field", {L"Values", L"Value", L"Max Characters"}), "25");
    EXPECT_EQ(Stored(L"City Field", {L"Values", L"Value", L"Max Characters"}), "25");
    EXPECT_EQ(Read<host::NumberValue>(maxCharacters.Get()).value, 25);
    EXPECT_EQ(UndoCount(), 1u);
    workspace->Undo();
    EXPECT_EQ(Stored(L"Name Field", {L"Values", L"Value", L"Max Characters"}), "0");
    EXPECT_EQ(Stored(L"City Field", {L"Values", L"Value", L"Max Characters"}), "40");
}

TEST_F(BusinessLogic, MultiSelectionOfDifferentKindsKeepsOnlyWhatBothHave) {
    so::Ref context = Context({L"Square 1", L"Line 1"});
    const wchar_t* kind = nullptr;
    so::Call<host::BLPropertiesContext::GetObjectName>(context.Get(), &kind);
    EXPECT_STREQ(kind, L"");
    std::uint32_t groups = 0;
    so::Call<host::BLPropertiesContext::GetGroupCount>(context.Get(), &groups);
    EXPECT_EQ(groups, 2u) << "Appearance and Measurements";
    so::Ref appearance = Group(context.Get(), {L"Appearance"});
    std::uint32_t subGroups = 9;
    so::Call<host::BLPropertiesGroup::GetSubGroupCount>(appearance.Get(), &subGroups);
    EXPECT_EQ(subGroups, 0u) << "Style and Line differ";
    std::uint8_t supported = 1;
    so::Call<host::BLPropertiesContext::IsDefaultSupported>(context.Get(), &supported);
    EXPECT_EQ(supported, 0);
}

TEST_F(BusinessLogic, AMultiSelectionWriteTellsEveryObjectsPropertyOnce) {
    so::Ref name = Property(Context({L"Name Field"}).Get(), {L"Values", L"Value", L"Default Value"});
    so::Ref city = Property(Context({L"City Field"}).Get(), {L"Values", L"Value", L"Default Value"});
    int nameHeard = 0;
    int cityHeard = 0;
    SubscribeEvent<BLProperty::Subscribe, BLProperty::OnChange>(
        name.Get(), [&](const host::ObjectEventArguments&) { ++nameHeard; });
    SubscribeEvent<BLProperty::Subscribe, BLProperty::OnChange>(
        city.Get(), [&](const host::ObjectEventArguments&) { ++cityHeard; });
    so::Ref both = Context({L"Name Field", L"City Field"});
    ASSERT_EQ(
        Write(Property(both.Get(), {L"Values", L"Value", L"Default Value"}).Get(), std::wstring(L"Paris")),
        so::kOk);
    EXPECT_EQ(nameHeard, 1);
    EXPECT_EQ(cityHeard, 1);
}

} // namespace
