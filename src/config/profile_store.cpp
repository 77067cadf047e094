#include "config/profile_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <span>
#include <string>
#include <utility>

#include "files/byte_writer.h"

namespace kvs {
namespace {

// Far beyond any settings or language file; refusing more keeps a stray
// multi-gigabyte file from being pulled into memory.
constexpr std::size_t kMaxFileSize = 64u << 20;

constexpr std::size_t npos = std::string::npos;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

struct Line {
    enum Kind { kOther, kSection, kKey } kind = kOther;
    std::string_view name;
    std::string_view value;
};

Line Classify(std::string_view text) {
    Line line;
    text = Trim(text);
    if (text.empty() || text.front() == ';') return line;
    if (text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == npos) return line;
        line.kind = Line::kSection;
        line.name = Trim(text.substr(1, close - 1));
        return line;
    }
    const std::size_t eq = text.find('=');
    if (eq == npos) return line;
    line.name = Trim(text.substr(0, eq));
    if (line.name.empty()) return line;
    line.kind = Line::kKey;
    line.value = Trim(text.substr(eq + 1));
    if (line.value.size() >= 2 && IsQuote(line.value.front()) &&
        line.value.back() == line.value.front())
        line.value = line.value.substr(1, line.value.size() - 2);
    return line;
}

// A name that could break the file's structure (a line break, the
// separator, a leading comment or section mark) is stored with those
// characters replaced; lookups apply the same rule, so they still match.
std::string CleanName(std::string_view name, bool section) {
    std::string out(Trim(name));
    for (char& c : out)
        if (c == '\r' || c == '\n' || c == (section ? ']' : '=')) c = '_';
    if (!section && !out.empty() && (out.front() == ';' || out.front() == '[')) out.front() = '_';
    return std::string(Trim(out));
}

// Quotes a value whose outer blanks or quotes reading would strip, and
// turns line breaks into blanks so a value can never add lines of its own.
std::string EncodeValue(std::string_view value) {
    std::string out(value);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    const bool wrap =
        !out.empty() && (IsBlank(out.front()) || IsBlank(out.back()) ||
                         (out.size() >= 2 && IsQuote(out.front()) && out.back() == out.front()));
    return wrap ? '"' + out + '"' : out;
}

// Cuts to at most maxLen bytes without leaving half a UTF-8 sequence.
std::string Cut(std::string_view s, std::size_t maxLen) {
    if (s.size() <= maxLen) return std::string(s);
    std::size_t cut = maxLen;
    std::size_t lead = cut;
    while (lead > 0 && cut - lead < 3 && (static_cast<unsigned char>(s[lead]) & 0xC0) == 0x80)
        --lead;
    const auto b = static_cast<unsigned char>(s[lead]);
    if (lead < cut && (b & 0xC0) == 0xC0) {
        const std::size_t len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
        if (lead + len > cut) cut = lead;
    }
    return std::string(s.substr(0, cut));
}

std::string Lowered(std::string name) {
    for (char& c : name)
        c = Lower(c);
    return name;
}

}  // namespace

ProfileStore::ProfileStore(std::string path) : path_(std::move(path)) {
    Clear();
}

void ProfileStore::Clear() {
    blocks_.assign(1, Block{});
    sections_.clear();
}

void ProfileStore::AddLine(std::string text) {
    const Line line = Classify(text);
    if (line.kind == Line::kSection) {
        sections_.try_emplace(Lowered(std::string(line.name)), blocks_.size());
        blocks_.emplace_back();
    } else if (line.kind == Line::kKey && blocks_.size() > 1) {
        Block& block = blocks_.back();
        block.last = block.lines.size();
        block.keys.try_emplace(Lowered(std::string(line.name)), block.last);
    }
    blocks_.back().lines.push_back(std::move(text));
}

void ProfileStore::IndexBlock(std::size_t index) {
    Block& block = blocks_[index];
    block.keys.clear();
    block.last = 0;
    if (index == 0) return;  // keys before any section belong to none
    for (std::size_t i = 1; i < block.lines.size(); ++i) {
        const Line line = Classify(block.lines[i]);
        if (line.kind != Line::kKey) continue;
        block.last = i;
        block.keys.try_emplace(Lowered(std::string(line.name)), i);
    }
}

void ProfileStore::Parse(std::string_view text) {
    Clear();
    dirty_ = false;
    const std::size_t firstBreak = text.find('\n');
    newline_ =
        firstBreak != npos && (firstBreak == 0 || text[firstBreak - 1] != '\r') ? "\n" : "\r\n";
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        AddLine(std::string(line));
        pos = end + 1;
    }
}

