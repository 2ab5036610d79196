// The document and its command stack: the events and tasks around each step, undo and redo,
// commands of another module, and the PDF document handle.
#include "host/PdfCore.h"
#include "host/UIInplacePlugin.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceQuery.h"
#include "tests/headless-host/document/BusinessLogicFixture.h"

#include <gtest/gtest.h>

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
    EXPECT_NE(LastErrorMessage().find("The document is locked for writing"), std::string::npos);
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
    ASSERT_EQ(Execute(L"Dana"), so::kOk) << LastErrorMessage();
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
    EXPECT_NE(LastErrorMessage().find("The command cannot do that"), std::string::npos) << LastErrorMessage();
    EXPECT_EQ(failure, 0x80004005u);
    EXPECT_EQ(UndoCount(), 0u);
}

TEST_F(BusinessLogicCommands, UnknownCommandOrFlagsAreRefused) {
    so::ClearLastErrorInfo();
    EXPECT_EQ(RawCall<host::BLDocument::ExecuteCommand>(Document().Get(), so::AtomOf("NoSuchCommand"),
                                                        static_cast<const void*>(nullptr), 0u),
              so::kFactoryNotFound);
    EXPECT_NE(LastErrorMessage().find("No command factory is registered for \"NoSuchCommand\""),
              std::string::npos);
    EXPECT_EQ(Execute(L"Dana", 1), so::kInvalidArgument);
    EXPECT_EQ(UndoCount(), 0u);
}

// The handle is lent: every call gives the document's own, with no reference for the caller.
TEST_F(BusinessLogic, PdfDocumentIsLentWithOnePagePerPage) {
    void* first = nullptr;
    void* second = nullptr;
    ASSERT_EQ(so::Call<host::BLDocument::GetPdfDocument>(Document().Get(), &first), so::kOk);
    ASSERT_EQ(so::Call<host::BLDocument::GetPdfDocument>(Document().Get(), &second), so::kOk);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first, workspace->Document(0).state->PdfDocument());
    std::uint32_t pages = 0;
    ASSERT_EQ(PDDocGetPageCount(first, &pages), kPDOk);
    EXPECT_EQ(pages, 2u);
}

} // namespace
