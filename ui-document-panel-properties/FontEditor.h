// The font drop-down: the caption shows the font's family name; the list groups the document,
// standard and system fonts. The list can be long, so it is not markup of the editor's own: the
// fonts are handed as records to the page's virtual list, filled the first time the list opens.
#pragma once

#include "host/ValueRecords.h"
#include "ui-document-panel-properties/PropertyHandler_Base.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace panel {

struct FontUtils {
    // The name the style sheets draw a font type's badge by; unknown formats are logged and shown
    // as TrueType.
    static std::string GetStringFromFontFormat(std::uint32_t format);
};

namespace controls {

// What the fonts list is given of a font.
struct FontControlEntry {
    std::uint32_t group = 0; // kDocumentFonts, kSystemFonts or kStandardFonts
    std::int32_t family = 0;
    std::uint32_t format = 0;
    std::uint32_t style = 0;
    std::string familyName; // UTF-8
    std::string value;      // the font's position in the property's record
};

// The fonts list of a drop-down: the page's virtual list inside `container`, which renders the
// records it is given.
class FontsControl {
public:
    static constexpr std::uint32_t kDocumentFonts = 1;
    static constexpr std::uint32_t kSystemFonts = 2;
    static constexpr std::uint32_t kStandardFonts = 4;

    explicit FontsControl(ui::Element container) : container_(std::move(container)) {}

    // Replaces the rows: per group (document, standard, system fonts), a label, then its fonts.
    // An empty list is logged and changes nothing.
    void SetFonts(const std::vector<FontControlEntry>& entries);
    // Makes the font of that value the current row.
    void SetCurrent(const std::string& value, const std::string& formatName);
    static std::wstring GetLabel(std::uint32_t group);
    // The records SetFonts hands to the list, as JSON.
    static std::string RecordsJson(const std::vector<FontControlEntry>& entries);

private:
    ui::Element container_;
};

// The record's fonts as the list shows them: document, standard, then system fonts, each group in
// the record's order.
std::vector<FontControlEntry> ControlEntriesOf(const host::PropFontListData& record);

} // namespace controls

class PropertyHandler_FontDropDown : public PropertyHandler_Base<PropertyHandler_FontDropDown> {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86B10;
    static constexpr EditorHooks kHooks{
        .OnPropChange = true, .ShowEditPopup = true, .OnPropEditFinished = true, .OnEvent = true};
    using PropertyHandler_Base::PropertyHandler_Base;

    std::wstring BuildHtmlCode(ServiceObject* property);
    void ShowEditPopup();
    void OnEvent(std::uint8_t* handled, HtmlBehaviorEventParams& event);
    void OnPropEditFinished(const ui::Element& popup);
    void OnPropChange();

private:
    const std::shared_ptr<host::PropFontListData>& LoadRecord(ServiceObject* property, bool reload);
    void FillList(const host::PropFontListData& record);
    // Shows the record's font in the captions and the list.
    void ShowSelection(const host::PropFontListData& record);

    std::shared_ptr<host::PropFontListData> cached;
    std::unique_ptr<controls::FontsControl> control;
    bool listFilled = false;
};

} // namespace panel
