// The business-logic objects through their binary interface, as the panel module calls them: method
// positions and table sizes, the sample's groups and properties, writes that are read back and
// undone, writes that are refused with their error records, merged multi-selections, events, the
// command stack with commands of another module, and default settings.
#include "headless-host/document/DocumentFile.h"
#include "headless-host/document/DocumentViewObject.h"
#include "headless-host/document/PropertyObject.h"
#include "headless-host/document/UIDocumentViewObject.h"
#include "headless-host/services/HostEventSource.h"
#include "host/UIInplacePlugin.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceQuery.h"
#include "tests/headless-host/document/BusinessLogicFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

using host::BLProperty;
using testing_host::RawCall;
using testing_host::SubscribeEvent;
using BusinessLogic = testing_host::SampleDocumentTest;
using Fixture = BusinessLogic;

std::string LastError() {
    return testing_host::LastErrorMessage();
}

// ---------------------------------------------------------------------------------------------
// Method tables

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
    EXPECT_EQ(LastError(), "");
}

// ---------------------------------------------------------------------------------------------
// Reading the selection as the panel does

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
    EXPECT_NE(LastError().find("There is no property 7 (the group has 7)"), std::string::npos) << LastError();
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
    EXPECT_NE(LastError().find("The view has no service object with the interface id 0x3D9D638F"),
              std::string::npos);
}

// ---------------------------------------------------------------------------------------------
// Writes that are accepted

struct WriteCase {
    const char* label;
    std::wstring object;
    std::vector<std::wstring> path;
    std::function<void(Fixture&, ServiceObject*)> write;
    std::string before;
    std::string after;
};

class BusinessLogicWrites : public Fixture, public testing::WithParamInterface<WriteCase> {};

// The write is read back from the document, makes one undoable step and raises OnChange once;
// undo restores the value (raising OnChange again) and redo brings the write back.
TEST_P(BusinessLogicWrites, IsReadBackUndoneAndRedone) {
    const WriteCase& sample = GetParam();
    so::Ref property = Property(sample.object, sample.path);
    ASSERT_TRUE(property);
    int changes = 0;
    SubscribeEvent<BLProperty::Subscribe, BLProperty::OnChange>(
        property.Get(), [&](const host::ObjectEventArguments& arguments) {
            EXPECT_EQ(arguments.object, property.Get());
            ++changes;
        });
    ASSERT_EQ(Stored(sample.object, sample.path), sample.before);
    sample.write(*this, property.Get());
    EXPECT_EQ(Stored(sample.object, sample.path), sample.after);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(UndoCount(), 1u);

    EXPECT_EQ(workspace->Undo(), so::kOk);
    EXPECT_EQ(Stored(sample.object, sample.path), sample.before);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(workspace->Redo(), so::kOk);
    EXPECT_EQ(Stored(sample.object, sample.path), sample.after);
    EXPECT_EQ(RedoCount(), 0u);
}

template <class Record, class Change>
std::function<void(Fixture&, ServiceObject*)> ReadChangeWrite(Change change) {
    return [change](Fixture& fixture, ServiceObject* property) {
        Record record = fixture.Read<Record>(property);
        change(record);
        ASSERT_EQ(fixture.Write(property, record), so::kOk) << LastError();
    };
}

template <class Data>
std::function<void(Fixture&, ServiceObject*)> Choose(std::uint64_t index) {
    return ReadChangeWrite<std::shared_ptr<Data>>(
        [index](std::shared_ptr<Data>& list) { list->selected = index; });
}

