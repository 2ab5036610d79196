// Handles and the C interface's contract: counted references, refusal of bad handles and
// arguments, the two-call text pattern, the last error, and documents read from and written to files.
#include "tests/headless-host/pdfcore/PdfTestDocuments.h"

#include "host/PdfCore.h"

#include <fstream>
#include <thread>
#include <vector>

namespace {

using namespace pdfcore_test;

TEST(Handles, AcquireAndReleaseBalance) {
    Ref document = NewDocument();
    PDHandle page = nullptr;
    ASSERT_EQ(PDDocAddPage(document.get(), &page), kPDOk);
    ASSERT_EQ(PDHandleAcquire(page), kPDOk);
    ASSERT_EQ(PDHandleAcquire(page), kPDOk);
    for (int release = 0; release < 3; ++release) {
        std::uint32_t count = 9;
        EXPECT_EQ(PDPageGetNumAnnots(page, &count), kPDOk) << "before release " << release;
        EXPECT_EQ(count, 0u);
        ASSERT_EQ(PDHandleRelease(page), kPDOk);
    }
    // The last release freed it: the handle is refused, not followed.
    std::uint32_t count = 9;
    EXPECT_EQ(PDPageGetNumAnnots(page, &count), kPDInvalidHandle);
    EXPECT_EQ(PDHandleRelease(page), kPDInvalidHandle);
    EXPECT_EQ(PDHandleAcquire(page), kPDInvalidHandle);
    EXPECT_EQ(count, 9u);
}

TEST(Handles, ObjectHandlesKeepTheirDocumentAlive) {
    PDHandle document = nullptr;
    ASSERT_EQ(PDDocCreate(&document), kPDOk);
    Ref page = AddPage(document);
    Ref action = ActionFromJson(document, R"({"type":"GoTo","page":0})");
    ASSERT_EQ(PDHandleRelease(document), kPDOk);

    Ref widget;
    ASSERT_EQ(PDPageAddWidget(page.get(), "still", nullptr, Out(widget)), kPDOk) << LastError();
    ASSERT_EQ(PDAnnotSetAction(widget.get(), action.get()), kPDOk);
    EXPECT_EQ(Describe(action.get()), R"({"type":"GoTo","page":0})");
    Ref again;
    ASSERT_EQ(PDHandleGetDocument(widget.get(), Out(again)), kPDOk);
    std::uint32_t pages = 0;
    ASSERT_EQ(PDDocGetPageCount(again.get(), &pages), kPDOk);
    EXPECT_EQ(pages, 1u);
}

TEST(Handles, SameObjectIsWhatTheHandlesNameNotTheHandles) {
    QpdfDocument built;
    auto shared = built.Indirect("<< /S /Movie >>");
    built.AddLinkTo(shared);
    built.AddLinkTo(shared);
    built.AddLinkTo(built.Indirect("<< /S /Movie >>"));
    Ref document = built.Open();
    Ref first = LinkAction(document.get(), 0);
    Ref again = LinkAction(document.get(), 1);
    Ref equal = LinkAction(document.get(), 2);
    Ref sameDocument, otherDocument = NewDocument();
    ASSERT_EQ(PDHandleGetDocument(first.get(), Out(sameDocument)), kPDOk);

    auto same = [](PDHandle a, PDHandle b) {
        std::uint8_t result = 9;
        EXPECT_EQ(PDHandleIsSameObject(a, b, &result), kPDOk) << LastError();
        return result;
    };
    EXPECT_NE(first.get(), again.get());
    EXPECT_EQ(same(first.get(), again.get()), 1);
    EXPECT_EQ(same(first.get(), first.get()), 1);
    EXPECT_EQ(same(first.get(), equal.get()), 0) << "equal contents are not the same object";
    EXPECT_EQ(same(document.get(), sameDocument.get()), 1);
    EXPECT_EQ(same(document.get(), otherDocument.get()), 0);
    EXPECT_EQ(same(document.get(), first.get()), 0);
    std::uint8_t result = 9;
    EXPECT_EQ(PDHandleIsSameObject(first.get(), nullptr, &result), kPDInvalidHandle);
    EXPECT_EQ(PDHandleIsSameObject(first.get(), again.get(), nullptr), kPDInvalidArgument);
    EXPECT_EQ(result, 9);
}

TEST(Handles, CountsHoldUnderConcurrentAcquireAndRelease) {
    Ref document = NewDocument();
    Ref page = AddPage(document.get());
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 4; ++thread) {
        threads.emplace_back([handle = page.get()] {
            for (int round = 0; round < 2000; ++round) {
                PDHandleAcquire(handle);
                PDHandleRelease(handle);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    std::uint32_t count = 9;
    EXPECT_EQ(PDPageGetNumAnnots(page.get(), &count), kPDOk);
    EXPECT_EQ(count, 0u);
}

TEST(Handles, BadHandlesAreRefused) {
    int notAHandle = 0;
    std::uint32_t count = 0;
    std::int32_t type = 0;
    Ref out;
    for (PDHandle bad : {static_cast<PDHandle>(nullptr), static_cast<PDHandle>(&notAHandle)}) {
        EXPECT_EQ(PDHandleAcquire(bad), kPDInvalidHandle);
        EXPECT_EQ(PDHandleRelease(bad), kPDInvalidHandle);
        EXPECT_EQ(PDDocGetPageCount(bad, &count), kPDInvalidHandle);
        EXPECT_EQ(PDDocGetPage(bad, 0, Out(out)), kPDInvalidHandle);
        EXPECT_EQ(PDPageGetNumAnnots(bad, &count), kPDInvalidHandle);
        EXPECT_EQ(PDActionGetType(bad, &type), kPDInvalidHandle);
        EXPECT_EQ(PDActionGetNextLength(bad, &count), kPDInvalidHandle);
        EXPECT_EQ(PDActionDescribe(bad, nullptr, &count), kPDInvalidHandle);
        EXPECT_EQ(PDFieldGetName(bad, nullptr, &count), kPDInvalidHandle);
        EXPECT_EQ(PDActionCreate(bad, kPDActionJavaScript, Out(out), L"x"), kPDInvalidHandle);
        EXPECT_EQ(PDActionCreateFromJson(bad, R"({"type":"Movie"})", Out(out)), kPDInvalidHandle);
        EXPECT_EQ(PDHandleGetDocument(bad, Out(out)), kPDInvalidHandle);
    }
    EXPECT_EQ(out, nullptr);
}

TEST(Handles, HandlesOfTheWrongKindAreRefused) {
    Ref document = NewDocument();
    Ref page = AddPage(document.get());
    Ref action = ActionFromJson(document.get(), R"({"type":"URI","uri":"x"})");
    std::uint32_t count = 0;
    std::int32_t type = 0;
    Ref out;
    EXPECT_EQ(PDActionGetType(document.get(), &type), kPDWrongKind);
    EXPECT_EQ(LastError(), "PDActionGetType: the action is a document's handle");
    EXPECT_EQ(PDActionGetType(page.get(), &type), kPDWrongKind);
    EXPECT_EQ(PDDocGetPageCount(action.get(), &count), kPDWrongKind);
    EXPECT_EQ(PDDocAddPage(page.get(), Out(out)), kPDWrongKind);
    EXPECT_EQ(PDPageGetNumAnnots(action.get(), &count), kPDWrongKind);
    EXPECT_EQ(PDPageGetNumAnnots(document.get(), &count), kPDWrongKind);
    EXPECT_EQ(PDAnnotGetSubtype(document.get(), &type), kPDWrongKind);
    EXPECT_EQ(PDActionCreateFromJson(action.get(), R"({"type":"Movie"})", Out(out)), kPDWrongKind);
    EXPECT_EQ(out, nullptr);
}

TEST(Handles, NullArgumentsAndIndexesPastTheEndAreRefused) {
    Ref document = NewDocument();
    Ref page = AddPage(document.get());
    Ref action = ActionFromJson(document.get(), R"({"type":"JavaScript","script":"x"})");
    EXPECT_EQ(PDDocCreate(nullptr), kPDInvalidArgument);
    EXPECT_EQ(PDDocOpen(nullptr, nullptr), kPDInvalidArgument);
    EXPECT_EQ(PDDocGetPageCount(document.get(), nullptr), kPDInvalidArgument);
    EXPECT_EQ(PDDocGetPage(document.get(), 0, nullptr), kPDInvalidArgument);
    EXPECT_EQ(PDDocAddPage(document.get(), nullptr), kPDInvalidArgument);
    EXPECT_EQ(PDDocSave(document.get(), nullptr), kPDInvalidArgument);
    EXPECT_EQ(PDActionGetType(action.get(), nullptr), kPDInvalidArgument);
    EXPECT_EQ(PDActionGetNext(action.get(), 0, nullptr), kPDInvalidArgument);
    EXPECT_EQ(PDActionJavaScriptGetScript(action.get(), nullptr, nullptr), kPDInvalidArgument);
    EXPECT_EQ(PDActionDescribe(action.get(), nullptr, nullptr), kPDInvalidArgument);
    EXPECT_EQ(PDActionCreateFromJson(document.get(), nullptr, nullptr), kPDInvalidArgument);
    EXPECT_EQ(PDAnnotGetSubtype(page.get(), nullptr), kPDInvalidArgument);
    EXPECT_EQ(PDGetLastError(nullptr, nullptr), kPDInvalidArgument);

    Ref out;
    EXPECT_EQ(PDDocGetPage(document.get(), 1, Out(out)), kPDOutOfRange);
    EXPECT_NE(LastError().find("page 1 of 1"), std::string::npos) << LastError();
    EXPECT_EQ(PDActionGetNext(action.get(), 0, Out(out)), kPDOutOfRange);
    EXPECT_EQ(out, nullptr);
}

TEST(Handles, TextLeavesInTwoCalls) {
    Ref document = NewDocument();
    Ref action;
    ASSERT_EQ(PDActionCreate(document.get(), kPDActionJavaScript, Out(action), L"abc\U0001F600"), kPDOk);

    std::uint32_t length = 0;
    ASSERT_EQ(PDActionJavaScriptGetScript(action.get(), nullptr, &length), kPDOk);
    ASSERT_EQ(length, 4u);

    std::wstring buffer(6, L'#');
    length = 3;
    EXPECT_EQ(PDActionJavaScriptGetScript(action.get(), buffer.data(), &length), kPDBufferTooSmall);
    EXPECT_EQ(length, 4u) << "the length needed";
    EXPECT_EQ(buffer, L"######");

    length = 4; // exactly the text: no room for a terminator, and none written past it
    ASSERT_EQ(PDActionJavaScriptGetScript(action.get(), buffer.data(), &length), kPDOk);
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(buffer, L"abc\U0001F600##");

    length = 5;
    ASSERT_EQ(PDActionJavaScriptGetScript(action.get(), buffer.data(), &length), kPDOk);
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(buffer, std::wstring(L"abc\U0001F600\0#", 6));

    std::string narrow(3, '#');
    length = 2;
    EXPECT_EQ(PDActionDescribe(action.get(), narrow.data(), &length), kPDBufferTooSmall);
    EXPECT_EQ(length, Describe(action.get()).size());
}

TEST(Handles, LastErrorNamesTheFunctionAndTheFault) {
    std::thread([] {
        std::uint32_t length = 5;
        ASSERT_EQ(PDGetLastError(nullptr, &length), kPDOk);
        EXPECT_EQ(length, 0u) << "a thread starts without an error";
    }).join();

    Ref document;
    EXPECT_EQ(PDDocOpen("/nonexistent/folder/missing.pdf", Out(document)), kPDFailure);
    EXPECT_EQ(LastError().rfind("PDDocOpen: ", 0), 0u) << LastError();
    EXPECT_NE(LastError().find("missing.pdf"), std::string::npos) << LastError();

    std::uint32_t count = 0;
    ASSERT_EQ(PDDocGetPageCount(nullptr, &count), kPDInvalidHandle);
    EXPECT_EQ(LastError(), "PDDocGetPageCount: the document is null");
}

TEST(Handles, DocumentsOpenFromFilesAndSaveOverThem) {
    // A script far larger than any read-ahead buffer, so that a save that overwrote the file it still
    // reads from would lose it.
    std::string script;
    for (std::uint32_t state = 1; script.size() < 256 * 1024;) {
        state = state * 1103515245u + 12345u;
        script += char('a' + (state >> 16) % 26);
    }
    const std::string description =
        R"({"type":"Hide","hide":false,"fields":["button"],"next":{"type":"JavaScript","script":")" + script +
        R"("}})";

