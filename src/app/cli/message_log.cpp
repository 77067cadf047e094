#include "app/cli/message_log.h"

#include <cstdio>

namespace kvs {
namespace {

void AppendHex(std::string& s, std::uint8_t b) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    s += ' ';
    s += kDigits[b >> 4];
    s += kDigits[b & 0x0F];
}

}  // namespace

std::size_t ShortMessageLength(std::uint32_t message) {
    const std::uint32_t status = message & 0xFF;
    if (status < 0x80) return 1;  // not a status: shown as the lone byte it is
    if (status < 0xF0) {
        const std::uint32_t kind = status & 0xF0;
        return kind == 0xC0 || kind == 0xD0 ? 2 : 3;
    }
    switch (status) {
        case 0xF1:
        case 0xF3:
            return 2;
        case 0xF2:
            return 3;
        default:
            return 1;
    }
}

std::string FormatLogLine(std::chrono::nanoseconds sinceStart, std::uint32_t port,
                          const RecordedMidiMessage& message) {
    const long long us = std::chrono::duration_cast<std::chrono::microseconds>(sinceStart).count();
    const long long clamped = us < 0 ? 0 : us;
    char head[64];
    std::snprintf(head, sizeof head, "%lld.%03lld %u", clamped / 1000, clamped % 1000, port);
    std::string line = head;
    if (message.isLong) {
        for (const std::uint8_t b : message.bytes)
            AppendHex(line, b);
    } else {
        const std::size_t n = ShortMessageLength(message.shortMessage);
        for (std::size_t i = 0; i < n; ++i)
            AppendHex(line, static_cast<std::uint8_t>(message.shortMessage >> (8 * i)));
    }
    line += '\n';
    return line;
}

std::string FormatLog(std::chrono::steady_clock::time_point start, std::uint32_t port,
                      std::span<const RecordedMidiMessage> messages) {
    std::string text;
    for (const RecordedMidiMessage& m : messages)
        text += FormatLogLine(m.time - start, port, m);
    return text;
}

}  // namespace kvs
