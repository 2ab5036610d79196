// The properties view generator: turns a selection's properties context into the panel's HTML
// (top-level tabs and panel stubs, and on demand a panel's sub-group tabs, group views and
// editors), and queues the steps that bind native handlers once that HTML is in the page.
// [ui-thread] throughout.
#pragma once

#include "service-common/ServiceObjectPtr.h"
#include "ui-engine/Element.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace panel {

// What the panel remembers across regenerations: the last chosen top-level tab and, per top-level
// tab name, its last chosen sub-group tab. One per panel, shared by every generator of it.
struct PropsViewGenSharedData {
    std::wstring selectedGroupName;
    std::map<std::wstring, std::wstring> selectedSubGroups;
};

// The top-level generation.
struct PropsHtm {
    std::set<std::wstring> groupIds;
    std::set<std::wstring> groupNames;
    std::wstring tabsHtml;
    std::wstring panelsHtml;
    std::wstring looseGroupsHtml;
};

struct GenGroupItemsResult {
    std::wstring itemsHtml;
    std::wstring specialItemsHtml;
    std::uint32_t subGroupCount = 0;
    std::uint32_t propertyCount = 0;
    std::uint32_t itemCount = 0;
};

// The inserted content a pending task binds handlers in. Looking elements up by attribute value
// goes through an index made once per class selector, so binding n editors costs O(n) queries
// instead of n whole-content queries, and attribute values are never pasted into selectors.
class ViewQuery {
public:
    explicit ViewQuery(ui::Element root) : root_(std::move(root)) {}
    const ui::Element& Root() const { return root_; }
    // The first element matching `selector` (a plain class selector such as ".pg-item") whose
    // attribute `key` equals `keyValue` and whose further attributes equal the values given.
    ui::Element Find(const char* selector, const char* key, std::wstring_view keyValue,
                     const std::vector<std::pair<const char*, std::wstring>>& further = {});

private:
    ui::Element root_;
    std::map<std::string, std::unordered_multimap<std::wstring, ui::Element>> indexes_;
};

using PendingViewTask =
    std::function<void(const so::Ref& context, const std::shared_ptr<PropsHtm>& htm, ViewQuery& root)>;

class PropsViewGen {
public:
    PropsViewGen(so::WeakRef context, std::shared_ptr<PropsViewGenSharedData> sharedData);

    // Tabs and panel stubs for every root group, or null when the context reports no groups. An
    // empty `objectName` becomes the context's.
    std::shared_ptr<PropsHtm> GeneratePropsHtm(ServiceObject* context, std::wstring& objectName);
    std::wstring GenerateGroupTab(ServiceObject* group, bool selected);
    std::wstring GenerateRootGroupPanel(ServiceObject* group, bool stubOnly, std::wstring objectName);
    std::wstring GenerateRootGroupHtmStub(const std::wstring& objectName, const std::wstring& id,
                                          const std::wstring& name, const std::wstring& displayName,
                                          ServiceObject* group);
    std::wstring GenerateRootGroupHtml(const std::wstring& objectName, const std::wstring& id,
                                       const std::wstring& name, const std::wstring& displayName,
                                       ServiceObject* group);
    // Appends to each output given; true when the group has sub-groups or ordinary items.
    bool GenerateGroupHtml(ServiceObject* group, const std::wstring& objectName, std::wstring* tabsOut,
                           std::wstring* contentOut, std::wstring* specialOut, bool selected);
    std::shared_ptr<GenGroupItemsResult> GenGroupItems(ServiceObject* group, const std::wstring& objectName,
                                                       const std::wstring& name);
    std::wstring PreparePropertyHtml(ServiceObject* property);
    std::wstring GeneratePanelContent(const std::wstring& objectName, const std::wstring& id,
                                      const std::wstring& name, const std::wstring& displayName,
                                      const std::wstring& subTabs, const std::wstring& subContent,
                                      const std::wstring& specialItems, std::uint32_t subGroupsWithContent);

    // Runs the queued tasks front to back until none is left (tasks queued meanwhile included).
    void RunPendingTasks(const so::Ref& context, const std::shared_ptr<PropsHtm>& htm,
                         const ui::Element& root);
    void ClearPendingTasks() { pendingTasks.clear(); }
    void QueuePendingTask(PendingViewTask task) { pendingTasks.push_back(std::move(task)); }
    std::size_t PendingTaskCount() const { return pendingTasks.size(); }

    std::wstring GetObjectName() const;
    void SetContext(so::WeakRef context) { contextRef = std::move(context); }
    const so::WeakRef& ContextRef() const { return contextRef; }
    const std::shared_ptr<PropsViewGenSharedData>& SharedData() const { return sharedData; }

    static std::wstring GetGroupId(ServiceObject* group);
    static std::wstring GetGroupName(ServiceObject* group, bool safe);

protected:
    so::WeakRef contextRef;
    std::deque<PendingViewTask> pendingTasks;
    std::shared_ptr<PropsViewGenSharedData> sharedData;
};

// "<safe name>-<key as 16 lower-case hex digits>", or only the digits for a null name: what makes
// two like-named properties or group views distinct.
std::wstring MakePropertyUid(const std::wstring* name, std::uint64_t key);

// A property that goes to the panel's title bar instead of its group: a flag named "locked" or
// "visible", in any case.
bool IsSpecialProperty(std::uint32_t typeCode, const std::wstring& name);

} // namespace panel
