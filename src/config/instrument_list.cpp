#include "config/instrument_list.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "config/profile_store.h"
#include "files/mapped_file.h"

namespace kvs {

namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (LowerAscii(s[i]) != LowerAscii(prefix[i])) return false;
    }
    return true;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && StartsWithNoCase(a, b);
}

bool IsScanSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Cuts to max bytes without leaving half a UTF-8 character at the end.
std::string CutName(std::string_view s, std::size_t max) {
    if (s.size() <= max) return std::string(s);
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    std::size_t start = max;
    while (start > 0 && max - start < 4 && (byte(start) & 0xC0) == 0x80)
        --start;
    const unsigned char lead = byte(start);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    // Only a lead byte whose character runs past the cut moves it; stray
    // continuation bytes are not a character to keep whole.
    const std::size_t cut = (lead >= 0xC0 && start + length > max) ? start : max;
    return std::string(s.substr(0, cut));
}

// A "%hd" field: blanks, an optional sign, at least one digit. Values out of
// range wrap to 16 bits as the C library's short conversion does.
bool ScanShort(std::string_view s, std::size_t& pos, std::uint16_t& out) {
    while (pos < s.size() && IsScanSpace(s[pos]))
        ++pos;
    bool negative = false;
    if (pos < s.size() && (s[pos] == '-' || s[pos] == '+')) negative = s[pos++] == '-';
    const std::size_t digitsStart = pos;
    std::uint32_t value = 0;
    while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') {
        value = value * 10u + static_cast<std::uint32_t>(s[pos] - '0');  // wraps, as intended
        ++pos;
    }
    if (pos == digitsStart) return false;
    out = static_cast<std::uint16_t>(negative ? 0u - value : value);
    return true;
}

bool ParseEntry(std::string_view line, InstrumentEntry& entry) {
    std::size_t pos = 0;
    std::uint16_t fields[3] = {};
    for (std::uint16_t& field : fields) {
        if (!ScanShort(line, pos, field)) return false;
        if (pos >= line.size() || line[pos] != ',') return false;
        ++pos;
    }
    const std::string_view name = line.substr(pos);
    // The name must hold something besides blanks, as a "%s" field would.
    if (std::all_of(name.begin(), name.end(), IsScanSpace)) return false;
    entry.channel = static_cast<std::uint16_t>(fields[0] - 1u);  // 0 becomes kAnyChannel
    entry.program = fields[1];
    entry.bank = fields[2];
    entry.name = CutName(name, kInstrumentNameMax);
    return true;
}

// Lines of at most kInstrumentLineMax characters. The rest of a longer line
// is dropped rather than read as a line of its own, so that a long comment
// cannot end the entries.
class LineCursor {
  public:
    explicit LineCursor(const MappedFile& file) : file_(file) {}

    bool Next(std::string_view& line) {
        if (pos_ == MappedFile::npos) return false;
        file_.ReadLine(buf_, &pos_, kInstrumentLineMax);
        const auto bytes = file_.Bytes();
        if (pos_ != MappedFile::npos && pos_ > 0 && bytes[pos_ - 1] != '\n') {
            while (pos_ < bytes.size() && bytes[pos_] != '\n')
                ++pos_;
            ++pos_;
            if (pos_ >= bytes.size()) pos_ = MappedFile::npos;
        }
        line = std::string_view(buf_, std::strlen(buf_));
        return true;
    }

  private:
    const MappedFile& file_;
    std::size_t pos_ = 0;
    char buf_[kInstrumentLineMax + 1] = {};
};

bool IsIgnored(std::string_view line) {
    return line.empty() || line.front() == ';';
}

bool HasIniExtension(const std::filesystem::path& path) {
    return EqualsNoCase(path.extension().string(), ".ini");
}

}  // namespace

InstrumentList ReadInstrumentList(const MappedFile& file, std::string_view errorText,
                                  std::string_view fallbackName) {
    InstrumentList list;
    if (!file.IsOpen()) {
        list.name = CutName(fallbackName, kInstrumentNameMax);
        return list;
    }
    LineCursor cursor(file);
    std::string_view line;
    bool inSection = false;
    bool broken = false;
    while (cursor.Next(line)) {
        if (IsIgnored(line)) continue;
        if (!inSection) {
            inSection = EqualsNoCase(line, "[instruments]");
            continue;
        }
        if (StartsWithNoCase(line, "name=")) {
            list.name = CutName(line.substr(5), kInstrumentNameMax);
            continue;
        }
        InstrumentEntry entry;
        if (!ParseEntry(line, entry)) {
            broken = true;
            break;
        }
        list.entries.push_back(std::move(entry));
    }
    if (list.name.empty()) list.name = CutName(fallbackName, kInstrumentNameMax);
    if (broken) {
        list.name += ' ';
        list.name += errorText;
    }
    return list;
}

