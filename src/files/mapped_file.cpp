#include "files/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kvs {

ResultCode MappedFile::Open(const std::string& path) {
    Close();
    // O_NONBLOCK so that naming a FIFO cannot hang the load waiting for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return SystemError(errno);
    struct stat st {};
    int err = 0;
    if (::fstat(fd, &st) != 0) {
        err = errno;
    } else if (S_ISDIR(st.st_mode)) {
        err = EISDIR;
    } else if (!S_ISREG(st.st_mode)) {
        err = ENODEV;
    } else if (st.st_size == 0) {
        err = ENODATA;  // an empty file cannot be mapped
    }
    if (err == 0) {
        const auto size = static_cast<std::size_t>(st.st_size);
        void* view = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (view == MAP_FAILED) {
            err = errno;
        } else {
            data_ = static_cast<const std::uint8_t*>(view);
            size_ = size;
            fd_ = fd;
            return kResultOk;
        }
    }
    ::close(fd);
    return SystemError(err);
}

void MappedFile::Close() {
    if (data_ != nullptr) ::munmap(const_cast<std::uint8_t*>(data_), size_);
    if (fd_ >= 0) ::close(fd_);
    data_ = nullptr;
    size_ = 0;
    fd_ = -1;
}

void MappedFile::ReadLine(char* buf, std::size_t* pos, std::size_t maxChars) const {
    std::size_t p = *pos;
    std::size_t n = 0;
    if (p != npos && p < size_) {
        while (p < size_ && n < maxChars) {
            const std::uint8_t c = data_[p++];
            if (c == '\n') break;
            if (c != '\r') buf[n++] = static_cast<char>(c);
        }
    }
    buf[n] = '\0';
    *pos = p < size_ ? p : npos;
}

}  // namespace kvs
