// Properties: writes of every value kind that are read back, undone and redone, writes refused with
// their error records, pending values, and the events a write raises.
#include "headless-host/document/PropertyObject.h"
#include "headless-host/services/HostEventSource.h"
#include "service-common/ServiceObjectCpp.h"
#include "tests/headless-host/document/BusinessLogicFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using host::BLProperty;
using testing_host::kStyle;
using testing_host::LastErrorMessage;
using testing_host::Path;
using testing_host::RawCall;
using testing_host::SubscribeEvent;
using BusinessLogic = testing_host::SampleDocumentTest;
using Fixture = BusinessLogic;

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
        ASSERT_EQ(fixture.Write(property, record), so::kOk) << LastErrorMessage();
    };
}

template <class Data>
std::function<void(Fixture&, ServiceObject*)> Choose(std::uint64_t index) {
    return ReadChangeWrite<std::shared_ptr<Data>>(
        [index](std::shared_ptr<Data>& list) { list->selected = index; });
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
                  [](Fixture& f, ServiceObject* property) {
                      headless::PdfRef action;
                      ASSERT_EQ(PDActionCreateFromJson(f.workspace->Document(0).state->PdfDocument(),
                                                       R"({"type": "Named", "name": "NextPage"})",
                                                       action.Put()),
                                kPDOk);
                      ASSERT_EQ(f.Write(property, host::PDActionDialogPropData{action.Get()}), so::kOk)
                          << LastErrorMessage();
                  },
                  R"({"type":"Hide","hide":false,"fields":["customer.city"]})",
                  R"({"type":"Named","name":"NextPage"})"},
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
    EXPECT_NE(LastErrorMessage().find(sample.message), std::string::npos) << LastErrorMessage();
    EXPECT_NE(LastErrorMessage().find("BLProperty::SetValue() failed"), std::string::npos)
        << LastErrorMessage();
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

} // namespace
