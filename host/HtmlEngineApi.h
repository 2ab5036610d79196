// The HTML engine's C interface: typed values, element operations and event records, obtained as
// one function table from the engine library. Tables only grow at the end; a caller checks `size`
// before using an entry added after the first version.
//
// Unless a slot says otherwise every function is [ui-thread], returns an HtmlResult, and leaves
// its outputs untouched on failure.
#pragma once

#include "host/ServiceObject.h"
#include "host/WindowsApi.h"

#include <cstdint>

extern "C" {

// An element handle: a counted reference to a DOM element. A handle stays valid (and names the
// same element) while references to it are held, also after the element left the document.
using HELEMENT = struct HtmlElement_*;

enum HtmlResult : std::uint32_t {
    kHtmlOk = 0,
    kHtmlInvalidHandle = 1,
    kHtmlInvalidParameter = 2,
    kHtmlOperationFailed = 3,  // e.g. an invalid selector, a popup without an anchor
    kHtmlNotHandled = 4,       // no behaviour or script method of that name
};

// ---- Values -------------------------------------------------------------------------------------

enum HtmlValueType : std::uint32_t {
    kHtmlValueUndefined = 0,
    kHtmlValueNull = 1,
    kHtmlValueBool = 2,
    kHtmlValueInt = 3,
    kHtmlValueFloat = 4,
    kHtmlValueString = 5,
    kHtmlValueDate = 6,  // 100-ns ticks since 1601-01-01 UTC, as a 64-bit integer
    kHtmlValueArray = 7,
    kHtmlValueMap = 8,
};

// A value owns what it holds; copy with ValueCopy, release with ValueClear. Zero-filled means
// undefined.
struct HtmlValue {
    std::uint32_t type;
    std::uint32_t units;
    std::uint64_t data;
};

// Receives text that lives only for the duration of the call.
using HtmlWideReceiver = void (*)(const wchar_t* text, std::uint32_t length, void* param);
using HtmlUtf8Receiver = void (*)(const char* text, std::uint32_t length, void* param);
// Receives each element found; returning non-zero stops the search.
using HtmlElementCallback = int (*)(HELEMENT element, void* param);

// ---- Event records ------------------------------------------------------------------------------

// Event groups, as handler masks (GetSubscribedEvents).
enum HtmlEventGroup : std::uint32_t {
    kHandleMouse = 0x1,
    kHandleKey = 0x2,
    kHandleFocus = 0x4,
    kHandleScroll = 0x8,
    kHandleTimer = 0x10,
    kHandleSize = 0x20,
    kHandleDraw = 0x40,
    kHandleDataArrived = 0x80,
    kHandleBehaviorEvent = 0x100,
    kHandleMethodCall = 0x200,
    kHandleScriptingMethodCall = 0x400,
    kHandleExchange = 0x1000,
    kHandleGesture = 0x2000,
    kHandleSom = 0x8000,
};

// Sinking copies of an event carry this bit in their code; handlers see the bubbling copy without it.
constexpr std::uint32_t kHtmlSinking = 0x8000;
// Set in the code of an event the engine delivers after it handled it itself.
constexpr std::uint32_t kHtmlHandled = 0x10000;

enum HtmlMouseEvent : std::uint32_t {
    kMouseEnter = 0,
    kMouseLeave = 1,
    kMouseMove = 2,
    kMouseUp = 3,
    kMouseDown = 4,
    kMouseDoubleClick = 5,
    kMouseWheel = 6,
    kMouseClick = 0xFF,
};

enum HtmlMouseButtons : std::uint32_t { kMainMouseButton = 1, kPropMouseButton = 2, kMiddleMouseButton = 4 };
enum HtmlKeyboardStates : std::uint32_t { kControlKeyPressed = 1, kShiftKeyPressed = 2, kAltKeyPressed = 4 };

struct HtmlMouseParams {
    std::uint32_t cmd;
    HELEMENT target;
    POINT pos;      // relative to the target
    POINT posView;  // relative to the view
    std::uint32_t buttonState;
    std::uint32_t altState;
};

enum HtmlKeyEvent : std::uint32_t { kKeyDown = 0, kKeyUp = 1, kKeyChar = 2 };

struct HtmlKeyParams {
    std::uint32_t cmd;
    HELEMENT target;
    std::uint32_t keyCode; // virtual key code, or the character for kKeyChar
    std::uint32_t altState;
};

enum HtmlFocusEvent : std::uint32_t { kFocusOut = 0, kFocusIn = 1, kFocusGot = 2, kFocusLost = 3, kFocusRequest = 4,
                                      kFocusAdvanceRequest = 5 };
enum HtmlFocusCause : std::uint32_t { kByCode = 0, kByMouse = 1, kByKeyNext = 2, kByKeyPrev = 3, kByKeyAccessKey = 4,
                                      kByUnload = 5, kByPopup = 6 };

struct HtmlFocusParams {
    std::uint32_t cmd;
    HELEMENT target;
    std::uint32_t cause;
    std::uint32_t cancel; // a handler of a request sets it to refuse the focus change
};

// Behaviour events: the engine's own codes; application events start at 0x400 (1024).
enum HtmlBehaviorEvent : std::uint32_t {
    kButtonClick = 0,
    kButtonPress = 1,
    kButtonStateChanged = 2,
    kEditValueChanging = 3,
    kEditValueChanged = 4,
    kSelectSelectionChanged = 5,
    kSelectStateChanged = 6,
    kPopupRequest = 7,
    kPopupReady = 8,
    kPopupDismissed = 9,
    kMenuItemActive = 0xA,
    kMenuItemClick = 0xB,
    kPopupDismissing = 0x13,
    kElementExpanded = 0x91,
    kElementCollapsed = 0x92,
    kFirstApplicationEvent = 0x400,
};

struct HtmlBehaviorEventParams {
    std::uint32_t cmd;
    HELEMENT heTarget; // the element the event is about
    HELEMENT he;       // the source element (the one whose handler fired it)
    std::uintptr_t reason;
    HtmlValue data;
};

struct HtmlTimerParams {
    std::uintptr_t timerId;
};

struct HtmlScrollParams {
    std::uint32_t cmd;
    HELEMENT target;
    std::int32_t pos;
    std::uint32_t vertical;
};

struct HtmlDrawParams {
    std::uint32_t cmd;
    void* surface;
    RECT area;
};

// A call of a script method on an element with a native handler: the handler fills `result`.
struct HtmlScriptingMethodParams {
    const char* name;
    const HtmlValue* argv;
    std::uint32_t argc;
    HtmlValue result;
};

enum HtmlSomRequest : std::uint32_t { kSomGetPassport = 0, kSomGetAsset = 1 };

struct HtmlSomParams {
    std::uint32_t cmd;
    union {
        const void* passport;
        void* asset;
    } data;
};

// ---- Element states -----------------------------------------------------------------------------

enum HtmlElementState : std::uint32_t {
    kStateLink = 0x1,
    kStateHover = 0x2,
    kStateActive = 0x4,
    kStateFocus = 0x8,
    kStateVisited = 0x10,
    kStateCurrent = 0x20,
    kStateChecked = 0x40,
    kStateDisabled = 0x80,
    kStateReadOnly = 0x100,
    kStateExpanded = 0x200,
    kStateCollapsed = 0x400,
    kStateIncomplete = 0x800,
    kStateEmpty = 0x4000,
    kStateOwnsPopup = 0x400000,
    kStatePopup = 0x08000000,
};

enum HtmlInnerHtmlPlacement : std::uint32_t {
    kSetInnerHtml = 0,       // replace the content
    kSetOuterHtml = 1,       // replace the element
    kAppendInnerHtml = 2,    // after the last child
    kPrependInnerHtml = 3,   // before the first child
};

enum HtmlLocationArea : std::uint32_t {
    kContentBoxRelativeToView = 0x10 | 0x1,
    kBorderBoxRelativeToView = 0x10 | 0x4,
};

// ---- The table ----------------------------------------------------------------------------------

struct HtmlEngineApi {
    std::uint32_t size; // bytes of this table as the engine built it

    // Values [thread-safe on distinct values]
    HtmlResult (*ValueInit)(HtmlValue* value);
    HtmlResult (*ValueClear)(HtmlValue* value);
    HtmlResult (*ValueCopy)(HtmlValue* destination, const HtmlValue* source);
    HtmlResult (*ValueType)(const HtmlValue* value, std::uint32_t* type);
    HtmlResult (*ValueIntData)(const HtmlValue* value, std::int32_t* data);   // int and bool
    HtmlResult (*ValueIntDataSet)(HtmlValue* value, std::int32_t data, std::uint32_t type);
    HtmlResult (*ValueInt64Data)(const HtmlValue* value, std::int64_t* data); // int and date
    HtmlResult (*ValueInt64DataSet)(HtmlValue* value, std::int64_t data, std::uint32_t type);
    HtmlResult (*ValueFloatData)(const HtmlValue* value, double* data);
    HtmlResult (*ValueFloatDataSet)(HtmlValue* value, double data);
    HtmlResult (*ValueStringData)(const HtmlValue* value, HtmlWideReceiver receiver, void* param);
    HtmlResult (*ValueStringDataSet)(HtmlValue* value, const wchar_t* text, std::uint32_t length);
    // Maps and arrays (and every other type) in and out as JSON text; a malformed text fails.
    HtmlResult (*ValueFromJson)(HtmlValue* value, const char* json, std::uint32_t length);
    HtmlResult (*ValueToJson)(const HtmlValue* value, HtmlUtf8Receiver receiver, void* param);
    HtmlResult (*ValueElementCount)(const HtmlValue* value, std::uint32_t* count);
    HtmlResult (*ValueNthElement)(const HtmlValue* value, std::uint32_t index, HtmlValue* element);
    HtmlResult (*ValueGetByKey)(const HtmlValue* value, const char* key, HtmlValue* element);

    // Element handles
    HtmlResult (*ElementAddRef)(HELEMENT element);
    HtmlResult (*ElementRelease)(HELEMENT element);

    // Queries: selectors are CSS with ":root" for the element the query runs on. An invalid
    // selector fails with kHtmlOperationFailed.
    HtmlResult (*SelectElements)(HELEMENT scope, const char* selector, HtmlElementCallback callback, void* param);
    HtmlResult (*SelectFirst)(HELEMENT scope, const char* selector, HELEMENT* found); // found: +1 ref, or null
    HtmlResult (*SelectParent)(HELEMENT element, const char* selector, std::uint32_t depth, HELEMENT* found);
    HtmlResult (*TestElement)(HELEMENT element, const char* selector, std::uint32_t* matches);
    HtmlResult (*GetParentElement)(HELEMENT element, HELEMENT* parent);                       // +1 ref or null
    HtmlResult (*GetChildrenCount)(HELEMENT element, std::uint32_t* count);
    HtmlResult (*GetNthChild)(HELEMENT element, std::uint32_t index, HELEMENT* child);        // +1 ref
    HtmlResult (*GetElementTag)(HELEMENT element, HtmlUtf8Receiver receiver, void* param);
    HtmlResult (*GetRootElement)(HWND window, HELEMENT* root);                                 // +1 ref

    // Attributes: a null value removes the attribute; a missing attribute gives kHtmlNotHandled.
    HtmlResult (*GetAttributeByName)(HELEMENT element, const char* name, HtmlWideReceiver receiver, void* param);
    HtmlResult (*SetAttributeByName)(HELEMENT element, const char* name, const wchar_t* value);
    HtmlResult (*GetStyleAttribute)(HELEMENT element, const char* name, HtmlWideReceiver receiver, void* param);
    HtmlResult (*SetStyleAttribute)(HELEMENT element, const char* name, const wchar_t* value);

    // Content
    HtmlResult (*GetElementHtml)(HELEMENT element, std::uint32_t outer, HtmlUtf8Receiver receiver, void* param);
    // UTF-8 markup; the engine attaches the handlers that the new elements' behaviours name.
    HtmlResult (*SetElementHtml)(HELEMENT element, const char* html, std::uint32_t length, std::uint32_t placement);
    HtmlResult (*GetElementText)(HELEMENT element, HtmlWideReceiver receiver, void* param);
    HtmlResult (*SetElementText)(HELEMENT element, const wchar_t* text, std::uint32_t length);
    HtmlResult (*DetachElement)(HELEMENT element);

    // States: clears bitsToClear, then sets bitsToSet; newly setting expanded raises kElementExpanded,
    // setting focus moves the keyboard focus (the previous holder loses it).
    HtmlResult (*GetElementState)(HELEMENT element, std::uint32_t* state);
    HtmlResult (*SetElementState)(HELEMENT element, std::uint32_t bitsToSet, std::uint32_t bitsToClear,
                                  std::uint32_t update);

    // Values of inputs, text areas, sliders, check boxes, selects and forms.
    HtmlResult (*GetElementValue)(HELEMENT element, HtmlValue* value);
    HtmlResult (*SetElementValue)(HELEMENT element, const HtmlValue* value);

    // Layout
    HtmlResult (*GetElementLocation)(HELEMENT element, RECT* location, std::uint32_t area);
    HtmlResult (*GetElementIntrinsicHeight)(HELEMENT element, std::int32_t forWidth, std::int32_t* height);
    HtmlResult (*ScrollToView)(HELEMENT element, std::uint32_t flags);
    HtmlResult (*GetElementHwnd)(HELEMENT element, HWND* window, std::uint32_t rootWindow);

    // Popups: placement 0 opens the popup below its anchor.
    HtmlResult (*ShowPopup)(HELEMENT popup, HELEMENT anchor, std::uint32_t placement);
    HtmlResult (*HidePopup)(HELEMENT popup);

    // Events: sent events are handled before the call returns; posted ones go through the UI queue.
    HtmlResult (*FireEvent)(const HtmlBehaviorEventParams* event, std::uint32_t post, std::uint32_t* handled);
    // A method of the element's script class or behaviour, e.g. "select", "set_records".
    HtmlResult (*CallScriptingMethod)(HELEMENT element, const char* name, const HtmlValue* argv, std::uint32_t argc,
                                      HtmlValue* result);
    // A behaviour command, e.g. "set-current" on an option of a select.
    HtmlResult (*ExecuteBehaviorCommand)(HELEMENT element, const char* command, std::uint32_t* handled);

    // Native handlers: a "UIHandler" service object, kept with one reference while attached. The
    // engine calls its Attached first and Detached when the handler or the element goes.
    HtmlResult (*AttachEventHandler)(HELEMENT element, ServiceObject* handler);
    HtmlResult (*DetachEventHandler)(HELEMENT element, ServiceObject* handler);

    // The UI invoker of the element's window ("UIInvoker"), with one reference.
    HtmlResult (*GetUIInvoker)(HELEMENT element, ServiceObject** invoker);
    // The "UIWindowContext" of the element's window, with one reference; null when the host gave
    // the window none.
    HtmlResult (*GetWindowContext)(HELEMENT element, ServiceObject** context);
};

// Exported by the engine library.
#if defined(_WIN32)
__declspec(dllimport)
#else
__attribute__((visibility("default")))
#endif
const HtmlEngineApi* HtmlEngineAPI();

} // extern "C"
