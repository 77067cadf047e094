#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "midi/backends/rtmidi_input_assembler.h"

namespace kvs {
namespace {

struct Received {
    bool isSysex;
    std::uint32_t message;
    std::vector<std::uint8_t> bytes;
};

class RecordingSink : public MidiInputSink {
  public:
    void OnShortMessage(std::uint32_t device, std::uint32_t message) override {
        EXPECT_EQ(device, 3u);
        got.push_back({false, message, {}});
    }
    void OnSysexBuffer(std::uint32_t device, std::span<const std::uint8_t> bytes) override {
        EXPECT_EQ(device, 3u);
        got.push_back({true, 0, {bytes.begin(), bytes.end()}});
    }
    std::vector<Received> got;
};

std::vector<std::uint8_t> Sysex(std::size_t length) {
    std::vector<std::uint8_t> bytes(length);
    for (std::size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<std::uint8_t>(i % 128);
    bytes.front() = 0xF0;
    bytes.back() = 0xF7;
    return bytes;
}

TEST(MidiInputAssembler, PacksShortMessagesByTheirLengthAndEndsSysexAtAStatus) {
    RecordingSink sink;
    MidiInputAssembler in(3, sink);
    in.Feed(std::vector<std::uint8_t>{0x91, 60, 100});
    in.Feed(std::vector<std::uint8_t>{0xC2, 5});
    in.Feed(std::vector<std::uint8_t>{0xF8});
    in.Feed(std::vector<std::uint8_t>{0xF2, 0x10, 0x20});
    // Cut short, stray data and a lone end byte deliver nothing.
    in.Feed(std::vector<std::uint8_t>{0x90, 60});
    in.Feed(std::vector<std::uint8_t>{0x40, 0x41});
    in.Feed(std::vector<std::uint8_t>{0xF7});
    // An unterminated SysEx is handed over when a status byte ends it.
    in.Feed(std::vector<std::uint8_t>{0xF0, 0x41, 0x10});
    in.Feed(std::vector<std::uint8_t>{0x90, 60, 1});
    in.Feed(std::vector<std::uint8_t>{0xF0, 0x7E, 0xF0, 0x43, 0xF7});
    ASSERT_EQ(sink.got.size(), 8u);
    EXPECT_EQ(sink.got[0].message, 0x643C91u);
    EXPECT_EQ(sink.got[1].message, 0x05C2u);
    EXPECT_EQ(sink.got[2].message, 0xF8u);
    EXPECT_EQ(sink.got[3].message, 0x2010F2u);
    EXPECT_EQ(sink.got[4].bytes, (std::vector<std::uint8_t>{0xF0, 0x41, 0x10}));
    EXPECT_EQ(sink.got[5].message, 0x013C90u);
    EXPECT_EQ(sink.got[6].bytes, (std::vector<std::uint8_t>{0xF0, 0x7E}));
    EXPECT_EQ(sink.got[7].bytes, (std::vector<std::uint8_t>{0xF0, 0x43, 0xF7}));
}

TEST(MidiInputAssembler, DeliversSysexWholeUpToTheBufferSizeAndSplitsLongerOnes) {
    for (std::size_t length : {std::size_t{6}, kSysexBufferSize, kSysexBufferSize + 1,
                               std::size_t{40000}, 2 * kSysexBufferSize + 5}) {
        SCOPED_TRACE(length);
        RecordingSink sink;
        MidiInputAssembler in(3, sink);
        std::vector<std::uint8_t> message = Sysex(length);
        in.Feed(message);
        std::vector<std::uint8_t> joined;
        for (const Received& r : sink.got) {
            ASSERT_TRUE(r.isSysex);
            EXPECT_LE(r.bytes.size(), kSysexBufferSize);
            joined.insert(joined.end(), r.bytes.begin(), r.bytes.end());
        }
        EXPECT_EQ(sink.got.size(), (length + kSysexBufferSize - 1) / kSysexBufferSize);
        EXPECT_EQ(joined, message);
    }
}

TEST(MidiInputAssembler, JoinsSysexArrivingInPiecesAndLetsRealTimeThrough) {
    RecordingSink sink;
    MidiInputAssembler in(3, sink);
    std::vector<std::uint8_t> message = Sysex(5000);
    for (std::size_t at = 0; at < message.size(); at += 777) {
        std::size_t end = std::min(message.size(), at + 777);
        in.Feed(std::span<const std::uint8_t>(message).subspan(at, end - at));
        if (at == 777) in.Feed(std::vector<std::uint8_t>{0xF8});  // clock between pieces
    }
    ASSERT_EQ(sink.got.size(), 2u);
    EXPECT_FALSE(sink.got[0].isSysex);
    EXPECT_EQ(sink.got[0].message, 0xF8u);
    EXPECT_EQ(sink.got[1].bytes, message);
}

}  // namespace
}  // namespace kvs