const std::vector<std::wstring> kStyle = {L"Appearance", L"Style"};
std::vector<std::wstring> Path(std::vector<std::wstring> groups, std::wstring name) {
    groups.push_back(std::move(name));
    return groups;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, BusinessLogicWrites,
    testing::Values(
        WriteCase{"Number", L"Square 1", Path(kStyle, L"Opacity"),
                  ReadChangeWrite<host::NumberValue>([](auto& v) { v.value = 42; }), "100", "42"},
        WriteCase{"NumberSlider", L"Square 1", Path(kStyle, L"Fill Opacity"),
                  ReadChangeWrite<host::NumberValue>([](auto& v) { v.value = 75; }), "50", "75"},
        WriteCase{"Float", L"Square 1", Path(kStyle, L"Rotate"),
                  ReadChangeWrite<float>([](float& v) { v = 0.75f; }), "0.0", "0.75"},
        WriteCase{"FloatInline",
                  L"Square 1",
                  {L"Measurements", L"Size", L"Width"},
                  ReadChangeWrite<host::FloatInlineValue>([](auto& v) { v.value = 200.5f; }),
                  "144.0",
                  "200.5"},
        WriteCase{"FloatListNewValue",
                  L"Name Field",
                  {L"Appearance", L"Text", L"Font Size"},
                  ReadChangeWrite<std::shared_ptr<host::FloatListData>>([](auto& v) {
                      v->values.push_back(11.0f);
                      v->selected = v->values.size() - 1;
                  }),
                  "10.0",
                  "11.0"},
        WriteCase{"Color", L"Square 1", Path(kStyle, L"Border Color"),
                  ReadChangeWrite<host::ColorValue>([](auto& v) { v.color = 0xFF00FF00; }), "\"#FF0000\"",
                  "\"#00FF00\""},
        WriteCase{"NoColor",
                  L"City Field",
                  {L"Appearance", L"Border", L"Fill Color"},
                  ReadChangeWrite<host::ColorValue>([](auto& v) { v.color = 0; }),
                  "\"#FFF2CC\"",
                  "null"},
        WriteCase{"DateTime",
                  L"Square 1",
                  {L"General", L"Common", L"Review Date"},
                  ReadChangeWrite<host::DateTimeValue>([](auto& v) { v.dayOfMonth = 29, v.month = 1; }),
                  "\"2024-07-01T12:00:00\"",
                  "\"2024-02-29T12:00:00\""},
        WriteCase{"String",
                  L"Square 1",
                  {L"General", L"Common", L"Author"},
                  ReadChangeWrite<std::wstring>([](auto& v) { v = L"Chloé"; }),
                  "\"Anna\"",
                  "\"Chloé\""},
        WriteCase{"MultilineToNoValue",
                  L"Name Field",
                  {L"General", L"Common", L"Tooltip"},
                  ReadChangeWrite<std::shared_ptr<std::wstring>>([](auto& v) { v.reset(); }),
                  "\"The customer's full name\"",
                  "null"},
        WriteCase{"Bool",
                  L"Square 1",
                  {L"General", L"Common", L"Locked"},
                  ReadChangeWrite<bool>([](bool& v) { v = !v; }),
                  "false",
                  "true"},
        WriteCase{"RadioGroup",
                  L"Link 1",
                  {L"General", L"Link", L"Highlight"},
                  Choose<host::PropStringListData>(3),
                  "\"Invert\"",
                  "\"Push\""},
        WriteCase{"StringList",
                  L"Name Field",
                  {L"Format", L"Number Format", L"Format Category"},
                  Choose<host::PropStringListData>(2),
                  "\"None\"",
                  "\"Percentage\""},
        WriteCase{"EditStringList",
                  L"Check Box 1",
                  {L"Values", L"Export", L"Export Values"},
                  ReadChangeWrite<std::shared_ptr<host::PropStringListData>>([](auto& v) {
                      v->items = {L"On", L"Off", L"Maybe"};
                  }),
                  "[\"Yes\",\"Off\"]",
                  "[\"On\",\"Off\",\"Maybe\"]"},
        WriteCase{"BorderStyle",
                  L"Name Field",
                  {L"Appearance", L"Border", L"Border Style"},
                  Choose<host::BorderStyleDropDownData>(4),
                  "\"Solid\"",
                  "\"Underline\""},
        WriteCase{"LineBorderStyle", L"Square 1", Path(kStyle, L"Line Style"),
                  Choose<host::LineBorderStyleDropDownData>(7), "\"solid-line\"", "\"cloud-line\""},
        WriteCase{"LineWidth", L"Square 1", Path(kStyle, L"Border Width"),
                  Choose<host::LineWidthDropDownData>(0), "\"line-width-custom\"", "\"line-width-hairline\""},
        WriteCase{"ArrowStart",
                  L"Line 1",
                  {L"Appearance", L"Line", L"Arrow Start"},
                  Choose<host::LineArrowStartDropDownData>(6),
                  "\"None\"",
                  "\"Diamond\""},
        WriteCase{"ArrowEnd",
                  L"Line 1",
                  {L"Appearance", L"Line", L"Arrow End"},
                  Choose<host::LineArrowEndDropDownData>(0),
                  "\"ClosedArrow\"",
                  "\"None\""},
        WriteCase{"Bullets",
                  L"Text Block 1",
                  {L"Format", L"Paragraph", L"Bullets"},
                  Choose<host::ParagraphBulletsStyleData>(6),
                  "\"list-style-bullet-type1\"",
                  "\"list-style-bullet-type6\""},
        WriteCase{"FontStyle",
                  L"Name Field",
                  {L"Appearance", L"Text", L"Font Style"},
                  Choose<host::PropFontStyleListData>(3),
                  "\"Regular\"",
                  "\"Bold Italic\""},
        WriteCase{"Font",
                  L"Name Field",
                  {L"Appearance", L"Text", L"Font"},
                  Choose<host::PropFontListData>(3),
                  "\"Helvetica\"",
                  "\"Symbol Glyphs\""},
        WriteCase{
            "CheckRadioCaption",
            L"Check Box 1",
            {L"Appearance", L"Check", L"Check Style"},
            ReadChangeWrite<std::shared_ptr<host::CheckRadioCaptionData>>([](auto& v) { v->caption = L"l"; }),
            "\"4\"",
            "\"l\""},
        WriteCase{"StringPairs",
                  L"Check Box 1",
                  {L"Values", L"Export", L"Items"},
                  ReadChangeWrite<host::PropStringPairListData>([](auto& v) { v.pairs.pop_back(); }),
                  "[[\"Yes\",\"1\"],[\"<No>\",\"0\"]]",
                  "[[\"Yes\",\"1\"]]"},
        WriteCase{"ActionButton",
                  L"Link 1",
                  {L"General", L"Link", L"Open Link"},
                  ReadChangeWrite<host::ActionButtonData>([](auto& v) { v.action = L"OpenWebLink"; }),
                  "\"OpenLinkTarget\"",
                  "\"OpenWebLink\""},
        WriteCase{"PDAction",
                  L"Link 1",
                  {L"Events", L"Actions", L"Action"},
                  ReadChangeWrite<host::PDActionDialogPropData>([](auto& v) {
                      static int action = 0;
                      v.action = &action;
                  }),
                  "null",
                  "\"<action>\""},
        WriteCase{
            "JavaScript",
            L"Name Field",
            {L"Calculations", L"Calculate", L"Simplified Notation"},
            ReadChangeWrite<host::JavaScriptActionDialogPropData>([](auto& v) { v.text = L"price * 2"; }),
            "\"price * quantity\"",
            "\"price * 2\""}),
    [](const testing::TestParamInfo<WriteCase>& info) { return std::string(info.param.label); });

