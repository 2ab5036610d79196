// What every editor kind of the panel shares: the link to its property, the common placeholders,
// the error view, the change subscription and refresh path, the routing of UI events into the
// kind's hooks, the edit popup helpers and the application events that tell the group handlers
// about edits. A kind is one class `PropertyHandler_X : PropertyHandler_Base<PropertyHandler_X>`
// that defines
//   std::wstring BuildHtmlCode(ServiceObject* property)   the kind's filled template, started with
//                                                          BeginFill (which gives the uid its
//                                                          element is found by)
// and names the optional hooks it defines in `static constexpr EditorHooks kHooks{...}` (see
// EditorHooks). The base calls the hooks directly (no virtual dispatch) and checks the list at
// compile time both ways, so that a misspelt, wrongly typed or unlisted hook is an error instead
// of a hook that silently never runs.
#pragma once

#include "host/BLDocument.h"
#include "host/BLProperties.h"
#include "host/UIDocuments.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectException.h"
#include "service-common/TextConversion.h"
#include "ui-document-panel-properties/EventConnection.h"
#include "ui-document-panel-properties/PropertiesAccess.h"
#include "ui-document-panel-properties/PropsViewGen.h"
#include "ui-engine/HtmlText.h"
#include "ui-engine/internal/TemplatesPreprocessor.h"
#include "ui-engine/internal/UIHandlerStdImpl.h"

#include <atomic>
#include <concepts>
#include <string>
#include <vector>

namespace panel {

// Application events an editor fires on its own element; they bubble to the group handlers.
constexpr std::uint32_t PROP_VIEW_REFRESHED = 0x404;
constexpr std::uint32_t PROP_EDIT_POPUP_SHOWN = 0x405;
constexpr std::uint32_t PROP_EDIT_FINISHED = 0x406;
// Asks a root group handler to generate its panel content now.
constexpr std::uint32_t PROP_GENERATE_CONTENT = 0x407;

// The parts of the base that do not depend on the kind.
namespace editor {

std::wstring GetDisplayName(const std::wstring* name);
std::wstring BuildSetEmptyHtml();
// The error view of a property whose HTML could not be built.
std::wstring BuildErrorHtml(const std::wstring& name, std::uint64_t key, const std::wstring& title,
                            const std::wstring& description);
// The common placeholders PROPERTY_UID, PROPERTY_ID, PROPERTY_NAME and PROPERTY_DISP_NAME.
void AddCommonRules(ui::TemplatesPreprocessor& preprocessor, const std::wstring& name, std::uint64_t key);
// Replaces the text of every ".cmd-base-name" inside `source` by its translation.
void TranslateCommandNames(const ui::Element& source);
// Fires one of the application events above, synchronously, with the handler's element as source.
void FireApplicationEvent(std::uint32_t code, const ui::Element& target, const ui::Element& source);
// Binds `handler` (a "UIHandler") to `element`; the engine keeps it while attached.
void AttachHandler(const ui::Element& element, ServiceObject* handler);
// The element of a behaviour event's handle, or an empty one.
ui::Element EventElement(HELEMENT handle);
// Puts the caret of `input` after its `length` characters, nothing selected: where a user goes on
// typing.
void PlaceCaretAtEnd(const ui::Element& input, std::size_t length);

} // namespace editor

// The optional hooks of an editor kind, each named by the flag of the same name:
struct EditorHooks {
    bool OnPropChange = false;       // void OnPropChange(): after a change notification [ui-thread]
    bool ShowEditPopup = false;      // void ShowEditPopup(): a click on an editable view
    bool OnPopupDismissing = false;  // void OnPopupDismissing(const ui::Element& popup)
    bool OnPropEditFinished = false; // void OnPropEditFinished(const ui::Element& popup): the commit
    bool OnEvent = false;            // void OnEvent(std::uint8_t* handled, HtmlBehaviorEventParams& event)
    bool kEditInputSelector = false; // static constexpr const char* kEditInputSelector: the popup's
                                     // input, whose Enter closes the popup
};

namespace editor {

// Whether `Kind` has a member of the hook's name at all (whatever its type), and whether it can be
// called as the hook is.
#define PP_EDITOR_HOOK_TRAITS(hook, call)                                                                    \
    template <class Kind>                                                                                    \
    constexpr bool Has##hook = requires {                                                                    \
        &Kind::hook;                                                                                         \
    };                                                                                                       \
    template <class Kind>                                                                                    \
    constexpr bool Fits##hook = requires(Kind & kind, std::uint8_t * flag, HtmlBehaviorEventParams & event,  \
                                         const ui::Element& popup) {                                         \
        call;                                                                                                \
    };
