#include "midi/backends/virtual_midi_log.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "files/byte_writer.h"
#include "model/event.h"

namespace kvs {
namespace {

void AppendHex(std::string& s, std::uint8_t b) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    s += ' ';
    s += kDigits[b >> 4];
    s += kDigits[b & 0x0F];
}

}  // namespace

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
        // A byte that starts no short message is shown as the lone byte it is.
        const std::size_t n = std::max<std::size_t>(
            1, ShortMessageLength(static_cast<std::uint8_t>(message.shortMessage)));
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

VirtualMidiLog::VirtualMidiLog(VirtualMidiLayer& layer, std::string path)
    : layer_(layer), path_(std::move(path)) {}

VirtualMidiLog::~VirtualMidiLog() {
    (void)Write(false);
}

ResultCode VirtualMidiLog::Flush() {
    return Write(true);
}

ResultCode VirtualMidiLog::Write(bool evenEmpty) {
    std::vector<std::pair<std::uint32_t, RecordedMidiMessage>> all;
    const auto outputs = static_cast<std::uint32_t>(layer_.OutputNames().size());
    for (std::uint32_t port = 0; port < outputs; ++port) {
        for (RecordedMidiMessage& m : layer_.Output(port).Snapshot())
            all.emplace_back(port, std::move(m));
    }
    if (all.size() == flushed_ && (written_ || !evenEmpty)) return kResultOk;
    // Each output's messages are in order already; a stable sort keeps them so.
    std::stable_sort(all.begin(), all.end(),
                     [](const auto& a, const auto& b) { return a.second.time < b.second.time; });
    std::string text;
    for (const auto& [port, m] : all)
        text += FormatLogLine(m.time - start_, port, m);
    const ResultCode written = WriteFileAtomically(
        path_, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    if (written == kResultOk) {
        flushed_ = all.size();
        written_ = true;
    }
    return written;
}

}  // namespace kvs
