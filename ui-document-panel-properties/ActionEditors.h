// The editor kinds whose value is set through the host rather than typed: a button that runs a UI
// action of the host, and properties edited in the host's dialogs.
#pragma once

#include "host/ValueRecords.h"
#include "ui-document-panel-properties/PropertyHandler_Base.h"

namespace panel {

// A tool button; the host runs the action it names with its parameters.
class PropertyHandler_Action : public PropertyHandler_Base<PropertyHandler_Action> {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86B19;
    static constexpr EditorHooks kHooks{.OnPropChange = true};
    using PropertyHandler_Base::PropertyHandler_Base;

    std::wstring BuildHtmlCode(ServiceObject* property);
    void OnPropChange();
};

// A list of string pairs, edited in the host's value-list dialog.
class PropertyHandler_StringPairListDialog
    : public PropertyHandler_Base<PropertyHandler_StringPairListDialog> {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86B1A;
    static constexpr EditorHooks kHooks{.OnPropChange = true, .ShowEditPopup = true};
    using PropertyHandler_Base::PropertyHandler_Base;

    std::wstring BuildHtmlCode(ServiceObject* property);
    void OnAttached();
    void ShowEditPopup();
    void OnPropChange();

private:
    // Shows the dialog on the main frame and writes what the user confirmed.
    void RunDialog(const so::Ref& dialog);
};

namespace action {

// The attributes of an action button: `disabled=""` when read-only, then one
// `action-param-KEY="VALUE"` per parameter in key order, with nothing between them.
std::wstring ButtonAttributes(const host::ActionButtonData& record, bool readOnly);
// A parameter key as an attribute name can hold it: characters a name cannot hold become "-".
std::wstring AttributeNameOf(const std::wstring& key);
// The value-list summary: every first string, escaped, followed by ";".
std::wstring PairsSummary(const host::PropStringPairListData& record);

// The texts of a dialog kind's view.
struct DialogTexts {
    std::wstring button;  // "Change", or "Set" when there is nothing yet
    std::wstring tooltip; // the summary, or `empty` when there is none
};
DialogTexts DialogTextsOf(const std::wstring& summary, const std::wstring& empty);

} // namespace action

} // namespace panel
