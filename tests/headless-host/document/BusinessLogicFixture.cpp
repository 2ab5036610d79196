#include "tests/headless-host/document/BusinessLogicFixture.h"

#include <cwchar>

namespace testing_host {

void SampleDocumentTest::SetUp() {
    HostTest::SetUp();
    commands = so::Make<headless::CommandsManagerService>();
    RegisterService(host::CommandsManager::kServiceName, commands.Get());
    windowContext = so::Make<headless::WindowContextObject>();
    workspace.emplace();
    workspace->Install(windowContext);
    workspace->Activate(workspace->OpenSample());
}

void SampleDocumentTest::TearDown() {
    workspace.reset();
    HostTest::TearDown();
}

so::Ref SampleDocumentTest::BusinessView() {
    so::Ref collection;
    so::Call<host::UIWindowContext::QueryServiceObject>(windowContext.Get(), host::UIDocumentsCollection::kId,
                                                        collection.Put());
    so::Ref view;
    so::Call<host::UIDocumentsCollection::GetActiveView>(collection.Get(), view.Put());
    so::Ref businessView;
    so::Call<host::UIDocumentView::QueryServiceObject>(view.Get(), host::BLDocumentView::kId,
                                                       businessView.Put());
    return businessView;
}

so::Ref SampleDocumentTest::Document() {
    so::Ref document;
    so::Call<host::BLDocumentView::GetDocument>(BusinessView().Get(), document.Put());
    return document;
}

so::Ref SampleDocumentTest::Context(const std::vector<std::wstring>& objects) {
    workspace->Select(objects);
    so::Ref selection;
    so::Call<host::BLDocumentView::GetSelection>(BusinessView().Get(), selection.Put());
    so::Ref context;
    if (selection)
        so::Call<host::BLSelection::GetPropertiesContext>(selection.Get(), context.Put());
    return context;
}

namespace {
std::wstring GroupName(ServiceObject* group) {
    const wchar_t* name = nullptr;
    so::Call<host::BLPropertiesGroup::GetName>(group, &name);
    return name != nullptr ? name : L"";
}
} // namespace

so::Ref SampleDocumentTest::Group(ServiceObject* context, const std::vector<std::wstring>& path) {
    so::Ref current;
    for (std::size_t level = 0; level < path.size(); ++level) {
        std::uint32_t count = 0;
        if (level == 0)
            so::Call<host::BLPropertiesContext::GetGroupCount>(context, &count);
        else
            so::Call<host::BLPropertiesGroup::GetSubGroupCount>(current.Get(), &count);
        so::Ref found;
        for (std::uint32_t i = 0; i < count && !found; ++i) {
            so::Ref candidate;
            if (level == 0)
                so::Call<host::BLPropertiesContext::GetGroup>(context, i, candidate.Put());
            else
                so::Call<host::BLPropertiesGroup::GetSubGroup>(current.Get(), i, candidate.Put());
            if (GroupName(candidate.Get()) == path[level])
                found = candidate;
        }
        if (!found)
            return nullptr;
        current = found;
    }
    return current;
}

so::Ref SampleDocumentTest::Property(ServiceObject* context, const std::vector<std::wstring>& path) {
    so::Ref group = Group(context, std::vector<std::wstring>(path.begin(), path.end() - 1));
    if (!group)
        return nullptr;
    so::Ref property;
    so::Call<host::BLPropertiesGroup::FindProperty>(group.Get(), path.back().c_str(), property.Put());
    return property;
}

std::uint32_t SampleDocumentTest::UndoCount() {
    std::uint32_t count = 0;
    so::Call<host::BLDocument::GetUndoCount>(Document().Get(), &count);
    return count;
}

std::uint32_t SampleDocumentTest::RedoCount() {
    std::uint32_t count = 0;
    so::Call<host::BLDocument::GetRedoCount>(Document().Get(), &count);
    return count;
}

} // namespace testing_host
