#include "files/wav_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "files/replacement_file.h"

namespace kvs {
namespace {

constexpr std::size_t kBufferBytes = 1 << 16;

void Put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void Put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

int WriteAll(int fd, const std::uint8_t* p, std::size_t n) {
    while (n != 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0 && errno == EINTR) continue;
        if (w < 0) return errno;
        if (w == 0) return EIO;
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return 0;
}

}  // namespace

std::array<std::uint8_t, 44> WavHeader(std::uint64_t frames, std::uint32_t sampleRate) {
    constexpr std::uint16_t kChannels = 2;
    constexpr std::uint16_t kBlockAlign = kChannels * 2;
    const auto dataBytes =
        static_cast<std::uint32_t>(std::min(frames, kMaxWavFrames) * kBlockAlign);
    std::array<std::uint8_t, 44> h{'R', 'I', 'F', 'F', 0,   0,   0,   0, 'W', 'A', 'V',
                                   'E', 'f', 'm', 't', ' ', 0,   0,   0, 0,   0,   0,
                                   0,   0,   0,   0,   0,   0,   0,   0, 0,   0,   0,
                                   0,   0,   0,   'd', 'a', 't', 'a', 0, 0,   0,   0};
    Put32(&h[4], 36 + dataBytes);
    Put32(&h[16], 16);
    Put16(&h[20], 1);  // PCM
    Put16(&h[22], kChannels);
    Put32(&h[24], sampleRate);
    Put32(&h[28], sampleRate * kBlockAlign);
    Put16(&h[32], kBlockAlign);
    Put16(&h[34], 16);
    Put32(&h[40], dataBytes);
    return h;
}

WavWriter::~WavWriter() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
}

ResultCode WavWriter::Open(const std::string& path, std::uint32_t sampleRate) {
    rate_ = sampleRate;
    target_ = ResolveLinks(path);
    struct stat st {};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode))) {
        // Non-blocking, so that a FIFO nobody reads is an error, not a hang.
        fd_ = ::open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) return SystemError(errno);
        (void)::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
        inPlace_ = true;
    } else if (exists && !S_ISREG(st.st_mode)) {
        return SystemError(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    } else {
        // A file the user may not write is not replaced behind their back.
        if (exists && ::access(target_.c_str(), W_OK) != 0) return SystemError(errno);
        fd_ = CreateReplacementFile(target_, exists ? &st : nullptr, temp_);
        if (fd_ < 0) return SystemError(errno);
    }
    // An unknown length as streaming writers give it, for a target that
    // cannot be rewound.
    const auto header = WavHeader(inPlace_ ? kMaxWavFrames : 0, rate_);
    buffer_.reserve(kBufferBytes);
    buffer_.assign(header.begin(), header.end());
    return kResultOk;
}

ResultCode WavWriter::Write(std::span<const std::int16_t> samples) {
    if (fd_ < 0) return SystemError(EBADF);
    // Little-endian whatever the machine.
    for (const std::int16_t s : samples) {
        buffer_.push_back(static_cast<std::uint8_t>(s));
        buffer_.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(s) >> 8));
    }
    frames_ += samples.size() / 2;
    return buffer_.size() >= kBufferBytes ? FlushBuffer() : kResultOk;
}

ResultCode WavWriter::FlushBuffer() {
    const int err = WriteAll(fd_, buffer_.data(), buffer_.size());
    buffer_.clear();
    return err == 0 ? kResultOk : SystemError(err);
}

ResultCode WavWriter::Finish() {
    if (fd_ < 0) return SystemError(EBADF);
    ResultCode result = FlushBuffer();
    if (result == kResultOk && !inPlace_) {
        const auto header = WavHeader(frames_, rate_);
        if (::pwrite(fd_, header.data(), header.size(), 0) != static_cast<ssize_t>(header.size()))
            result = SystemError(errno != 0 ? errno : EIO);
        else if (::fsync(fd_) != 0)
            result = SystemError(errno);
    }
    if (::close(fd_) != 0 && result == kResultOk) result = SystemError(errno);
    fd_ = -1;
    if (result == kResultOk && !inPlace_ && ::rename(temp_.c_str(), target_.c_str()) != 0)
        result = SystemError(errno);
    if (result == kResultOk) temp_.clear();
    return result;
}

}  // namespace kvs
