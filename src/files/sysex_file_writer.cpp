#include "files/byte_writer.h"
#include "files/merged_event_cursor.h"
#include "files/sysex_file.h"
#include "model/song.h"

namespace kvs {

std::vector<std::uint8_t> WriteSysexFile(const Song& song) {
    ByteWriter out;
    MergedEventCursor cursor(song);
    MergedEvent e;
    while (cursor.Next(e)) {
        if (!IsSysex(e.message)) continue;
        if (const SysexBlock* block = e.track->Sysex().Find(SysexId(e.message)))
            out.Bytes(block->bytes);
    }
    return out.Take();
}

}  // namespace kvs
