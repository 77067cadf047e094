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

const SysexBlock* SysexTable::Find(std::uint32_t id) const {
    for (const Entry& e : entries_)
        if (e.id == id) return e.block.get();
    return nullptr;
}

SysexBlock* SysexTable::Find(std::uint32_t id) {
    return const_cast<SysexBlock*>(static_cast<const SysexTable&>(*this).Find(id));
}

bool SysexTable::Remove(std::uint32_t id) {
    auto it =
        std::find_if(entries_.begin(), entries_.end(), [id](const Entry& e) { return e.id == id; });
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
