#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace kvs {

// One stored SysEx message, beginning with 0xF0.
struct SysexBlock {
    std::vector<std::uint8_t> bytes;
    std::uint32_t Length() const { return static_cast<std::uint32_t>(bytes.size()); }
};

// Per-track store of SysEx blocks; events refer to blocks by id.
class SysexTable {
  public:
    SysexTable() = default;
    SysexTable(const SysexTable&) = delete;
    SysexTable& operator=(const SysexTable&) = delete;
    SysexTable(SysexTable&&) noexcept = default;
    SysexTable& operator=(SysexTable&&) noexcept = default;

    // Stores the block and returns its new id (the first is 1); 0 on failure,
    // in which case the block is destroyed.
    std::uint32_t Add(std::unique_ptr<SysexBlock> block);
    std::uint32_t Add(std::vector<std::uint8_t> bytes);
    const SysexBlock* Find(std::uint32_t id) const;
    SysexBlock* Find(std::uint32_t id);
    bool Remove(std::uint32_t id);
    void Clear();
    // Becomes a deep copy of other with the same ids and lastId; false (and
    // unchanged) when memory runs out.
    bool CopyFrom(const SysexTable& other);

    std::uint32_t Count() const { return static_cast<std::uint32_t>(entries_.size()); }
    std::uint32_t LastId() const { return lastId_; }

  private:
    struct Entry {
        std::uint32_t id;
        std::unique_ptr<SysexBlock> block;
    };
    std::vector<Entry>::const_iterator Locate(std::uint32_t id) const;

    std::vector<Entry> entries_;
    std::uint32_t lastId_ = 0;
};

}  // namespace kvs
