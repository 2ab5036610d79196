// html-query FILE SELECTOR...: lists the elements of a markup file that each selector matches, for
// template authors and for checking the matcher against a browser.
#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/MarkupParser.h"
#include "headless-host/html-engine/dom/SelectorError.h"
#include "headless-host/html-engine/dom/SelectorQuery.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = R"(Usage: html-query [--diagnostics] FILE SELECTOR...

Parses FILE as a page of the engine's markup and prints, for each SELECTOR, a line with the
selector and then one line per matching element in document order: tag#id.class1.class2
(":root" is the page's root element, which the query also tests). <include src> elements are
resolved against the folder of FILE.

  --diagnostics  also print the parser's errors and recoveries to standard error
  --help         show this text

Exit status: 0 when every selector is valid, 1 when one is not, 2 when FILE cannot be read.
)";

std::optional<std::string> ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string Describe(const html::Element& element) {
    std::string line = element.TagName();
    if (!element.Id().empty()) {
        line += '#' + element.Id();
    }
    if (const std::string* classes = element.GetAttribute("class")) {
        std::istringstream words(*classes);
        for (std::string word; words >> word;) {
            line += '.' + word;
        }
    }
    return line;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    bool showDiagnostics = false;
    std::vector<std::string> positional;
    for (const auto& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (argument == "--diagnostics") {
            showDiagnostics = true;
        } else {
            positional.push_back(argument);
        }
    }
    if (positional.size() < 2) {
        std::cerr << kUsage;
        return 2;
    }
    const std::filesystem::path file = positional.front();
    const auto markup = ReadFile(file);
    if (!markup) {
        std::cerr << "html-query: cannot read " << file << '\n';
        return 2;
    }

    html::ParseOptions options;
    const auto folder = file.parent_path();
    options.includeResolver = [folder](std::string_view src) { return ReadFile(folder / std::string(src)); };
    html::MarkupParser parser(options);
    const html::Document document = parser.ParseDocument(*markup);
    if (showDiagnostics) {
        for (const auto& diagnostic : parser.Diagnostics()) {
            std::cerr << (diagnostic.source.empty() ? file.string() : diagnostic.source) << ':'
                      << diagnostic.line << ':' << diagnostic.column << ": " << diagnostic.message << '\n';
        }
    }

    html::Element& root = *document.Root();
    int status = 0;
    for (auto selector = positional.begin() + 1; selector != positional.end(); ++selector) {
        try {
            std::vector<std::shared_ptr<html::Element>> matches;
            if (html::Matches(root, *selector, &root)) {
                matches.push_back(document.Root());
            }
            const auto descendants = html::QueryAll(root, *selector);
            matches.insert(matches.end(), descendants.begin(), descendants.end());
            std::cout << *selector << '\n';
            for (const auto& element : matches) {
                std::cout << "  " << Describe(*element) << '\n';
            }
        } catch (const html::SelectorError& error) {
            std::cerr << "html-query: invalid selector \"" << *selector << "\": " << error.what() << '\n';
            status = 1;
        }
    }
    return status;
}
