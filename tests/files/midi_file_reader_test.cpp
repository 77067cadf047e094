#include "files/midi_file_reader.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

#include "files_test_support.h"

namespace kvs {
namespace {

using test::Bytes;
using test::Cat;
using test::Cc;
using test::Off;
using test::On;
using test::Text;
using Evs = std::vector<test::TimedMessage>;

Bytes BigEndian(std::uint32_t v, int n) {
    Bytes out;
    for (int i = n - 1; i >= 0; --i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return out;
}
Bytes VarLen(std::uint32_t v) {
    Bytes out{static_cast<std::uint8_t>(v & 0x7F)};
    while ((v >>= 7) != 0)
        out.insert(out.begin(), static_cast<std::uint8_t>(0x80 | (v & 0x7F)));
    return out;
}
Bytes Header(std::uint16_t format, std::uint16_t tracks, std::uint16_t division) {
    return Cat({Text("MThd"), BigEndian(6, 4), BigEndian(format, 2), BigEndian(tracks, 2),
                BigEndian(division, 2)});
}
// A track chunk; its stated length is the body's unless given.
Bytes Chunk(const Bytes& body, std::optional<std::uint32_t> stated = std::nullopt) {
    return Cat({Text("MTrk"), BigEndian(stated.value_or(body.size()), 4), body});
}
// A meta event at delta 0.
Bytes Meta(std::uint8_t type, const Bytes& data) {
    return Cat({{0x00, 0xFF, type}, VarLen(static_cast<std::uint32_t>(data.size())), data});
}
Bytes Kvs(std::string_view tag, const Bytes& value) {
    return Meta(0x7F, Cat({{0x00, 0x27, 0x4A}, Text(tag), value}));
}
const Bytes kEndOfTrack{0x00, 0xFF, 0x2F, 0x00};

struct Loaded {
    ResultCode rc;
    std::unique_ptr<Song> song = std::make_unique<Song>();
    const TrackProperties& Props(std::uint32_t t) const { return song->GetTrack(t)->properties; }
    Evs Events(std::uint32_t t) const { return test::Events(*song->GetTrack(t)); }
};

Loaded Load(const Bytes& file, int scan = 0, LoadOptions options = {}) {
    Loaded l;
    options.scanInit = scan;
    l.rc = ReadMidiFile(file, *l.song, options);
    return l;
}
Loaded LoadTrack(const Bytes& body, std::uint16_t format = 1, int scan = 0,
                 std::uint16_t division = 192) {
    return Load(Cat({Header(format, 1, division), Chunk(body)}), scan);
}

TEST(MidiFileReader, HeaderAndChunkStructure) {
    const Bytes chunk = Chunk({0x00, 0x90, 60, 100});
    Bytes longHeader = Cat({Header(1, 1, 96), {0, 0}});
    longHeader[7] = 8;
    Bytes foreign = chunk;
    foreign[3] = 'X';
    const struct {
        Bytes file;
        ResultCode rc;
        std::uint32_t tracks;
    } cases[] = {
        {Bytes(13, 0), kErrInvalidFile, 0},
        {Cat({longHeader, chunk}), kErrInvalidFile, 0},
        {Cat({Header(3, 1, 96), chunk}), kErrInvalidFile, 0},
        {Cat({Header(1, 1, 0), chunk}), kErrInvalidFile, 0},  // no time base
        {Header(1, 0, 96), kResultOk, 0},
        {Cat({Header(1, 0, 96), chunk}), kErrInvalidFile, 0},
        {Cat({Header(1, 3, 96), chunk, chunk}), kResultOk, 2},  // fewer than declared
        {Cat({Header(1, 3, 96), chunk, chunk, chunk, chunk}), kErrInvalidFile, 3},
        {Cat({Header(1, 1, 96), chunk, {0}}), kErrInvalidFile, 1},  // trailing byte
        {Cat({Header(1, 2, 96), chunk, foreign}), kErrInvalidFile, 2},
        {Cat({Header(1, 1, 96), Chunk(kEndOfTrack, 5)}), kErrInvalidFile, 1},
        {Cat({Header(1, 1, 96), Text({"MTrk\0\0", 6})}), kErrInvalidFile, 1},
    };
    for (const auto& c : cases) {
        const Loaded l = Load(c.file);
        EXPECT_EQ(l.rc, c.rc) << testing::PrintToString(c.file);
        EXPECT_EQ(l.song->TrackCount(), c.tracks) << testing::PrintToString(c.file);
    }

    // New tracks follow the ones the song has.
    Song song;
    ASSERT_TRUE(song.InsertTrack());
    ASSERT_EQ(ReadMidiFile(Cat({Header(1, 1, 96), chunk}), song, {}), kResultOk);
    EXPECT_EQ(song.TrackCount(), 2u);
}

TEST(MidiFileReader, RescalesSummedFileTimeAndTruncates) {
    auto ticks = [](std::uint16_t division, const Bytes& body) {
        std::vector<Tick> out;
        for (const auto& e : LoadTrack(body, 0, 0, division).Events(0))
            out.push_back(e.first);
        return out;
    };
    EXPECT_EQ(ticks(96, {48, 0x80, 60, 0}), std::vector<Tick>{96});
    EXPECT_EQ(ticks(480, {1, 0x80, 60, 0}), std::vector<Tick>{0});
    EXPECT_EQ(ticks(480, Cat({VarLen(481), {0x80, 60, 0}})), std::vector<Tick>{192});
    // Deltas add up in file units: seven steps of 1/7 beat make exactly one beat.
    Bytes sevenths;
    for (int i = 0; i < 7; ++i)
        sevenths.insert(sevenths.end(), {1, 0x80, 60, 0});
    EXPECT_EQ(ticks(7, sevenths), (std::vector<Tick>{27, 54, 82, 109, 137, 164, 192}));
    // The product passes 32 bits; a division with its top bit set is still a count.
    EXPECT_EQ(ticks(65535, Cat({VarLen(0x0FFFFFFF), {0x80, 60, 0}})), std::vector<Tick>{786443});
    EXPECT_EQ(ticks(0x8000, Cat({VarLen(0x8000), {0x80, 60, 0}})), std::vector<Tick>{192});
}

TEST(MidiFileReader, RunningStatusAndChunkEnds) {
    const Bytes body = Cat({{0x00, 60, 100},  // no status yet: 90
                            {0x00, 0xB3, 7, 90},
                            Meta(0x01, Text("x")),
                            {0x00, 10, 20},
                            {0x00, 0xF0, 0x01, 0xF7},
                            {0x00, 11, 21},
                            {0x00, 0xC2, 5, 0x00, 6},
                            kEndOfTrack,
                            {0x10, 12}});  // events after end-of-track count
    const Loaded l = LoadTrack(body, 0);
    ASSERT_EQ(l.rc, kResultOk);
    EXPECT_EQ(l.Events(0), (Evs{{0, On(0, 60, 100)},
                                {0, Cc(3, 7, 90)},
                                {0, Cc(3, 10, 20)},
                                {0, SysexMessage(1)},
                                {0, Cc(3, 11, 21)},
                                {0, PackMessage(0xC2, 5)},
                                {0, PackMessage(0xC2, 6)},
                                {0x10, PackMessage(0xC2, 12)}}));

    // The last event may run past the stated end; the next chunk follows it,
    // and starts over with running status 90.
    const Loaded over =
        Load(Cat({Header(2, 2, 192), Chunk({0x00, 0xB0, 7, 90}, 2), Chunk({0x00, 61, 1})}));
    ASSERT_EQ(over.rc, kResultOk);
    EXPECT_EQ(over.Events(0), (Evs{{0, Cc(0, 7, 90)}}));
    EXPECT_EQ(over.Events(1), (Evs{{0, On(0, 61, 1)}}));
}

TEST(MidiFileReader, TruncatedOrMalformedEventsFailKeepingWhatWasRead) {
    const Bytes tails[] = {
        {0x81},                          // delta runs off the file
        {0x81, 0x80, 0x80, 0x80, 0x00},  // fourth delta byte still continued
        {0x00},
        {0x00, 0x90, 60},
        {0x00, 0xC0},  // event or data bytes missing
        {0x00, 0xFF, 0x01},
        {0x00, 0xFF, 0x01, 0x05, 'a'},
        {0x00, 0xFF, 0x01, 0x80, 0x80},
        {0x00, 0xF0},
        {0x00, 0xF0, 0x05, 0x01, 0xF7},
        {0x00, 0xF0, 0x80, 0x80, 0x80, 0x80},
        {0x00, 0xF7, 0x03, 0xF7},
    };
    for (const Bytes& tail : tails) {
        const Loaded l = LoadTrack(Cat({{0x00, 0x90, 60, 1}, tail}), 0);
        EXPECT_EQ(l.rc, kErrInvalidFile) << testing::PrintToString(tail);
        EXPECT_EQ(l.Events(0).size(), 1u) << testing::PrintToString(tail);
    }
}

TEST(MidiFileReader, InitialSettingsScanModes) {
    // On channel 3: a program at tick 0, a volume at tick 3, a note at tick
    // 5, a pan at tick 10.
    const Bytes body = {0x00, 0xC2, 5, 0x03, 0xB2, 7, 90, 0x02, 0x92, 60, 100, 0x05, 0xB2, 10, 30};
    const Loaded time0 = LoadTrack(body, 1, 0), beforeNotes = LoadTrack(body, 1, 1),
                 first = LoadTrack(body, 1, 2), none = LoadTrack(body, 1, 3);
    auto taken = [](const Loaded& l) {
        const TrackProperties& p = l.Props(0);
        return std::vector<int>{p.program, p.volume, p.pan, p.channel};
    };
    EXPECT_EQ(taken(time0), (std::vector<int>{5, -1, -1, 2}));
    EXPECT_EQ(taken(beforeNotes), (std::vector<int>{5, 90, -1, 2}));
    EXPECT_EQ(taken(first), (std::vector<int>{5, 90, 30, 2}));
    EXPECT_EQ(taken(none), (std::vector<int>{-1, -1, -1, 2}));
    EXPECT_EQ(first.Events(0), (Evs{{5, On(2, 60, 100)}}));  // taken ones go

    // A track that also speaks on channel 4 gets no channel and keeps every
    // message where it stood, or saving would move them all onto one channel.
    const Loaded mixed = LoadTrack(Cat({body, {0x00, 0x93, 61, 1}}), 1, 2);
    EXPECT_EQ(taken(mixed), (std::vector<int>{-1, -1, -1, kNoChannel}));
    EXPECT_EQ(mixed.Events(0), (Evs{{0, PackMessage(0xC2, 5)},
                                    {3, Cc(2, 7, 90)},
                                    {5, On(2, 60, 100)},
                                    {10, Cc(2, 10, 30)},
                                    {10, On(3, 61, 1)}}));
    EXPECT_EQ(LoadTrack({0x0A, 0xC0, 5}).Props(0).program, -1);  // tick 10 is no start
    // A velocity-0 note on closes the "before notes" window too.
    EXPECT_EQ(LoadTrack({0x00, 0x90, 60, 0, 0x00, 0xC0, 5}, 1, 1).Props(0).program, -1);

    // Each property is taken once; the bank joins its two controllers.
    const Loaded once = LoadTrack({0x00, 0xB1, 0x00, 2,    0x00, 0x20, 3,    0x00, 0x00, 9,
                                   0x00, 0x07, 100,  0x00, 0x07, 50,   0x00, 0x0A, 64,   0x00,
                                   0x5B, 40,   0x00, 0x5D, 20,   0x00, 0x01, 7});
    const TrackProperties& p = once.Props(0);
    EXPECT_EQ(std::vector<int>({p.bank, p.volume, p.pan, p.reverb, p.chorus, p.channel}),
              std::vector<int>({2 * 128 + 3, 100, 64, 40, 20, 1}));
    EXPECT_EQ(once.Events(0), (Evs{{0, Cc(1, 0x00, 9)}, {0, Cc(1, 7, 50)}, {0, Cc(1, 1, 7)}}));
    EXPECT_EQ(LoadTrack({0x00, 0xB0, 0x20, 5}).Props(0).bank, 5);  // a lone LSB
}

TEST(MidiFileReader, OpeningTempoAndMeterAndPropertiesOnlyInFormat1) {
    const Bytes body = Cat({{0x00, 0xC0, 5},
                            Meta(0x51, {0x07, 0xA1, 0x20}),  // 120 bpm
                            Meta(0x51, {0x09, 0x27, 0xC0}),
                            Meta(0x58, {3, 3, 24, 8}),
                            Meta(0x51, {0, 0, 0}),     // no tempo at all
                            Meta(0x51, {0x07, 0xA1}),  // unusable lengths are skipped
                            Meta(0x58, {3, 3, 24, 8, 1}),
                            {0x60, 0xFF, 0x51, 3, 0, 0, 1}});
    const std::uint32_t fastest = EVT_TEMPO | (65535u << 8);  // 60,000,000 bpm, clamped
    const Loaded one = LoadTrack(body, 1);
    EXPECT_EQ(std::vector<std::uint32_t>(
                  {one.song->tempo, one.song->timeSigNumerator, one.song->timeSigDenominatorExp}),
              std::vector<std::uint32_t>({100, 3, 3}));  // the last at tick 0 wins
    EXPECT_EQ(one.Events(0), (Evs{{0x60, fastest}}));
    for (std::uint16_t format : {0, 2}) {
        const Loaded l = LoadTrack(body, format);
        EXPECT_EQ(l.song->tempo, 100u);
        EXPECT_EQ(l.song->timeSigNumerator, 4u);
        EXPECT_EQ(l.Props(0).program, -1);
        EXPECT_EQ(l.Events(0), (Evs{{0, PackMessage(0xC0, 5)},
                                    {0, EVT_TEMPO | (120u << 8)},
                                    {0, EVT_TEMPO | (100u << 8)},
                                    {0, PackMessage(EVT_TIMESIG, 3, 3)},
                                    {0x60, fastest}}));
    }
}

TEST(MidiFileReader, TextsAndKvsRecords) {
    const std::string longText(200, 'n');
    const Bytes track1 =
        Cat({Meta(0x01, Text("Song")), Meta(0x02, Text({"(c) me\0hidden", 13})),
             Meta(0x01, Text("second text")), Kvs("KVSloop=", {1}),
             Kvs("KVSmark=", {8, 0, 0, 0, 0x10, 0x20, 0, 0}), Kvs("KVSport=", Text("Synth A"))});
    const Bytes track2 =
        Cat({Meta(0x03, Text(longText)), Meta(0x05, Text("lyric")), Kvs("KVSport=", Text("Gone")),
             Kvs("KVSmark=", {1, 2, 3}), Kvs("KVSloop=", {0, 0}), Kvs("KVSlo", {}),
             Meta(0x7F, {0x00, 0x27, 0x4B, 1, 2, 3, 4, 5, 6, 7, 8, 9})});
    Song song;
    song.markers[5] = 77;
    std::vector<std::string> asked;
    LoadOptions options;
    options.defaultPort = 1;
    options.resolvePort = [&](std::string_view name) -> std::optional<std::uint16_t> {
        asked.emplace_back(name);
        return name == "Synth A" ? std::optional<std::uint16_t>(4) : std::nullopt;
    };
    ASSERT_EQ(ReadMidiFile(Cat({Header(1, 2, 192), Chunk(track1), Chunk(track2)}), song, options),
              kResultOk);
    EXPECT_EQ(song.name.View(), "Song");
    EXPECT_EQ(song.copyright.View(), "(c) me");
    EXPECT_EQ(song.GetTrack(0)->properties.name.View(), "second text");
    EXPECT_EQ(song.GetTrack(1)->properties.name.View(), longText.substr(0, 63));
    EXPECT_EQ(song.loop, 1u);  // the malformed loop record changed nothing
    EXPECT_EQ(
        std::vector<std::uint32_t>(song.markers.begin(), song.markers.begin() + 6),
        std::vector<std::uint32_t>({8, 0x2010, kUnsetMarker, kUnsetMarker, kUnsetMarker, 77}));
    EXPECT_EQ(asked, (std::vector<std::string>{"Synth A", "Gone"}));
    EXPECT_EQ(song.GetTrack(0)->properties.port, 4);
    EXPECT_EQ(song.GetTrack(1)->properties.port, 1);
    EXPECT_EQ(song.GetTrack(0)->EventCount() + song.GetTrack(1)->EventCount(), 0u);

    EXPECT_EQ(LoadTrack(Meta(0x01, Text(longText))).song->name.View(), longText.substr(0, 127));
}

TEST(MidiFileReader, TrackChannelComesFromItsEventsWhenTheyAgree) {
    auto channel = [](const Bytes& body, std::uint16_t format = 1, int scan = 3) {
        return LoadTrack(body, format, scan).Props(0).channel;
    };
    const Bytes ch5 = {0x00, 0x94, 60, 1, 0x10, 0x84, 60, 0, 0x00, 0xB4, 7, 1};
    const Bytes sysex = {0x00, 0xF0, 0x01, 0xF7}, tempo = Meta(0x51, {0x07, 0xA1, 0x20});
    EXPECT_EQ(channel(ch5), 4);
    EXPECT_EQ(channel(Cat({ch5, sysex}), 0), kNoChannel);  // SysEx counts as channel 1
    EXPECT_EQ(channel(sysex, 0), 0);
    EXPECT_EQ(channel(tempo, 0), kNoChannel);
    EXPECT_EQ(channel(Cat({tempo, ch5}), 0), 4);
    EXPECT_EQ(channel(Cat({{0x00, 0xC4, 1}, ch5}), 1, 0), 4);
    EXPECT_EQ(channel(Cat({{0x00, 0xC2, 1}, ch5}), 1, 0), kNoChannel);
}

TEST(MidiFileReader, SysexPacketsEscapesAndSystemBytes) {
    const Bytes body = {0x00, 0xF0, 0x02, 0x41, 0x10,        // first packet
                        0x10, 0xF7, 0x02, 0x42, 0x12,        // continued
                        0x10, 0xF7, 0x01, 0xF7,              // last
                        0x00, 0xF7, 0x02, 0xF8, 0xFA,        // escape: real-time bytes
                        0x00, 0xF7, 0x03, 0xF0, 0x01, 0xF7,  // escape: a whole SysEx
                        0x00, 0xF7, 0x00,                    // empty escape
                        0x00, 60, 100,                       // running status still 90
                        // System bytes with their own data lengths, storing nothing:
                        0x00, 0xF2, 0x10, 0x20, 0x00, 0xF1, 0x30, 0x00, 0xF3, 0x05, 0x00, 0xF6,
                        0x00, 0xF8, 0x00, 0xFE, 0x00, 62,
                        0,  // and the running status survives them
                        0x00, 0x91, 60, 0};
    const Loaded l = LoadTrack(body, 0);
    ASSERT_EQ(l.rc, kResultOk);
    EXPECT_EQ(l.Events(0), (Evs{{0, SysexMessage(1)},
                                {0x20, SysexMessage(2)},
                                {0x20, On(0, 60, 100)},
                                {0x20, On(0, 62, 0)},
                                {0x20, On(1, 60, 0)}}));
    const SysexTable& table = l.song->GetTrack(0)->Sysex();
    EXPECT_EQ(table.Count(), 2u);
    EXPECT_EQ(table.Find(1)->bytes, (Bytes{0xF0, 0x41, 0x10, 0x42, 0x12, 0xF7}));
    EXPECT_EQ(table.Find(2)->bytes, (Bytes{0xF0, 0x01, 0xF7}));
    EXPECT_EQ(LoadTrack({0x00, 0xF2, 0x10}).rc, kErrInvalidFile);
    // A packet before any SysEx is an escape of plain bytes: skipped.
    EXPECT_TRUE(LoadTrack({0x00, 0xF7, 0x02, 0x41, 0xF7}, 0).Events(0).empty());
}

TEST(MidiFileReader, HugeTimesFailInsteadOfAllocating) {
    // Division 1: a beat per file unit.
    const Loaded past32 = LoadTrack(Cat({VarLen(0x0FFFFFFF), {0x90, 60, 1}}), 0, 0, 1);
    EXPECT_EQ(past32.rc, kErrInvalidFile);
    EXPECT_EQ(past32.song->GetTrack(0)->BeatCount(), 0u);
    const Loaded pastTrack = LoadTrack(Cat({VarLen(kMaxTrackBeats), {0x90, 60, 1}}), 0, 0, 1);
    EXPECT_EQ(pastTrack.rc, kErrInvalidFile);
    EXPECT_EQ(pastTrack.song->GetTrack(0)->BeatCount(), 0u);
    // Tracks under the per-track limit, together past the per-load limit: the
    // load stops before the fifth allocates its beats.
    const Bytes chunk = Chunk(Cat({VarLen(kMaxTrackBeats - 1), {0x90, 60, 1}}));
    const Loaded many = Load(Cat({Header(1, 5, 1), chunk, chunk, chunk, chunk, chunk}));
    EXPECT_EQ(many.rc, kErrInvalidFile);
    ASSERT_EQ(many.song->TrackCount(), 5u);
    EXPECT_EQ(many.song->GetTrack(3)->BeatCount(), kMaxTrackBeats);
    EXPECT_EQ(many.song->GetTrack(4)->BeatCount(), 0u);
}

// Every real file must load without crashing under every scan mode; those
// that keep to the format must load whole with the tracks their header
// declares. The bent ones carry more chunks than declared, foreign chunks, or
// (Dixie04) a SysEx whose stated length swallows the next chunk's header.
TEST(MidiFileReader, LoadsRealFiles) {
    const std::string_view bent[] = {"b4uacuse-GM",    "b4uacuse-new", "b4uacuse-non-mtrk",
                                     "b4uacuse-seq24", "click_4_4",    "Dixie04"};
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(
             std::filesystem::path(KVS_TEST_DATA_DIR) / "midi-real")) {
        const std::string name = entry.path().filename().string();
        const Bytes bytes = test::ReadAll(entry.path());
        ASSERT_GE(bytes.size(), 14u) << name;
        ++files;
        const bool good = std::none_of(std::begin(bent), std::end(bent), [&](std::string_view b) {
            return name.find(b) != std::string::npos;
        });
        const std::uint32_t declared = (bytes[10] << 8) | bytes[11];
        for (int scan : {0, 1, 2, 3}) {
            LoadOptions options;
            options.autoclean = scan == 2;
            const Loaded l = Load(bytes, scan, options);
            EXPECT_EQ(l.rc, good ? kResultOk : kErrInvalidFile) << name;
            EXPECT_LE(l.song->TrackCount(), declared) << name;
            if (good) {
                EXPECT_EQ(l.song->TrackCount(), declared) << name;
                EXPECT_GT(l.song->SongLengthBeats(), 0u) << name;
            }
        }
    }
    EXPECT_EQ(files, 26);
}

}  // namespace
}  // namespace kvs
