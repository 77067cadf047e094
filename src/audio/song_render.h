#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "config/settings.h"
#include "files/file_result.h"

namespace kvs {

class Song;

// A song rendered through the built-in synthesizer, offline and as fast as
// the machine allows, into a 16-bit stereo WAV file (FLAC for a "*.flac"
// target); the same song, sound
// font and rate give the same file every time. The work comes in steps, so
// that a window can show progress and stop between them; a render that is
// destroyed before it is done leaves no file behind, and an existing file at
// the target is replaced only by a complete one.
class SongRender {
  public:
    struct Options {
        std::string soundFont;  // empty: the installed one
        int sampleRate = 44100;
        EngineSettings engine;
    };
    enum class Status { Running, Done, Failed };
    enum class Failure { None, SoundFont, File, TooLong };

    // The song must stay unchanged and alive until the render is destroyed;
    // its loop is off meanwhile (a loop would never reach the end).
    SongRender(Song& song, Options options);
    ~SongRender();
    SongRender(const SongRender&) = delete;
    SongRender& operator=(const SongRender&) = delete;

    // Loads the sound font and opens the file; false with Error() set.
    bool Open(const std::string& path);
    // Renders up to periods timer periods of audio.
    Status Step(std::uint32_t periods);
    // Everything in one go.
    Status Run();

    // 0-1000, by the song's length; 1000 only when done.
    std::uint32_t Permille() const;
    Failure Error() const { return failure_; }
    ResultCode FileError() const { return fileError_; }
    const std::string& SoundFontError() const { return soundFontError_; }
    std::uint64_t Frames() const;
    int SampleRate() const { return options_.sampleRate; }

    struct Parts;

  private:
    Status Fail(Failure failure);

    Song& song_;
    Options options_;
    std::uint32_t savedLoop_ = 0;
    std::unique_ptr<Parts> parts_;
    Status status_ = Status::Failed;
    Failure failure_ = Failure::None;
    ResultCode fileError_ = kResultOk;
    std::string soundFontError_;
};

}  // namespace kvs