TEST_F(BusinessLogic, FloatListChoosesAnExistingPresetInsteadOfAddingIt) {
    so::Ref size = Property(L"Name Field", {L"Appearance", L"Text", L"Font Size"});
    auto list = Read<std::shared_ptr<host::FloatListData>>(size.Get());
    ASSERT_EQ(list->values.size(), 8u);
    list->values.push_back(14.0f); // as an editor that did not see the preset would
    list->selected = 8;
    ASSERT_EQ(Write(size.Get(), list), so::kOk);
    auto after = Read<std::shared_ptr<host::FloatListData>>(size.Get());
    EXPECT_EQ(after->values.size(), 8u);
    EXPECT_EQ(after->selected, 5u);
}

TEST_F(BusinessLogic, AcceptedWriteOfTheSameValueRaisesOnChangeButLeavesNoStep) {
    so::Ref locked = Property(L"Square 1", {L"General", L"Common", L"Locked"});
    int changes = 0;
    SubscribeEvent<BLProperty::Subscribe, BLProperty::OnChange>(
        locked.Get(), [&](const host::ObjectEventArguments&) { ++changes; });
    ASSERT_EQ(Write(locked.Get(), false), so::kOk);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(UndoCount(), 0u);
    EXPECT_EQ(workspace->Undo(), so::kNothingProvided);
}

TEST_F(BusinessLogic, PendingValueNoticeIsKeptButChangesNothing) {
    so::Ref opacity = Property(L"Square 1", Path(kStyle, L"Opacity"));
    host::NumberValue pending{500, 0, 100, 1};
    ASSERT_EQ(RawCall<BLProperty::NoticePendingValue>(opacity.Get(), host::kValueKindOf<host::NumberValue>,
                                                      static_cast<const void*>(&pending)),
              so::kOk);
    auto& object = so::ServiceObjectCppTheConcrete<headless::PropertyObject>::From(opacity.Get());
    ASSERT_TRUE(object.PendingValue().has_value());
    EXPECT_EQ(std::get<host::NumberValue>(*object.PendingValue()).value, 500);
    EXPECT_EQ(Stored(L"Square 1", Path(kStyle, L"Opacity")), "100");
    so::Call<BLProperty::NoticePendingValue>(opacity.Get(), host::kValueKindOf<host::NumberValue>, nullptr);
    EXPECT_FALSE(object.PendingValue().has_value());
}

// ---------------------------------------------------------------------------------------------
// Writes that are refused

struct RefusalCase {
    const char* label;
    std::wstring object;
    std::vector<std::wstring> path;
    std::function<SOResult(Fixture&, ServiceObject*)> write;
    SOResult code;
    const char* message;
};

class BusinessLogicRefusals : public Fixture, public testing::WithParamInterface<RefusalCase> {};

TEST_P(BusinessLogicRefusals, LeaveTheValueTheStackAndTheSubscribersAlone) {
    const RefusalCase& sample = GetParam();
    so::Ref property = Property(sample.object, sample.path);
    ASSERT_TRUE(property);
    std::string before = Stored(sample.object, sample.path);
    int changes = 0;
    SubscribeEvent<BLProperty::Subscribe, BLProperty::OnChange>(
        property.Get(), [&](const host::ObjectEventArguments&) { ++changes; });
    so::ClearLastErrorInfo();
    EXPECT_EQ(sample.write(*this, property.Get()), sample.code);
    EXPECT_NE(LastError().find(sample.message), std::string::npos) << LastError();
    EXPECT_NE(LastError().find("BLProperty::SetValue() failed"), std::string::npos) << LastError();
    EXPECT_EQ(Stored(sample.object, sample.path), before);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(UndoCount(), 0u);
}

