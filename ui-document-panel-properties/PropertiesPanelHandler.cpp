#include "ui-document-panel-properties/PropertiesPanelHandler.h"

#include "host/BLDocument.h"
#include "host/BLProperties.h"
#include "service-common/TextConversion.h"
#include "ui-document-panel-properties/PropertiesAccess.h"
#include "ui-engine/Logging.h"
#include "ui-engine/internal/TemplatesPreprocessor.h"

#include <boost/algorithm/string/join.hpp>

namespace panel {

namespace {

constexpr const char* kCloseOnMouseUp =
    ".panel-content, .properties-group-container, .properties-group-name, "
    ".props-panel, .strip, .icon, .buttons-container, .buttons-container>*";

void SetExpanded(const ui::Element& element, bool expanded) {
    if (expanded)
        element.SetState(kStateExpanded, kStateCollapsed);
    else
        element.SetState(kStateCollapsed, kStateExpanded);
}

} // namespace

PropertiesPanelHandler::PropertiesPanelHandler()
    : sharedData_(std::make_shared<PropsViewGenSharedData>()), propsViewGen_(so::WeakRef(), sharedData_) {}

void PropertiesPanelHandler::OnAttached() {
    CleanView(true);
}

void PropertiesPanelHandler::OnDetached() {
    propsViewGen_.ClearPendingTasks();
    UnsubscribeDocumentEvents();
    ResetCommandOrTaskObserver();
    connections_.DisconnectAll();
}

bool PropertiesPanelHandler::OnIdle() {
    if (!updatePending_.load())
        return false;
    try {
        AttachedElement().State();
    } catch (const so::ServiceObjectException&) {
        return false; // the root element is not usable now: try again at the next idle time
    }
    // Cleared first: a rebuild that fails must not be retried at every idle call.
    updatePending_ = false;
    UpdateView(false);
    return true;
}

SOResult PropertiesPanelHandler::OnLocaleChanged() {
    // Before the rebuild is asked for: it must fill from the templates as the store has them now.
    ui::TemplatesPreprocessor::Invalidate();
    PostAlways([](PropertiesPanelHandler& handler) { handler.updatePending_ = true; });
    return so::kOk;
}

void PropertiesPanelHandler::SetCurrentSelection(ServiceObject* selection) {
    so::WeakRef weak = so::WeakRef::To(selection);
    std::lock_guard lock(selectionMutex_);
    currentSelection_ = std::move(weak);
}

so::Ref PropertiesPanelHandler::CurrentSelection() const {
    std::lock_guard lock(selectionMutex_);
    return currentSelection_.Lock();
}

void PropertiesPanelHandler::OnDocumentViewSelectionChanging(ServiceObject*, ServiceObject* next) {
    if (next == nullptr) {
        SetCurrentSelection(nullptr);
        PostWeak([](PropertiesPanelHandler& handler) {
            handler.propsViewGen_.SetContext(so::WeakRef());
            handler.CleanView(true);
        });
        return;
    }
    SetCurrentSelection(next);
    using S = host::BLSelection;
    connections_.Add(SubscribeIgnored<PropertiesPanelHandler, S, S::OnInitialized>(next));
    connections_.Add(SubscribeWeak<PropertiesPanelHandler, S, S::OnDisplayed>(
        *this, next,
        [](PropertiesPanelHandler& self, const host::ObjectEventArguments&) { self.updatePending_ = true; }));
}

void PropertiesPanelHandler::OnActiveViewChanged(ServiceObject* businessView) {
    so::Ref selection =
        businessView != nullptr ? GetObjectFrom<host::BLDocumentView::GetSelection>(businessView) : so::Ref();
    if (!selection) {
        ShowNothing();
        return;
    }
    SetCurrentSelection(selection.Get());
    updatePending_ = true;
}

void PropertiesPanelHandler::ShowNothing() {
    // Dropped before anything else: a rebuild asked for meanwhile (a language switch) must not bring
    // back the object of a view that is no longer followed, whose editors would write into it.
    SetCurrentSelection(nullptr);
    RunOrPost([](PropertiesPanelHandler& handler) {
        handler.propsViewGen_.SetContext(so::WeakRef());
        handler.CleanView(true);
    });
}

void PropertiesPanelHandler::UpdateView(bool async) {
    if (!async && !MustPost()) {
        _UpdateView();
        return;
    }
    PostAlways([](PropertiesPanelHandler& handler) { handler._UpdateView(); });
}

void PropertiesPanelHandler::_UpdateView() {
    so::Ref selection = CurrentSelection();
    if (!selection)
        return;
    connections_.DisconnectAll();
    so::Ref context = GetObjectFrom<host::BLSelection::GetPropertiesContext>(selection.Get());
    if (!context) {
        // The previous object's editors must not stay live for a selection that shows nothing.
        propsViewGen_.SetContext(so::WeakRef());
        propsViewGen_.ClearPendingTasks();
        CleanView(false);
        return;
    }
    propsViewGen_.SetContext(so::WeakRef::To(context.Get()));
    connections_.Add(SubscribeWeak<PropertiesPanelHandler, host::BLPropertiesContext,
                                   host::BLPropertiesContext::OnChanged>(
        *this, context.Get(), [](PropertiesPanelHandler& self, const host::ObjectEventArguments&) {
            self.CleanView(false);
            self.UpdateView(true);
        }));
    GenerateAndInsert(context.Get());
}

void PropertiesPanelHandler::GenerateAndInsert(ServiceObject* context) {
    std::wstring objectName = GetContextObjectName(context);
    // Tasks left by a generation that failed half-way must not bind their handlers into this one.
    propsViewGen_.ClearPendingTasks();
    std::shared_ptr<PropsHtm> htm = propsViewGen_.GeneratePropsHtm(context, objectName);
    if (!htm || (htm->panelsHtml.empty() && htm->looseGroupsHtml.empty())) {
        propsViewGen_.ClearPendingTasks();
        CleanView(false);
        ui::Log(host::LogLevel::Info, ui::FormatMessage(L"Properties view emptied: %1%", objectName));
        return;
    }
    const ui::Element& root = AttachedElement();
    ui::Element content = root.FindFirst(":root .panel-content");
    if (content) {
        if (ui::Element hint = content.FindFirst(":root > #no-items-msg"))
            SetExpanded(hint, false);
        if (ui::Element tabbed = content.FindFirst(":root > #tabbed-groups"))
            tabbed.SetStyleAttribute("visibility", L"visible");
        if (ui::Element strip = content.FindFirst(":root > #tabbed-groups > .strip"))
            strip.SetInnerHtml(so::Utf8FromWide(htm->tabsHtml));
        if (ui::Element panels = content.FindFirst(":root > #tabbed-groups > .panels-container"))
            panels.SetInnerHtml(so::Utf8FromWide(htm->panelsHtml));
    }
    propsViewGen_.RunPendingTasks(so::Ref::Share(context), htm, content ? content : root);

    ui::Element tabbed = content ? content.FindFirst(":root > #tabbed-groups") : ui::Element();
    if (tabbed) {
        const bool oneGroup = GetContextGroupCount(context) == 1;
        for (const ui::Element& icons : tabbed.FindAll(".icon-tabs-container"))
            icons.SetAttribute("hideTabsIcons", oneGroup ? std::optional<std::wstring>(L"") : std::nullopt);
    }
    if (ui::Element body = FindBody()) {
        std::optional<std::wstring> state = body.GetAttribute("ui-state");
        if (state && !state->empty()) {
            sharedData_->selectedGroupName = *state;
            body.SetAttribute("ui-state", std::nullopt);
        }
    }
    ui::Log(host::LogLevel::Info, ui::FormatMessage(L"Properties view rebuilt: %1% (%2%)", objectName,
                                                    boost::algorithm::join(htm->groupIds, L", ")));
    if (tabbed) {
        // The tab control reports this selection like a user's; it is the panel's own, and a
        // fallback to the first tab must not replace the tab the user chose last.
        selectingTab_ = true;
        try {
            const std::wstring& selected = sharedData_->selectedGroupName;
            if (!htm->groupNames.empty() && !selected.empty() && htm->groupNames.count(selected) != 0)
                tabbed.CallMethod("select", {ui::Value::String(selected)});
            else
                tabbed.CallMethod("select_first");
        } catch (...) {
            selectingTab_ = false;
            throw;
        }
        selectingTab_ = false;
    }
}

void PropertiesPanelHandler::CleanView(bool showHint) {
    if (MustPost()) {
        PostAlways([showHint](PropertiesPanelHandler& handler) { handler.CleanView(showHint); });
        return;
    }
    connections_.DisconnectAll();
    if (!IsAttached())
        return;
    const ui::Element& root = AttachedElement();
    if (ui::Element content = root.FindFirst(":root .panel-content")) {
        for (const ui::Element& element : content.FindAll(":root > #regular-groups > .properties-content"))
            element.Remove();
        if (ui::Element regular = content.FindFirst(":root > #regular-groups"))
            regular.SetStyleAttribute("visibility", L"collapse");
        for (const ui::Element& tab : content.FindAll(":root > #tabbed-groups > .strip > [panel]"))
            tab.Remove();
        for (const ui::Element& panel :
             content.FindAll(":root > #tabbed-groups > .panels-container > [name]"))
            panel.Remove();
        if (ui::Element tabbed = content.FindFirst(":root > #tabbed-groups"))
            tabbed.SetStyleAttribute("visibility", L"collapse");
        if (ui::Element hint = content.FindFirst(":root > #no-items-msg"))
            SetExpanded(hint, showHint);
    }
    if (ui::Element separator = root.FindFirst("#title-separator"))
        separator.SetStyleAttribute("visibility", L"collapse");
    if (ui::Element title = root.FindFirst("#tabbed-group-title"))
        title.SetText(L"");
}

ui::Element PropertiesPanelHandler::FindBody() const {
    const ui::Element& root = AttachedElement();
    if (root.Test("body"))
        return root;
    if (ui::Element body = root.FindParent("body", 64))
        return body;
    return root.FindFirst("body");
}

void PropertiesPanelHandler::CloseEditPopup() {
    if (!IsAttached())
        return;
    // Only a shown popup needs hiding; asking for those spares a handle per popup of the page.
    AttachedElement().HideShownPopups(".edit-popup:popup");
}

void PropertiesPanelHandler::OnBehaviorEvent(std::uint8_t& handled, HtmlBehaviorEventParams& event) {
    ui::Element target = event.heTarget != nullptr ? ui::Element(event.heTarget) : ui::Element();
    if (!target)
        return;
    if (event.cmd == kButtonClick && target.Test(".prop-name")) {
        CloseEditPopup();
        handled = 1;
        return;
    }
    if (event.cmd == kElementExpanded) {
        if (target.Test(".props-tab")) {
            std::optional<std::wstring> panel = target.GetAttribute("panel");
            if (panel && target.GetAttribute("display-name") && !selectingTab_)
                sharedData_->selectedGroupName = *panel;
            CloseEditPopup();
        } else if (target.Test(".pg-tab")) {
            ui::Element panel = target.FindParent(".props-panel", 5);
            std::optional<std::wstring> panelName = panel ? panel.GetAttribute("name") : std::nullopt;
            std::optional<std::wstring> subGroup = target.GetAttribute("panel");
            if (panelName && panel.GetAttribute("display-name") && subGroup &&
                target.GetAttribute("display-name"))
                sharedData_->selectedSubGroups[*panelName] = *subGroup;
            CloseEditPopup();
        } else if (target.Test(".properties-panel-body")) {
            ui::Element body = FindBody();
            std::optional<std::wstring> state = body ? body.GetAttribute("ui-state") : std::nullopt;
            if (state) {
                sharedData_->selectedGroupName = *state;
                CloseEditPopup();
                if (ui::Element tabs = AttachedElement().FindFirst(".panel-content > #tabbed-groups"))
                    tabs.CallMethod("select", {ui::Value::String(*state)});
                body.SetAttribute("ui-state", std::nullopt);
            }
        }
    }
}

SOResult PropertiesPanelHandler::HandleMouse(HELEMENT, HtmlMouseParams* params) {
    if (params == nullptr)
        return so::kInvalidArgument;
    if (params->cmd == kMouseUp && params->target != nullptr &&
        ui::Element(params->target).Test(kCloseOnMouseUp))
        CloseEditPopup();
    return so::kOk;
}

} // namespace panel
