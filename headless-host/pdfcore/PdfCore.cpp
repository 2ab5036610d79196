// The exported functions of host/PdfCore.h: each resolves its handles, checks its arguments and
// turns what went wrong into a status (Guarded).
#include "host/PdfCore.h"

#include "headless-host/pdfcore/ActionJson.h"
#include "headless-host/pdfcore/FormFields.h"
#include "headless-host/pdfcore/Handles.h"
#include "headless-host/pdfcore/PdfNames.h"
#include "headless-host/pdfcore/PdfObjects.h"
#include "headless-host/pdfcore/TextOutput.h"

#include <qpdf/QPDFWriter.hh>

#include <filesystem>
#include <system_error>

using namespace pdfcore;

namespace {

QPDFObjectHandle RequirePage(Handle& page) {
    if (!IsPage(page.object))
        throw Failure(kPDWrongKind, "the handle does not name a page");
    return page.object;
}

QPDFObjectHandle RequireDictionary(Handle& handle, std::string_view what) {
    if (!handle.object.isDictionary())
        throw Failure(kPDWrongKind, std::string(what) + " is not a dictionary");
    return handle.object;
}

// An action: a dictionary whose /S is a name.
QPDFObjectHandle RequireAction(Handle& action, std::int32_t type = kPDTypeUnknown) {
    auto dictionary = RequireDictionary(action, "the action");
    auto name = dictionary.getKey("/S");
    if (!name.isName())
        throw Failure(kPDWrongKind, "the dictionary has no action type (/S)");
    if (type != kPDTypeUnknown && ActionTypeOfName(NameOf(name)) != type)
        throw Failure(kPDWrongKind, "the action is a " + NameOf(name) + " action");
    return dictionary;
}

std::shared_ptr<Document> NewDocument() {
    auto document = std::make_shared<Document>();
    // Damage that qpdf recovers from is the file's business, not the host's output.
    document->pdf.setSuppressWarnings(true);
    return document;
}

} // namespace

extern "C" {

PDStatus PDHandleAcquire(PDHandle handle) {
    return Guarded(__func__, [&] { AcquireHandle(handle); });
}

PDStatus PDHandleRelease(PDHandle handle) {
    return Guarded(__func__, [&] { ReleaseHandle(handle); });
}

PDStatus PDGetLastError(char* buffer, std::uint32_t* inOutLength) {
    // Its own failures must not overwrite the error it reports.
    try {
        DeliverText(LastError(), buffer, inOutLength);
        return kPDOk;
    } catch (const Failure& failure) {
        return failure.Status();
    } catch (...) {
        return kPDFailure;
    }
}

PDStatus PDHandleIsSameObject(PDHandle first, PDHandle second, std::uint8_t* same) {
    return Guarded(__func__, [&] {
        Handle& firstHandle = ResolveHandle(first, "the first handle");
        Handle& secondHandle = ResolveHandle(second, "the second handle");
        RequireOutput(same, "the output");
        bool identical = firstHandle.document == secondHandle.document &&
                         firstHandle.IsDocument() == secondHandle.IsDocument() &&
                         (firstHandle.IsDocument() || firstHandle.object.isSameObjectAs(secondHandle.object));
        *same = identical ? 1 : 0;
    });
}

PDStatus PDDocCreate(PDHandle* document) {
    return Guarded(__func__, [&] {
        RequireOutput(document, "the document output");
        auto created = NewDocument();
        created->pdf.emptyPDF();
        *document = NewHandle(std::move(created));
    });
}

PDStatus PDDocOpen(const char* path, PDHandle* document) {
    return Guarded(__func__, [&] {
        RequireOutput(path, "the path");
        RequireOutput(document, "the document output");
        auto opened = NewDocument();
        opened->pdf.processFile(path);
        *document = NewHandle(std::move(opened));
    });
}

PDStatus PDDocSave(PDHandle document, const char* path) {
    return Guarded(__func__, [&] {
        Handle& handle = ResolveDocument(document);
        RequireOutput(path, "the path");
        // The document may still be reading the file it is written over.
        const std::string temporary = std::string(path) + ".saving";
        try {
            QPDFWriter writer(handle.document->pdf, temporary.c_str());
            writer.write();
            std::filesystem::rename(temporary, path);
        } catch (...) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            throw;
        }
    });
}

PDStatus PDHandleGetDocument(PDHandle handle, PDHandle* document) {
    return Guarded(__func__, [&] {
        Handle& live = ResolveHandle(handle, "the handle");
        RequireOutput(document, "the document output");
        *document = NewHandle(live.document);
    });
}