std::vector<InstrumentList> LoadInstrumentLists(const std::string& folder,
                                                std::string_view errorText) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError) || !HasIniExtension(it->path())) continue;
        files.push_back(it->path());
    }
    // Directory order differs between file systems; the list order must not.
    std::sort(files.begin(), files.end());

    std::vector<InstrumentList> lists;
    for (const auto& path : files) {
        ProfileStore profile(path.string());
        if (profile.Load() != kResultOk) continue;
        const std::string marker = profile.GetString("Instruments", "Name", "", kInstrumentNameMax);
        if (marker.empty()) continue;
        MappedFile file;
        file.Open(path.string());  // a file that cannot be mapped still gives its (empty) list
        lists.push_back(ReadInstrumentList(file, errorText, marker));
    }
    return lists;
}

std::string InstrumentKey(std::string_view portKey) {
    std::string key(portKey);
    key += "_out_inst";
    return key;
}

std::uint32_t InstrumentLists::FindList(std::string_view name) const {
    if (name.empty()) return kNoInstrumentList;
    for (std::size_t i = 0; i < lists_.size(); ++i) {
        if (lists_[i].name == name) return static_cast<std::uint32_t>(i);
    }
    return kNoInstrumentList;
}

void InstrumentLists::ReadAssignments(const ProfileStore& store,
                                      std::span<const std::string> portKeys) {
    portList_.assign(portKeys.size(), kNoInstrumentList);
    for (std::size_t p = 0; p < portKeys.size(); ++p) {
        // Longer than a list name so that a name marked as broken still matches.
        portList_[p] = FindList(store.GetString("ports", InstrumentKey(portKeys[p]), "", 255));
    }
}

void InstrumentLists::WriteAssignments(ProfileStore& store,
                                       std::span<const std::string> portKeys) const {
    for (std::size_t p = 0; p < portKeys.size(); ++p) {
        const InstrumentList* list = AssignedList(p);
        store.WriteString("ports", InstrumentKey(portKeys[p]), list ? list->name : std::string());
    }
}

void InstrumentLists::ResetAssignments(std::size_t portCount) {
    portList_.assign(portCount, kNoInstrumentList);
}

void InstrumentLists::SetAssignments(std::vector<std::uint32_t> table) {
    for (auto& index : table) {
        if (index >= lists_.size()) index = kNoInstrumentList;
    }
    portList_ = std::move(table);
}

std::uint32_t InstrumentLists::AssignedIndex(std::size_t port) const {
    if (port >= portList_.size() || portList_[port] >= lists_.size()) return kNoInstrumentList;
    return portList_[port];
}

const InstrumentList* InstrumentLists::AssignedList(std::size_t port) const {
    const std::uint32_t index = AssignedIndex(port);
    return index == kNoInstrumentList ? nullptr : &lists_[index];
}

std::vector<const InstrumentEntry*> InstrumentLists::Choices(std::size_t port,
                                                             std::uint16_t channel) const {
    std::vector<const InstrumentEntry*> out;
    const InstrumentList* list = AssignedList(port);
    if (list == nullptr) return out;
    for (const auto& entry : list->entries) {
        if (entry.channel == channel) out.push_back(&entry);
    }
    if (out.empty()) {
        for (const auto& entry : list->entries) {
            if (entry.channel == kAnyChannel) out.push_back(&entry);
        }
    }
    return out;
}

std::string InstrumentLists::InstrumentName(std::size_t port, std::uint16_t channel,
                                            std::int16_t program, std::int16_t bank) const {
    const auto choices = Choices(port, channel);
    const int row = SelectedChoice(choices, program, bank);
    return row < 0 ? std::string() : choices[static_cast<std::size_t>(row)]->name;
}

int SelectedChoice(std::span<const InstrumentEntry* const> choices, std::int16_t program,
                   std::int16_t bank) {
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (static_cast<int>(choices[i]->program) == program &&
            static_cast<int>(choices[i]->bank) == bank) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace kvs
