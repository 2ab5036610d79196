// Golden-file tests: a folder of cases, one parameterised test over them, each result compared with
// the file that holds what its case should give. PP_REBASELINE=1 rewrites those files instead.
//
// Header only: the suites that use it include no host libraries (the selector and template
// suites), and the helpers are a few lines each.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace testing_host {

// The cases of `folder`: the names of its files that end in `extension` (".input"), without it,
// sorted so that the tests run and are listed in one order everywhere.
inline std::vector<std::string> CaseNames(const std::filesystem::path& folder, std::string_view extension) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == extension)
            names.push_back(entry.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A case's name as a test name: every character other than a letter or a digit becomes "_".
inline std::string CaseTestName(const testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

// Whether the golden files are to be rewritten from what the tests give: PP_REBASELINE=1.
inline bool RebaselineRequested() {
    const char* rebaseline = std::getenv("PP_REBASELINE");
    return rebaseline != nullptr && std::string_view(rebaseline) == "1";
}

// The whole file, bytes as they are; empty when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Where a case's result meets its golden file.
struct GoldenFiles {
    std::filesystem::path expected; // what the case should give
    std::filesystem::path actual;   // what it gave, written only while the two differ
};

// <folder>/<name>.expected and <folder>/<name>.actual, the usual pair.
inline GoldenFiles GoldenFilesOf(const std::filesystem::path& folder, const std::string& name) {
    return {folder / (name + ".expected"), folder / (name + ".actual")};
}

// Compares `result` with the golden file, byte for byte. On a match, removes an .actual file left by
// an earlier failure. On a mismatch, rewrites the golden file when RebaselineRequested() and
// succeeds; otherwise writes the result to the .actual file and fails, naming both files and the
// first line that differs. A missing golden file is a mismatch.
inline testing::AssertionResult MatchesGolden(const std::string& result, const GoldenFiles& files) {
    const bool exists = std::filesystem::exists(files.expected);
    const std::string expected = exists ? ReadFile(files.expected) : std::string();
    if (exists && result == expected) {
        std::filesystem::remove(files.actual);
        return testing::AssertionSuccess();
    }
    if (RebaselineRequested()) {
        std::ofstream(files.expected, std::ios::binary) << result;
        std::filesystem::remove(files.actual);
        return testing::AssertionSuccess();
    }
    std::ofstream(files.actual, std::ios::binary) << result;
    if (!exists)
        return testing::AssertionFailure()
               << "there is no " << files.expected << "; what the case gives is in " << files.actual;
    // Where they part, with control characters (a carriage return, a tab) shown as escapes.
    const auto visible = [](const std::string& text) {
        std::string shown;
        for (char c : text) {
            if (c == '\r')
                shown += "\\r";
            else if (c == '\t')
                shown += "\\t";
            else
                shown += c;
        }
        return shown;
    };
    std::istringstream wantedLines(expected);
    std::istringstream gotLines(result);
    std::string wanted;
    std::string got;
    int line = 1;
    for (;; ++line) {
        const bool haveWanted = static_cast<bool>(std::getline(wantedLines, wanted));
        const bool haveGot = static_cast<bool>(std::getline(gotLines, got));
        if (!haveWanted && !haveGot)
            return testing::AssertionFailure()
                   << "the result differs from " << files.expected << " (written to " << files.actual
                   << ") only in the line break at the end";
        if (!haveWanted || !haveGot || wanted != got) {
            wanted = haveWanted ? visible(wanted) : "(end of file)";
            got = haveGot ? visible(got) : "(end of result)";
            break;
        }
    }
    return testing::AssertionFailure()
           << "the result differs from " << files.expected << " (written to " << files.actual
           << "); first at line " << line << ":\n  expected: " << wanted << "\n  actual:   " << got;
}

} // namespace testing_host
