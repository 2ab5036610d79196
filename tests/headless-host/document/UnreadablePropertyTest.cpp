// Properties whose value cannot be read: GetValue fails with the document's message while the rest
// of the property works, a multi-selection's merged value fails with it, and dumps show the error.
#include "headless-host/document/DocumentFile.h"
#include "tests/headless-host/document/BusinessLogicFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using host::BLProperty;
using testing_host::LastErrorMessage;
using testing_host::RawCall;
using BusinessLogic = testing_host::SampleDocumentTest;

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
        error = LastErrorMessage();
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

    ASSERT_EQ(Write(author.Get(), std::wstring(L"Kim")), so::kOk) << LastErrorMessage();
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

} // namespace
