// The module's UI folder as a whole: which files it holds and how they are stored.
#include "tests/resources/UiResources.h"

#include <boost/locale/encoding_utf.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace resources_test {
namespace {

TEST(ResourcesFolder, HoldsTheManifestHtmlFilesAndTheStyleSheetsOnly) {
    const Manifest& manifest = LoadManifest();
    const std::vector<std::string> files = ModuleFileNames();
    EXPECT_EQ(files.size(), manifest.resourceCount);

    std::set<std::string> listed;
    for (const TemplateEntry& entry : manifest.templates) {
        EXPECT_TRUE(listed.insert(entry.uiPath).second) << entry.uiPath << " is listed twice";
    }
    std::set<std::string> htmlFiles;
    for (const std::string& name : files) {
        if (name.ends_with(".css")) {
            continue;
        }
        EXPECT_TRUE(name.ends_with(".htm")) << name << " is neither a page, a template nor a style sheet";
        htmlFiles.insert(std::string(kModuleFolder) + "/" + name);
    }
    EXPECT_EQ(htmlFiles, listed);
}

// The embedder adds the byte-order mark and the CR LF line ends; what is stored must be plain
// UTF-8 with LF, so that a mark or a stray CR cannot end up doubled or inside the text.
class ResourcesFile : public testing::TestWithParam<std::string> {};

TEST_P(ResourcesFile, IsPlainUtf8WithLineFeeds) {
    const auto bytes = ReadFile(ModuleFolder() / GetParam());
    ASSERT_TRUE(bytes.has_value());
    ASSERT_FALSE(bytes->empty());
    EXPECT_FALSE(bytes->starts_with("\xEF\xBB\xBF")) << "stored with a byte-order mark";
    EXPECT_EQ(bytes->find('\r'), std::string::npos) << "stored with CR line ends";
    EXPECT_EQ(bytes->back(), '\n') << "the last line has no line end";
    EXPECT_NO_THROW(boost::locale::conv::utf_to_utf<char32_t>(*bytes, boost::locale::conv::stop))
        << "not valid UTF-8";
}

INSTANTIATE_TEST_SUITE_P(EveryFile, ResourcesFile, testing::ValuesIn(ModuleFileNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return ParamName(info.param);
                         });

} // namespace
} // namespace resources_test
