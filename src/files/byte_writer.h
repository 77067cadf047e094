#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_result.h"

namespace kvs {

// Encodes the low 28 bits of value as a variable-length quantity, most
// significant group first, into out (room for 4 bytes); returns the count.
inline std::size_t EncodeVarLen(std::uint32_t value, std::uint8_t* out) {
    value &= 0x0FFFFFFF;
    std::size_t n = 1;
    for (std::uint32_t rest = value >> 7; rest != 0; rest >>= 7)
        ++n;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t group = (value >> (7 * (n - 1 - i))) & 0x7F;
        out[i] = static_cast<std::uint8_t>(i + 1 < n ? group | 0x80 : group);
    }
    return n;
}

// Bytes of a file being built in memory, big-endian as MIDI files are.
class ByteWriter {
  public:
    void Byte(std::uint8_t b) { bytes_.push_back(b); }
    void Bytes(std::span<const std::uint8_t> b) { bytes_.insert(bytes_.end(), b.begin(), b.end()); }
    void Text(std::string_view s) { bytes_.insert(bytes_.end(), s.begin(), s.end()); }
    void VarLen(std::uint32_t value);  // at most 4 bytes, 28 bits
    void BE16(std::uint16_t value);
    void BE32(std::uint32_t value);
    void PatchBE32(std::size_t at, std::uint32_t value);

    std::size_t Size() const { return bytes_.size(); }
    void Reserve(std::size_t n) { bytes_.reserve(n); }
    std::vector<std::uint8_t>& Buffer() { return bytes_; }
    std::vector<std::uint8_t> Take() { return std::move(bytes_); }

  private:
    std::vector<std::uint8_t> bytes_;
};

// Writes the bytes to a temporary file in the target's folder and renames it
// over the target only when everything was written, keeping the replaced
// file's owner and permissions. Links are followed. A FIFO or a character
// device is written in place; a file the user may not write, a folder or any
// other kind of file is never replaced. On failure failedPath (when given)
// names what the error is about: the target, or its folder when no file can
// be made there.
ResultCode WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                               std::string* failedPath = nullptr);

}  // namespace kvs