ResultCode ProfileStore::Load() {
    Clear();
    newline_ = "\r\n";
    exists_ = false;
    dirty_ = false;
    loadError_ = kResultOk;

    // O_NONBLOCK: a FIFO in the file's place must not hang the start-up.
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT) return kResultOk;
        return loadError_ = SystemError(errno);
    }
    struct stat st {};
    int err = 0;
    if (::fstat(fd, &st) != 0)
        err = errno;
    else if (S_ISDIR(st.st_mode))
        err = EISDIR;
    else if (!S_ISREG(st.st_mode))
        err = ENODEV;  // unreadable, and so never replaced by Flush
    else if (static_cast<std::uint64_t>(st.st_size) > kMaxFileSize)
        err = EFBIG;
    std::string text;
    while (err == 0) {
        char buf[65536];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno != EINTR) err = errno;
        } else if (n == 0) {
            break;
        } else if (text.size() + static_cast<std::size_t>(n) > kMaxFileSize) {
            err = EFBIG;  // grew while being read
        } else {
            text.append(buf, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    if (err != 0) return loadError_ = SystemError(err);
    Parse(text);
    exists_ = true;
    return kResultOk;
}

const ProfileStore::Block* ProfileStore::FindBlock(std::string_view section) const {
    const auto it = sections_.find(Lowered(CleanName(section, true)));
    return it == sections_.end() ? nullptr : &blocks_[it->second];
}

std::pair<const ProfileStore::Block*, std::size_t> ProfileStore::Find(std::string_view section,
                                                                      std::string_view key) const {
    const Block* block = FindBlock(section);
    if (block == nullptr) return {nullptr, 0};
    const auto it = block->keys.find(Lowered(CleanName(key, false)));
    return {block, it == block->keys.end() ? 0 : it->second};
}

std::string ProfileStore::GetString(std::string_view section, std::string_view key,
                                    std::string_view def, std::size_t maxLen) const {
    const auto [block, line] = Find(section, key);
    if (line == 0) return Cut(def, maxLen);
    return Cut(Classify(block->lines[line]).value, maxLen);
}

std::uint32_t ProfileStore::GetInt(std::string_view section, std::string_view key,
                                   std::uint32_t def) const {
    const auto [block, line] = Find(section, key);
    if (line == 0) return def;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
    std::uint64_t n = 0;
    for (const char c : Classify(block->lines[line]).value) {
        if (c < '0' || c > '9') break;
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
        if (n > kMax) return static_cast<std::uint32_t>(kMax);  // saturate, never wrap
    }
    return static_cast<std::uint32_t>(n);
}

bool ProfileStore::HasKey(std::string_view section, std::string_view key) const {
    return Find(section, key).second != 0;
}

std::vector<std::string> ProfileStore::Keys(std::string_view section) const {
    std::vector<std::string> keys;
    const Block* block = FindBlock(section);
    if (block == nullptr) return keys;
    for (std::size_t i = 1; i < block->lines.size(); ++i) {
        const Line line = Classify(block->lines[i]);
        // Only the first line of a key names it; later copies are never read.
        if (line.kind != Line::kKey) continue;
        const auto first = block->keys.find(Lowered(std::string(line.name)));
        if (first != block->keys.end() && first->second == i) keys.emplace_back(line.name);
    }
    return keys;
}

void ProfileStore::WriteString(std::string_view section, std::string_view key,
                               std::string_view value) {
    const std::string s = CleanName(section, true);
    const std::string k = CleanName(key, false);
    if (s.empty() || k.empty()) return;
    const auto found = sections_.find(Lowered(s));
    if (found == sections_.end()) {
        const std::vector<std::string>& tail = blocks_.back().lines;
        if (!tail.empty() && !Trim(tail.back()).empty()) blocks_.back().lines.emplace_back();
        AddLine('[' + s + ']');
        AddLine(k + '=' + EncodeValue(value));
        dirty_ = true;
        return;
    }
    Block& block = blocks_[found->second];
    const auto at = block.keys.find(Lowered(k));
    if (at != block.keys.end()) {
        // Keep the key's own spelling and any indentation before it.
        std::string& old = block.lines[at->second];
        std::string updated = old.substr(0, old.find('=') + 1) + EncodeValue(value);
        if (updated == old) return;
        old = std::move(updated);
    } else {
        // Only blank and comment lines follow the last key, so no indexed
        // line moves.
        block.last += 1;
        block.lines.insert(block.lines.begin() + static_cast<std::ptrdiff_t>(block.last),
                           k + '=' + EncodeValue(value));
        block.keys.emplace(Lowered(k), block.last);
    }
    dirty_ = true;
}

void ProfileStore::WriteInt(std::string_view section, std::string_view key, std::int64_t value) {
    WriteString(section, key, std::to_string(value));
}

void ProfileStore::DeleteKey(std::string_view section, std::string_view key) {
    const auto found = sections_.find(Lowered(CleanName(section, true)));
    if (found == sections_.end()) return;
    const std::string k = CleanName(key, false);
    Block& block = blocks_[found->second];
    if (k.empty() || !block.keys.contains(Lowered(k))) return;
    // Every copy goes, so a later duplicate cannot reappear as the value.
    std::erase_if(block.lines, [&k](const std::string& text) {
        const Line line = Classify(text);
        return line.kind == Line::kKey && SameName(line.name, k);
    });
    IndexBlock(found->second);
    dirty_ = true;
}

std::string ProfileStore::Text() const {
    std::string text;
    for (const Block& block : blocks_) {
        for (const std::string& line : block.lines) {
            text += line;
            text += newline_;
        }
    }
    return text;
}

ResultCode ProfileStore::Flush() {
    if (loadError_ != kResultOk) return loadError_;
    if (exists_ && !dirty_) return kResultOk;
    const std::string text = Text();
    const ResultCode rc = WriteFileAtomically(
        path_, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    if (rc != kResultOk) return rc;
    exists_ = true;
    dirty_ = false;
    return kResultOk;
}

}  // namespace kvs
