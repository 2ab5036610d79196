// The table of contents against the embedded resources and the resource folder.
#include "tests/module/LoadedModule.h"
#include "tests/support/TestHost.h"

#include "host/WindowsApi.h"

#include <algorithm>
#include <set>
#include <sstream>

namespace {

std::string ResourceText(HMODULE module, const wchar_t* type, const wchar_t* name) {
    HRSRC resource = FindResourceExW(module, type, name, 1033);
    if (resource == nullptr)
        return {};
    auto* data = static_cast<const char*>(LockResource(LoadResource(module, resource)));
    return std::string(data, SizeofResource(module, resource));
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return text;
}

class ResourceToc : public testing_host::HostTest {};

TEST_F(ResourceToc, ListsEveryResourceFileOnceInOrder) {
    testing_host::LoadedModule module(testing_host::BinaryFolder() / "libdocument-panel-properties.so");
    auto handle = static_cast<HMODULE>(module.Handle());
    std::string toc = ResourceText(handle, L"UI-DATA-TOC", L"UI-DATA-TOC");
    ASSERT_FALSE(toc.empty());
    EXPECT_NE(toc.substr(0, 3), "\xEF\xBB\xBF");

    std::vector<std::string> paths;
    std::istringstream lines(toc);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        ASSERT_FALSE(line.empty());
        ASSERT_EQ(line.back(), ';') << line;
        line.pop_back();
        for (unsigned char c : line)
            ASSERT_TRUE(c < 0x80 && !std::isupper(c)) << line;
        paths.push_back(line);
    }
    EXPECT_TRUE(std::is_sorted(paths.begin(), paths.end()));

    std::set<std::string> files;
    auto folder = std::filesystem::path(PP_SOURCE_DIR) / "resources" / "document-panel-properties";
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files.insert("document-panel-properties/" + entry.path().filename().string());
    EXPECT_EQ(std::set<std::string>(paths.begin(), paths.end()), files);

    for (const std::string& path : paths) {
        std::wstring name(path.begin(), path.end());
        std::string upper = Upper(path);
        std::wstring upperName(upper.begin(), upper.end());
        std::string bytes = ResourceText(handle, L"UI-DATA", upperName.c_str());
        EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF") << path;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) {
                ADD_FAILURE() << path << ": bare line feed at byte " << i;
                break;
            }
        }
    }
    EXPECT_EQ(paths.size(), 73u);
}

} // namespace
