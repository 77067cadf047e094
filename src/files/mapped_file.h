#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "files/file_result.h"

namespace kvs {

// A whole file mapped read-only for the duration of one load.
class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile() { Close(); }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    ResultCode Open(const std::string& path);
    void Close();
    bool IsOpen() const { return data_ != nullptr; }
    std::span<const std::uint8_t> Bytes() const { return {data_, size_}; }

    // Reads one line from *pos into buf (at most maxChars characters, always
    // terminated; buf holds maxChars + 1). Carriage returns are skipped, the
    // line feed is consumed. At the end of the file *pos becomes npos, and
    // reading from npos yields an empty line.
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);
    void ReadLine(char* buf, std::size_t* pos, std::size_t maxChars) const;

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    int fd_ = -1;
};

}  // namespace kvs
