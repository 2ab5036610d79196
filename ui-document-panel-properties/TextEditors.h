// The text editor kinds.
#pragma once

#include "ui-document-panel-properties/PropertyHandler_Base.h"

namespace panel {

// Shows a (translated) text; never writes its property.
class PropertyHandler_Label : public PropertyHandler_Base<PropertyHandler_Label> {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86B01;
    static constexpr EditorHooks kHooks{.OnPropChange = true};
    using PropertyHandler_Base::PropertyHandler_Base;

    std::wstring BuildHtmlCode(ServiceObject* property);
    void OnAttached();
    void OnPropChange();

private:
    static std::wstring LabelText(ServiceObject* property);
};

// A one-line text, edited in a popup text input; the view shows it escaped.
class PropertyHandler_String : public PropertyHandler_Base<PropertyHandler_String> {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86B11;
    static constexpr EditorHooks kHooks{.OnPropChange = true,
                                        .ShowEditPopup = true,
                                        .OnPopupDismissing = true,
                                        .OnPropEditFinished = true,
                                        .kEditInputSelector = true};
    static constexpr const char* kEditInputSelector = ".edit-input-string";
    using PropertyHandler_Base::PropertyHandler_Base;

    std::wstring BuildHtmlCode(ServiceObject* property);
    void ShowEditPopup();
    void OnPopupDismissing(const ui::Element& popup);
    void OnPropEditFinished(const ui::Element& popup);
    void OnPropChange();

private:
    // Shows `value` in the view as a value read from the property is shown.
    void ShowValue(const ui::Element& view, const std::wstring& value);
};

// A longer text, edited in a popup text area; the view shows it as markup (callers may store
// markup on purpose), parsed inside the view's own element.
class PropertyHandler_StringMultiline : public PropertyHandler_Base<PropertyHandler_StringMultiline> {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86B12;
    static constexpr EditorHooks kHooks{
        .OnPropChange = true, .ShowEditPopup = true, .OnPropEditFinished = true, .kEditInputSelector = true};
    static constexpr const char* kEditInputSelector = ".edit-input-string";
    using PropertyHandler_Base::PropertyHandler_Base;

    std::wstring BuildHtmlCode(ServiceObject* property);
    void OnAttached();
    void ShowEditPopup();
    void OnPropEditFinished(const ui::Element& popup);
    void OnPropChange();

private:
    void ShowValue(ServiceObject* property);
};

// A list of strings, one per line in a popup text area; a button shows how many there are.
class PropertyHandler_EditStringList : public PropertyHandler_Base<PropertyHandler_EditStringList> {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86B13;
    static constexpr EditorHooks kHooks{
        .OnPropChange = true, .ShowEditPopup = true, .OnPropEditFinished = true};
    using PropertyHandler_Base::PropertyHandler_Base;

    std::wstring BuildHtmlCode(ServiceObject* property);
    void ShowEditPopup();
    void OnPropEditFinished(const ui::Element& popup);
    void OnPropChange();
    // Ctrl+Enter or Alt+Enter in the text area closes the popup; Enter alone starts a new line.
    SOResult HandleKey(HELEMENT element, HtmlKeyParams* params);
};

namespace text {

// The one-line kind's texts of a value.
struct StringTexts {
    std::wstring raw;       // for the popup's input
    std::wstring html;      // for the view
    std::wstring editClass; // the view's edit classes
};
StringTexts StringTextsOf(const std::wstring& value, bool readOnly);
// A text of spaces and tabs only is no text.
std::wstring WithoutBlankOnly(const std::wstring& text);

// The string list's texts.
struct ListTexts {
    std::wstring count;   // "2 items"
    std::wstring lines;   // every item followed by CR LF
    std::wstring tooltip; // the count, or the translated "Set"
    std::wstring button;  // the translated "Change", or "Set"
    int height = 0;       // of the text area, in pixels
};
ListTexts ListTextsOf(const std::vector<std::wstring>& items);
// The items of a typed text: its lines, without empty ones and without repeats.
std::vector<std::wstring> ItemsOf(const std::wstring& text);

} // namespace text

} // namespace panel
