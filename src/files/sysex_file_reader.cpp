#include "files/sysex_file.h"

#include <cstring>
#include <new>
#include <vector>

#include "model/event.h"
#include "model/song.h"
#include "model/track.h"

namespace kvs {

ResultCode ReadSysexFile(std::span<const std::uint8_t> file, Song& song,
                         const LoadOptions& options) {
    if (!song.InsertTrack(-1)) return kErrInvalidFile;
    Track* added = song.GetTrack(song.TrackCount() - 1);
    if (added == nullptr) return kErrInvalidFile;
    Track& track = *added;
    track.properties.name.Set("Sysex");
    track.properties.port = options.defaultPort;

    const std::uint8_t* data = file.data();
    const std::size_t size = file.size();
    std::size_t pos = 0;
    std::uint64_t tick = 0;
    while (pos < size) {
        if (data[pos] != 0xF0 || size - pos < 2) return kErrInvalidFile;
        const void* f7 = std::memchr(data + pos + 1, 0xF7, size - pos - 1);
        if (f7 == nullptr) return kErrInvalidFile;
        const std::size_t end =
            static_cast<std::size_t>(static_cast<const std::uint8_t*>(f7) - data) + 1;
        const std::size_t length = end - pos;
        if (tick > UINT32_MAX) return kErrInvalidFile;
        try {
            std::vector<std::uint8_t> bytes(data + pos, data + end);
            if (!track.AddSysexEvent(static_cast<Tick>(tick), std::move(bytes)))
                return kErrInvalidFile;
        } catch (const std::bad_alloc&) {
            return kErrInvalidFile;
        }
        // Room for the receiver: a tick for every four bytes sent, and one more.
        tick += length / 4 + 1;
        pos = end;
    }
    return kResultOk;
}

}  // namespace kvs
