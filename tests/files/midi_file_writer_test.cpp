#include "files/midi_file_writer.h"

#include "files/byte_writer.h"
#include "files/midi_file_reader.h"
#include "files_test_support.h"

namespace kvs {
namespace {

using test::AddTrack;
using test::Bytes;
using test::Hex;
using test::Text;
using test::TrackAt;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The bodies of the file's track chunks; every length field must match.
std::vector<Bytes> Chunks(const Bytes& file) {
    std::vector<Bytes> chunks;
    std::size_t pos = 14;
    while (pos + 8 <= file.size()) {
        EXPECT_EQ(Bytes(file.begin() + pos, file.begin() + pos + 4), Text("MTrk"));
        const std::size_t length = std::size_t{file[pos + 4]} << 24 | file[pos + 5] << 16 |
                                   file[pos + 6] << 8 | file[pos + 7];
        if (file.size() - pos - 8 < length) break;
        chunks.emplace_back(file.begin() + pos + 8, file.begin() + pos + 8 + length);
        pos += 8 + length;
    }
    EXPECT_EQ(pos, file.size()) << "chunk lengths do not add up";
    return chunks;
}

const Bytes kSongItems = Hex("00 FF 51 03 09 27 C0 00 FF 58 04 04 02 18 08");  // 100 bpm, 4/4
const Bytes kEnd = Hex("00 FF 2F 00");

// The track's chunk body between the song items (first track only) and the end.
Bytes Body(const Song& song, std::uint32_t track = 0) {
    const std::vector<Bytes> chunks = Chunks(WriteMidiFile1(song, false, {}));
    const Bytes head = track == 0 ? kSongItems : Bytes{};
    if (chunks.size() <= track || chunks[track].size() < head.size() + kEnd.size()) return {};
    const Bytes& c = chunks[track];
    EXPECT_EQ(Bytes(c.begin(), c.begin() + static_cast<long>(head.size())), head);
    EXPECT_EQ(Bytes(c.end() - 4, c.end()), kEnd);
    return Bytes(c.begin() + static_cast<long>(head.size()), c.end() - 4);
}

TEST(ByteWriter, WritesVarLenInAtMostFourBytesAndNumbersBigEndian) {
    ByteWriter w;
    for (std::uint32_t v : {0u, 0x7Fu, 0x80u, 0x3FFFu, 0x4000u, 0x0FFFFFFFu})
        w.VarLen(v);
    EXPECT_EQ(w.Take(), Hex("00 7F 81 00 FF 7F 81 80 00 FF FF FF 7F"));
    ByteWriter n;
    n.BE16(0x1234);
    n.BE32(0x89ABCDEF);
    n.PatchBE32(2, 0x01020304);
    n.PatchBE32(3, 0xFFFFFFFF);  // would run past the end: ignored
    EXPECT_EQ(n.Take(), Hex("12 34 01 02 03 04"));
}

TEST(MidiFileWriter, WritesTheHeaderAndOnlyTheSongItemsThatAreSet) {
    Song song;
    AddTrack(song);
    AddTrack(song);
    song.loop = 1;  // no marker set: neither marker nor loop record
    const Bytes header = Text("MThd") + Hex("00 00 00 06 00 01 00 02 00 C0");
    EXPECT_EQ(WriteMidiFile1(song, true, {"Only port"}),
              header + Text("MTrk") + Hex("00 00 00 13") + kSongItems + kEnd + Text("MTrk") +
                  Hex("00 00 00 04") + kEnd);

    song.tempo = 120;
    song.timeSigNumerator = 6;
    song.timeSigDenominatorExp = 3;
    song.name.Set("Song");
    song.copyright.Set("(c)");
    TrackAt(song, 0).properties.name.Set("Lead");
    TrackAt(song, 1).properties.name.Set("Bass");
    const std::vector<Bytes> chunks = Chunks(WriteMidiFile1(song, false, {}));
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[0], (Hex("00 FF 51 03 07 A1 20 00 FF 58 04 06 03 18 08 00 FF 01 04")) +
                             Text("Song") + Hex("00 FF 02 03") + Text("(c)") + Hex("00 FF 03 04") +
                             Text("Lead") + kEnd);
    EXPECT_EQ(chunks[1], Hex("00 FF 03 04") + Text("Bass") + kEnd);
}

// Markers, then loop (only when a marker is set), then the track's port
// (only with several ports); none of them outside the full form.
TEST(MidiFileWriter, FullFormAddsMarkersLoopAndPortRecords) {
    Song song;
    AddTrack(song).properties.port = 1;
    AddTrack(song).properties.port = 0;
    AddTrack(song).properties.port = 5;  // no such port: no record
    song.markers[kMarkerLeft] = 4;
    song.markers[kFirstMark + 19] = 0x01020304;
    song.loop = 1;
    Bytes marks;
    for (std::uint32_t slot = 0; slot < kMarkerCount; ++slot)
        marks = marks + (slot == 0    ? Hex("04 00 00 00")
                         : slot == 21 ? Hex("04 03 02 01")
                                      : Hex("FF FF FF FF"));
    const auto kvs = [](std::string_view tag, const Bytes& value) {
        return Hex("00 FF 7F") + Bytes{static_cast<std::uint8_t>(11 + value.size())} +
               Hex("00 27 4A") + Text(tag) + value;
    };
    const std::vector<Bytes> full = Chunks(WriteMidiFile1(song, true, {"A", "Synth B"}));
    ASSERT_EQ(full.size(), 3u);
    EXPECT_EQ(full[0], kSongItems + kvs("KVSmark=", marks) + kvs("KVSloop=", Hex("01")) +
                           kvs("KVSport=", Text("Synth B")) + kEnd);
    EXPECT_EQ(full[1], kvs("KVSport=", Text("A")) + kEnd);
    EXPECT_EQ(full[2], kEnd);
    EXPECT_EQ(Chunks(WriteMidiFile1(song, true, {"A"}))[1], kEnd);
    EXPECT_TRUE(Body(song).empty());
    EXPECT_TRUE(Body(song, 1).empty());
}

TEST(MidiFileWriter, TheTrackChannelCarriesTheInitialPropertiesAndEveryChannelMessage) {
    Song song;
    TrackProperties& p = AddTrack(song).properties;
    p.channel = 0;
    p.bank = 0x0181;
    p.program = 5;
    p.volume = 100;
    p.pan = 64;
    p.reverb = 40;
    p.chorus = 0;
    TrackProperties& unset = AddTrack(song).properties;
    unset.program = 3;
    unset.volume = 90;
    TrackProperties& volumeOnly = AddTrack(song).properties;
    volumeOnly.channel = 3;
    volumeOnly.volume = 90;
    // The bank's MSB rides on the running status of its LSB.
    EXPECT_EQ(Body(song),
              Hex("00 B0 20 01 00 00 03 00 C0 05 00 B0 07 64 00 0A 40 00 5B 28 00 5D 00"));
    EXPECT_TRUE(Body(song, 1).empty());
    EXPECT_EQ(Body(song, 2), Hex("00 B3 07 5A"));

    // A set channel replaces the channel of every channel message.
    Song other;
    Track& set = AddTrack(other);
    set.properties.channel = 9;
    Track& own = AddTrack(other);
    for (Track* t : {&set, &own}) {
        t->AddEvent(0, PackMessage(0x91, 0x3C, 0x64));
        t->AddEvent(0, PackMessage(0xC2, 0x05));
    }
    set.AddEvent(0, PackMessage(0xE5, 0x00, 0x40));
    set.AddEvent(0, PackMessage(0x93, 0x3C, 0x00) | 0xFF000000);
    // SysEx ids are 24 bits wide; the channel must not cut them to 16.
    for (int i = 0; i < 0x10000; ++i)
        set.Sysex().Remove(set.Sysex().Add({0xF0, 0xF7}));
    set.AddSysexEvent(1, {0xF0, 0x42, 0xF7});
    EXPECT_EQ(Body(other), Hex("00 99 3C 64 00 C9 05 00 E9 00 40 00 99 3C 00 01 F0 02 42 F7"));
    EXPECT_EQ(Body(other, 1), Hex("00 91 3C 64 00 C2 05"));
}

// Running status holds only between channel messages; events that write
// nothing pass their delta on; out of order inside a beat is written late
// rather than with a negative delta.
TEST(MidiFileWriter, EventStreamDeltasAndRunningStatus) {
    Song song;
    Track& t = AddTrack(song);
    t.AddEvent(0, PackMessage(0x90, 0x3C, 0x64));
    t.AddEvent(0, PackMessage(0x90, 0x3E, 0x64));
    t.AddEvent(5, SysexMessage(99));  // no such block
    t.AddSysexEvent(6, {0xF0});       // too short to write
    t.AddSysexEvent(10, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
    t.AddEvent(10, PackMessage(0x90, 0x40, 0x64));
    t.AddEvent(20, EVT_TEMPO | (120u << 8));
    t.AddEvent(20, PackMessage(0x90, 0x41, 0x64));
    t.AddEvent(400, PackMessage(0x80, 0x41, 0x40));
    t.AddEvent(390, PackMessage(0x80, 0x40, 0x40));
    EXPECT_EQ(Body(song), Hex("00 90 3C 64 00 3E 64"        // running
                              "0A F0 05 7E 7F 09 01 F7"     // SysEx
                              "00 90 40 64"                 // status again
                              "0A FF 51 03 07 A1 20"        // tempo
                              "00 90 41 64 82 7C 80 41 40"  // late
                              "00 40 40"));
}

TEST(MidiFileWriter, GapLongerThanADeltaCanHoldIsBridgedAndReadsBackInPlace) {
    const Tick far = 0x0FFFFFFF + 300;
    Song song;
    AddTrack(song).AddEvent(far, PackMessage(0x90, 0x3C, 0x64));
    EXPECT_EQ(Body(song), Hex("FF FF FF 7F FF 7F 00 82 2C 90 3C 64"));
    Song loaded;
    ASSERT_EQ(ReadMidiFile(WriteMidiFile1(song, false, {}), loaded, LoadOptions{}), kResultOk);
    ASSERT_EQ(loaded.TrackCount(), 1u);
    EXPECT_EQ(test::FlatEvents(*loaded.GetTrack(0)),
              (std::vector<test::FlatEvent>{{far, PackMessage(0x90, 0x3C, 0x64), {}}}));
}

TEST(MidiFileWriter, ValuesTheFileCannotHoldAreBroughtIntoRange) {
    Song song;
    TrackProperties& p = AddTrack(song).properties;
    p.channel = 0;
    p.program = 200;
    TrackAt(song, 0).AddEvent(0, PackMessage(0x90, 0xBC, 0xE4));
    const auto tempoBytes = [&](std::uint32_t bpm) {
        song.tempo = bpm;
        const Bytes chunk = Chunks(WriteMidiFile1(song, false, {}))[0];
        return Bytes(chunk.begin() + 4, chunk.begin() + 7);
    };
    EXPECT_EQ(tempoBytes(0), (Hex("FF FF FF")));
    EXPECT_EQ(tempoBytes(2), (Hex("FF FF FF")));      // 30000000 needs 25 bits
    EXPECT_EQ(tempoBytes(70000), (Hex("00 03 93")));  // as 65535 bpm
    song.tempo = 100;
    // Data bytes keep 7 bits, or they would read back as status bytes.
    EXPECT_EQ(Body(song), Hex("00 C0 48 00 90 3C 64"));

    // More tracks than the header can count: it says 65535 and holds that many.
    Song wide;
    for (int i = 0; i < 0x10000; ++i)
        wide.InsertTrack();
    const Bytes file = WriteMidiFile1(wide, false, {});
    ASSERT_GE(file.size(), 14u);
    EXPECT_EQ(Bytes(file.begin() + 10, file.begin() + 12), Hex("FF FF"));
    EXPECT_EQ(Chunks(file).size(), 0xFFFFu);
}

TEST(MidiFileWriter, Type0MergesTracksInTimeOrderLowestTrackFirstOnTies) {
    Song song;
    song.markers[kMarkerLeft] = 1;  // never a KVS record in type 0
    Track& t0 = AddTrack(song);
    t0.properties.name.Set("T0");
    t0.AddEvent(0, PackMessage(0x90, 0x3C, 0x64));
    t0.AddEvent(200, PackMessage(0x80, 0x3C, 0x40));
    Track& t1 = AddTrack(song);
    t1.properties.name.Set("T1");
    t1.properties.channel = 2;
    t1.properties.program = 7;
    t1.AddEvent(0, PackMessage(0x91, 0x40, 0x64));
    t1.AddEvent(100, PackMessage(0x81, 0x40, 0x40));
    AddTrack(song).AddEvent(400, PackMessage(0xC5, 0x01));  // after empty beats

    const Bytes file = WriteMidiFile0(song);
    ASSERT_GE(file.size(), 14u);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 14),
              Text("MThd") + Hex("00 00 00 06 00 00 00 01 00 C0"));
    const std::vector<Bytes> chunks = Chunks(file);
    ASSERT_EQ(chunks.size(), 1u);
    EXPECT_EQ(chunks[0], kSongItems +
                             Hex("00 FF 03 02 54 30"  // only track 0's name
                                 "00 C2 07"           // track 1's program
                                 "00 90 3C 64 00 92 40 64 64 82 40 40 64 80 3C 40 81 48 C5 01") +
                             kEnd);
}

}  // namespace
}  // namespace kvs