template <class Record, class Change>
std::function<SOResult(Fixture&, ServiceObject*)> TryWrite(Change change) {
    return [change](Fixture& fixture, ServiceObject* property) {
        Record record = fixture.Read<Record>(property);
        change(record);
        return fixture.Write(property, record);
    };
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, BusinessLogicRefusals,
    testing::Values(
        RefusalCase{"AboveTheMaximum", L"Square 1", Path(kStyle, L"Opacity"),
                    TryWrite<host::NumberValue>([](auto& v) { v.value = 500; }), so::kInvalidArgument,
                    "The property \"Opacity\" refuses the value: 500 is outside the limits 0..100"},
        RefusalCase{"LimitsInTheRecordAreNotTheHosts", L"Square 1", Path(kStyle, L"Opacity"),
                    TryWrite<host::NumberValue>([](auto& v) { v.value = 150, v.max = 200; }),
                    so::kInvalidArgument, "150 is outside the limits 0..100"},
        RefusalCase{"NoValueMarker", L"Square 1", Path(kStyle, L"Opacity"),
                    TryWrite<host::NumberValue>([](auto& v) { v.value = host::kNoIntegerValue; }),
                    so::kInvalidArgument, "the record holds no value"},
        RefusalCase{"RecordOfAnotherKind", L"Square 1", Path(kStyle, L"Opacity"),
                    [](Fixture& f, ServiceObject* p) { return f.Write(p, std::wstring(L"42")); },
                    so::kInvalidArgument,
                    "The property \"Opacity\" (type 7) takes records of value kind 6, not 9"},
        RefusalCase{"ReadOnly",
                    L"Square 1",
                    {L"General", L"Common", L"Modified"},
                    TryWrite<host::DateTimeValue>([](auto& v) { v.hours = 1; }),
                    host::kPropertyReadOnly,
                    "The property \"Modified\" is read-only"},
        RefusalCase{"NoColourWhereNoneIsOffered", L"Square 1", Path(kStyle, L"Border Color"),
                    TryWrite<host::ColorValue>([](auto& v) { v.color = 0; }), so::kInvalidArgument,
                    "it does not accept \"no colour\""},
        RefusalCase{"NaN", L"Square 1", Path(kStyle, L"Rotate"),
                    TryWrite<float>([](float& v) { v = host::kNoFloatValue; }), so::kInvalidArgument,
                    "it is not a finite number"},
        RefusalCase{"FloatOutsideLimits",
                    L"Square 1",
                    {L"Measurements", L"Size", L"Width"},
                    TryWrite<host::FloatInlineValue>([](auto& v) { v.value = -1; }),
                    so::kInvalidArgument,
                    "-1 is outside the limits 0..5000"},
        RefusalCase{"ImpossibleDate",
                    L"Square 1",
                    {L"General", L"Common", L"Review Date"},
                    TryWrite<host::DateTimeValue>([](auto& v) { v.month = 1, v.dayOfMonth = 30; }),
                    so::kInvalidArgument,
                    "it is not a real date and time (in the years -32767 to 32767)"},
        RefusalCase{"DisabledEntry",
                    L"Line 1",
                    {L"Appearance", L"Line", L"Line Width"},
                    TryWrite<std::shared_ptr<host::LineWidthDropDownData>>([](auto& v) { v->selected = 0; }),
                    so::kInvalidArgument,
                    "entry 0 (\"line-width-hairline\") is disabled"},
        RefusalCase{
            "EntryBeyondTheList", L"Square 1", Path(kStyle, L"Line Style"),
            TryWrite<std::shared_ptr<host::LineBorderStyleDropDownData>>([](auto& v) { v->selected = 99; }),
            so::kInvalidArgument, "entry 99 does not exist (the list has 8)"},
        RefusalCase{"NoEntryChosen",
                    L"Name Field",
                    {L"Format", L"Number Format", L"Format Category"},
                    TryWrite<std::shared_ptr<host::PropStringListData>>([](auto& v) {
                        v->selected = host::kNoListIndex;
                    }),
                    so::kInvalidArgument,
                    "no entry is chosen"},
        RefusalCase{"NullSharedRecord",
                    L"Name Field",
                    {L"Appearance", L"Text", L"Font"},
                    [](Fixture& f, ServiceObject* p) {
                        return f.Write(p, std::shared_ptr<host::PropFontListData>());
                    },
                    so::kInvalidArgument,
                    "the record holds no data"},
        RefusalCase{"NegativeSizeInPositiveList",
                    L"Name Field",
                    {L"Appearance", L"Text", L"Font Size"},
                    TryWrite<std::shared_ptr<host::FloatListData>>([](auto& v) {
                        v->values.push_back(-4.0f);
                        v->selected = v->values.size() - 1;
                    }),
                    so::kInvalidArgument,
                    "-4 is negative"},
        RefusalCase{"UnknownScriptDialog",
                    L"Name Field",
                    {L"Calculations", L"Calculate", L"Calculated From"},
                    TryWrite<host::JavaScriptActionDialogPropData>([](auto& v) { v.dialogKind = 7; }),
                    so::kInvalidArgument,
                    "dialog kind 7 does not exist"},
        RefusalCase{"LockedDocument", L"Square 1", Path(kStyle, L"Opacity"),
                    [](Fixture& f, ServiceObject* p) {
                        f.workspace->SetLockedState(host::BLDocumentView::kLockedForWrite);
                        return f.Write(p, host::NumberValue{42, 0, 100, 1});
                    },
                    host::kDocumentLocked, "The document is locked for writing"}),
    [](const testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.label); });

TEST_F(BusinessLogic, PropertyWithoutEditorHasNoValue) {
    so::Ref layout = Property(L"Text Block 1", {L"Format", L"Paragraph", L"Layout Data"});
    std::uint32_t type = 0;
    so::Call<BLProperty::GetType>(layout.Get(), &type);
    EXPECT_EQ(type, 19u);
    int unused = 0;
    EXPECT_EQ(so::Call<BLProperty::GetValue>(layout.Get(), 0u, static_cast<void*>(&unused)),
              so::kNothingProvided);
}

