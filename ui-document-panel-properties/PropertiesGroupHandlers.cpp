#include "ui-document-panel-properties/PropertiesGroupHandlers.h"

#include "host/BLProperties.h"
#include "host/UIDocuments.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceQuery.h"
#include "service-common/TextConversion.h"
#include "ui-document-panel-properties/PropertyHandler_Base.h"
#include "ui-engine/HtmlText.h"
#include "ui-engine/Logging.h"

#include <boost/format.hpp>

namespace panel {

namespace {

constexpr const char* kButtonsContainer = "#user-opts-buttons-container";

// Sets a flag for the duration of a scope, also when the scope is left by an exception.
class FlagScope {
public:
    explicit FlagScope(std::atomic<bool>& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    std::atomic<bool>& flag_;
};

bool ReadFlag(std::optional<SOResult> code, std::uint8_t flag) {
    return code && *code == so::kOk && flag != 0;
}

void SetVisibility(const ui::Element& root, const char* selector, const wchar_t* visibility) {
    if (ui::Element element = root.FindFirst(selector))
        element.SetStyleAttribute("visibility", visibility);
}

} // namespace

// ---- PropertiesRootGroupHandler -----------------------------------------------------------------

PropertiesRootGroupHandler::PropertiesRootGroupHandler(so::WeakRef context,
                                                       std::shared_ptr<PropsViewGenSharedData> shared,
                                                       const so::Ref& group)
    : PropsViewGen(std::move(context), std::move(shared)), groupRef(so::WeakRef::To(group.Get())) {}

template <class Work>
bool PropertiesRootGroupHandler::PostIfOffThread(Work&& work) {
    if (!MustPost())
        return false;
    PostWeak(std::forward<Work>(work));
    return true;
}

// A default action may rebuild the panel and so detach this handler while it runs: the framework
// keeps it alive meanwhile.
void PropertiesRootGroupHandler::OnBehaviorEvent(std::uint8_t& handled, HtmlBehaviorEventParams& event) {
    ui::Element target = editor::EventElement(event.heTarget);
    ui::Element source = editor::EventElement(event.he);
    switch (event.cmd) {
    case kButtonClick:
        if (source && source.Test("#user-opts-save")) {
            SetAsDefault();
            handled = 1;
        } else if (source && source.Test("#user-opts-reset-default")) {
            ResetDefault();
            handled = 1;
        }
        break;
    case kElementExpanded:
        if (target && target == AttachedElement() && !contentGenerated)
            contentGenerated = GenerateContent();
        break;
    case kPopupRequest:
        if (source)
            editor::TranslateCommandNames(source);
        break;
    case PROP_VIEW_REFRESHED:
        defaultsUpdatePending = true;
        handled = 1;
        break;
    case PROP_EDIT_POPUP_SHOWN:
        if (ui::Element buttons = AttachedElement().FindFirst(kButtonsContainer))
            buttons.SetState(kStateDisabled);
        handled = 1;
        break;
    case PROP_EDIT_FINISHED:
        defaultsUpdatePending = true;
        if (ui::Element buttons = AttachedElement().FindFirst(kButtonsContainer))
            buttons.SetState(0, kStateDisabled);
        handled = 1;
        break;
    case PROP_GENERATE_CONTENT:
        // Generated once, whichever comes first: this request or the first expansion.
        contentGenerated = GenerateContent() || contentGenerated;
        skipNextIdleUpdate = true;
        handled = 1;
        break;
    default:
        break;
    }
}

bool PropertiesRootGroupHandler::OnIdle() {
    if (skipNextIdleUpdate) {
        skipNextIdleUpdate = false;
        return true;
    }
    if (!defaultsUpdatePending)
        return false;
    // Cleared first: an update that fails is reported once, not tried again at every idle time.
    defaultsUpdatePending = false;
    UpdateDefaultPropertiesControls(false, false, so::Ref());
    return true;
}

bool PropertiesRootGroupHandler::GenerateContent() {
    so::Ref group = groupRef.Lock();
    if (!group)
        return false;
    ClearPendingTasks();
    bool generated = false;
    const std::wstring html = GenerateRootGroupPanel(group.Get(), false, std::wstring());
    if (!html.empty() && IsAttached()) {
        AttachedElement().SetInnerHtml(so::Utf8FromWide(html));
        so::Ref context = contextRef.Lock();
        RunPendingTasks(context, nullptr, AttachedElement());
        ui::Log(host::LogLevel::Info, ui::FormatMessage(L"Properties panel content generated: %1%",
                                                        GetGroupName(group.Get(), false)));
        generated = true;
    }
    defaultsUpdatePending = true;
    return generated;
}

void PropertiesRootGroupHandler::UpdateDefaultPropertiesControls(bool saveShown, bool resetDone,
                                                                 so::Ref context) {
    if (PostIfOffThread([saveShown, resetDone, context](PropertiesRootGroupHandler& handler) {
            handler.UpdateDefaultPropertiesControls(saveShown, resetDone, context);
        }))
        return;
    if (!context)
        context = contextRef.Lock();
    if (!context || !groupRef.Lock() || !IsAttached())
        return;
    std::uint8_t supported = 0;
    auto asked = so::Call<host::BLPropertiesContext::IsDefaultSupported>(context.Get(), &supported);
    if (!ReadFlag(asked, supported)) {
        SetVisibility(AttachedElement(), kButtonsContainer, L"collapse");
        return;
    }
    so::Ref defaults = GetObjectFrom<host::BLPropertiesContext::GetDefaultContext>(context.Get());
    if (defaults) {
        so::WeakRef weakSelf = so::WeakRef::To(Self());
        optsChangedSubscription = EventConnection::Subscribe<host::BLPropertiesContextDefault,
                                                             host::BLPropertiesContextDefault::OptsChanged>(
            defaults.Get(), [weakSelf](const host::ObjectEventArguments& arguments) {
                so::Ref self = weakSelf.Lock();
                if (!self)
                    return;
                PropertiesRootGroupHandler& handler = From(self.Get());
                // A running default action brings the buttons up to date itself.
                if (handler.defaultActionRunning.load())
                    return;
                handler._UpdateDefaultPropertiesControls_1(false, false, so::Ref::Share(arguments.object));
            });
    }
    _UpdateDefaultPropertiesControls_1(saveShown, resetDone, defaults);
}

void PropertiesRootGroupHandler::_UpdateDefaultPropertiesControls_1(bool saveShown, bool resetDone,
                                                                    so::Ref defaultContext) {
    if (PostIfOffThread([saveShown, resetDone, defaultContext](PropertiesRootGroupHandler& handler) {
            handler._UpdateDefaultPropertiesControls_1(saveShown, resetDone, defaultContext);
        }))
        return;
    so::Ref group = groupRef.Lock();
    if (!group)
        return;
    if (!saveShown && defaultContext) {
        std::uint8_t equal = 0;
        auto code = so::Call<host::BLPropertiesContextDefault::IsCurrentEqualToDefaults>(defaultContext.Get(),
                                                                                         group.Get(), &equal);
        saveShown = !ReadFlag(code, equal);
    }
    _UpdateDefaultPropertiesControls_2(saveShown, resetDone, std::move(defaultContext));
}

void PropertiesRootGroupHandler::_UpdateDefaultPropertiesControls_2(bool saveShown, bool resetDone,
                                                                    so::Ref defaultContext) {
    if (PostIfOffThread([saveShown, resetDone, defaultContext](PropertiesRootGroupHandler& handler) {
            handler._UpdateDefaultPropertiesControls_2(saveShown, resetDone, defaultContext);
        }))
        return;
    so::Ref group = groupRef.Lock();
    if (!group || !IsAttached())
        return;
    const ui::Element& root = AttachedElement();
    if (saveShown) {
        SetVisibility(root, ":root #user-opts-save", L"visible");
        SetVisibility(root, ":root #user-opts-reset-default", L"collapse");
    } else {
        SetVisibility(root, ":root #user-opts-save", L"collapse");
        if (!resetDone && defaultContext) {
            std::uint8_t original = 0;
            auto code = so::Call<host::BLPropertiesContextDefault::AreDefaultsOriginal>(
                defaultContext.Get(), group.Get(), &original);
            resetDone = ReadFlag(code, original);
        }
        SetVisibility(root, ":root #user-opts-reset-default", resetDone ? L"collapse" : L"visible");
    }
    if (ui::Element buttons = root.FindFirst(":root #user-opts-buttons-container")) {
        buttons.SetStyleAttribute("visibility", saveShown || !resetDone ? L"visible" : L"hidden");
        buttons.SetState(0, kStateDisabled);
    }
}

void PropertiesRootGroupHandler::SetAsDefault() {
    so::Ref context = contextRef.Lock();
    if (!context || !groupRef.Lock())
        return;
    so::Ref defaults = GetObjectFrom<host::BLPropertiesContext::GetDefaultContext>(context.Get());
    if (!defaults)
        return;
    FlagScope running(defaultActionRunning);
    so::Call<host::BLPropertiesContextDefault::StoreCurrentAsDefaults>(defaults.Get());
    _UpdateDefaultPropertiesControls_2(false, false, defaults);
}

bool PropertiesRootGroupHandler::ConfirmReset() {
    so::Ref options = so::QueryServiceObject(host::UserOptions::kServiceName);
    std::uint8_t warn = 1;
    so::Call<host::UserOptions::GetBool>(options.Get(), host::UserOptions::kGroupAccountDependentOptions,
                                         host::UserOptions::kResetDefaultWarning, &warn);
    if (warn == 0)
        return true;
    so::Ref frame = QueryFromWindow(host::UIMainFrame::kId);
    if (!frame)
        return false;
    so::Ref messageBox = GetObjectFrom<host::UIMainFrame::GetMessageBox>(frame.Get());
    if (!messageBox)
        return false;
    const std::wstring text = ui::FormatMessage(
        L"<h5>%1%</h5><p>%2%</p><p><button type=\"checkbox\" id=\"DontShowAgaing\">%3%</button></p>",
        ui::EscapeHtml(ui::Translate(L"Do you want to restore original default settings?"),
                       ui::kEscapeHtmlText),
        ui::EscapeHtml(ui::Translate(L"Current custom settings will be lost and the original "
                                     L"default settings will be restored."),
                       ui::kEscapeHtmlText),
        ui::EscapeHtml(ui::Translate(L"Don't ask me again"), ui::kEscapeHtmlText));
    const std::wstring caption = ui::Translate(L"dialog button", L"RESET DEFAULT");
    std::uint32_t answer = 0;
    std::uint8_t dontAskAgain = 0;
    auto shown = so::Call<host::UIMessageBox::Show>(
        messageBox.Get(), text.c_str(), caption.c_str(),
        host::MessageBoxFlags::kYesNo | host::MessageBoxFlags::kIconQuestion, &answer, &dontAskAgain);
    if (!shown || *shown != so::kOk)
        return false;
    std::uint8_t changed = 0;
    so::Call<host::UserOptions::SetBool>(options.Get(), host::UserOptions::kGroupAccountDependentOptions,
                                         host::UserOptions::kResetDefaultWarning,
                                         std::uint8_t(dontAskAgain == 0), &changed);
    return answer == host::MessageBoxAnswer::kYes;
}

void PropertiesRootGroupHandler::ResetDefault() {
    so::Ref context = contextRef.Lock();
    if (!context || !groupRef.Lock())
        return;
    so::Ref defaults = GetObjectFrom<host::BLPropertiesContext::GetDefaultContext>(context.Get());
    if (!defaults || !ConfirmReset())
        return;
    FlagScope running(defaultActionRunning);
    so::Call<host::BLPropertiesContextDefault::RestoreOriginalDefaults>(
        defaults.Get(), host::BLPropertiesContextDefault::kRestoreAndApply);
    _UpdateDefaultPropertiesControls_1(false, true, defaults);
}

// ---- PropertiesGroupHandler ---------------------------------------------------------------------

PropertiesGroupHandler::PropertiesGroupHandler(so::WeakRef context,
                                               std::shared_ptr<PropsViewGenSharedData> shared,
                                               const so::Ref& group)
    : PropsViewGen(std::move(context), std::move(shared)), groupRef(so::WeakRef::To(group.Get())) {}

void PropertiesGroupHandler::OnBehaviorEvent(std::uint8_t&, HtmlBehaviorEventParams& event) {
    if (event.cmd == kPopupRequest) {
        if (ui::Element source = editor::EventElement(event.he))
            editor::TranslateCommandNames(source);
    }
}

bool PropertiesGroupHandler::OnIdle() {
    if (!idlePending)
        return false;
    idlePending = false;
    return true;
}

} // namespace panel
