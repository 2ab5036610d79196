// A host with the sample document open in the active view, reached the way the panel reaches it:
// through the window context, the documents collection, the view's service query and the selection.
#pragma once

#include "headless-host/document/DocumentWorkspace.h"
#include "headless-host/services/CommandsManagerService.h"
#include "headless-host/services/PluginSiteObject.h"
#include "host/BLDocument.h"
#include "host/BLProperties.h"
#include "host/UIDocuments.h"
#include "service-common/HostCall.h"
#include "tests/headless-host/services/HostEventRecorder.h"
#include "tests/support/TestHost.h"

#include <optional>
#include <string>
#include <vector>

namespace testing_host {

// The path of a property of the sample: its groups from the root, then its name. kStyle is the
// squares' "Appearance/Style" group, where most writes in the tests go.
inline const std::vector<std::wstring> kStyle = {L"Appearance", L"Style"};
inline std::vector<std::wstring> Path(std::vector<std::wstring> groups, std::wstring name) {
    groups.push_back(std::move(name));
    return groups;
}

// Members are public: parameterised cases reach the host through them.
class SampleDocumentTest : public HostTest {
public:
    void SetUp() override;
    void TearDown() override;

    // Selects the objects in the active view and gives the selection's properties context.
    so::Ref Context(const std::vector<std::wstring>& objects);
    // The active BLDocumentView, through the window context as the panel finds it.
    so::Ref BusinessView();
    so::Ref Document();
    // The group at a path of names below the context.
    so::Ref Group(ServiceObject* context, const std::vector<std::wstring>& path);
    // The property at a path: groups from the root, then the property's name.
    so::Ref Property(ServiceObject* context, const std::vector<std::wstring>& path);
    // Shortcut: the property of one object's selection.
    so::Ref Property(const std::wstring& object, const std::vector<std::wstring>& path) {
        return Property(Context({object}).Get(), path);
    }

    // The stored value of a document object's property, as document files write it.
    std::string Stored(const std::wstring& object, const std::vector<std::wstring>& path) const {
        return workspace->PropertyValue(0, object, path);
    }
    std::uint32_t UndoCount();
    std::uint32_t RedoCount();

    template <class Record>
    Record Read(ServiceObject* property, Record record = {}) {
        so::Call<host::BLProperty::GetValue>(property, host::kValueKindOf<Record>,
                                             static_cast<void*>(&record));
        return record;
    }
    // The raw result of a write, for refusals.
    template <class Record>
    SOResult Write(ServiceObject* property, const Record& record) {
        return RawCall<host::BLProperty::SetValue>(property, host::kValueKindOf<Record>,
                                                   static_cast<const void*>(&record));
    }

    so::Ref commands;
    so::Ref windowContext;
    std::optional<headless::DocumentWorkspace> workspace;
};

} // namespace testing_host
