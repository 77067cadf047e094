#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kvs {

class MappedFile;
class ProfileStore;

inline constexpr std::uint16_t kAnyChannel = 0xFFFF;
inline constexpr std::uint32_t kNoInstrumentList = 0xFFFFFFFF;
inline constexpr std::size_t kInstrumentNameMax = 31;
inline constexpr std::size_t kInstrumentLineMax = 79;
inline constexpr std::string_view kInstrumentLoadErrorText = "<Error loading>";

// One sound of a synthesizer. Program and bank are kept as the file wrote
// them; the property dialogs clamp what they take over.
struct InstrumentEntry {
    std::uint16_t channel = kAnyChannel;  // 0-15, or kAnyChannel
    std::uint16_t program = 0;
    std::uint16_t bank = 0;
    std::string name;  // at most kInstrumentNameMax characters

    bool operator==(const InstrumentEntry&) const = default;
};

struct InstrumentList {
    std::string name;
    std::vector<InstrumentEntry> entries;  // in file order
};

// Reads the "[instruments]" section of one open list file. A line that is
// neither empty, a comment, "name=" nor an entry ends the entries and marks
// the name with errorText. fallbackName is used when the section names
// nothing, so that the list can still be assigned and found again.
InstrumentList ReadInstrumentList(const MappedFile& file, std::string_view errorText,
                                  std::string_view fallbackName = {});

// Every "*.ini" file in folder whose "Instruments"/"Name" value is not empty,
// in file-name order. A file that cannot be mapped gives a list with that
// value as its name and no entries.
std::vector<InstrumentList> LoadInstrumentLists(
    const std::string& folder, std::string_view errorText = kInstrumentLoadErrorText);

// The "[ports]" key that stores the list of one MIDI OUT port.
std::string InstrumentKey(std::string_view portKey);

// The loaded lists and the list assigned to each MIDI OUT port.
class InstrumentLists {
  public:
    void Load(const std::string& folder, std::string_view errorText = kInstrumentLoadErrorText) {
        lists_ = LoadInstrumentLists(folder, errorText);
    }
    void SetLists(std::vector<InstrumentList> lists) { lists_ = std::move(lists); }
    const std::vector<InstrumentList>& Lists() const { return lists_; }
    // Finds the first list with exactly this display name; an empty name is
    // never a list, it means "unassigned".
    std::uint32_t FindList(std::string_view name) const;

    // portKeys[p] is the system name of MIDI OUT port p.
    void ReadAssignments(const ProfileStore& store, std::span<const std::string> portKeys);
    void WriteAssignments(ProfileStore& store, std::span<const std::string> portKeys) const;
    // After a settings reset every port is unassigned.
    void ResetAssignments(std::size_t portCount);

    const std::vector<std::uint32_t>& Assignments() const { return portList_; }
    // Takes a whole table (the dialog's copy); indexes out of range read as unassigned.
    void SetAssignments(std::vector<std::uint32_t> table);
    std::uint32_t AssignedIndex(std::size_t port) const;
    const InstrumentList* AssignedList(std::size_t port) const;

    // The instruments the property dialogs offer for a track on port and
    // channel: those of the port's list on that channel, or when there are
    // none, those for any channel. Empty when the port has no list.
    std::vector<const InstrumentEntry*> Choices(std::size_t port, std::uint16_t channel) const;
    // The name of the instrument a track's program and bank select, or
    // empty when no choice matches (or program is unset).
    std::string InstrumentName(std::size_t port, std::uint16_t channel, std::int16_t program,
                               std::int16_t bank) const;

  private:
    std::vector<InstrumentList> lists_;
    std::vector<std::uint32_t> portList_;
};

// The index in choices of the first entry whose program and bank equal the
// track's, or -1 (the dialog's empty entry).
int SelectedChoice(std::span<const InstrumentEntry* const> choices, std::int16_t program,
                   std::int16_t bank);

}  // namespace kvs
