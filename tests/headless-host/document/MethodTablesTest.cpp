// The business-logic objects' method tables as the panel module calls them: interface id, name and
// size of every table, the end marker after it, and what a slot between numbered methods answers.
#include "service-common/ServiceObjectCpp.h"
#include "tests/headless-host/document/BusinessLogicFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using testing_host::LastErrorMessage;
using BusinessLogic = testing_host::SampleDocumentTest;
using Fixture = BusinessLogic;

struct TableCase {
    const char* name;
    std::uint32_t interfaceId;
    std::uint32_t slots;
    // Gives the object from a host with the sample open and "Square 1" selected.
    std::function<so::Ref(Fixture&, ServiceObject* context)> make;
};

class BusinessLogicTables : public Fixture, public testing::WithParamInterface<TableCase> {
public:
    so::Ref MakeFor(const TableCase& sample) {
        so::Ref context = Context({L"Square 1"});
        return sample.make(*this, context.Get());
    }
    so::Ref Group(ServiceObject* context) { return Fixture::Group(context, {L"General"}); }
    so::Ref AnyProperty(ServiceObject* context) {
        return Property(context, {L"General", L"Common", L"Author"});
    }
};

TEST_P(BusinessLogicTables, InterfaceIdNameAndTableSize) {
    const TableCase& sample = GetParam();
    so::Ref object = MakeFor(sample);
    ASSERT_TRUE(object);
    EXPECT_EQ(object.Get()->header.interfaceId, sample.interfaceId);
    EXPECT_STREQ(object.Get()->header.interfaceName, sample.name);
    EXPECT_EQ(object.Get()->header.tableSize, sample.slots * 8u);
    // The characters "EOFT" follow the table.
    auto* end = reinterpret_cast<const std::uint32_t*>(so::MethodSlots(object.Get()) + sample.slots);
    EXPECT_EQ(*end, so::kEndOfTableMarker);
}

so::Ref Out(std::function<void(ServiceObject**)> get) {
    so::Ref object;
    get(object.Put());
    return object;
}

INSTANTIATE_TEST_SUITE_P(
    Objects, BusinessLogicTables,
    testing::Values(
        TableCase{"BLDocument", host::BLDocument::kId, 37,
                  [](Fixture& f, ServiceObject*) { return f.Document(); }},
        TableCase{"BLDocumentView", 0x3D9D638F, 107,
                  [](Fixture& f, ServiceObject*) { return f.BusinessView(); }},
        TableCase{"BLSelection", host::BLSelection::kId, 17,
                  [](Fixture& f, ServiceObject*) {
                      return Out([&f](ServiceObject** out) {
                          so::Call<host::BLDocumentView::GetSelection>(f.BusinessView().Get(), out);
                      });
                  }},
        TableCase{"BLPropertiesContext", host::BLPropertiesContext::kId, 15,
                  [](Fixture&, ServiceObject* context) { return so::Ref::Share(context); }},
        TableCase{"BLPropertiesGroup", host::BLPropertiesGroup::kId, 11,
                  [](Fixture& f, ServiceObject* context) {
                      return static_cast<BusinessLogicTables&>(f).Group(context);
                  }},
        TableCase{"BLProperty", host::BLProperty::kId, 12,
                  [](Fixture& f, ServiceObject* context) {
                      return static_cast<BusinessLogicTables&>(f).AnyProperty(context);
                  }},
        TableCase{"BLPropertiesContextDefault", host::BLPropertiesContextDefault::kId, 7,
                  [](Fixture&, ServiceObject* context) {
                      return Out([context](ServiceObject** out) {
                          so::Call<host::BLPropertiesContext::GetDefaultContext>(context, out);
                      });
                  }},
        TableCase{"ExecuteNotification", host::ExecuteNotification::kId, 2,
                  [](Fixture& f, ServiceObject*) {
                      return Out([&f](ServiceObject** out) {
                          so::Call<host::BLDocument::GetExecuteNotification>(f.Document().Get(), out);
                      });
                  }},
        TableCase{"ProgressNotification", host::ProgressNotification::kId, 2,
                  [](Fixture& f, ServiceObject*) {
                      return Out([&f](ServiceObject** out) {
                          so::Call<host::BLDocument::GetProgressNotification>(f.Document().Get(), out);
                      });
                  }},
        TableCase{"UIDocumentView", host::UIDocumentView::kId, 15,
                  [](Fixture& f, ServiceObject*) { return f.workspace->Document(0).view; }},
        TableCase{"UIMainFrame", host::UIMainFrame::kId, 5,
                  [](Fixture& f, ServiceObject*) { return so::Ref::Share(f.workspace->MainFrame()); }},
        TableCase{"UIMessageBox", host::UIMessageBox::kId, 1,
                  [](Fixture& f, ServiceObject*) { return so::Ref::Share(f.workspace->MessageBox()); }},
        TableCase{"UserOptions", host::UserOptions::kId, 7,
                  [](Fixture& f, ServiceObject*) { return so::Ref::Share(f.workspace->UserOptions()); }}),
    [](const testing::TestParamInfo<TableCase>& info) { return std::string(info.param.name); });

TEST_F(BusinessLogic, SlotsBetweenNumberedMethodsAnswerNotProvidedWithoutErrorRecord) {
    so::Ref view = BusinessView();
    so::ClearLastErrorInfo();
    auto gap = reinterpret_cast<SOResult (*)(ServiceObject*)>(so::MethodSlots(view.Get())[50]);
    EXPECT_EQ(gap(view.Get()), so::kNothingProvided);
    EXPECT_EQ(LastErrorMessage(), "");
}

} // namespace