// ---------------------------------------------------------------------------------------------
// Properties whose value cannot be read

// Two squares whose "Author" differs; the first one's cannot be read.
constexpr const char* kUnreadableAuthor = R"({
  "document": "unreadable.pdf", "pages": [{}],
  "objects": [
    {"name": "Broken", "kind": "Square", "groups": [
      {"name": "General", "flags": ["general"], "root": true, "groups": [
        {"name": "Common", "flags": 0, "properties": [
          {"name": "Author", "type": "String", "value": "Dana", "hidden": true,
           "readError": "The author is not available"},
          {"name": "Subject", "type": "String", "value": "Budget"}]}]}]},
    {"name": "Sound", "kind": "Square", "groups": [
      {"name": "General", "flags": ["general"], "root": true, "groups": [
        {"name": "Common", "flags": 0, "properties": [
          {"name": "Author", "type": "String", "value": "Lee"},
          {"name": "Subject", "type": "String", "value": "Budget"}]}]}]}]})";

class UnreadableProperty : public BusinessLogic {
public:
    void SetUp() override {
        BusinessLogic::SetUp();
        workspace->Activate(workspace->Open(headless::ParseDocument(kUnreadableAuthor, "unreadable.json")));
    }
    // GetValue's raw result for a text property, with the error record it leaves.
    SOResult ReadText(ServiceObject* property, std::string& error) {
        so::ClearLastErrorInfo();
        std::wstring text;
        SOResult code = RawCall<BLProperty::GetValue>(property, host::kValueKindOf<std::wstring>,
                                                      static_cast<void*>(&text));
        error = LastError();
        return code;
    }
    const std::vector<std::wstring> kAuthor = {L"General", L"Common", L"Author"};
};

TEST_F(UnreadableProperty, FailsOnlyGetValueWithItsMessageAndStillTakesWrites) {
    so::Ref author = Property(L"Broken", kAuthor);
    ASSERT_TRUE(author);
    std::string error;
    EXPECT_EQ(ReadText(author.Get(), error), so::kGenericFailure);
    EXPECT_NE(error.find("BLProperty::GetValue() failed"), std::string::npos) << error;
    EXPECT_NE(error.find("The author is not available"), std::string::npos) << error;

    const wchar_t* name = nullptr;
    std::uint32_t type = 0;
    std::uint32_t kind = 0;
    std::uint8_t hidden = 0;
    std::uint8_t mixed = 1;
    so::Call<BLProperty::GetName>(author.Get(), &name);
    so::Call<BLProperty::GetType>(author.Get(), &type);
    so::Call<BLProperty::GetValueKind>(author.Get(), &kind);
    so::Call<BLProperty::IsHidden>(author.Get(), &hidden);
    so::Call<BLProperty::IsMixed>(author.Get(), &mixed);
    EXPECT_STREQ(name, L"Author");
    EXPECT_EQ(type, 12u);
    EXPECT_EQ(kind, host::kValueKindOf<std::wstring>);
    EXPECT_EQ(hidden, 1);
    EXPECT_EQ(mixed, 0);

    ASSERT_EQ(Write(author.Get(), std::wstring(L"Kim")), so::kOk) << LastError();
    EXPECT_EQ(UndoCount(), 1u);
    EXPECT_EQ(ReadText(author.Get(), error), so::kGenericFailure) << "a write does not mend the read";
}

TEST_F(UnreadableProperty, SpoilsTheMergedValueOfAMultiSelectionButNotItsNeighbours) {
    so::Ref context = Context({L"Sound", L"Broken"});
    std::string error;
    EXPECT_EQ(ReadText(Property(context.Get(), kAuthor).Get(), error), so::kGenericFailure);
    EXPECT_NE(error.find("The author is not available"), std::string::npos) << error;
    EXPECT_EQ(ReadText(Property(context.Get(), {L"General", L"Common", L"Subject"}).Get(), error), so::kOk);
    EXPECT_EQ(ReadText(Property(L"Sound", kAuthor).Get(), error), so::kOk) << error;
}

TEST_F(UnreadableProperty, DumpsShowTheErrorInsteadOfTheValue) {
    workspace->Select({L"Broken", L"Sound"});
    std::string selection = workspace->DumpSelection();
    EXPECT_NE(selection.find("General/Common/Author = <read error: The author is not available> [mixed] "
                             "[hidden]\n"),
              std::string::npos)
        << selection;
    EXPECT_NE(selection.find("General/Common/Subject = \"Budget\"\n"), std::string::npos) << selection;
    std::string document = workspace->DumpValues(*workspace->ActiveIndex());
    EXPECT_NE(document.find("Broken (Square)\n  General/Common/Author = <read error: The author is not "
                            "available> [hidden]\n"),
              std::string::npos)
        << document;
    EXPECT_NE(document.find("Sound (Square)\n  General/Common/Author = \"Lee\"\n"), std::string::npos)
        << document;
    EXPECT_EQ(workspace->PropertyValue(*workspace->ActiveIndex(), L"Broken", kAuthor),
              "<read error: The author is not available>");
}

// ---------------------------------------------------------------------------------------------
// Multi-selections

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
    ASSERT_EQ(Write(maxCharacters.Get(), record), so::kOk) << LastError();
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