PP_EDITOR_HOOK_TRAITS(OnPropChange, { kind.OnPropChange() } -> std::same_as<void>)
PP_EDITOR_HOOK_TRAITS(ShowEditPopup, { kind.ShowEditPopup() } -> std::same_as<void>)
PP_EDITOR_HOOK_TRAITS(OnPopupDismissing, { kind.OnPopupDismissing(popup) } -> std::same_as<void>)
PP_EDITOR_HOOK_TRAITS(OnPropEditFinished, { kind.OnPropEditFinished(popup) } -> std::same_as<void>)
PP_EDITOR_HOOK_TRAITS(OnEvent, { kind.OnEvent(flag, event) } -> std::same_as<void>)
PP_EDITOR_HOOK_TRAITS(kEditInputSelector, { Kind::kEditInputSelector } -> std::convertible_to<const char*>)
#undef PP_EDITOR_HOOK_TRAITS

// True when the kind's list and its members agree; each disagreement fails its own assertion, which
// names the hook.
template <class Kind>
consteval bool CheckHooks() {
    static_assert(
        requires { Kind::kHooks; }, "an editor kind names its hooks: static constexpr EditorHooks kHooks");
    constexpr EditorHooks hooks = Kind::kHooks;
#define PP_CHECK_EDITOR_HOOK(hook)                                                                           \
    static_assert(!hooks.hook || Has##hook<Kind>, "kHooks names " #hook ", which the kind does not define"); \
    static_assert(hooks.hook || !Has##hook<Kind>, "the kind defines " #hook " without naming it in kHooks"); \
    static_assert(!Has##hook<Kind> || Fits##hook<Kind>, #hook " does not have the hook's signature");
    PP_CHECK_EDITOR_HOOK(OnPropChange)
    PP_CHECK_EDITOR_HOOK(ShowEditPopup)
    PP_CHECK_EDITOR_HOOK(OnPopupDismissing)
    PP_CHECK_EDITOR_HOOK(OnPropEditFinished)
    PP_CHECK_EDITOR_HOOK(OnEvent)
    PP_CHECK_EDITOR_HOOK(kEditInputSelector)
#undef PP_CHECK_EDITOR_HOOK
    return true;
}

} // namespace editor

// Members are [ui-thread] unless they say otherwise; the panel's threads are told in
// PropertiesPanelHandler.h.
template <class Kind>
class PropertyHandler_Base : public ui::UIHandlerStdImpl<Kind> {
    using Framework = ui::UIHandlerStdImpl<Kind>;

public:
    static constexpr std::uint32_t kEventMask =
        kHandleMouse | kHandleKey | kHandleFocus | kHandleSize | kHandleBehaviorEvent;

    explicit PropertyHandler_Base(ServiceObject* property)
        : propertyRef(so::WeakRef::To(property)), propertyKey(ObjectIdentity(property)) {
        // Here the kind is complete, and every kind is made through this constructor.
        static_assert(editor::CheckHooks<Kind>());
        // Editable only when the property says so: a missing answer keeps it read-only.
        if (std::optional<bool> answer = QueryPropertyReadOnly(property))
            readOnly = *answer;
    }

    // The editor's HTML, or the error view when the kind could not read its property; empty when
    // the property is gone.
    std::wstring BuildHtmlCode() {
        so::Ref property = propertyRef.Lock();
        if (!property)
            return {};
        try {
            return Derived().BuildHtmlCode(property.Get());
        } catch (const so::ServiceObjectException& e) {
            return ErrorHtml(property.Get(), so::WideFromUtf8(e.Message()));
        } catch (const std::exception& e) {
            return ErrorHtml(property.Get(), so::WideFromUtf8(e.what()));
        }
    }

    // The uid of the editor's element; filled by BuildHtmlCode.
    const std::wstring& PropertyUid() const { return propertyUid; }

    void OnAttached() {
        so::Ref property = propertyRef.Lock();
        if (!property)
            return;
        so::WeakRef weakSelf = so::WeakRef::To(this->Self());
        // May run on any thread: it only reads `committing` and posts the refresh.
        auto onChange = [weakSelf](const host::ObjectEventArguments&) {
            so::Ref self = weakSelf.Lock();
            if (!self)
                return;
            Kind& kind = Kind::From(self.Get());
            if (!kind.committing.load(std::memory_order_acquire))
                kind.PostWeak([](Kind& alive) { alive.RefreshAfterChange(); });
        };
        if (auto subscription = EventConnection::Subscribe<host::BLProperty, host::BLProperty::OnChange>(
                property.Get(), onChange))
            subscriptions.push_back(std::move(subscription));
    }

    void OnDetached() {
        for (auto& subscription : subscriptions)
            subscription->Disconnect();
        subscriptions.clear();
    }

    void RefreshAfterChange() {
        if constexpr (Kind::kHooks.OnPropChange)
            Derived().OnPropChange();
    }

    // A commit can make the host rebuild the panel, which detaches this editor meanwhile: the
    // framework keeps it alive while this runs.
    void OnBehaviorEvent(std::uint8_t& handled, HtmlBehaviorEventParams& event) {
        ui::Element target = editor::EventElement(event.heTarget);
        switch (event.cmd) {
        case kButtonClick:
            if (target && target.Test(".prop-edit-btn, .editable-prop")) {
                if constexpr (Kind::kHooks.ShowEditPopup)
                    Derived().ShowEditPopup();
                handled = 1;
            } else if (target && target.Test(".edit-box > .edit-view")) {
                closingPopup = true;
                HideEditPopup();
                handled = 1;
                closingPopup = false;
            }
            break;
        case kPopupDismissing:
            if (target && target.Test(".edit-popup")) {
                if constexpr (Kind::kHooks.OnPopupDismissing)
                    Derived().OnPopupDismissing(target);
                handled = 1;
            }
            break;
        case kPopupDismissed:
            if (target && (target.Test(".edit-popup") || target.FindFirst(":root > .edit-popup"))) {
                if (!closingPopup) {
                    if constexpr (Kind::kHooks.OnPropEditFinished)
                        Derived().OnPropEditFinished(
                            target.Test(".edit-popup") ? target : target.FindFirst(":root > .edit-popup"));
                }
                handled = 1;
            }
            break;
        case kPopupRequest:
            if (ui::Element source = editor::EventElement(event.he))
                editor::TranslateCommandNames(source);
            break;
        default:
            break;
        }
        if constexpr (Kind::kHooks.OnEvent)
            Derived().OnEvent(&handled, event);
    }

    // Enter in the popup's input closes the popup; the engine then reports the dismissal, which
    // commits. Modifier keys are not looked at, and no other key is the editor's.
    SOResult HandleKey(HELEMENT, HtmlKeyParams* params) {
        if (params == nullptr)
            return so::kInvalidArgument;
        if constexpr (Kind::kHooks.kEditInputSelector) {
            if (params->cmd == kKeyDown && params->keyCode == kEnterKey && params->target != nullptr &&
                ui::Element(params->target).Test(Kind::kEditInputSelector)) {
                HideEditPopup();
                return so::kOk;
            }
        }
        return so::kNothingProvided;
    }

    // Hides the open edit popup of this editor, if any.
    void HideEditPopup() { this->AttachedElement().HideShownPopups(":root .edit-popup"); }

    // The document of the panel's window; raises "Not initialized" when a link is missing.
    so::Ref GetDocument() {
        const std::string function =
            "PropertyHandler_Base<struct " + ui::HandlerClassName(typeid(Kind)) + ">::GetDocument";
        auto missing = [&function] {
            return so::ServiceObjectException(so::kNotInitialized, "Not initialized", function,
                                              "App/src/ui-document-panel-properties/PropertiesHandlers", 0);
        };
        so::Ref frame = this->QueryFromWindow(host::UIMainFrame::kId);
        so::Ref uiView =
            frame ? GetObjectFrom<host::UIMainFrame::GetActiveDocumentView>(frame.Get()) : so::Ref();
        so::Ref businessView = uiView ? GetObjectFrom<host::UIDocumentView::QueryServiceObject>(
                                            uiView.Get(), host::BLDocumentView::kId)
                                      : so::Ref();
        so::Ref document =
            businessView ? GetObjectFrom<host::BLDocumentView::GetDocument>(businessView.Get()) : so::Ref();
        if (!document)
            throw missing();
        return document;
    }

protected:
    static constexpr std::uint32_t kEnterKey = 13;

    // Opens the kind's edit popup under its view, or closes it when it is open already (a second
    // click on the view closes it). `sizedSelector` (null: the input itself) gets at least the
    // view's width; the input gets `value` and the focus; PROP_EDIT_POPUP_SHOWN follows. Gives the
    // input, or nothing when the popup was closed instead or a part is missing.
    ui::Element OpenEditPopup(const char* viewSelector, const char* popupSelector, const char* inputSelector,
                              const char* sizedSelector, const ui::Value& value) {
        if (!propertyRef.Lock())
            return {};
        const ui::Element& root = this->AttachedElement();
        ui::Element view = root.FindFirst(viewSelector);
        ui::Element popup = root.FindFirst(popupSelector);
        if (!view || !popup)
            return {};
        if (popup.IsPopupShown()) {
            popup.HidePopup();
            return {};
        }
        ui::Element input = popup.FindFirst(inputSelector);
        if (!input)
            return {};
        ui::Element sized = sizedSelector != nullptr ? popup.FindFirst(sizedSelector) : input;
        if (sized) {
            const RECT box = view.Location(kBorderBoxRelativeToView);
            sized.SetAttribute("style", ui::FormatMessage(L"min-width: %1%px;", box.right - box.left));
        }
        input.SetValue(value);
        popup.ShowPopup(view);
        input.SetState(kStateFocus);
        FireEvent(PROP_EDIT_POPUP_SHOWN, popup);
        return input;
    }

    // Runs `write` with change notifications of this editor's own write ignored (the inline kinds).
    template <class Write>
    void Committing(Write&& write) {
        committing.store(true, std::memory_order_release);
        try {
            write();
        } catch (...) {
            committing.store(false, std::memory_order_release);
            throw;
        }
        committing.store(false, std::memory_order_release);
    }

    // Starts a kind's fill with the common placeholders; remembers the uid for the binding step.
    ui::TemplatesPreprocessor BeginFill(const wchar_t* templateName, ServiceObject* property,
                                        const std::wstring* name) {
        std::wstring readName = name != nullptr ? *name : GetPropertyName(property).value_or(std::wstring());
        AssignUid(readName);
        ui::TemplatesPreprocessor preprocessor(std::wstring(L"document-panel-properties/") + templateName);
        editor::AddCommonRules(preprocessor, readName, propertyKey);
        return preprocessor;
    }

    // Gives the editor the uid its element is found by, for a kind that builds its HTML without
    // BeginFill.
    void AssignUid(const std::wstring& name) { propertyUid = MakePropertyUid(&name, propertyKey); }

    // Fires an application event with the editor's element as its source.
    void FireEvent(std::uint32_t code, const ui::Element& target = ui::Element()) {
        editor::FireApplicationEvent(code, target, this->AttachedElement());
    }

public:
    so::WeakRef propertyRef;
    std::uint64_t propertyKey;
    std::vector<EventConnectionPtr> subscriptions;
    bool readOnly = true;
    // Steers the refresh after a change: see the flags in PropertiesPanelHandler.h.
    std::atomic<bool> committing{false};
    bool closingPopup = false;

private:
    Kind& Derived() { return static_cast<Kind&>(*this); }

    std::wstring ErrorHtml(ServiceObject* property, const std::wstring& description) {
        std::wstring name;
        try {
            name = GetPropertyName(property).value_or(std::wstring());
        } catch (const std::exception&) {
            // The name stays empty: the view still says which kind of failure it was.
        }
        propertyUid = MakePropertyUid(&name, propertyKey);
        std::wstring title = ui::FormatMessage(ui::Translate(L"Failed to read %1% property.").c_str(), name);
        return editor::BuildErrorHtml(name, propertyKey, title, description);
    }

    std::wstring propertyUid;
};

} // namespace panel
