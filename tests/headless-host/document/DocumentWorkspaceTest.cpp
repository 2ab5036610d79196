// The workspace: removing a property or an object while it is shown, and the dumps that scenarios
// compare.
#include "tests/headless-host/document/BusinessLogicFixture.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using host::BLProperty;
using testing_host::LastErrorMessage;
using testing_host::RawCall;
using testing_host::SubscribeEvent;
using BusinessLogic = testing_host::SampleDocumentTest;

TEST_F(BusinessLogic, ARemovedPropertyFailsItsHoldersAndLeavesWhatIsMadeAfterwards) {
    const std::vector<std::wstring> author{L"General", L"Info", L"Author"};
    so::Ref context = Context({L"Name Field"});
    so::Ref held = Property(context.Get(), author);
    auto authorsDumped = [this] {
        std::string dump = workspace->DumpValues(0);
        std::size_t count = 0;
        for (std::size_t at = dump.find("Info/Author = "); at != std::string::npos;
             at = dump.find("Info/Author = ", at + 1))
            ++count;
        return count;
    };
    const std::size_t authorsBefore = authorsDumped();
    int contextHeard = 0;
    SubscribeEvent<host::BLPropertiesContext::Subscribe, host::BLPropertiesContext::OnChanged>(
        context.Get(), [&](const host::ObjectEventArguments&) { ++contextHeard; });

    workspace->RemoveProperty(0, L"Name Field", author);
    EXPECT_EQ(contextHeard, 1);
    so::ClearLastErrorInfo();
    std::wstring text;
    EXPECT_EQ(RawCall<BLProperty::GetValue>(held.Get(), host::kValueKindOf<std::wstring>,
                                            static_cast<void*>(&text)),
              so::kGenericFailure);
    EXPECT_NE(LastErrorMessage().find("The property \"Author\" was removed from the document"),
              std::string::npos)
        << LastErrorMessage();
    EXPECT_EQ(Write(held.Get(), std::wstring(L"Kim")), so::kGenericFailure);
    EXPECT_EQ(UndoCount(), 0u);

    // The selection hands out a context without it; the neighbours stay.
    so::Ref selection;
    so::Call<host::BLDocumentView::GetSelection>(BusinessView().Get(), selection.Put());
    so::Ref fresh;
    so::Call<host::BLSelection::GetPropertiesContext>(selection.Get(), fresh.Put());
    EXPECT_NE(fresh.Get(), context.Get());
    EXPECT_FALSE(Property(fresh.Get(), author));
    EXPECT_TRUE(Property(fresh.Get(), {L"General", L"Info", L"Created"}));
    EXPECT_THROW(Stored(L"Name Field", author), std::invalid_argument);
    EXPECT_EQ(authorsDumped(), authorsBefore - 1);
}

TEST_F(BusinessLogic, ARemovedObjectLeavesTheSelectionWithTheRest) {
    std::vector<std::string> heard;
    SubscribeEvent<host::BLDocumentView::Subscribe, host::BLDocumentView::OnSelectionChanged>(
        BusinessView().Get(), [&](const auto&) { heard.push_back("selection"); });
    so::Ref both = Context({L"Name Field", L"City Field"});
    heard.clear();
    workspace->RemoveObject(0, L"City Field");
    EXPECT_EQ(heard, std::vector<std::string>{"selection"});
    so::Ref selection;
    so::Call<host::BLDocumentView::GetSelection>(BusinessView().Get(), selection.Put());
    std::uint32_t count = 0;
    so::Call<host::BLSelection::GetObjectCount>(selection.Get(), &count);
    EXPECT_EQ(count, 1u);
    EXPECT_THROW(workspace->Select({L"City Field"}), std::invalid_argument);
    EXPECT_EQ(workspace->DumpValues(0).find("City Field"), std::string::npos);
    // An object outside the selection goes quietly.
    heard.clear();
    workspace->RemoveObject(0, L"Square 2");
    EXPECT_TRUE(heard.empty());
}

TEST_F(BusinessLogic, SelectionDumpMarksMixedReadOnlyAndHiddenProperties) {
    workspace->Select({L"Name Field", L"City Field"});
    std::string dump = workspace->DumpSelection();
    EXPECT_NE(dump.find("General/Common/Tooltip = null [mixed]\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("General/Common/Internal Id = \"\" [mixed] [hidden]\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("General/Info/Created = \"2024-03-05T09:30:00\" [read-only]\n"), std::string::npos)
        << dump;
    EXPECT_NE(dump.find("Appearance/Text/Font Size = null [mixed]\n"), std::string::npos) << dump;
    workspace->Select({});
    EXPECT_EQ(workspace->DumpSelection(), "");
}

TEST_F(BusinessLogic, DocumentDumpListsEveryObjectAndProperty) {
    std::string dump = workspace->DumpValues(0);
    EXPECT_EQ(dump.rfind("Name Field (Text Field)\n  General/Common/Name = \"customer.name\"\n", 0), 0u)
        << dump;
    EXPECT_NE(dump.find("Note 1 (Sticky Note)\n  Comment/Text = \"Check the <b>totals</b> again.\"\n"),
              std::string::npos);
    EXPECT_NE(dump.find("  Format/Paragraph/Layout Data = null\n"), std::string::npos);
}

} // namespace
