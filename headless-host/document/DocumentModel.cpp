#include "headless-host/document/DocumentModel.h"

namespace headless {

std::shared_ptr<PropertyModel> FindProperty(const ObjectModel& object, const PropertyPath& path) {
    if (path.size() < 2)
        return nullptr;
    const std::vector<std::shared_ptr<GroupModel>>* groups = &object.groups;
    const GroupModel* group = nullptr;
    for (std::size_t i = 0; i + 1 < path.size(); ++i) {
        group = nullptr;
        for (const auto& candidate : *groups)
            if (candidate->name == path[i]) {
                group = candidate.get();
                break;
            }
        if (group == nullptr)
            return nullptr;
        groups = &group->groups;
    }
    for (const auto& property : group->properties)
        if (property->name == path.back() && !property->removed)
            return property;
    return nullptr;
}

std::shared_ptr<ObjectModel> FindObject(const DocumentModel& model, const std::wstring& name) {
    for (const auto& object : model.objects)
        if (object->name == name && !object->removed)
            return object;
    return nullptr;
}

} // namespace headless
