// The views of a document: the selection read as the panel reads it, the main frame's active
// document, the view and selection events, and the locked state.
#include "headless-host/document/UIDocumentViewObject.h"
#include "service-common/ServiceObjectCpp.h"
#include "tests/headless-host/document/BusinessLogicFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using host::BLProperty;
using testing_host::LastErrorMessage;
using testing_host::RawCall;
using testing_host::SubscribeEvent;
using BusinessLogic = testing_host::SampleDocumentTest;

TEST_F(BusinessLogic, ViewSelectionContextGroupsAndPropertiesAreReachedByTheirNumberedMethods) {
    so::Ref view = BusinessView();
    so::Ref none;
    EXPECT_EQ(so::Call<host::BLDocumentView::GetSelection>(view.Get(), none.Put()), so::kNothingProvided);

    so::Ref context = Context({L"Square 1"});
    const wchar_t* objectName = nullptr;
    so::Call<host::BLPropertiesContext::GetObjectName>(context.Get(), &objectName);
    EXPECT_STREQ(objectName, L"Square");
    std::uint32_t groups = 0;
    so::Call<host::BLPropertiesContext::GetGroupCount>(context.Get(), &groups);
    EXPECT_EQ(groups, 3u);

    so::Ref appearance;
    so::Call<host::BLPropertiesContext::GetGroup>(context.Get(), 1u, appearance.Put());
    std::uint32_t kind = 0;
    std::uint8_t root = 0;
    so::Call<host::BLPropertiesGroup::GetKindFlags>(appearance.Get(), &kind);
    so::Call<host::BLPropertiesGroup::HasFlags>(appearance.Get(), host::GroupKind::kRootGroupFlag, &root);
    EXPECT_EQ(kind, host::GroupKind::kAppearance);
    EXPECT_EQ(root, 1);

    so::Ref style;
    so::Call<host::BLPropertiesGroup::GetSubGroup>(appearance.Get(), 0u, style.Put());
    std::uint32_t properties = 0;
    so::Call<host::BLPropertiesGroup::GetPropertyCount>(style.Get(), &properties);
    EXPECT_EQ(properties, 7u);
    so::Ref opacity;
    so::Call<host::BLPropertiesGroup::GetProperty>(style.Get(), 2u, opacity.Put());
    const wchar_t* name = nullptr;
    std::uint32_t type = 0;
    std::uint8_t hidden = 1;
    std::uint8_t readOnly = 1;
    so::Call<BLProperty::GetName>(opacity.Get(), &name);
    so::Call<BLProperty::GetType>(opacity.Get(), &type);
    so::Call<BLProperty::IsHidden>(opacity.Get(), &hidden);
    so::Call<BLProperty::IsReadOnly>(opacity.Get(), &readOnly);
    EXPECT_STREQ(name, L"Opacity");
    EXPECT_EQ(type, 7u);
    EXPECT_EQ(hidden, 0);
    EXPECT_EQ(readOnly, 0);
    host::NumberValue value = Read<host::NumberValue>(opacity.Get());
    EXPECT_EQ(value, (host::NumberValue{100, 0, 100, 1}));

    so::ClearLastErrorInfo();
    ServiceObject* beyond = nullptr;
    EXPECT_EQ(RawCall<host::BLPropertiesGroup::GetProperty>(style.Get(), 7u, &beyond), so::kInvalidArgument);
    EXPECT_NE(LastErrorMessage().find("There is no property 7 (the group has 7)"), std::string::npos)
        << LastErrorMessage();
}