// ---------------------------------------------------------------------------------------------
// Events

TEST_F(BusinessLogic, PropertyShownInTwoSelectionsHearsChangesMadeThroughEither) {
    so::Ref single = Context({L"Name Field"});
    so::Ref alone = Property(single.Get(), {L"Values", L"Value", L"Default Value"});
    std::vector<std::string> heard;
    SubscribeEvent<BLProperty::Subscribe, BLProperty::OnChange>(
        alone.Get(), [&](const host::ObjectEventArguments&) { heard.push_back("property"); });
    SubscribeEvent<host::BLPropertiesContext::Subscribe, host::BLPropertiesContext::OnChanged>(
        single.Get(), [&](const host::ObjectEventArguments& arguments) {
            EXPECT_EQ(arguments.object, single.Get());
            heard.push_back("context");
        });

    so::Ref both = Context({L"Name Field", L"City Field"});
    ASSERT_EQ(
        Write(Property(both.Get(), {L"Values", L"Value", L"Default Value"}).Get(), std::wstring(L"Paris")),
        so::kOk);
    // A plain value: the property's own views follow it, the context's content stays as it is.
    EXPECT_EQ(heard, std::vector<std::string>{"property"});
    EXPECT_EQ(Read<std::wstring>(alone.Get()), L"Paris");
}

TEST_F(BusinessLogic, ARestructuringWriteAndItsUndoChangeTheContextsContent) {
    so::Ref context = Context({L"Name Field"});
    so::Ref category = Property(context.Get(), {L"Format", L"Number Format", L"Format Category"});
    std::vector<std::string> heard;
    SubscribeEvent<BLProperty::Subscribe, BLProperty::OnChange>(
        category.Get(), [&](const host::ObjectEventArguments&) { heard.push_back("property"); });
    SubscribeEvent<host::BLPropertiesContext::Subscribe, host::BLPropertiesContext::OnChanged>(
        context.Get(), [&](const host::ObjectEventArguments&) { heard.push_back("context"); });
    auto list = Read<std::shared_ptr<host::PropStringListData>>(category.Get());
    auto chosen = std::make_shared<host::PropStringListData>(*list);
    chosen->selected = 2;
    ASSERT_EQ(Write(category.Get(), chosen), so::kOk);
    EXPECT_EQ(heard, (std::vector<std::string>{"property", "context"}));
    heard.clear();
    ASSERT_EQ(workspace->Undo(), so::kOk);
    EXPECT_EQ(heard, (std::vector<std::string>{"property", "context"}));
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
    EXPECT_NE(LastError().find("The property \"Author\" was removed from the document"), std::string::npos)
        << LastError();
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

TEST_F(BusinessLogic, FailingSubscriberIsReportedWhileTheOthersHearAndTheWriteStands) {
    std::vector<std::string> reports;
    headless::HostEventSource::SetFailureReporter(
        [&reports](const std::string& message) { reports.push_back(message); });
    so::Ref opacity = Property(L"Square 1", Path(kStyle, L"Opacity"));
    int heard = 0;
    SubscribeEvent<BLProperty::Subscribe, BLProperty::OnChange>(
        opacity.Get(),
        [](const host::ObjectEventArguments&) { throw std::runtime_error("the subscriber broke"); });
    SubscribeEvent<BLProperty::Subscribe, BLProperty::OnChange>(
        opacity.Get(), [&](const host::ObjectEventArguments&) { ++heard; });
    EXPECT_EQ(Write(opacity.Get(), host::NumberValue{10, 0, 100, 1}), so::kOk);
    headless::HostEventSource::SetFailureReporter(nullptr);
    EXPECT_EQ(heard, 1);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "A subscriber of host event 0 failed: the subscriber broke");
    EXPECT_EQ(Stored(L"Square 1", Path(kStyle, L"Opacity")), "10");
}

