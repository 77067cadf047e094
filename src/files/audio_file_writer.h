#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "files/file_result.h"

namespace kvs {

// A 16-bit stereo audio file written while it is rendered. It goes to a
// temporary file beside the target that takes the target's place only when
// complete; destroyed unfinished, it removes the temporary file.
class AudioFileWriter {
  public:
    virtual ~AudioFileWriter() = default;
    virtual ResultCode Open(const std::string& path, std::uint32_t sampleRate) = 0;
    // false when the file would grow past what its format can describe.
    virtual bool Fits(std::uint64_t frames) const = 0;
    // Interleaved left, right.
    virtual ResultCode Write(std::span<const std::int16_t> samples) = 0;
    virtual ResultCode Finish() = 0;
    virtual std::uint64_t Frames() const = 0;
};

}  // namespace kvs