PDStatus PDDocGetPageCount(PDHandle document, std::uint32_t* count) {
    return Guarded(__func__, [&] {
        Handle& handle = ResolveDocument(document);
        RequireOutput(count, "the count output");
        *count = static_cast<std::uint32_t>(handle.document->pdf.getAllPages().size());
    });
}

PDStatus PDDocGetPage(PDHandle document, std::uint32_t index, PDHandle* page) {
    return Guarded(__func__, [&] {
        Handle& handle = ResolveDocument(document);
        RequireOutput(page, "the page output");
        const auto& pages = handle.document->pdf.getAllPages();
        if (index >= pages.size())
            throw Failure(kPDOutOfRange,
                          "page " + std::to_string(index) + " of " + std::to_string(pages.size()));
        *page = NewHandle(handle.document, pages[index]);
    });
}

PDStatus PDDocAddPage(PDHandle document, PDHandle* page) {
    return Guarded(__func__, [&] {
        Handle& handle = ResolveDocument(document);
        RequireOutput(page, "the page output");
        QPDF& pdf = handle.document->pdf;
        auto added = pdf.makeIndirectObject(
            QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 612 792] /Resources << >> >>"));
        pdf.addPage(added, false);
        *page = NewHandle(handle.document, added);
    });
}

PDStatus PDPageGetNumAnnots(PDHandle page, std::uint32_t* count) {
    return Guarded(__func__, [&] {
        auto object = RequirePage(ResolveObject(page, "the page"));
        RequireOutput(count, "the count output");
        *count = static_cast<std::uint32_t>(DictionariesIn(object.getKey("/Annots")).size());
    });
}

PDStatus PDPageGetAnnot(PDHandle page, std::uint32_t index, PDHandle* annot) {
    return Guarded(__func__, [&] {
        Handle& handle = ResolveObject(page, "the page");
        RequireOutput(annot, "the annotation output");
        auto annots = DictionariesIn(RequirePage(handle).getKey("/Annots"));
        if (index >= annots.size())
            throw Failure(kPDOutOfRange,
                          "annotation " + std::to_string(index) + " of " + std::to_string(annots.size()));
        *annot = NewHandle(handle.document, annots[index]);
    });
}

PDStatus PDPageAddWidget(PDHandle page, const char* fieldName, const char* parentName, PDHandle* annot) {
    return Guarded(__func__, [&] {
        Handle& handle = ResolveObject(page, "the page");
        auto pageObject = RequirePage(handle);
        RequireOutput(fieldName, "the field name");
        RequireOutput(annot, "the annotation output");
        if (!pageObject.isIndirect())
            throw Failure(kPDWrongKind, "the page is not an object of its document's page tree");
        auto parent = parentName != nullptr ? std::optional<std::string_view>(parentName) : std::nullopt;
        auto widget = AddWidget(handle.document->pdf, pageObject, fieldName, parent);
        *annot = NewHandle(handle.document, widget);
    });
}

PDStatus PDAnnotGetSubtype(PDHandle annot, std::int32_t* subtype) {
    return Guarded(__func__, [&] {
        auto object = RequireDictionary(ResolveObject(annot, "the annotation"), "the annotation");
        RequireOutput(subtype, "the subtype output");
        *subtype = AnnotSubtypeOfName(NameOf(object.getKey("/Subtype")));
    });
}

PDStatus PDAnnotGetAction(PDHandle annot, PDHandle* action) {
    return Guarded(__func__, [&] {
        Handle& handle = ResolveObject(annot, "the annotation");
        auto object = RequireDictionary(handle, "the annotation");
        RequireOutput(action, "the action output");
        auto found = object.getKey("/A");
        *action = found.isDictionary() ? NewHandle(handle.document, found) : nullptr;
    });
}

PDStatus PDAnnotSetAction(PDHandle annot, PDHandle action) {
    return Guarded(__func__, [&] {
        Handle& annotHandle = ResolveObject(annot, "the annotation");
        auto object = RequireDictionary(annotHandle, "the annotation");
        if (action == nullptr) {
            object.removeKey("/A");
            return;
        }
        Handle& actionHandle = ResolveObject(action, "the action");
        auto actionObject = RequireAction(actionHandle);
        if (actionHandle.document != annotHandle.document)
            throw Failure(kPDInvalidArgument, "the action belongs to another document");
        object.replaceKey("/A", actionObject);
    });
}

