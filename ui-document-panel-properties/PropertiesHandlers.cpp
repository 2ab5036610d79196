#include "ui-document-panel-properties/PropertiesHandlers.h"

#include "host/ValueRecords.h"
#include "ui-document-panel-properties/ActionEditors.h"
#include "ui-document-panel-properties/ChoiceEditors.h"
#include "ui-document-panel-properties/FontEditor.h"
#include "ui-document-panel-properties/ListEditors.h"
#include "ui-document-panel-properties/NumericEditors.h"
#include "ui-document-panel-properties/PropsViewGen.h"
#include "ui-document-panel-properties/TextEditors.h"

#include <array>
#include <utility>

namespace panel {

namespace {

// One instantiation per editor kind: make the editor, queue the step that binds it to its item once
// the HTML is in the page, and give the HTML.
template <class Kind>
std::wstring _preparePropertyView(PropsViewGen& generator, ServiceObject* property) {
    so::Ref editor = Kind::Create(property);
    generator.QueuePendingTask([editor](const so::Ref&, const std::shared_ptr<PropsHtm>&, ViewQuery& root) {
        const std::wstring& uid = Kind::From(editor.Get()).PropertyUid();
        if (uid.empty())
            return;
        if (ui::Element item = root.Find(".pg-item", "puid", uid))
            editor::AttachHandler(item, editor.Get());
    });
    // The base's BuildHtmlCode (the kind's own takes the property and is hidden behind it).
    PropertyHandler_Base<Kind>& base = Kind::From(editor.Get());
    return base.BuildHtmlCode();
}

struct EditorKindEntry {
    host::PropertyType type;
    PreparePropertyView prepare;
};

// The kinds of this build. A type code missing here gets the "no editor" item.
constexpr std::array kEditorKinds = {
    EditorKindEntry{host::PropertyType::Label, &_preparePropertyView<PropertyHandler_Label>},
    EditorKindEntry{host::PropertyType::String, &_preparePropertyView<PropertyHandler_String>},
    EditorKindEntry{host::PropertyType::StringMultiline,
                    &_preparePropertyView<PropertyHandler_StringMultiline>},
    EditorKindEntry{host::PropertyType::EditStringList,
                    &_preparePropertyView<PropertyHandler_EditStringList>},
    EditorKindEntry{host::PropertyType::Number, &_preparePropertyView<PropertyHandler_Number>},
    EditorKindEntry{host::PropertyType::NumberSlider, &_preparePropertyView<PropertyHandler_NumberSlider>},
    EditorKindEntry{host::PropertyType::NumberInline, &_preparePropertyView<PropertyHandler_NumberInline>},
    EditorKindEntry{host::PropertyType::Float, &_preparePropertyView<PropertyHandler_Float>},
    EditorKindEntry{host::PropertyType::FloatInline, &_preparePropertyView<PropertyHandler_FloatInline>},
    EditorKindEntry{host::PropertyType::FloatList, &_preparePropertyView<PropertyHandler_FloatList>},
    EditorKindEntry{host::PropertyType::StringList, &_preparePropertyView<PropertyHandler_StringList>},
    EditorKindEntry{host::PropertyType::BorderStyleDropDown,
                    &_preparePropertyView<PropertyHandler_BorderStyleDropDown>},
    EditorKindEntry{host::PropertyType::FontStyleList, &_preparePropertyView<PropertyHandler_FontStyleList>},
    EditorKindEntry{host::PropertyType::LineBorderStyleDropDown,
                    &_preparePropertyView<PropertyHandler_LineBorderStyleDropDown>},
    EditorKindEntry{host::PropertyType::LineArrowStartDropDown,
                    &_preparePropertyView<PropertyHandler_LineArrowStartDropDown>},
    EditorKindEntry{host::PropertyType::LineArrowEndDropDown,
                    &_preparePropertyView<PropertyHandler_LineArrowEndDropDown>},
    EditorKindEntry{host::PropertyType::LineWidthDropDown,
                    &_preparePropertyView<PropertyHandler_LineWidthDropDown>},
    EditorKindEntry{host::PropertyType::BulletsStyle, &_preparePropertyView<PropertyHandler_BulletsStyle>},
    EditorKindEntry{host::PropertyType::FontDropDown, &_preparePropertyView<PropertyHandler_FontDropDown>},
    EditorKindEntry{host::PropertyType::Bool, &_preparePropertyView<PropertyHandler_Bool>},
    EditorKindEntry{host::PropertyType::RadioGroup, &_preparePropertyView<PropertyHandler_RadioGroup>},
    EditorKindEntry{host::PropertyType::CheckRadioCaption,
                    &_preparePropertyView<PropertyHandler_CheckRadioCaption>},
    EditorKindEntry{host::PropertyType::DateTime, &_preparePropertyView<PropertyHandler_DateTime>},
    EditorKindEntry{host::PropertyType::Color, &_preparePropertyView<PropertyHandler_Color>},
    EditorKindEntry{host::PropertyType::Action, &_preparePropertyView<PropertyHandler_Action>},
    EditorKindEntry{host::PropertyType::PDActionDialog,
                    &_preparePropertyView<PropertyHandler_PDActionDialog>},
    EditorKindEntry{host::PropertyType::JavaScriptActionDialog,
                    &_preparePropertyView<PropertyHandler_JavaScriptActionDialog>},
    EditorKindEntry{host::PropertyType::StringPairListDialog,
                    &_preparePropertyView<PropertyHandler_StringPairListDialog>},
};

} // namespace

PreparePropertyView FindEditorKind(std::uint32_t typeCode) {
    for (const EditorKindEntry& entry : kEditorKinds) {
        if (static_cast<std::uint32_t>(entry.type) == typeCode)
            return entry.prepare;
    }
    return nullptr;
}

} // namespace panel
