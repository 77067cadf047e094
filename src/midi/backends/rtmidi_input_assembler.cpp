#include "midi/backends/rtmidi_input_assembler.h"

namespace kvs {

MidiInputAssembler::MidiInputAssembler(std::uint32_t device, MidiInputSink& sink)
    : device_(device), sink_(sink) {
    sysex_.reserve(kSysexBufferSize);
}

void MidiInputAssembler::FlushSysex() {
    if (!sysex_.empty()) sink_.OnSysexBuffer(device_, sysex_);
    sysex_.clear();
}

void MidiInputAssembler::ShortMessage(std::span<const std::uint8_t> bytes) {
    std::size_t length = ShortMessageLength(bytes[0]);
    if (length == 0) return;
    std::uint32_t message = 0;
    for (std::size_t i = 0; i < length && i < bytes.size(); ++i) {
        message |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    }
    sink_.OnShortMessage(device_, message);
}

void MidiInputAssembler::Feed(std::span<const std::uint8_t> bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        std::uint8_t b = bytes[i];
        if (b >= 0xF8) {  // real time may come anywhere, even inside SysEx
            ShortMessage(bytes.subspan(i, 1));
            ++i;
            continue;
        }
        if (b == 0xF0) {
            FlushSysex();  // a SysEx without its end: hand over what came
            inSysex_ = true;
        } else if (b >= 0x80 && b != 0xF7 && inSysex_) {
            FlushSysex();  // a status byte ends an unterminated SysEx
            inSysex_ = false;
        }
        if (inSysex_) {
            sysex_.push_back(b);
            ++i;
            if (b == 0xF7) {
                FlushSysex();
                inSysex_ = false;
            } else if (sysex_.size() == kSysexBufferSize) {
                FlushSysex();
            }
            continue;
        }
        if (b < 0x80 || b == 0xF7) {  // stray data: no status to go with it
            ++i;
            continue;
        }
        std::size_t length = ShortMessageLength(b);
        // The whole message must be here, its data bytes below 0x80.
        std::size_t have = 1;
        while (have < length && i + have < bytes.size() && bytes[i + have] < 0x80)
            ++have;
        if (have == length) ShortMessage(bytes.subspan(i, length));
        i += have;
    }
}

}  // namespace kvs
