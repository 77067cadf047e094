#pragma once

#include <string>

#include "files/audio_file_writer.h"

namespace kvs {

// 16-bit stereo FLAC through libsndfile, for a target named "*.flac". Only
// regular files (new or replaced); a target the user may not write, or that
// is something else, is refused and left as it is.
class FlacWriter final : public AudioFileWriter {
  public:
    FlacWriter() = default;
    ~FlacWriter() override;
    FlacWriter(const FlacWriter&) = delete;
    FlacWriter& operator=(const FlacWriter&) = delete;

    ResultCode Open(const std::string& path, std::uint32_t sampleRate) override;
    bool Fits(std::uint64_t) const override { return true; }
    ResultCode Write(std::span<const std::int16_t> samples) override;
    ResultCode Finish() override;
    std::uint64_t Frames() const override { return frames_; }

  private:
    void Close();

    int fd_ = -1;
    void* sound_ = nullptr;  // SNDFILE*
    std::string target_;
    std::string temp_;
    std::uint64_t frames_ = 0;
};

// Whether a path names a FLAC file (by its extension, either case).
bool IsFlacPath(const std::string& path);

}  // namespace kvs
