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

// The PDF actions of an object (a go-to, a script, a web link...), set in the host's action wizard
// as one undoable step.
class PropertyHandler_PDActionDialog : public PropertyHandler_Base<PropertyHandler_PDActionDialog> {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86B1B;
    static constexpr EditorHooks kHooks{.OnPropChange = true, .ShowEditPopup = true};
    using PropertyHandler_Base::PropertyHandler_Base;

    std::wstring BuildHtmlCode(ServiceObject* property);
    void OnAttached();
    void ShowEditPopup();
    void OnPropChange();
};

// A JavaScript action, edited in one of three host dialogs: the script editor, the choice of the
// fields a calculation adds up, or a calculation in the simplified field notation.
class PropertyHandler_JavaScriptActionDialog
    : public PropertyHandler_Base<PropertyHandler_JavaScriptActionDialog> {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86B1C;
    static constexpr EditorHooks kHooks{.OnPropChange = true, .ShowEditPopup = true};
    using PropertyHandler_Base::PropertyHandler_Base;

    std::wstring BuildHtmlCode(ServiceObject* property);
    void OnAttached();
    void ShowEditPopup();
    void OnPropChange();

    void OnShowJavaScriptEditDialog(const host::JavaScriptActionDialogPropData& record);
    void OnShowSelectFieldsForCalculationsDialog(const host::JavaScriptActionDialogPropData& record);
    void OnShowSimplifiedFieldNotationDialog(const host::JavaScriptActionDialogPropData& record);
    // The main frame's window, the dialogs' parent; raises "Not initialized" when there is none.
    HWND GetMainFrameWnd();

private:
    // The fields of the widgets on the page the user is on, as the field selection offers them.
    std::wstring FocusPageFieldNames();
    // Writes the record with the dialog's text, after the user confirmed it.
    void WriteText(const host::JavaScriptActionDialogPropData& record, const std::wstring& text);
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
// The JavaScript kind's summary: the dialog's text when one is set, else "Run JavaScript" when
// there is an action.
std::wstring ScriptSummary(const host::JavaScriptActionDialogPropData& record);

} // namespace action

} // namespace panel
