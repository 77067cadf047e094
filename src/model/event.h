#pragma once

#include <cstdint>

namespace kvs {

using Tick = std::uint32_t;
inline constexpr std::uint32_t TICKS_PER_BEAT = 192;

// The program's own event kinds, stored beside MIDI channel messages.
inline constexpr std::uint8_t EVT_TEMPO = 0x50;
inline constexpr std::uint8_t EVT_TIMESIG = 0x60;
inline constexpr std::uint8_t EVT_SYSEX = 0xF0;

// Packed message word: status in bits 0-7, data 1 in 8-15, data 2 in 16-23.
// Tempo keeps its bpm in bits 8-31; SysEx keeps the block id in bits 8-31.
struct Event {
    std::uint32_t offset;   // tick inside the event's beat, 0..191
    std::uint32_t message;  // packed message word
};
static_assert(sizeof(Event) == 8);

constexpr std::uint8_t Status(std::uint32_t msg) {
    return msg & 0xFF;
}
constexpr std::uint8_t Kind(std::uint32_t msg) {
    return msg & 0xF0;
}
constexpr std::uint8_t Channel(std::uint32_t msg) {
    return msg & 0x0F;
}
constexpr std::uint8_t Data1(std::uint32_t msg) {
    return (msg >> 8) & 0xFF;
}
constexpr std::uint8_t Data2(std::uint32_t msg) {
    return (msg >> 16) & 0xFF;
}
constexpr std::uint32_t PackMessage(std::uint8_t status, std::uint8_t d1 = 0, std::uint8_t d2 = 0) {
    return status | (std::uint32_t{d1} << 8) | (std::uint32_t{d2} << 16);
}

// Note on with velocity > 0; a velocity-0 note on counts as a note off.
constexpr bool IsSoundingNoteOn(std::uint32_t msg) {
    return Kind(msg) == 0x90 && Data2(msg) != 0;
}
constexpr bool IsNoteEnd(std::uint32_t msg) {
    return Kind(msg) == 0x80 || (Kind(msg) == 0x90 && Data2(msg) == 0);
}
constexpr bool IsSysex(std::uint32_t msg) {
    return Kind(msg) == 0xF0;
}
constexpr std::uint32_t SysexId(std::uint32_t msg) {
    return msg >> 8;
}
constexpr std::uint32_t SysexMessage(std::uint32_t id) {
    return (id << 8) | EVT_SYSEX;
}

// Reads a velocity-0 note on as a note off with velocity 64.
constexpr std::uint32_t AsNoteOff(std::uint32_t msg) {
    if (Kind(msg) == 0x90 && Data2(msg) == 0) return (msg & 0xFFEF) | 0x400000;
    return msg;
}

// Bytes of the short message that begins with status, status included; 0 for
// a byte that is not a status or begins or ends a SysEx message.
constexpr std::uint32_t ShortMessageLength(std::uint8_t status) {
    if (status < 0x80 || status == 0xF0 || status == 0xF7) return 0;
    if (status < 0xF0) return (status & 0xE0) == 0xC0 ? 2 : 3;
    if (status == 0xF1 || status == 0xF3) return 2;
    return status == 0xF2 ? 3 : 1;  // F4-F6 and real-time F8-FF stand alone
}

// Channel and key of a note message: the note tracker's key.
constexpr std::uint32_t NoteKey(std::uint32_t msg) {
    return msg & 0xFF0F;
}

// Order of events in a bucket: by offset, note offs first, note ons last,
// otherwise by status, data 1, data 2.
bool EventLess(const Event& a, const Event& b);

}  // namespace kvs
