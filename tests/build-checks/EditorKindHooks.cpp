// Editor kinds whose hooks disagree with their hook list must not compile. Each case is one kind,
// chosen by a PP_CASE_* definition; the well-formed one shows that the rest fail for their own
// reason, not for the way this file is compiled.
#include "ui-document-panel-properties/PropertyHandler_Base.h"

namespace panel {

class PropertyHandler_Checked : public PropertyHandler_Base<PropertyHandler_Checked> {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86BFF;
#if defined(PP_CASE_WELL_FORMED)
    static constexpr EditorHooks kHooks{.OnPropChange = true, .OnPropEditFinished = true};
    void OnPropChange() {}
    void OnPropEditFinished(const ui::Element&) {}
#elif defined(PP_CASE_MISSPELT)
    static constexpr EditorHooks kHooks{.OnPropEditFinished = true};
    void OnPropEditFinsihed(const ui::Element&) {}
#elif defined(PP_CASE_UNLISTED)
    static constexpr EditorHooks kHooks{};
    void OnPropChange() {}
#elif defined(PP_CASE_WRONG_SIGNATURE)
    static constexpr EditorHooks kHooks{.OnPopupDismissing = true};
    void OnPopupDismissing(const ui::Element&, bool) {}
#elif defined(PP_CASE_NO_LIST)
    void OnPropChange() {}
#else
#error "choose a case"
#endif
    using PropertyHandler_Base::PropertyHandler_Base;
    std::wstring BuildHtmlCode(ServiceObject*) {
        return {};
    }
};

[[maybe_unused]] so::Ref MakeChecked(ServiceObject* property) {
    return PropertyHandler_Checked::Create(property);
}

} // namespace panel
