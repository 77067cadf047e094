#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kvs {

// The recent-file list of the File menu, most recent first. Entries may be
// empty; an entry is at most kMaxChars characters.
class RecentFiles {
  public:
    static constexpr std::size_t kCount = 8;
    static constexpr std::size_t kMaxChars = 259;

    // Makes name a full path against the current folder and puts it first.
    void Add(std::string_view name);
    // The same against currentFolder. An entry naming the same path, letters
    // compared without regard to case, moves up instead of being repeated.
    // A path longer than kMaxChars is not listed: stored cut it would name
    // another file.
    void Add(std::string_view name, std::string_view currentFolder);

    const std::string& operator[](std::size_t i) const { return entries_[i]; }
    std::string& operator[](std::size_t i) { return entries_[i]; }
    void Clear() { entries_ = {}; }
    bool operator==(const RecentFiles&) const = default;

  private:
    std::array<std::string, kCount> entries_;
};

// name made absolute against currentFolder, with "." and ".." resolved.
std::string FullPath(std::string_view name, std::string_view currentFolder);

}  // namespace kvs