PDStatus PDWidgetAnnotGetParent(PDHandle annot, PDHandle* field) {
    return Guarded(__func__, [&] {
        Handle& handle = ResolveObject(annot, "the annotation");
        auto widget = RequireDictionary(handle, "the annotation");
        RequireOutput(field, "the field output");
        if (AnnotSubtypeOfName(NameOf(widget.getKey("/Subtype"))) != kPDAnnotWidget)
            throw Failure(kPDWrongKind, "the annotation is not a widget");
        auto found = FieldOfWidget(widget);
        if (!found)
            throw Failure(kPDNotFound, "the widget has neither /T nor /Parent");
        *field = NewHandle(handle.document, *found);
    });
}

PDStatus PDFieldGetName(PDHandle field, wchar_t* buffer, std::uint32_t* inOutLength) {
    return Guarded(__func__, [&] {
        auto object = RequireDictionary(ResolveObject(field, "the field"), "the field");
        DeliverText(Utf8ToWide(QualifiedName(object)), buffer, inOutLength);
    });
}

PDStatus PDActionGetType(PDHandle action, std::int32_t* type) {
    return Guarded(__func__, [&] {
        auto object = RequireAction(ResolveObject(action, "the action"));
        RequireOutput(type, "the type output");
        *type = ActionTypeOfName(NameOf(object.getKey("/S")));
    });
}

PDStatus PDActionHideIsHiding(PDHandle action, std::uint8_t* hiding) {
    return Guarded(__func__, [&] {
        auto object = RequireAction(ResolveObject(action, "the action"), kPDActionHide);
        RequireOutput(hiding, "the hiding output");
        auto flag = object.getKey("/H");
        *hiding = !flag.isBool() || flag.getBoolValue() ? 1 : 0;
    });
}

PDStatus PDActionGetNextLength(PDHandle action, std::uint32_t* count) {
    return Guarded(__func__, [&] {
        auto object = RequireDictionary(ResolveObject(action, "the action"), "the action");
        RequireOutput(count, "the count output");
        *count = static_cast<std::uint32_t>(DictionariesIn(object.getKey("/Next")).size());
    });
}

PDStatus PDActionGetNext(PDHandle action, std::uint32_t index, PDHandle* next) {
    return Guarded(__func__, [&] {
        Handle& handle = ResolveObject(action, "the action");
        auto object = RequireDictionary(handle, "the action");
        RequireOutput(next, "the next output");
        auto following = DictionariesIn(object.getKey("/Next"));
        if (index >= following.size())
            throw Failure(kPDOutOfRange,
                          "next action " + std::to_string(index) + " of " + std::to_string(following.size()));
        *next = NewHandle(handle.document, following[index]);
    });
}

PDStatus PDActionJavaScriptGetScript(PDHandle action, wchar_t* buffer, std::uint32_t* inOutLength) {
    return Guarded(__func__, [&] {
        auto object = RequireAction(ResolveObject(action, "the action"), kPDActionJavaScript);
        DeliverText(Utf8ToWide(TextOf(object.getKey("/JS"))), buffer, inOutLength);
    });
}

PDStatus PDActionCreate(PDHandle document, std::int32_t type, PDHandle* action, const wchar_t* script) {
    return Guarded(__func__, [&] {
        Handle& handle = ResolveDocument(document);
        RequireOutput(action, "the action output");
        if (type != kPDActionJavaScript)
            throw Failure(kPDNotSupported, "actions of type " + std::to_string(type) + " cannot be created");
        auto created = NewJavaScriptAction(handle.document->pdf, script != nullptr ? WideToUtf8(script) : "");
        *action = NewHandle(handle.document, created);
    });
}

PDStatus PDActionCreateFromJson(PDHandle document, const char* json, PDHandle* action) {
    return Guarded(__func__, [&] {
        Handle& handle = ResolveDocument(document);
        RequireOutput(json, "the description");
        RequireOutput(action, "the action output");
        auto created = BuildAction(handle.document->pdf, json);
        *action = NewHandle(handle.document, created);
    });
}

PDStatus PDActionDescribe(PDHandle action, char* buffer, std::uint32_t* inOutLength) {
    return Guarded(__func__, [&] {
        Handle& handle = ResolveObject(action, "the action");
        DeliverText(DescribeAction(handle.document->pdf, RequireAction(handle)), buffer, inOutLength);
    });
}

} // extern "C"
