#include "files/replacement_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

namespace kvs {

std::string ResolveLinks(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : path;
}

int CreateReplacementFile(const std::string& target, const struct stat* existing,
                          std::string& tempPath) {
    const std::size_t slash = target.rfind('/');
    tempPath = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) +
               ".kvs-render-XXXXXX";
    const int fd = ::mkostemp(tempPath.data(), O_CLOEXEC);
    if (fd < 0) {
        tempPath.clear();
        return -1;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    (void)::fchmod(fd, existing != nullptr ? existing->st_mode & 07777 : 0666 & ~mask);
    if (existing != nullptr) (void)::fchown(fd, existing->st_uid, existing->st_gid);
    return fd;
}

}  // namespace kvs
