#include "model/sysex_table.h"

#include <algorithm>
#include <new>

namespace kvs {

namespace {

// Ids live in bits 8-31 of an event's message word.
constexpr std::uint32_t kMaxSysexId = 0xFFFFFF;

}  // namespace

std::uint32_t SysexTable::Add(std::unique_ptr<SysexBlock> block) {
    if (block == nullptr || lastId_ >= kMaxSysexId) return 0;
    try {
        entries_.push_back(Entry{lastId_ + 1, std::move(block)});
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return ++lastId_;
}

std::uint32_t SysexTable::Add(std::vector<std::uint8_t> bytes) {
    std::unique_ptr<SysexBlock> block;
    try {
        block = std::make_unique<SysexBlock>(SysexBlock{std::move(bytes)});
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return Add(std::move(block));
}

// Ids are handed out in increasing order and entries are only appended or
// erased, so the table stays sorted by id and a lookup is a binary search.
std::vector<SysexTable::Entry>::const_iterator SysexTable::Locate(std::uint32_t id) const {
    auto it = std::lower_bound(entries_.begin(), entries_.end(), id,
                               [](const Entry& e, std::uint32_t value) { return e.id < value; });
    return it != entries_.end() && it->id == id ? it : entries_.end();
}

const SysexBlock* SysexTable::Find(std::uint32_t id) const {
    auto it = Locate(id);
    return it != entries_.end() ? it->block.get() : nullptr;
}

SysexBlock* SysexTable::Find(std::uint32_t id) {
    return const_cast<SysexBlock*>(static_cast<const SysexTable&>(*this).Find(id));
}

bool SysexTable::Remove(std::uint32_t id) {
    auto it = Locate(id);
    if (it == entries_.end()) return false;
    entries_.erase(it);
    return true;
}

void SysexTable::Clear() {
    entries_.clear();
    lastId_ = 0;
}

bool SysexTable::CopyFrom(const SysexTable& other) {
    if (this == &other) return true;
    std::vector<Entry> copy;
    try {
        copy.reserve(other.entries_.size());
        for (const Entry& e : other.entries_)
            copy.push_back(Entry{e.id, std::make_unique<SysexBlock>(*e.block)});
    } catch (const std::bad_alloc&) {
        return false;
    }
    entries_ = std::move(copy);
    lastId_ = other.lastId_;
    return true;
}

}  // namespace kvs