    TemporaryFile file("saved.pdf");
    {
        Ref document = NewDocument();
        Ref page = AddPage(document.get());
        Ref widget;
        ASSERT_EQ(PDPageAddWidget(page.get(), "button", nullptr, Out(widget)), kPDOk);
        Ref action = ActionFromJson(document.get(), description);
        ASSERT_EQ(PDAnnotSetAction(widget.get(), action.get()), kPDOk);
        ASSERT_EQ(PDDocSave(document.get(), file.Path().c_str()), kPDOk) << LastError();
    }
    {
        // Saved untouched, the document has read next to nothing yet: it reads while it writes.
        Ref document;
        ASSERT_EQ(PDDocOpen(file.Path().c_str(), Out(document)), kPDOk) << LastError();
        ASSERT_EQ(PDDocSave(document.get(), file.Path().c_str()), kPDOk) << LastError();
    }
    Ref reopened;
    ASSERT_EQ(PDDocOpen(file.Path().c_str(), Out(reopened)), kPDOk) << LastError();
    std::uint32_t pages = 0;
    ASSERT_EQ(PDDocGetPageCount(reopened.get(), &pages), kPDOk);
    EXPECT_EQ(pages, 1u);
    EXPECT_TRUE(Describe(LinkAction(reopened.get(), 0).get()) == description) << "the chain did not survive";
}

TEST(Handles, AFileThatIsNoPdfFailsToOpen) {
    TemporaryFile file("garbage.pdf");
    std::ofstream(file.Path()) << "this is not a PDF file";
    Ref document;
    EXPECT_EQ(PDDocOpen(file.Path().c_str(), Out(document)), kPDFailure);
    EXPECT_EQ(document, nullptr);
    EXPECT_EQ(LastError().rfind("PDDocOpen: ", 0), 0u) << LastError();
}

} // namespace
