#include "config/recent_files.h"

#include <filesystem>
#include <system_error>

namespace kvs {
namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace

std::string FullPath(std::string_view name, std::string_view currentFolder) {
    std::filesystem::path path(name);
    if (path.is_relative()) path = std::filesystem::path(currentFolder) / path;
    std::string full = path.lexically_normal().string();
    // "a/b/.." normalises to "a/" but names the folder "a".
    if (full.size() > 1 && full.back() == '/') full.pop_back();
    return full;
}

void RecentFiles::Add(std::string_view name) {
    std::error_code ec;
    const std::filesystem::path cwd = std::filesystem::current_path(ec);
    Add(name, ec ? std::string("/") : cwd.string());
}

void RecentFiles::Add(std::string_view name, std::string_view currentFolder) {
    if (name.empty()) return;
    std::string full = FullPath(name, currentFolder);
    if (full.size() > kMaxChars) return;
    std::size_t found = kCount - 1;  // not found: the last entry is lost
    for (std::size_t i = 0; i < kCount; ++i) {
        if (SameIgnoringCase(entries_[i], full)) {
            found = i;
            break;
        }
    }
    for (std::size_t i = found; i > 0; --i)
        entries_[i] = std::move(entries_[i - 1]);
    entries_[0] = std::move(full);
}

}  // namespace kvs
