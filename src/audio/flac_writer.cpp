#include "audio/flac_writer.h"

#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "files/replacement_file.h"

namespace kvs {
namespace {

SNDFILE* Sound(void* p) {
    return static_cast<SNDFILE*>(p);
}

}  // namespace

bool IsFlacPath(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return false;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext == "flac";
}

FlacWriter::~FlacWriter() {
    Close();
    if (!temp_.empty()) ::unlink(temp_.c_str());
}

void FlacWriter::Close() {
    if (sound_ != nullptr) sf_close(Sound(sound_));
    sound_ = nullptr;
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

ResultCode FlacWriter::Open(const std::string& path, std::uint32_t sampleRate) {
    target_ = ResolveLinks(path);
    struct stat st {};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) return SystemError(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    // A file the user may not write is not replaced behind their back.
    if (exists && ::access(target_.c_str(), W_OK) != 0) return SystemError(errno);
    fd_ = CreateReplacementFile(target_, exists ? &st : nullptr, temp_);
    if (fd_ < 0) return SystemError(errno);
    SF_INFO info{};
    info.samplerate = static_cast<int>(sampleRate);
    info.channels = 2;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    sound_ = sf_open_fd(fd_, SFM_WRITE, &info, SF_FALSE);
    return sound_ != nullptr ? kResultOk : SystemError(EIO);
}

ResultCode FlacWriter::Write(std::span<const std::int16_t> samples) {
    if (sound_ == nullptr) return SystemError(EBADF);
    const auto frames = static_cast<sf_count_t>(samples.size() / 2);
    if (sf_writef_short(Sound(sound_), samples.data(), frames) != frames)
        return SystemError(errno != 0 ? errno : EIO);
    frames_ += static_cast<std::uint64_t>(frames);
    return kResultOk;
}

ResultCode FlacWriter::Finish() {
    if (sound_ == nullptr) return SystemError(EBADF);
    // Closing writes the last block and the stream's totals.
    const int closed = sf_close(Sound(sound_));
    sound_ = nullptr;
    ResultCode result = closed == 0 ? kResultOk : SystemError(EIO);
    if (result == kResultOk && ::fsync(fd_) != 0) result = SystemError(errno);
    if (::close(fd_) != 0 && result == kResultOk) result = SystemError(errno);
    fd_ = -1;
    if (result == kResultOk && ::rename(temp_.c_str(), target_.c_str()) != 0)
        result = SystemError(errno);
    if (result == kResultOk) temp_.clear();
    return result;
}

}  // namespace kvs
