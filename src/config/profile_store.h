#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "files/file_result.h"

namespace kvs {

// Private-profile style access to one INI file. Sections and keys match
// without regard to case; a missing key gives the caller's default; writes
// keep every other key, section, comment and line. Changes live in memory
// until Flush, which replaces the file atomically.
class ProfileStore {
  public:
    explicit ProfileStore(std::string path);

    // Reads the file again. A missing file reads as empty (Exists() false);
    // any other read error is returned and leaves the store empty.
    ResultCode Load();
    // Takes text as if it had been read from the file (tests, fuzzing).
    void Parse(std::string_view text);
    bool Exists() const { return exists_; }
    const std::string& Path() const { return path_; }

    // The value cut to maxLen characters, or def (also cut) when missing.
    std::string GetString(std::string_view section, std::string_view key, std::string_view def,
                          std::size_t maxLen) const;
    // The leading decimal digits of the value as an unsigned number; def when
    // the key is missing, 0 when the value does not start with a digit.
    std::uint32_t GetInt(std::string_view section, std::string_view key, std::uint32_t def) const;
    bool HasKey(std::string_view section, std::string_view key) const;
    std::vector<std::string> Keys(std::string_view section) const;

    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInt(std::string_view section, std::string_view key, std::int64_t value);
    void DeleteKey(std::string_view section, std::string_view key);
    bool Dirty() const { return dirty_; }

    // Writes the file (CR LF line ends in a file the program creates, the
    // file's own line ends otherwise) through a temporary file and a rename.
    // A store whose file could not be read refuses to write it, so an
    // unreadable file is never replaced by one holding only the new keys.
    ResultCode Flush();
    // The text Flush writes.
    std::string Text() const;

  private:
    // The lines before the first section header, or one header with the
    // lines up to the next. Names are indexed in lower case.
    struct Block {
        std::vector<std::string> lines;  // lines[0] is the header, except in the first block
        std::unordered_map<std::string, std::size_t> keys;  // first line holding each key
        std::size_t last = 0;                               // the last key line, else the header
    };

    void Clear();
    void AddLine(std::string line);
    void IndexBlock(std::size_t block);
    const Block* FindBlock(std::string_view section) const;
    // The block and line of the key; the line is 0 when the key is missing.
    std::pair<const Block*, std::size_t> Find(std::string_view section, std::string_view key) const;

    std::string path_;
    std::vector<Block> blocks_;
    // The first block of each section; later ones with the same name are never read.
    std::unordered_map<std::string, std::size_t> sections_;
    std::string newline_ = "\r\n";
    bool exists_ = false;
    bool dirty_ = false;
    ResultCode loadError_ = kResultOk;
};

}  // namespace kvs
