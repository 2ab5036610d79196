// The UI tree and the template manifest of the resource tests.
#include "tests/resources/UiResources.h"

#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/SelectorQuery.h"
#include "headless-host/html-engine/dom/UrlResolver.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace resources_test {

namespace fs = std::filesystem;

fs::path ModuleFolder() {
    return fs::path(PP_SOURCE_DIR) / "resources" / kModuleFolder;
}
fs::path HostFolder() {
    return fs::path(PP_SOURCE_DIR) / "headless-host" / "ui-resources";
}

std::optional<std::string> ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

fs::path LocateUiPath(std::string_view uiPath) {
    const std::string prefix = std::string(kModuleFolder) + "/";
    if (uiPath.starts_with(prefix)) {
        return ModuleFolder() / uiPath.substr(prefix.size());
    }
    return HostFolder() / uiPath;
}

namespace {

bool IsPlaceholderChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

} // namespace

std::vector<PlaceholderWord> FindPlaceholderWords(std::string_view text) {
    std::vector<PlaceholderWord> words;
    std::size_t i = 0;
    while (i < text.size()) {
        if (!IsPlaceholderChar(text[i])) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < text.size() && IsPlaceholderChar(text[i])) {
            ++i;
        }
        const std::string_view run = text.substr(start, i - start);
        const bool hasCapital =
            std::any_of(run.begin(), run.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
        if (hasCapital && run.find('_') != std::string_view::npos) {
            words.push_back({std::string(run), start});
        }
    }
    return words;
}

std::string FillPlaceholders(std::string_view text, const std::map<std::string, std::string>& values) {
    std::string filled;
    std::size_t cursor = 0;
    for (const PlaceholderWord& word : FindPlaceholderWords(text)) {
        auto value = values.find(word.word);
        if (value == values.end()) {
            continue;
        }
        filled.append(text.substr(cursor, word.offset - cursor));
        filled += value->second;
        cursor = word.offset + word.word.size();
    }
    filled.append(text.substr(cursor));
    return filled;
}

std::vector<std::pair<std::size_t, std::size_t>> FindComments(std::string_view text) {
    std::vector<std::pair<std::size_t, std::size_t>> comments;
    std::size_t start = text.find("<!--");
    while (start != std::string_view::npos) {
        const std::size_t close = text.find("-->", start + 4);
        const std::size_t end = close == std::string_view::npos ? text.size() : close + 3;
        comments.emplace_back(start, end);
        start = text.find("<!--", end);
    }
    return comments;
}

html::MarkupParser MakeParser() {
    html::ParseOptions options;
    const std::string page = std::string(kModuleFolder) + "/properties-view.htm";
    options.includeResolver = [page](std::string_view src) -> std::optional<std::string> {
        return ReadFile(LocateUiPath(html::UrlResolver::Resolve(page, src)));
    };
    return html::MarkupParser(std::move(options));
}

std::shared_ptr<html::Element> ParseFragment(html::MarkupParser& parser, std::string_view markup) {
    auto container = html::Element::Create("div");
    parser.SetInnerHtml(*container, markup);
    return container;
}

ParsedMarkup ParseResource(const TemplateEntry& entry, std::string_view markup) {
    html::MarkupParser parser = MakeParser();
    ParsedMarkup parsed;
    if (entry.uiPath == std::string(kModuleFolder) + "/properties-view.htm") {
        parsed.root = parser.ParseDocument(markup).Root();
    } else {
        parsed.root = ParseFragment(parser, markup);
    }
    parsed.diagnostics = parser.Diagnostics();
    return parsed;
}

std::string StoredText(const TemplateEntry& entry) {
    auto text = ReadFile(LocateUiPath(entry.uiPath));
    if (!text) {
        throw std::runtime_error(entry.uiPath + " cannot be read");
    }
    return *text;
}

std::string FilledText(const TemplateEntry& entry, const std::map<std::string, std::string>& overrides) {
    std::map<std::string, std::string> values = overrides;
    values.insert(entry.placeholders.begin(), entry.placeholders.end());
    return FillPlaceholders(StoredText(entry), values);
}

bool Finds(html::Element& scope, std::string_view selector) {
    return html::QueryFirst(scope, selector) != nullptr;
}

const TemplateEntry& Manifest::Template(std::string_view fileName) const {
    const std::string uiPath = std::string(kModuleFolder) + "/" + std::string(fileName);
    auto entry = std::find_if(templates.begin(), templates.end(), [&uiPath](const TemplateEntry& candidate) {
        return candidate.uiPath == uiPath;
    });
    if (entry == templates.end()) {
        throw std::out_of_range("the manifest has no entry for " + uiPath);
    }
    return *entry;
}

const Manifest& LoadManifest() {
    static const Manifest manifest = [] {
        const auto text =
            ReadFile(fs::path(PP_SOURCE_DIR) / "tests" / "resources" / "template-manifest.json");
        if (!text) {
            throw std::runtime_error("tests/resources/template-manifest.json cannot be read");
        }
        const nlohmann::json json = nlohmann::json::parse(*text);
        Manifest loaded;
        loaded.resourceCount = json.at("resourceCount").get<std::size_t>();
        for (const auto& item : json.at("templates")) {
            TemplateEntry entry;
            entry.uiPath = item.at("path").get<std::string>();
            entry.placeholders = item.at("placeholders").get<std::map<std::string, std::string>>();
            entry.filledButAbsent = item.value("filledButAbsent", std::vector<std::string>{});
            entry.selectors = item.at("selectors").get<std::vector<std::string>>();
            entry.commentsRemoved = item.value("commentsRemoved", false);
            loaded.templates.push_back(std::move(entry));
        }
        loaded.page = json.at("page");
        loaded.pictures = json.at("pictures");
        return loaded;
    }();
    return manifest;
}

std::vector<std::string> ModuleFileNames() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(ModuleFolder())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ParamName(std::string_view fileName) {
    std::string name(fileName);
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

} // namespace resources_test
