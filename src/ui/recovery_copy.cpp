#include "ui/recovery_copy.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <span>

#include "files/byte_writer.h"
#include "files/song_file.h"

namespace kvs {
namespace {

std::optional<struct timespec> ModifiedTime(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return st.st_mtim;
}

bool Before(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec != b.tv_sec ? a.tv_sec < b.tv_sec : a.tv_nsec < b.tv_nsec;
}

}  // namespace

RecoveryCopy::RecoveryCopy(std::string folder) {
    if (folder.empty()) return;
    copy_ = folder + "recovery.mid";
    note_ = folder + "recovery.txt";
}

ResultCode RecoveryCopy::Write(const Song& song, const std::string& songPath,
                               const std::vector<std::string>& outPorts) {
    if (copy_.empty()) return kResultOk;
    const std::span note(reinterpret_cast<const std::uint8_t*>(songPath.data()), songPath.size());
    if (const ResultCode written = WriteFileAtomically(note_, note); written != kResultOk)
        return written;
    return SaveSongFile(copy_, song, SaveType::Full, outPorts);
}

std::optional<RecoveryCopy::Offer> RecoveryCopy::Pending() const {
    if (copy_.empty()) return std::nullopt;
    const std::optional<struct timespec> copied = ModifiedTime(copy_);
    if (!copied) return std::nullopt;
    std::ifstream in(note_, std::ios::binary);
    Offer offer{std::string(std::istreambuf_iterator<char>(in), {}), copy_};
    // A song saved since the copy was made holds everything the copy does.
    // Times within one clock tick tie; a tie is offered, as losing an edit
    // costs more than one needless question.
    if (!offer.songPath.empty()) {
        const std::optional<struct timespec> saved = ModifiedTime(offer.songPath);
        if (saved && Before(*copied, *saved)) return std::nullopt;
    }
    return offer;
}

void RecoveryCopy::Discard() {
    if (copy_.empty()) return;
    (void)::unlink(copy_.c_str());
    (void)::unlink(note_.c_str());
}

}  // namespace kvs
