// The generator's naming rules, which the page's lookups and the remembered choices rely on, its
// queue of pending tasks, and its name for an object without a context.
#include "ui-document-panel-properties/PropsViewGen.h"

#include <gtest/gtest.h>

#include <string>

namespace panel {
namespace {

TEST(MakePropertyUid, SafeNameThenKeyAsSixteenHexDigits) {
    const std::wstring name = L"Border Color";
    EXPECT_EQ(MakePropertyUid(&name, 0x2a), L"border-color-000000000000002a");
}

TEST(MakePropertyUid, EveryBlankBecomesAHyphenAndLettersAreLowered) {
    const std::wstring name = L"Max  Characters";
    EXPECT_EQ(MakePropertyUid(&name, 0xdeadbeef01234567), L"max--characters-deadbeef01234567");
}

TEST(MakePropertyUid, LikeNamedPropertiesDifferByTheirKey) {
    const std::wstring name = L"Width";
    EXPECT_NE(MakePropertyUid(&name, 1), MakePropertyUid(&name, 2));
}

TEST(MakePropertyUid, NullNameGivesOnlyTheKey) {
    EXPECT_EQ(MakePropertyUid(nullptr, 0xff), L"00000000000000ff");
    const std::wstring empty;
    EXPECT_EQ(MakePropertyUid(&empty, 0xff), L"-00000000000000ff");
}

struct SpecialCase {
    std::uint32_t type;
    std::wstring name;
    bool special;
};

class IsSpecialPropertyCases : public testing::TestWithParam<SpecialCase> {};

TEST_P(IsSpecialPropertyCases, OnlyFlagsNamedLockedOrVisibleInAnyCase) {
    EXPECT_EQ(IsSpecialProperty(GetParam().type, GetParam().name), GetParam().special);
}

INSTANTIATE_TEST_SUITE_P(Names, IsSpecialPropertyCases,
                         testing::Values(SpecialCase{2, L"locked", true}, SpecialCase{2, L"Visible", true},
                                         SpecialCase{2, L"LOCKED", true}, SpecialCase{12, L"locked", false},
                                         SpecialCase{2, L"locked ", false}, SpecialCase{2, L"Lock", false},
                                         SpecialCase{2, L"", false},
                                         SpecialCase{2, std::wstring(20000, L'x'), false}));

TEST(RunPendingTasks, RunsTasksQueuedByRunningTasksInTheSameCall) {
    PropsViewGen generator(so::WeakRef(), nullptr);
    std::wstring order;
    generator.QueuePendingTask([&](const so::Ref&, const std::shared_ptr<PropsHtm>&, ViewQuery&) {
        order += L"a";
        generator.QueuePendingTask(
            [&](const so::Ref&, const std::shared_ptr<PropsHtm>&, ViewQuery&) { order += L"c"; });
    });
    generator.QueuePendingTask(
        [&](const so::Ref&, const std::shared_ptr<PropsHtm>&, ViewQuery&) { order += L"b"; });
    generator.RunPendingTasks(so::Ref(), nullptr, ui::Element());
    EXPECT_EQ(order, L"abc");
    EXPECT_EQ(generator.PendingTaskCount(), 0u);
}

TEST(ClearPendingTasks, DropsTasksWithoutRunningThem) {
    PropsViewGen generator(so::WeakRef(), nullptr);
    bool ran = false;
    generator.QueuePendingTask(
        [&](const so::Ref&, const std::shared_ptr<PropsHtm>&, ViewQuery&) { ran = true; });
    generator.ClearPendingTasks();
    generator.RunPendingTasks(so::Ref(), nullptr, ui::Element());
    EXPECT_FALSE(ran);
}

TEST(PropsViewGen, WithoutContextTheObjectIsCalledObject) {
    PropsViewGen generator(so::WeakRef(), nullptr);
    EXPECT_EQ(generator.GetObjectName(), L"Object");
    ASSERT_NE(generator.SharedData(), nullptr);
}

} // namespace
} // namespace panel