TEST_F(BusinessLogic, ClosuresAreReleasedOnUnsubscribeAndWhenTheirObjectDies) {
    testing_host::ClosureCounter counter;
    so::Ref property = Property(L"Square 1", Path(kStyle, L"Opacity"));
    auto noop = [](const host::ObjectEventArguments&) {};
    auto first = SubscribeEvent<BLProperty::Subscribe, BLProperty::OnChange>(property.Get(), noop, &counter);
    SubscribeEvent<BLProperty::Subscribe, BLProperty::OnChange>(property.Get(), noop, &counter);
    EXPECT_NE(first, 0u);
    so::Call<BLProperty::Unsubscribe>(property.Get(), first);
    EXPECT_EQ(counter.released.load(), 1);
    so::ClearLastErrorInfo();
    EXPECT_EQ(RawCall<BLProperty::Unsubscribe>(property.Get(), first), so::kInvalidArgument);

    Context({L"Line 1"}); // the old selection, its context and its properties go
    EXPECT_EQ(counter.released.load(), 1) << "the test still holds the property";
    property.Reset();
    EXPECT_EQ(counter.released.load(), 2);
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

// ---------------------------------------------------------------------------------------------
// The command stack

TEST_F(BusinessLogic, CommandStackEventsAndTasksSurroundEachStep) {
    so::Ref document = Document();
    so::Ref tasks;
    so::Call<host::BLDocument::GetExecuteNotification>(document.Get(), tasks.Put());
    std::vector<std::string> events;
    auto command = [&](const char* name) {
        return [&events, name](const host::BLDocument::CommandArguments& arguments) {
            events.push_back(std::string(name) + " " + std::to_string(arguments.action));
        };
    };
    auto task = [&](const char* name) {
        return [&events, name](const host::ExecuteNotification::TaskArguments& arguments) {
            events.push_back(std::string(name) + " " + so::AtomName(arguments.commandName));
        };
    };
    SubscribeEvent<host::BLDocument::Subscribe, host::BLDocument::OnBeforeCommand>(document.Get(),
                                                                                   command("before"));
    SubscribeEvent<host::BLDocument::Subscribe, host::BLDocument::OnAfterCommand>(document.Get(),
                                                                                  command("after"));
    SubscribeEvent<host::ExecuteNotification::Subscribe, host::ExecuteNotification::OnTaskBegin>(
        tasks.Get(), task("begin"));
    SubscribeEvent<host::ExecuteNotification::Subscribe, host::ExecuteNotification::OnTaskEnd>(tasks.Get(),
                                                                                               task("end"));
    so::Ref opacity = Property(L"Square 1", Path(kStyle, L"Opacity"));
    SubscribeEvent<BLProperty::Subscribe, BLProperty::OnChange>(
        opacity.Get(), [&](const host::ObjectEventArguments&) { events.push_back("change"); });

    ASSERT_EQ(Write(opacity.Get(), host::NumberValue{10, 0, 100, 1}), so::kOk);
    ASSERT_EQ(so::Call<host::CommandsManager::Undo>(commands.Get(), document.Get()), so::kOk);
    ASSERT_EQ(so::Call<host::CommandsManager::Redo>(commands.Get(), document.Get()), so::kOk);
    EXPECT_EQ(events, (std::vector<std::string>{"begin SetPropertyValues", "before 0", "change", "after 0",
                                                "end SetPropertyValues", "begin SetPropertyValues",
                                                "before 1", "change", "after 1", "end SetPropertyValues",
                                                "begin SetPropertyValues", "before 2", "change", "after 2",
                                                "end SetPropertyValues"}));
}

TEST_F(BusinessLogic, NewStepAfterUndoDropsWhatCouldHaveBeenRedone) {
    so::Ref opacity = Property(L"Square 1", Path(kStyle, L"Opacity"));
    Write(opacity.Get(), host::NumberValue{10, 0, 100, 1});
    Write(opacity.Get(), host::NumberValue{20, 0, 100, 1});
    workspace->Undo();
    EXPECT_EQ(RedoCount(), 1u);
    Write(opacity.Get(), host::NumberValue{30, 0, 100, 1});
    EXPECT_EQ(RedoCount(), 0u);
    EXPECT_EQ(UndoCount(), 2u);
    EXPECT_EQ(workspace->Redo(), so::kNothingProvided);
    workspace->Undo();
    EXPECT_EQ(Stored(L"Square 1", Path(kStyle, L"Opacity")), "10");
}

TEST_F(BusinessLogic, LockedDocumentRefusesUndo) {
    Write(Property(L"Square 1", Path(kStyle, L"Opacity")).Get(), host::NumberValue{10, 0, 100, 1});
    workspace->SetLockedState(host::BLDocumentView::kLockedForWrite);
    so::ClearLastErrorInfo();
    EXPECT_EQ(RawCall<host::BLDocument::Undo>(Document().Get()), host::kDocumentLocked);
    EXPECT_NE(LastError().find("The document is locked for writing"), std::string::npos);
    EXPECT_EQ(UndoCount(), 1u);
}

// A command of another module, made by its factory: it writes a property through the binary
// interface and puts the old value back on UNDO.
struct SetAuthorParameters {
    ServiceObject* property;
    const wchar_t* author;
};

struct SetAuthorCommand : so::ObjectBase {
    using Interface = host::Command;
    static constexpr std::uint32_t kClassTag = 0x7E57C0DE;
    static void BindMethods(so::MethodBinder<SetAuthorCommand>& binder) {
        binder.Bind<host::Command::Initialize, &SetAuthorCommand::Initialize>();
        binder.Bind<host::Command::DO, &SetAuthorCommand::Do>();
        binder.Bind<host::Command::UNDO, &SetAuthorCommand::Undo>();
        binder.Bind<host::Command::GetCommandName, &SetAuthorCommand::GetCommandName>();
    }
    SOResult Initialize(SOAtom, SOAtom commandName, const void* parameters) {
        name = commandName;
        auto* given = static_cast<const SetAuthorParameters*>(parameters);
        property = so::Ref::Share(given->property);
        author = given->author;
        return so::kOk;
    }
    SOResult Do() {
        if (author == L"fail")
            throw so::ServiceObjectException(0x80004005, "The command cannot do that");
        so::Call<BLProperty::GetValue>(property.Get(), host::kValueKindOf<std::wstring>,
                                       static_cast<void*>(&previous));
        so::Call<BLProperty::SetValue>(property.Get(), host::kValueKindOf<std::wstring>,
                                       static_cast<const void*>(&author));
        return so::kOk;
    }
    SOResult Undo() {
        so::Call<BLProperty::SetValue>(property.Get(), host::kValueKindOf<std::wstring>,
                                       static_cast<const void*>(&previous));
        return so::kOk;
    }
    SOResult GetCommandName(SOAtom* out) {
        *out = name;
        return so::kOk;
    }
    SOAtom name = 0;
    so::Ref property;
    std::wstring author;
    std::wstring previous;
};

struct SetAuthorFactory : so::ObjectBase {
    using Interface = host::CommandFactory;
    static constexpr std::uint32_t kClassTag = 0x7E57FAC7;
    static void BindMethods(so::MethodBinder<SetAuthorFactory>& binder) {
        binder.Bind<host::CommandFactory::CreateCommand, &SetAuthorFactory::CreateCommand>();
    }
    SOResult CreateCommand(ServiceObject** command) {
        *command = so::ServiceObjectCppTheConcrete<SetAuthorCommand>::Create();
        return so::kOk;
    }
};

class BusinessLogicCommands : public Fixture {
protected:
    void SetUp() override {
        Fixture::SetUp();
        factory = so::Make<SetAuthorFactory>();
        atom = so::AtomOf("SetAuthorCommand");
        so::Call<host::CommandsManager::RegisterCommandFactory>(commands.Get(), atom, factory.Get());
        author = Property(L"Square 1", {L"General", L"Common", L"Author"});
    }
    SOResult Execute(const wchar_t* name, std::uint32_t flags = 0) {
        SetAuthorParameters parameters{author.Get(), name};
        return RawCall<host::BLDocument::ExecuteCommand>(Document().Get(), atom,
                                                         static_cast<const void*>(&parameters), flags);
    }
    so::Ref factory;
    so::Ref author;
    SOAtom atom = 0;
};

TEST_F(BusinessLogicCommands, RegisteredCommandRunsAsOneStepWithTheWritesItMakes) {
    ASSERT_EQ(Execute(L"Dana"), so::kOk) << LastError();
    EXPECT_EQ(Stored(L"Square 1", {L"General", L"Common", L"Author"}), "\"Dana\"");
    EXPECT_EQ(UndoCount(), 1u) << "the command's own write is part of its step";
    workspace->Undo();
    EXPECT_EQ(Stored(L"Square 1", {L"General", L"Common", L"Author"}), "\"Anna\"");
    EXPECT_EQ(UndoCount(), 0u);
    workspace->Redo();
    EXPECT_EQ(Stored(L"Square 1", {L"General", L"Common", L"Author"}), "\"Dana\"");
    // The stack keeps the command, which keeps the property: closing the document must free both.
    workspace->CloseAll();
}

TEST_F(BusinessLogicCommands, FailingCommandLeavesNoStepAndReportsTheFailedTask) {
    so::Ref tasks;
    so::Call<host::BLDocument::GetExecuteNotification>(Document().Get(), tasks.Put());
    SOResult failure = 0;
    SubscribeEvent<host::ExecuteNotification::Subscribe, host::ExecuteNotification::OnTaskFail>(
        tasks.Get(),
        [&](const host::ExecuteNotification::TaskArguments& arguments) { failure = arguments.status; });
    so::ClearLastErrorInfo();
    EXPECT_EQ(Execute(L"fail"), 0x80004005u);
    EXPECT_NE(LastError().find("The command cannot do that"), std::string::npos) << LastError();
    EXPECT_EQ(failure, 0x80004005u);
    EXPECT_EQ(UndoCount(), 0u);
}

TEST_F(BusinessLogicCommands, UnknownCommandOrFlagsAreRefused) {
    so::ClearLastErrorInfo();
    EXPECT_EQ(RawCall<host::BLDocument::ExecuteCommand>(Document().Get(), so::AtomOf("NoSuchCommand"),
                                                        static_cast<const void*>(nullptr), 0u),
              so::kFactoryNotFound);
    EXPECT_NE(LastError().find("No command factory is registered for \"NoSuchCommand\""), std::string::npos);
    EXPECT_EQ(Execute(L"Dana", 1), so::kInvalidArgument);
    EXPECT_EQ(UndoCount(), 0u);
}

TEST_F(BusinessLogic, PdfDocumentHandleIsGivenOnlyWhenTheHostHasOne) {
    void* handle = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(so::Call<host::BLDocument::GetPdfDocument>(Document().Get(), &handle), so::kNothingProvided);
    EXPECT_EQ(handle, nullptr);
    int pdf = 0;
    workspace->Document(0).state->SetPdfDocument(&pdf);
    so::Call<host::BLDocument::GetPdfDocument>(Document().Get(), &handle);
    EXPECT_EQ(handle, &pdf);
}

// ---------------------------------------------------------------------------------------------
// Default settings

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
    EXPECT_NE(LastError().find("Unknown restore mode 2"), std::string::npos);
    std::uint8_t equal = 0;
    EXPECT_EQ(RawCall<host::BLPropertiesContextDefault::IsCurrentEqualToDefaults>(defaults.Get(),
                                                                                  defaults.Get(), &equal),
              so::kInvalidArgument);
    EXPECT_NE(LastError().find("The group is not a properties group of this host"), std::string::npos);
}

// ---------------------------------------------------------------------------------------------
// The workspace's dumps, which scenarios compare

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
