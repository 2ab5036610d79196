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
    void OnPropChange();

private:
    static std::wstring LabelText(ServiceObject* property);
};

} // namespace panel
