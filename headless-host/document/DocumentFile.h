// Document files: the JSON description of a document (its pages, objects, property groups with typed
// values, and default settings), read into a DocumentModel. The format is described in
// DOCUMENT-FORMAT.md beside this file.
#pragma once

#include "headless-host/document/DocumentModel.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace headless {

// A rejected document file: the file, the JSON path of the fault and what is wrong, as
// "<file>: <path>: <detail>". what() shows control characters as \xNN; the parts hold them as read.
class DocumentFileError : public std::runtime_error {
public:
    DocumentFileError(std::string file, std::string path, std::string detail);
    const std::string& File() const { return file_; }
    const std::string& Path() const { return path_; }
    const std::string& Detail() const { return detail_; }

private:
    std::string file_;
    std::string path_;
    std::string detail_;
};

struct DocumentFileLimits {
    static constexpr std::size_t kMaxFileBytes = 16u << 20;
    static constexpr std::size_t kMaxJsonDepth = 64;
    static constexpr std::size_t kMaxStringBytes = 1u << 20;
    static constexpr std::size_t kMaxNameLength = 1024; // names of objects, kinds, groups, properties
    static constexpr std::size_t kMaxGroupDepth = 8;    // a root group and its sub-groups below it
};

// Raises DocumentFileError; `fileName` is what messages call the text.
DocumentModel ParseDocument(std::string_view text, const std::string& fileName);
DocumentModel LoadDocumentFile(const std::filesystem::path& file);

// The type code of an editor kind name of the format ("Number", "FontDropDown"…), or 0.
std::uint32_t TypeCodeOfName(std::string_view name);
// The format's name of a type code, or "" for codes without one.
std::string_view TypeNameOfCode(std::uint32_t typeCode);

} // namespace headless
