#include <gtest/gtest.h>

#include "midi/backends/rtmidi_input_assembler.h"
#include "midi_test_support.h"

namespace kvs {
namespace {

using test::ReceivedInput;
using Bytes = std::vector<std::uint8_t>;

Bytes Sysex(std::size_t length) {
    Bytes bytes(length);
    for (std::size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<std::uint8_t>(i % 128);
    bytes.front() = 0xF0;
    bytes.back() = 0xF7;
    return bytes;
}

TEST(MidiInputAssembler, PacksShortMessagesByTheirLengthAndEndsSysexAtAStatus) {
    test::RecordingInput sink;
    MidiInputAssembler in(3, sink);
    for (const Bytes& b : std::vector<Bytes>{{0x91, 60, 100},
                                             {0xC2, 5},
                                             {0xF8},
                                             {0xF2, 0x10, 0x20},
                                             // Cut short, stray data, a lone end: nothing.
                                             {0x90, 60},
                                             {0x40, 0x41},
                                             {0xF7},
                                             // An unterminated SysEx ends at a status byte.
                                             {0xF0, 0x41, 0x10},
                                             {0x90, 60, 1},
                                             {0xF0, 0x7E, 0xF0, 0x43, 0xF7}})
        in.Feed(b);
    EXPECT_EQ(sink.Got(), (std::vector<ReceivedInput>{{3, 0x643C91},
                                                      {3, 0x05C2},
                                                      {3, 0xF8},
                                                      {3, 0x2010F2},
                                                      {3, 0, {0xF0, 0x41, 0x10}},
                                                      {3, 0x013C90},
                                                      {3, 0, {0xF0, 0x7E}},
                                                      {3, 0, {0xF0, 0x43, 0xF7}}}));
}

TEST(MidiInputAssembler, DeliversSysexWholeUpToTheBufferSizeAndSplitsLongerOnes) {
    for (std::size_t length : {std::size_t{6}, kSysexBufferSize, kSysexBufferSize + 1,
                               std::size_t{40000}, 2 * kSysexBufferSize + 5}) {
        SCOPED_TRACE(length);
        test::RecordingInput sink;
        MidiInputAssembler in(3, sink);
        const Bytes message = Sysex(length);
        in.Feed(message);
        Bytes joined;
        for (const ReceivedInput& r : sink.Got()) {
            EXPECT_LE(r.bytes.size(), kSysexBufferSize);
            joined.insert(joined.end(), r.bytes.begin(), r.bytes.end());
        }
        EXPECT_EQ(sink.Got().size(), (length + kSysexBufferSize - 1) / kSysexBufferSize);
        EXPECT_EQ(joined, message);
    }
}

TEST(MidiInputAssembler, JoinsSysexArrivingInPiecesAndLetsRealTimeThrough) {
    test::RecordingInput sink;
    MidiInputAssembler in(3, sink);
    const Bytes message = Sysex(5000);
    for (std::size_t at = 0; at < message.size(); at += 777) {
        in.Feed(std::span<const std::uint8_t>(message).subspan(
            at, std::min<std::size_t>(777, message.size() - at)));
        if (at == 777) in.Feed(Bytes{0xF8});  // clock between pieces
    }
    EXPECT_EQ(sink.Got(), (std::vector<ReceivedInput>{{3, 0xF8}, {3, 0, message}}));
}

}  // namespace
}  // namespace kvs
