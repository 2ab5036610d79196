// "BLPropertiesGroup" of a selection: a group every selected object has, with the properties and
// sub-groups they all have.
#pragma once

#include "headless-host/document/DocumentModel.h"
#include "host/BLProperties.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectPtr.h"

#include <vector>

namespace headless {

class PropertiesGroupObject : public so::ObjectBase {
public:
    using Interface = host::BLPropertiesGroup;
    static constexpr std::uint32_t kClassTag = 0x8E7A0102;
    static void BindMethods(so::MethodBinder<PropertiesGroupObject>& binder);

    // `path` names the group from the root, for the default settings.
    PropertiesGroupObject(const GroupModel& model, PropertyPath path, std::vector<so::Ref> properties,
                          std::vector<so::Ref> groups);

    SOResult GetName(const wchar_t** name);
    SOResult GetKindFlags(std::uint32_t* flags);
    SOResult GetFlags(std::uint32_t* flags);
    SOResult HasFlags(std::uint32_t mask, std::uint8_t* set);
    SOResult GetPropertyCount(std::uint32_t* count);
    SOResult GetProperty(std::uint32_t index, ServiceObject** property);
    SOResult FindProperty(const wchar_t* name, ServiceObject** property);
    SOResult GetSubGroupCount(std::uint32_t* count);
    SOResult GetSubGroup(std::uint32_t index, ServiceObject** group);

    const PropertyPath& Path() const { return path_; }
    const std::vector<so::Ref>& Properties() const { return properties_; }
    const std::vector<so::Ref>& Groups() const { return groups_; }

private:
    std::wstring name_;
    std::uint32_t kindFlags_;
    bool root_;
    PropertyPath path_;
    std::vector<so::Ref> properties_;
    std::vector<so::Ref> groups_;
};

} // namespace headless
