#include "midi/output_commands.h"

#include <array>
#include <mutex>

#include "config/settings.h"
#include "midi/chase_table.h"
#include "midi/engine.h"
#include "midi/midi_device_table.h"
#include "midi/sysex_queue.h"
#include "model/song.h"
#include "model/sysex_table.h"

namespace kvs {

namespace {

SysexBlock AllNotesOffBlock() {
    SysexBlock block;
    for (std::uint8_t ch = 0; ch < 16; ++ch) {
        const auto status = static_cast<std::uint8_t>(0xB0 | ch);
        block.bytes.insert(block.bytes.end(), {status, 0x79, 0x00, status, 0x7B, 0x00});
    }
    return block;
}

const std::array<SysexBlock, kCmdLocalOn - kCmdAllNotesOff + 1>& FixedBlocks() {
    static const std::array<SysexBlock, kCmdLocalOn - kCmdAllNotesOff + 1> blocks = {
        AllNotesOffBlock(),
        SysexBlock{{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}},
        SysexBlock{{0xF0, 0x7E, 0x7F, 0x09, 0x03, 0xF7}},
        SysexBlock{{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}},
        SysexBlock{{0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7}},
        SysexBlock{{0xB0, 0x7A, 0x00}},
        SysexBlock{{0xB0, 0x7A, 0x7F}},
    };
    return blocks;
}

}  // namespace

const SysexBlock* FixedMessage(std::uint32_t command) {
    if (command < kCmdAllNotesOff || command > kCmdLocalOn) return nullptr;
    return &FixedBlocks()[command - kCmdAllNotesOff];
}

bool SendFixedMessage(SysexQueue& queue, std::uint32_t command) {
    const SysexBlock* block = FixedMessage(command);
    if (block == nullptr) return false;
    queue.SendSysexAll(*block);
    return true;
}

void AutoLocalAtStartUp(const GeneralSettings& settings, ShortMessageSink& out) {
    if (settings.autoLocal) out.SendShortAll(kLocalOffMessage);
}

void AutoLocalAtExit(const GeneralSettings& settings, ShortMessageSink& out) {
    if (settings.autoLocal) out.SendShortAll(kLocalOnMessage);
}

void AutoLoadSend(const GeneralSettings& settings, Engine& engine, SysexQueue& queue) {
    switch (settings.autoLoadSend) {
        case 1:
            engine.SendInitialSettings();
            break;
        case 2:
            SendFixedMessage(queue, kCmdGmReset);
            break;
        case 3:
            SendFixedMessage(queue, kCmdGm2Reset);
            break;
        case 4:
            SendFixedMessage(queue, kCmdGsReset);
            break;
        case 5:
            SendFixedMessage(queue, kCmdXgReset);
            break;
        default:
            break;
    }
}

bool SendCurrentSettings(Engine& engine, const Song* song, std::int32_t currentTrack,
                         std::uint32_t outputCount, ShortMessageSink& out, std::uint32_t beat) {
    if (song == nullptr || currentTrack < 0 ||
        static_cast<std::uint32_t>(currentTrack) >= song->TrackCount() || outputCount == 0)
        return false;
    ChaseTable table;
    if (!table.Allocate(outputCount)) return false;
    {
        // The engine's own setters take this lock: send only after the scan.
        std::unique_lock<std::mutex> lock = engine.LockSong();
        table.Scan(*song, beat);
        table.FillDefaults(*song);
    }
    for (std::uint32_t port = 0; port < table.Ports(); ++port) {
        for (std::uint32_t ch = 0; ch < ChaseTable::kChannels; ++ch) {
            for (std::uint32_t slot = 0; slot < ChaseTable::kSlots; ++slot) {
                const std::uint32_t value = table.Get(port, ch, slot);
                if (value == ChaseTable::kEmpty) continue;
                if (slot == ChaseTable::kSongSlot && port == 0 && ch == 0)
                    engine.SetTempo(value >> 8);
                else if (slot == ChaseTable::kSongSlot && port == 0 && ch == 1)
                    engine.SetTimeSignature(value >> 8, table.SignatureBeat());
                else if (slot != ChaseTable::kSongSlot)
                    out.SendShort(value, port);
            }
        }
    }
    return true;
}

void DeviceTableSink::SendShort(std::uint32_t message, std::uint32_t port) {
    devices_.SendShort(message, port);
}

void DeviceTableSink::SendShortAll(std::uint32_t message) {
    devices_.SendShortAll(message);
}

}  // namespace kvs
