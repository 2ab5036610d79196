#include "ui-document-panel-properties/PropsViewGen.h"

#include "host/BLProperties.h"
#include "host/ValueRecords.h"
#include "service-common/TextConversion.h"
#include "ui-document-panel-properties/PropertiesAccess.h"
#include "ui-document-panel-properties/PropertiesGroupHandlers.h"
#include "ui-document-panel-properties/PropertiesHandlers.h"
#include "ui-document-panel-properties/PropertyHandler_Base.h"
#include "ui-engine/HtmlText.h"
#include "ui-engine/internal/TemplatesPreprocessor.h"

#include <boost/algorithm/string/predicate.hpp>
#include <boost/format.hpp>

#include <array>
#include <initializer_list>

namespace panel {

namespace {

constexpr const wchar_t* kUndefinedGroupName = L"UNDEFINED PROPERTIES GROUP";
constexpr std::size_t kSpecialNameLimit = 16384;

struct Placeholder {
    const wchar_t* word;
    std::wstring value;
};

using Placeholders = std::vector<Placeholder>;

// Finishes a container fill begun elsewhere: the placeholders, then the template's comments, which
// container fills drop last.
std::wstring FinishFill(ui::TemplatesPreprocessor& fill, const Placeholders& placeholders) {
    for (const Placeholder& placeholder : placeholders)
        fill.AddRule(placeholder.word, ui::RuleAction::Replace, placeholder.value);
    fill.AddRemoveRule(L"<!--.*?-->");
    return fill.Do();
}

std::wstring FillContainer(const wchar_t* templateName, const Placeholders& placeholders) {
    ui::TemplatesPreprocessor fill(std::wstring(L"document-panel-properties/") + templateName);
    return FinishFill(fill, placeholders);
}

// Texts from documents go into attributes and text: escaped so that they stay text.
std::wstring Text(const std::wstring& text) {
    return ui::EscapeHtml(text, ui::kEscapeHtmlText);
}

std::wstring Decimal(std::uint64_t number) {
    return std::to_wstring(number);
}

std::wstring SelectedAttribute(bool selected) {
    return selected ? L"selected=\"\"" : L"";
}

// What every group container names: the group's id, name and shown name, as text; then `more`.
Placeholders GroupPlaceholders(const std::wstring& id, const std::wstring& name,
                               const std::wstring& displayName, Placeholders more = {}) {
    Placeholders all{{L"PROPS_GROUP_ID", Text(id)},
                     {L"PROPS_GROUP_NAME", Text(name)},
                     {L"PROPS_GROUP_DISP_NAME", Text(displayName)}};
    all.insert(all.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    return all;
}

// Every property's id carries one: formatted by hand, since a format object per property showed in
// the rebuild's profile.
std::wstring Hex16(std::uint64_t key) {
    std::wstring text(16, L'0');
    for (auto digit = text.rbegin(); key != 0; ++digit, key >>= 4)
        *digit = L"0123456789abcdef"[key & 0xF];
    return text;
}

// The first sub-group (in index order) named as the remembered choice for `ownerName`, else 0.
std::uint32_t SelectedSubGroupIndex(const PropsViewGenSharedData& shared, const std::wstring& ownerName,
                                    ServiceObject* owner, std::uint32_t count) {
    auto remembered = shared.selectedSubGroups.find(ownerName);
    if (remembered == shared.selectedSubGroups.end())
        return 0;
    for (std::uint32_t index = 0; index < count; ++index) {
        so::Ref subGroup = GetSubGroup(owner, index);
        if (subGroup && GetGroupNameRaw(subGroup.Get()) == remembered->second)
            return index;
    }
    return 0;
}

} // namespace

std::wstring MakePropertyUid(const std::wstring* name, std::uint64_t key) {
    if (name == nullptr)
        return Hex16(key);
    return ui::MakeSafeValue(*name, true) + L"-" + Hex16(key);
}

bool IsSpecialProperty(std::uint32_t typeCode, const std::wstring& name) {
    if (typeCode != static_cast<std::uint32_t>(host::PropertyType::Bool) || name.size() > kSpecialNameLimit)
        return false;
    return boost::algorithm::iequals(name, L"locked") || boost::algorithm::iequals(name, L"visible");
}

ui::Element ViewQuery::Find(const char* selector, const char* key, std::wstring_view keyValue,
                            const std::vector<std::pair<const char*, std::wstring>>& further) {
    const std::string indexName = std::string(selector) + '\n' + key;
    auto found = indexes_.find(indexName);
    if (found == indexes_.end()) {
        std::unordered_multimap<std::wstring, ui::Element> index;
        if (root_) {
            for (ui::Element& element : root_.FindAll(selector)) {
                if (std::optional<std::wstring> value = element.GetAttribute(key))
                    index.emplace(std::move(*value), std::move(element));
            }
        }
        found = indexes_.emplace(indexName, std::move(index)).first;
    }
    auto [first, last] = found->second.equal_range(std::wstring(keyValue));
    for (auto candidate = first; candidate != last; ++candidate) {
        bool matches = true;
        for (const auto& [attribute, value] : further)
            matches = matches && candidate->second.GetAttribute(attribute) == value;
        if (matches)
            return candidate->second;
    }
    return {};
}

PropsViewGen::PropsViewGen(so::WeakRef context, std::shared_ptr<PropsViewGenSharedData> shared)
    : contextRef(std::move(context)), sharedData(std::move(shared)) {
    if (!sharedData)
        sharedData = std::make_shared<PropsViewGenSharedData>();
}

std::wstring PropsViewGen::GetObjectName() const {
    so::Ref context = contextRef.Lock();
    return context ? GetContextObjectName(context.Get()) : std::wstring(L"Object");
}

std::wstring PropsViewGen::GetGroupId(ServiceObject* group) {
    static constexpr std::array<std::pair<std::uint32_t, const wchar_t*>, 7> kIds = {{
        {host::GroupKind::kGeneral, L"general"},
        {host::GroupKind::kValues, L"values"},
        {host::GroupKind::kEvents, L"events"},
        {host::GroupKind::kAppearance, L"appearance"},
        {host::GroupKind::kMeasurements, L"measurements"},
        {host::GroupKind::kFormat, L"format"},
        {host::GroupKind::kCalculations, L"calculations"},
    }};
    const std::uint32_t flags = GetGroupKindFlags(group);
    for (const auto& [flag, id] : kIds) {
        if ((flags & flag) != 0)
            return id;
    }
    std::wstring name = GetGroupNameRaw(group);
    if (!name.empty())
        return ui::MakeSafeValue(name, true);
    return (boost::wformat(L"error-group-0x%08x") % ObjectIdentity(group)).str();
}

std::wstring PropsViewGen::GetGroupName(ServiceObject* group, bool safe) {
    std::wstring name = GetGroupNameRaw(group);
    return safe ? ui::MakeSafeValue(name, true) : name;
}

std::shared_ptr<PropsHtm> PropsViewGen::GeneratePropsHtm(ServiceObject* context, std::wstring& objectName) {
    if (objectName.empty())
        objectName = GetContextObjectName(context);
    const std::uint32_t count = GetContextGroupCount(context);
    if (count == 0)
        return nullptr;
    auto htm = std::make_shared<PropsHtm>();
    for (std::uint32_t index = 0; index < count; ++index) {
        so::Ref group = GetContextGroup(context, index);
        if (!group)
            continue;
        if (GroupHasFlags(group.Get(), host::GroupKind::kRootGroupFlag)) {
            const std::wstring name = GetGroupName(group.Get(), false);
            const bool selected =
                sharedData->selectedGroupName.empty() ? index == 0 : name == sharedData->selectedGroupName;
            htm->groupIds.insert(GetGroupId(group.Get()));
            htm->groupNames.insert(name);
            htm->tabsHtml += GenerateGroupTab(group.Get(), selected);
            htm->panelsHtml += GenerateRootGroupPanel(group.Get(), true, objectName);
        } else {
            GenerateGroupHtml(group.Get(), objectName, nullptr, &htm->looseGroupsHtml, nullptr, false);
        }
    }
    if (!htm->looseGroupsHtml.empty() && htm->tabsHtml.empty() && htm->panelsHtml.empty() &&
        htm->groupIds.empty()) {
        const std::wstring id = L"general";
        const std::wstring name = L"General";
        const std::wstring displayName = ui::Translate(L"PD Prop Panel Title", name);
        htm->groupIds.insert(id);
        htm->groupNames.insert(name);
        htm->tabsHtml += FillContainer(
            L"properties-tab.template.htm",
            GroupPlaceholders(id, name, displayName, {{L"PROPS_GROUP_ATTRIBUTES", SelectedAttribute(true)}}));
        // The content goes inside a named panel like every other tab's, so that the tab can select
        // it and a clean can find and remove it.
        std::wstring panel = FillContainer(
            L"properties-panel-stub.template.htm",
            GroupPlaceholders(id, name, displayName,
                              {{L"PROPS_OBJECT_NAME", Text(ui::MakeSafeValue(objectName, true))}}));
        const std::size_t end = panel.rfind(L"</div>");
        panel.insert(
            end == std::wstring::npos ? panel.size() : end,
            GeneratePanelContent(objectName, id, name, displayName, L"", htm->looseGroupsHtml, L"", 1));
        htm->panelsHtml += panel;
        htm->looseGroupsHtml.clear();
        // No root group stands behind this panel, so no handler could carry out its default-settings
        // buttons: they are not offered.
        QueuePendingTask([id](const so::Ref&, const std::shared_ptr<PropsHtm>&, ViewQuery& root) {
            if (ui::Element panel = root.Find(".props-panel", "id", id)) {
                if (ui::Element buttons = panel.FindFirst("#user-opts-buttons-container"))
                    buttons.SetStyleAttribute("visibility", L"collapse");
            }
        });
    }
    return htm;
}

std::wstring PropsViewGen::GenerateGroupTab(ServiceObject* group, bool selected) {
    const std::wstring name = GetGroupName(group, false);
    if (name.empty())
        return {};
    return FillContainer(L"properties-tab.template.htm",
                         GroupPlaceholders(GetGroupId(group), name,
                                           ui::Translate(L"PD Prop Panel Title", name),
                                           {{L"PROPS_GROUP_ATTRIBUTES", SelectedAttribute(selected)}}));
}

std::wstring PropsViewGen::GenerateRootGroupPanel(ServiceObject* group, bool stubOnly,
                                                  std::wstring objectName) {
    if (objectName.empty())
        objectName = GetObjectName();
    const std::wstring name = GetGroupName(group, false);
    if (name.empty())
        return {};
    const std::wstring id = GetGroupId(group);
    const std::wstring displayName = ui::Translate(L"PD Prop Panel Title", name);
    return stubOnly ? GenerateRootGroupHtmStub(objectName, id, name, displayName, group)
                    : GenerateRootGroupHtml(objectName, id, name, displayName, group);
}

std::wstring PropsViewGen::GenerateRootGroupHtmStub(const std::wstring& objectName, const std::wstring& id,
                                                    const std::wstring& name, const std::wstring& displayName,
                                                    ServiceObject* group) {
    std::wstring html =
        FillContainer(L"properties-panel-stub.template.htm",
                      GroupPlaceholders(id, name, displayName,
                                        {{L"PROPS_OBJECT_NAME", Text(ui::MakeSafeValue(objectName, true))}}));
    so::Ref groupRef = so::Ref::Share(group);
    // Two root groups may share an id (both flagged general, say): the name tells their stubs apart.
    QueuePendingTask([id, name, groupRef, context = contextRef, shared = sharedData](
                         const so::Ref&, const std::shared_ptr<PropsHtm>&, ViewQuery& root) {
        if (ui::Element stub = root.Find(".props-panel", "id", id, {{"name", name}})) {
            so::Ref handler = PropertiesRootGroupHandler::Create(context, shared, groupRef);
            editor::AttachHandler(stub, handler.Get());
        }
    });
    return html;
}

std::wstring PropsViewGen::GenerateRootGroupHtml(const std::wstring& objectName, const std::wstring& id,
                                                 const std::wstring& name, const std::wstring& displayName,
                                                 ServiceObject* group) {
    const std::uint32_t count = GetSubGroupCount(group);
    std::wstring subTabs;
    std::wstring subContent;
    std::wstring specialItems;
    std::uint32_t withContent = 0;
    if (count == 0) {
        subContent = (boost::wformat(
                          L"<!-- no groups - no content -- such as  ==  no money - no honey -->\n<p>%s</p>") %
                      Text(ui::Translate(L"There are no items to show")))
                         .str();
    } else {
        const std::uint32_t selected = SelectedSubGroupIndex(*sharedData, name, group, count);
        for (std::uint32_t index = 0; index < count; ++index) {
            so::Ref subGroup = GetSubGroup(group, index);
            if (subGroup && GenerateGroupHtml(subGroup.Get(), objectName, &subTabs, &subContent,
                                              &specialItems, index == selected))
                ++withContent;
        }
    }
    return GeneratePanelContent(objectName, id, name, displayName, subTabs, subContent, specialItems,
                                withContent);
}

std::wstring PropsViewGen::GeneratePanelContent(const std::wstring& objectName, const std::wstring& id,
                                                const std::wstring& name, const std::wstring& displayName,
                                                const std::wstring& subTabs, const std::wstring& subContent,
                                                const std::wstring& specialItems,
                                                std::uint32_t subGroupsWithContent) {
    ui::TemplatesPreprocessor fill(L"document-panel-properties/properties-panel-content.template.htm");
    ui::AddLocalizedTextRules(fill, L"RESET_DEFAULT_TOKEN", L"RESET_DEFAULT_TEXT", L"dialog button",
                              L"RESET DEFAULT");
    ui::AddLocalizedTextRules(fill, L"SET_AS_DEFAULT_TOKEN", L"SET_AS_DEFAULT_TEXT", L"dialog button",
                              L"MAKE DEFAULT");
    return FinishFill(fill, GroupPlaceholders(id, name, displayName,
                                              {{L"PROPS_OBJECT_NAME", Text(objectName)},
                                               {L"PROPS_SUB_GROUPS_TABS", subTabs},
                                               {L"PROPS_SUB_GROUPS_CONTENT", subContent},
                                               {L"SPECIAL_PROPS_ITEMS", specialItems},
                                               {L"NUM_PROPS_SUB_GROUPS", Decimal(subGroupsWithContent)}}));
}

bool PropsViewGen::GenerateGroupHtml(ServiceObject* group, const std::wstring& objectName,
                                     std::wstring* tabsOut, std::wstring* contentOut,
                                     std::wstring* specialOut, bool selected) {
    std::wstring name = GetGroupName(group, false);
    if (name.empty())
        name = kUndefinedGroupName;
    const std::wstring id = ui::MakeSafeValue(name, true);
    std::shared_ptr<GenGroupItemsResult> items = GenGroupItems(group, objectName, name);
    if (specialOut != nullptr)
        *specialOut += items->specialItemsHtml;
    const std::uint64_t childCount = std::uint64_t(items->propertyCount) + items->subGroupCount;
    if (childCount != 0) {
        const std::wstring displayName = ui::Translate(L"PD Prop", name);
        if (contentOut != nullptr) {
            const std::wstring uid = id + L"-" + Hex16(ObjectIdentity(group));
            *contentOut += FillContainer(
                L"properties-group.template.htm",
                GroupPlaceholders(id, name, displayName,
                                  {{L"PROPS_GROUP_UID", Text(uid)},
                                   {L"PROPS_OBJECT_NAME", Text(ui::MakeSafeValue(objectName, true))},
                                   {L"PROPS_GROUP_ITEMS", items->itemsHtml},
                                   {L"PROPS_GROUP_NUM_CHILD_ITEMS", Decimal(childCount)}}));
            so::Ref groupRef = so::Ref::Share(group);
            QueuePendingTask([id, uid, groupRef, context = contextRef, shared = sharedData](
                                 const so::Ref&, const std::shared_ptr<PropsHtm>&, ViewQuery& root) {
                if (ui::Element view = root.Find(".pg-view", "uid", uid, {{"id", id}})) {
                    so::Ref handler = PropertiesGroupHandler::Create(context, shared, groupRef);
                    editor::AttachHandler(view, handler.Get());
                }
            });
        }
        if (tabsOut != nullptr) {
            *tabsOut +=
                FillContainer(L"properties-group-tab.template.htm",
                              GroupPlaceholders(id, name, displayName,
                                                {{L"PROPS_GROUP_ATTRIBUTES", SelectedAttribute(selected)},
                                                 {L"PROPS_GROUP_NUM_CHILD_ITEMS", Decimal(childCount)}}));
        }
    }
    return items->subGroupCount != 0 || items->itemCount != 0;
}

std::shared_ptr<GenGroupItemsResult>
PropsViewGen::GenGroupItems(ServiceObject* group, const std::wstring& objectName, const std::wstring&) {
    auto result = std::make_shared<GenGroupItemsResult>();
    result->subGroupCount = GetSubGroupCount(group);
    result->propertyCount = GetGroupPropertyCount(group);
    std::wstring ordinary;
    std::wstring special;
    for (std::uint32_t index = 0; index < result->propertyCount; ++index) {
        so::Ref property = GetGroupProperty(group, index);
        if (!property)
            continue;
        const std::uint32_t type = GetPropertyType(property.Get());
        const std::wstring name = GetPropertyName(property.Get()).value_or(std::wstring());
        std::wstring html = PreparePropertyHtml(property.Get());
        if (IsSpecialProperty(type, name)) {
            special += html;
        } else {
            ordinary += html;
            ++result->itemCount;
        }
    }
    // Groups below a group are shown inside it, after its own properties.
    for (std::uint32_t index = 0; index < result->subGroupCount; ++index) {
        if (so::Ref subGroup = GetSubGroup(group, index))
            GenerateGroupHtml(subGroup.Get(), objectName, nullptr, &ordinary, nullptr, false);
    }
    result->itemsHtml = std::move(ordinary);
    result->specialItemsHtml = std::move(special);
    return result;
}

std::wstring PropsViewGen::PreparePropertyHtml(ServiceObject* property) {
    const std::uint32_t type = GetPropertyType(property);
    if (IsPropertyHidden(property))
        return {};
    if (PreparePropertyView prepare = FindEditorKind(type))
        return prepare(*this, property);
    const std::wstring name = GetPropertyName(property).value_or(std::wstring());
    if (name.empty())
        return {};
    return (boost::wformat(L"<div .pg-item>\t<div .prop-name>%1%</div>\t<div .prop-box>\t\t<div "
                           L".prop-view>uups, no prop impl</div>\t</div></div>") %
            Text(name))
        .str();
}

void PropsViewGen::RunPendingTasks(const so::Ref& context, const std::shared_ptr<PropsHtm>& htm,
                                   const ui::Element& root) {
    ViewQuery query(root);
    while (!pendingTasks.empty()) {
        PendingViewTask task = std::move(pendingTasks.front());
        pendingTasks.pop_front();
        task(context, htm, query);
    }
}

} // namespace panel
