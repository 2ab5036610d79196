// The list editor kinds: one entry out of a fixed list (a plain string list, border and line styles,
// line widths, arrow heads, bullets, font styles), shown as a caption and chosen in a drop-down
// popup; the choice is written when the popup closes. They share one class template over the kind
// and its list record.
#pragma once

#include "host/ValueRecords.h"
#include "ui-document-panel-properties/EditorRecords.h"
#include "ui-document-panel-properties/PropertyHandler_Base.h"

#include <cstdint>
#include <memory>
#include <string>

namespace panel {

namespace list {

// The strings a list entry is shown and found by.
struct EntryStrings {
    std::wstring value;     // the item; the en dash for no entry
    std::wstring safeValue; // the item with spaces made "-": the entry's id
    std::wstring localized; // the item in the user's language
};

EntryStrings StringsOf(const host::PropListData& record, std::uint64_t index);
// The selected index as the views carry it: -1 for none.
std::int64_t SignedIndex(std::uint64_t index);
// A line width's caption: the en dash for none, the translated "Hairline", the custom width with one
// decimal, else the entry's index.
std::wstring LineWidthText(const host::LineWidthDropDownData& record, std::uint64_t index);
// The whole points of a width, for the style sheets; 0 where the width is no number.
std::int32_t WholeWidth(float width);

// Opens the drop-down under the caption view of `root` (growing up when it would not fit below it on
// the visible screen), or closes it when it is open. Gives the popup it opened.
ui::Element ShowListPopup(const ui::Element& root);
// Gives the focus to the lists of the open drop-down.
void FocusLists(const ui::Element& root);
// The index of the option chosen in `list` (options carry their index as value); none when no
// option is chosen.
std::optional<std::int32_t> ChosenIndex(const ui::Element& list);
// Makes the option of that index the current one of the first list in `root`.
void MakeOptionCurrent(const ui::Element& root, std::int32_t index);
// Logs a choice the host refused, with the host's message.
void LogRefusedChoice(const so::ServiceObjectException& refusal);

// Writes `index` as the selection of `cached` when it is not the selection already; `cached`
// becomes the written record. The host's record stays as it was: the write hands it a changed copy.
// False when the host refused it (logged), `cached` unchanged.
template <class Record>
bool WriteSelection(ServiceObject* property, std::shared_ptr<Record>& cached, std::uint64_t index) {
    if (index == cached->selected)
        return true;
    auto changed = std::make_shared<Record>(*cached);
    changed->selected = index;
    try {
        WriteRecord(property, changed);
    } catch (const so::ServiceObjectException& refusal) {
        LogRefusedChoice(refusal);
        return false;
    }
    cached = std::move(changed);
    return true;
}

} // namespace list

template <class Handler, class Record>
class PropertyHandler_Base_StringList : public PropertyHandler_Base<Handler> {
    using Base = PropertyHandler_Base<Handler>;

public:
    static constexpr EditorHooks kHooks{
        .OnPropChange = true, .ShowEditPopup = true, .OnPropEditFinished = true, .OnEvent = true};
    using Base::Base;

    std::wstring BuildHtmlCode(ServiceObject* property);
    void ShowEditPopup();
    void OnEvent(std::uint8_t* handled, HtmlBehaviorEventParams& event);
    void OnPropEditFinished(const ui::Element& popup);
    void OnPropChange();

    // One option of the list, from the kind's item template.
    std::wstring GenerateHtmlItem(std::size_t index, const std::wstring& value, const Record& record,
                                  const std::wstring& attributes);
    // Every option, in item order.
    std::wstring GenerateHtmlItemAttrs(const Record& record);

    // What the views show for the record's selection after a change (the line widths show their
    // caption text instead).
    list::EntryStrings RefreshStrings(const Record& record);
    // After the views followed a change (the bullets put their "None" back).
    void AfterRefresh(const Record&) {}

protected:
    // The record last read; read again when `reload` is set or none was read yet. Raises when the
    // host gives none.
    const std::shared_ptr<Record>& LoadRecord(ServiceObject* property, bool reload);
    // Shows `strings` and `index` in the captions and the list; re-applies the disabled flags of
    // `record` when one is given.
    void UpdateViews(const std::wstring& id, const list::EntryStrings& strings, std::int64_t index,
                     const Record* record);
    // The "None" the bullets show for their first entry.
    static std::wstring NoneText();

