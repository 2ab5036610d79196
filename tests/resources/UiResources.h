// The module's UI files and the host's UI files as one tree of UI paths, with the template manifest
// that says what each template holds, for the resource tests.
#pragma once

#include "headless-host/html-engine/dom/Document.h"
#include "headless-host/html-engine/dom/MarkupParser.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace resources_test {

// The folder name of the module's files in the UI tree; every other first segment is the host's.
inline constexpr std::string_view kModuleFolder = "document-panel-properties";

std::filesystem::path ModuleFolder();
std::filesystem::path HostFolder();

// The whole file, or none when it cannot be read.
std::optional<std::string> ReadFile(const std::filesystem::path& file);

// Where a UI path lives on disk: the module's folder or the host's resources. The tests resolve a
// reference to a UI path with the engine's own resolver (html::UrlResolver::Resolve), against the
// file that holds it, so that what they find is what the host reads.
std::filesystem::path LocateUiPath(std::string_view uiPath);

// A capital word of the template text that can only be a placeholder: a maximal run of capitals,
// digits and underscores holding at least one capital and one underscore.
struct PlaceholderWord {
    std::string word;
    std::size_t offset = 0;
};
std::vector<PlaceholderWord> FindPlaceholderWords(std::string_view text);
// Replaces every placeholder word by its value; words without a value stay.
std::string FillPlaceholders(std::string_view text, const std::map<std::string, std::string>& values);

// Byte ranges [first, second) of the HTML comments of the text, "<!--" to the nearest "-->".
std::vector<std::pair<std::size_t, std::size_t>> FindComments(std::string_view text);

// A parser whose includes are read from the UI tree relative to the panel page, resolved by the
// engine's resolver as they are once the markup is in the page.
html::MarkupParser MakeParser();
// The top-level nodes of a fragment, under a detached container element.
std::shared_ptr<html::Element> ParseFragment(html::MarkupParser& parser, std::string_view markup);

struct TemplateEntry;

// Markup parsed the way the engine would hold it: the page under its root element, any other file
// under a detached container element; with the parser's diagnostics.
struct ParsedMarkup {
    std::shared_ptr<html::Element> root;
    std::vector<html::ParseDiagnostic> diagnostics;
};
ParsedMarkup ParseResource(const TemplateEntry& entry, std::string_view markup);

// The stored text of the file, with every placeholder filled from the manifest's values, those of
// `overrides` taking precedence. Throws std::runtime_error when the file cannot be read.
std::string StoredText(const TemplateEntry& entry);
std::string FilledText(const TemplateEntry& entry, const std::map<std::string, std::string>& overrides = {});

// Whether the engine's selector matcher finds at least one element for `selector` under `scope`.
bool Finds(html::Element& scope, std::string_view selector);

struct TemplateEntry {
    std::string uiPath;
    std::map<std::string, std::string> placeholders; // name -> a value the fill could give it
    std::vector<std::string> filledButAbsent;        // filled by the code, not used by this template
    std::vector<std::string> selectors;              // what its handlers look for in it
    bool commentsRemoved = false;                    // its fill removes HTML comments
};

// Test parameters print as their path.
inline void PrintTo(const TemplateEntry& entry, std::ostream* out) {
    *out << entry.uiPath;
}

struct Manifest {
    std::size_t resourceCount = 0;
    std::vector<TemplateEntry> templates;
    nlohmann::json page;
    nlohmann::json pictures;

    const TemplateEntry& Template(std::string_view fileName) const;
};

// Loaded once; a malformed manifest fails the calling test with the parser's message.
const Manifest& LoadManifest();

// The file names of the module's folder, sorted.
std::vector<std::string> ModuleFileNames();

// A test parameter name for a file name or path: every character but letters and digits becomes "_".
std::string ParamName(std::string_view fileName);

} // namespace resources_test