TEST_F(BusinessLogic, MainFrameGivesTheActiveViewsDocument) {
    so::Ref frame;
    so::Call<host::UIWindowContext::QueryServiceObject>(windowContext.Get(), host::UIMainFrame::kId,
                                                        frame.Put());
    so::Ref document;
    so::Call<host::UIMainFrame::GetActiveDocument>(frame.Get(), document.Put());
    EXPECT_EQ(document, Document());
    const wchar_t* name = nullptr;
    so::Call<host::BLDocument::GetName>(document.Get(), &name);
    EXPECT_STREQ(name, L"Sample form.pdf");
    HWND window = nullptr;
    so::Call<host::UIMainFrame::GetMainFrameWnd>(frame.Get(), &window);
    EXPECT_NE(window, nullptr);

    workspace->Deactivate();
    so::Ref none;
    EXPECT_EQ(so::Call<host::UIMainFrame::GetActiveDocument>(frame.Get(), none.Put()), so::kNothingProvided);
}

TEST_F(BusinessLogic, ViewWithoutDocumentRefusesTheBusinessQuery) {
    so::Ref startPage = so::Ref::Adopt(
        so::ServiceObjectCppTheConcrete<headless::UIDocumentViewObject>::Create(L"Start", so::Ref()));
    so::ClearLastErrorInfo();
    ServiceObject* out = nullptr;
    EXPECT_EQ(
        RawCall<host::UIDocumentView::QueryServiceObject>(startPage.Get(), host::BLDocumentView::kId, &out),
        so::kServiceNotSupportedByProvider);
    EXPECT_NE(LastErrorMessage().find("The view has no service object with the interface id 0x3D9D638F"),
              std::string::npos);
}

TEST_F(BusinessLogic, SelectingRaisesTheViewAndSelectionEventsInOrder) {
    so::Ref view = BusinessView();
    std::vector<std::string> events;
    auto count = [](ServiceObject* selection) {
        std::uint32_t objects = 0;
        if (selection != nullptr)
            so::Call<host::BLSelection::GetObjectCount>(selection, &objects);
        return std::to_string(objects);
    };
    using View = host::BLDocumentView;
    SubscribeEvent<View::Subscribe, View::OnSelectionChanging>(
        view.Get(), [&](const View::SelectionChangingArguments& arguments) {
            events.push_back("changing " + count(arguments.previous) + "->" + count(arguments.next));
            // The observers look for the next selection's own events here.
            if (arguments.next != nullptr)
                SubscribeEvent<host::BLSelection::Subscribe, host::BLSelection::OnDisplayed>(
                    arguments.next,
                    [&](const host::ObjectEventArguments&) { events.push_back("displayed"); });
        });
    SubscribeEvent<View::Subscribe, View::OnSelectionChanged>(
        view.Get(), [&](const View::SelectionArguments& arguments) {
            so::Ref current;
            so::Call<View::GetSelection>(view.Get(), current.Put());
            EXPECT_EQ(current.Get(), arguments.selection) << "the view already holds it";
            events.push_back("changed " + count(arguments.selection));
        });
    workspace->Select({L"Square 1", L"Square 2"});
    workspace->Select({});
    EXPECT_EQ(events, (std::vector<std::string>{"changing 0->2", "changed 2", "displayed", "changing 2->0",
                                                "changed 0"}));
    EXPECT_THROW(workspace->Select({L"No Such Object"}), std::invalid_argument);
}

TEST_F(BusinessLogic, LockedStateChangesReachTheViewOnlyWhenTheyChange) {
    using View = host::BLDocumentView;
    std::vector<std::uint32_t> states;
    SubscribeEvent<View::Subscribe, View::OnLockedStateChanged>(
        BusinessView().Get(),
        [&](const View::StateArguments& arguments) { states.push_back(arguments.state); });
    workspace->SetLockedState(1);
    workspace->SetLockedState(1);
    workspace->SetLockedState(3);
    workspace->SetLockedState(0);
    EXPECT_EQ(states, (std::vector<std::uint32_t>{1, 3, 0}));
    std::uint32_t now = 9;
    so::Call<View::GetLockedState>(BusinessView().Get(), &now);
    EXPECT_EQ(now, 0u);
    EXPECT_THROW(workspace->SetLockedState(4), std::invalid_argument);
}

} // namespace