    Handler& Self() { return static_cast<Handler&>(*this); }

    std::shared_ptr<Record> cached;
};

#define PP_LIST_KIND(Kind, RecordType, tag, listTemplate, itemTemplate)                                      \
    class Kind : public PropertyHandler_Base_StringList<Kind, host::RecordType> {                            \
    public:                                                                                                  \
        static constexpr std::uint32_t kClassTag = tag;                                                      \
        static constexpr const wchar_t* kListTemplate = listTemplate;                                        \
        static constexpr const wchar_t* kItemTemplate = itemTemplate;                                        \
        static constexpr std::size_t kMaxListSize = 10;                                                      \
        using PropertyHandler_Base_StringList::PropertyHandler_Base_StringList;                              \
    };

PP_LIST_KIND(PropertyHandler_StringList, PropStringListData, 0xB7F86B08, L"property-string-list.template.htm",
             L"property-string-list-item.template.htm")
PP_LIST_KIND(PropertyHandler_BorderStyleDropDown, BorderStyleDropDownData, 0xB7F86B09,
             L"property-string-list.template.htm", L"property-string-list-item.template.htm")
PP_LIST_KIND(PropertyHandler_FontStyleList, PropFontStyleListData, 0xB7F86B0A,
             L"property-string-list.template.htm", L"property-string-list-item.template.htm")
PP_LIST_KIND(PropertyHandler_LineBorderStyleDropDown, LineBorderStyleDropDownData, 0xB7F86B0B,
             L"property-line-border-style-list.template.htm",
             L"property-line-border-style-list-item.template.htm")
PP_LIST_KIND(PropertyHandler_LineArrowStartDropDown, LineArrowStartDropDownData, 0xB7F86B0C,
             L"property-line-arrow-start-list.template.htm",
             L"property-line-arrow-start-list-item.template.htm")
PP_LIST_KIND(PropertyHandler_LineArrowEndDropDown, LineArrowEndDropDownData, 0xB7F86B0D,
             L"property-line-arrow-end-list.template.htm", L"property-line-arrow-end-list-item.template.htm")
#undef PP_LIST_KIND

// Line widths: the caption shows the width's text, a custom entry the record's own width.
class PropertyHandler_LineWidthDropDown
    : public PropertyHandler_Base_StringList<PropertyHandler_LineWidthDropDown, host::LineWidthDropDownData> {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86B0E;
    static constexpr const wchar_t* kListTemplate = L"property-line-width-list.template.htm";
    static constexpr const wchar_t* kItemTemplate = L"property-line-width-list-item.template.htm";
    static constexpr std::size_t kMaxListSize = 12;
    using PropertyHandler_Base_StringList::PropertyHandler_Base_StringList;

    std::wstring BuildHtmlCode(ServiceObject* property);
    std::wstring GenerateHtmlItem(std::size_t index, const std::wstring& value,
                                  const host::LineWidthDropDownData& record, const std::wstring& attributes);
    list::EntryStrings RefreshStrings(const host::LineWidthDropDownData& record);
};

// Bullets: pictures by id; the first entry (no bullet) shows the translated "None".
class PropertyHandler_BulletsStyle
    : public PropertyHandler_Base_StringList<PropertyHandler_BulletsStyle, host::ParagraphBulletsStyleData> {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86B0F;
    static constexpr const wchar_t* kListTemplate = L"property-bullets-list.template.htm";
    static constexpr const wchar_t* kItemTemplate = L"property-bullets-list-item.template.htm";
    static constexpr std::size_t kMaxListSize = 10;
    using PropertyHandler_Base_StringList::PropertyHandler_Base_StringList;

    std::wstring BuildHtmlCode(ServiceObject* property);
    std::wstring GenerateHtmlItem(std::size_t index, const std::wstring& value,
                                  const host::ParagraphBulletsStyleData& record,
                                  const std::wstring& attributes);
    void AfterRefresh(const host::ParagraphBulletsStyleData& record);
};

} // namespace panel
