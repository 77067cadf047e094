#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "files/audio_file_writer.h"
#include "files/file_result.h"

namespace kvs {

// The most 16-bit stereo frames a WAV file's 32-bit sizes can describe.
inline constexpr std::uint64_t kMaxWavFrames = (0xFFFFFFFFull - 36) / 4;

// The 44-byte header of a 16-bit stereo PCM WAV file of frames frames.
std::array<std::uint8_t, 44> WavHeader(std::uint64_t frames, std::uint32_t sampleRate);

// A 16-bit stereo WAV file written while it is rendered, so that memory stays
// flat whatever the length. Like every save it goes to a temporary file
// beside the target that replaces it (keeping its mode) only when complete;
// a FIFO or character device is written in place, its header saying "as
// long as it lasts"; a target the user may not write, or that is neither,
// is refused and left as it is.
class WavWriter final : public AudioFileWriter {
  public:
    WavWriter() = default;
    ~WavWriter() override;  // removes an unfinished temporary file
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    ResultCode Open(const std::string& path, std::uint32_t sampleRate) override;
    // Interleaved left, right. false when the file would grow past what WAV
    // can describe; nothing is written then.
    bool Fits(std::uint64_t frames) const override { return frames_ + frames <= kMaxWavFrames; }
    ResultCode Write(std::span<const std::int16_t> samples) override;
    // Puts the sizes into the header and the file in place.
    ResultCode Finish() override;
    std::uint64_t Frames() const override { return frames_; }

  private:
    ResultCode FlushBuffer();

    int fd_ = -1;
    bool inPlace_ = false;
    std::string target_;
    std::string temp_;
    std::uint32_t rate_ = 0;
    std::uint64_t frames_ = 0;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace kvs
