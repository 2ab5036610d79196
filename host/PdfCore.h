// The PDF core library's C interface: counted handles to documents and to the objects in them
// (actions, pages, annotations, form fields), read and built through these functions.
//
// Tags: [thread-safe] may be called from any thread at any time. [document] may be called from any
// thread, but calls that reach the same document must not overlap: a document belongs to one thread
// at a time. Every function returns a PDStatus and leaves its outputs untouched on failure; the
// calling thread's last failure is described by PDGetLastError.
//
// Text leaves through the two-call pattern: a null buffer gives the length (without terminator) in
// *inOutLength; otherwise *inOutLength is the buffer's size in units, the text is copied, terminated
// when there is room, and *inOutLength becomes its length. A buffer shorter than the text gives
// kPDBufferTooSmall and the needed length in *inOutLength. Wide text is UTF-32 on Linux.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define PDFCORE_API __declspec(dllimport)
#else
#define PDFCORE_API __attribute__((visibility("default")))
#endif

extern "C" {

// A counted reference to a document or to one object of a document. A handle that a function hands
// out carries one reference for the receiver, who releases it with PDHandleRelease. An object's
// handle keeps its document alive; releasing a handle never changes the document. Every call that
// returns a handle returns a new one, so two handles may name the same object.
// host/ValueRecords.h's host::PdfActionHandle is a PDHandle of an action.
using PDHandle = void*;

using PDStatus = std::int32_t;
constexpr PDStatus kPDOk = 0;
constexpr PDStatus kPDInvalidHandle = -1;   // null, never handed out, or already released
constexpr PDStatus kPDInvalidArgument = -2; // a null output, a bad name, text or JSON description
constexpr PDStatus kPDWrongKind = -3;       // e.g. a document where an action was expected
constexpr PDStatus kPDOutOfRange = -4;      // an index past the end
constexpr PDStatus kPDBufferTooSmall = -5;  // *inOutLength now holds the length needed
constexpr PDStatus kPDNotSupported = -6;    // e.g. PDActionCreate of a type other than JavaScript
constexpr PDStatus kPDNotFound = -7;        // e.g. a widget that belongs to no field
constexpr PDStatus kPDFailure = -8;         // the file or an object could not be read or written

// The PDF names that actions (/S) and annotations (/Subtype) are told apart by. A name missing
// here reads as kPDTypeUnknown.
constexpr std::int32_t kPDTypeUnknown = 0;
constexpr std::int32_t kPDActionGoTo = 235;
constexpr std::int32_t kPDActionHide = 246;
constexpr std::int32_t kPDActionImportData = 261;
constexpr std::int32_t kPDActionJavaScript = 275;
constexpr std::int32_t kPDActionLaunch = 289;
constexpr std::int32_t kPDAnnotLink = 303;
constexpr std::int32_t kPDActionMovie = 331; // also the Movie annotation
constexpr std::int32_t kPDActionNamed = 337;
constexpr std::int32_t kPDActionResetForm = 445;
constexpr std::int32_t kPDActionSound = 479; // also the Sound annotation
constexpr std::int32_t kPDActionSubmitForm = 498;
constexpr std::int32_t kPDActionURI = 550;
constexpr std::int32_t kPDAnnotWidget = 577;

// ---- Handles and errors [thread-safe] -----------------------------------------------------------

// One more reference to `handle`.
PDFCORE_API PDStatus PDHandleAcquire(PDHandle handle);
// One reference less; the last one frees the handle (and the document, when no other handle of
// it is left). The object it named stays in its document.
PDFCORE_API PDStatus PDHandleRelease(PDHandle handle);
// The calling thread's last failure as UTF-8 text naming the function and what was wrong, two-call
// pattern. Empty before any failure; a successful call does not clear it.
PDFCORE_API PDStatus PDGetLastError(char* buffer, std::uint32_t* inOutLength);

// [document] Whether two handles name the same document or the same object of one document (1) or
// not (0). Handles are compared by what they name, since every call hands out a new one.
PDFCORE_API PDStatus PDHandleIsSameObject(PDHandle first, PDHandle second, std::uint8_t* same);

// ---- Documents ----------------------------------------------------------------------------------

// [thread-safe] A new empty document in memory: a catalog and no page.
PDFCORE_API PDStatus PDDocCreate(PDHandle* document);
// [thread-safe] The PDF file at `path` (UTF-8). The file is read as needed and stays open while the
// document lives.
PDFCORE_API PDStatus PDDocOpen(const char* path, PDHandle* document);
// [document] Writes the document to `path` (UTF-8) through a temporary file beside it, so that a
// document may be saved over the file it was opened from.
PDFCORE_API PDStatus PDDocSave(PDHandle document, const char* path);
// [document] The document of any handle (a document handle gives a new handle of itself).
PDFCORE_API PDStatus PDHandleGetDocument(PDHandle handle, PDHandle* document);
// [document]
PDFCORE_API PDStatus PDDocGetPageCount(PDHandle document, std::uint32_t* count);
// [document] The page at `index`, from 0.
PDFCORE_API PDStatus PDDocGetPage(PDHandle document, std::uint32_t index, PDHandle* page);
// [document] Appends a new empty US Letter page.
PDFCORE_API PDStatus PDDocAddPage(PDHandle document, PDHandle* page);

// ---- Pages, annotations, fields [document] ------------------------------------------------------

// The annotations in the page's /Annots, in their order; entries that are not dictionaries are
// skipped by both.
PDFCORE_API PDStatus PDPageGetNumAnnots(PDHandle page, std::uint32_t* count);
PDFCORE_API PDStatus PDPageGetAnnot(PDHandle page, std::uint32_t index, PDHandle* annot);
// Adds a widget merged with a new field whose partial name (/T) is `fieldName` (UTF-8, no '.') to
// the page's /Annots. The field goes under the field of fully qualified name `parentName` (created,
// level by level, when missing), or when that is null into the form's /Fields. kPDInvalidArgument
// when a field of the same qualified name exists.
PDFCORE_API PDStatus PDPageAddWidget(PDHandle page, const char* fieldName, const char* parentName,
                                     PDHandle* annot);
// The /Subtype: kPDAnnotWidget, kPDAnnotLink, kPDActionSound, kPDActionMovie, else kPDTypeUnknown.
PDFCORE_API PDStatus PDAnnotGetSubtype(PDHandle annot, std::int32_t* subtype);
// The annotation's action (/A), or null with kPDOk when it has none.
PDFCORE_API PDStatus PDAnnotGetAction(PDHandle annot, PDHandle* action);
// Sets /A to the action, which must belong to the same document; a null action removes /A.
PDFCORE_API PDStatus PDAnnotSetAction(PDHandle annot, PDHandle action);
// The field of a widget: the widget itself when it carries a partial name (/T), that is when it is
// merged with its field; else its /Parent. kPDNotFound for a widget with neither.
PDFCORE_API PDStatus PDWidgetAnnotGetParent(PDHandle annot, PDHandle* field);
// The fully qualified name: the /T of the field and of its ancestors, outermost first, joined by
// '.'. Ancestors without /T add nothing; the walk stops at an ancestor met before (a /Parent loop).
PDFCORE_API PDStatus PDFieldGetName(PDHandle field, wchar_t* buffer, std::uint32_t* inOutLength);

// ---- Actions [document] -------------------------------------------------------------------------

// The action's /S as a kPDAction… value, kPDTypeUnknown for another name. kPDWrongKind when the
// object is not a dictionary with an /S name.
PDFCORE_API PDStatus PDActionGetType(PDHandle action, std::int32_t* type);
// A Hide action's /H: 1 hides, 0 shows; 1 when absent. kPDWrongKind for other actions.
PDFCORE_API PDStatus PDActionHideIsHiding(PDHandle action, std::uint8_t* hiding);
// The actions that follow (/Next): 1 for one dictionary, the dictionaries of an array, else 0.
PDFCORE_API PDStatus PDActionGetNextLength(PDHandle action, std::uint32_t* count);
PDFCORE_API PDStatus PDActionGetNext(PDHandle action, std::uint32_t index, PDHandle* next);
// A JavaScript action's script (/JS, a text string or a text stream), decoded. Empty when /JS is
// missing. kPDWrongKind for other actions.
PDFCORE_API PDStatus PDActionJavaScriptGetScript(PDHandle action, wchar_t* buffer,
                                                 std::uint32_t* inOutLength);
// A new action of `type`, an indirect object of the document that no other object refers to yet.
// Only kPDActionJavaScript is supported (kPDNotSupported otherwise); `script` may be null (empty).
PDFCORE_API PDStatus PDActionCreate(PDHandle document, std::int32_t type, PDHandle* action,
                                    const wchar_t* script);
// A new action chain built from a JSON description (UTF-8; the format is in
// headless-host/pdfcore/README.md). kPDInvalidArgument, with PDGetLastError naming the fault, for
// a description it does not accept.
PDFCORE_API PDStatus PDActionCreateFromJson(PDHandle document, const char* json, PDHandle* action);
// The action chain as JSON text (UTF-8) in the format PDActionCreateFromJson accepts, two-call
// pattern. An action met before in the same chain is written {"loop": true}.
PDFCORE_API PDStatus PDActionDescribe(PDHandle action, char* buffer, std::uint32_t* inOutLength);

} // extern "C"
