#include <sys/resource.h>

#include <csignal>
#include <set>

#include "files/song_file.h"
#include "files_test_support.h"

namespace kvs {
namespace {

using test::Bytes;
using test::ReadAll;
using Events = std::initializer_list<test::TimedMessage>;

const std::vector<std::string> kPorts = {"Port A", "Port B:0"};

LoadOptions Options() {
    LoadOptions options;
    options.resolvePort = [](std::string_view name) -> std::optional<std::uint16_t> {
        for (std::size_t i = 0; i < kPorts.size(); ++i)
            if (kPorts[i] == name) return static_cast<std::uint16_t>(i);
        return std::nullopt;
    };
    return options;
}

Track& AddTrack(Song& s, const char* name, Events events) {
    Track& t = test::AddTrack(s);
    t.properties.name.Set(name);
    test::Add(t, events);
    return t;
}

// A song that uses every field a file can carry. Events at tick 0 that the
// reader would take as properties are avoided on tracks without a channel.
void BuildSong(Song& s) {
    s.tempo = 132;
    s.timeSigNumerator = 3;
    s.timeSigDenominatorExp = 3;
    s.name.Set("Round trip");
    s.copyright.Set("(c) 2024 Someone");
    s.markers[kMarkerLeft] = 2;
    s.markers[kMarkerRight] = 10;
    s.markers[kFirstMark] = 4;
    s.markers[kFirstMark + 19] = 300;
    s.loop = 1;

    Track& piano = AddTrack(s, "Piano",
                            {{0, PackMessage(0x90, 0x3C, 0x64)},
                             {96, PackMessage(0xB0, 0x01, 0x40)},
                             {100, PackMessage(0xE0, 0x00, 0x50)},
                             {191, PackMessage(0x80, 0x3C, 0x40)},
                             {768, EVT_TEMPO | (90u << 8)},
                             {1536, PackMessage(EVT_TIMESIG, 3, 2)},
                             {1536, PackMessage(0x90, 0x40, 0x00)}});
    piano.AddSysexEvent(384, {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7});
    TrackProperties& p = piano.properties;
    p.port = 1;
    p.channel = 0;
    p.bank = 0x0181;
    p.program = 5;
    p.volume = 100;
    p.pan = 64;
    p.reverb = 40;
    p.chorus = 10;

    Track& drums = AddTrack(s, "Drums",
                            {{0, PackMessage(0x99, 0x24, 0x7F)},
                             {10, PackMessage(0x89, 0x24, 0x40)},
                             {192, PackMessage(0x99, 0x26, 0x60)}});
    drums.properties.channel = 9;
    drums.properties.program = 0;

    // Channels 3 and 4: the channel stays unset.
    Track& mixed = AddTrack(s, "Mixed", {{5, PackMessage(0xC2, 0x05)}});
    mixed.properties.port = 1;
    mixed.AddSysexEvent(5, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
    test::Add(mixed, {{6, PackMessage(0x92, 0x3C, 0x50)},
                      {7, PackMessage(0xA2, 0x3C, 0x20)},
                      {8, PackMessage(0xD3, 0x40)},
                      {9, PackMessage(0x93, 0x3E, 0x60)},
                      {400, PackMessage(0x82, 0x3C, 0x40)},
                      {400, PackMessage(0x83, 0x3E, 0x40)}});
    mixed.AddSysexEvent(2000, {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7});

    s.InsertTrack();  // empty
}

class SongFileTest : public test::TempDirTest {};

TEST_F(SongFileTest, SavedAndLoadedGivesTheSameSongLessWhatTheFormCannotHold) {
    Song song;
    BuildSong(song);
    ASSERT_EQ(SaveSongFile(Path("full.mid"), song, SaveType::Full, kPorts), kResultOk);
    Song loaded;
    ASSERT_EQ(LoadSongFile(Path("full.mid"), loaded, Options()), kResultOk);
    EXPECT_TRUE(test::SameSong(loaded, song));

    // Type 1 loses exactly the markers, the loop and the ports.
    ASSERT_EQ(SaveSongFile(Path("plain.mid"), song, SaveType::Type1, kPorts), kResultOk);
    Song plain;
    ASSERT_EQ(LoadSongFile(Path("plain.mid"), plain, Options()), kResultOk);
    song.markers.fill(kUnsetMarker);
    song.loop = 0;
    for (std::uint32_t i = 0; i < song.TrackCount(); ++i)
        test::TrackAt(song, i).properties.port = 0;
    EXPECT_TRUE(test::SameSong(plain, song));
}

TEST_F(SongFileTest, FailedSaveKeepsThePreviousFileAndLeavesNoTemporaryFile) {
    Song song;
    BuildSong(song);
    const std::string target = Path("song.mid");
    ASSERT_EQ(SaveSongFile(target, song, SaveType::Type1, kPorts), kResultOk);
    const Bytes before = ReadAll(target);
    ASSERT_FALSE(before.empty());

    EXPECT_EQ(SaveSongFile(Path("missing/song.mid"), song, SaveType::Full, kPorts),
              SystemError(ENOENT));
    EXPECT_EQ(SaveSongFile(target, song, static_cast<SaveType>(4), kPorts), SystemError(EINVAL));
    ASSERT_EQ(::mkdir(Path("folder.mid").c_str(), 0755), 0);
    EXPECT_NE(SaveSongFile(Path("folder.mid"), song, SaveType::Full, kPorts), kResultOk);
    {
        // A write that stops halfway: the file size limit cuts the temporary file short.
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
        rlimit small = old;
        small.rlim_cur = 16;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        const ResultCode rc = SaveSongFile(target, song, SaveType::Full, kPorts);
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_EQ(rc, SystemError(EFBIG));
    }
    if (::geteuid() != 0) {  // root writes anywhere
        ASSERT_EQ(::chmod(dir_.c_str(), 0555), 0);
        EXPECT_EQ(SaveSongFile(target, song, SaveType::Full, kPorts), SystemError(EACCES));
        ::chmod(dir_.c_str(), 0755);
    }
    EXPECT_EQ(ReadAll(target), before);
    std::set<std::string> entries;
    for (const auto& e : std::filesystem::directory_iterator(dir_))
        entries.insert(e.path().filename().string());
    EXPECT_EQ(entries, (std::set<std::string>{"folder.mid", "song.mid"}));
}

TEST_F(SongFileTest, LoadChoosesTheReaderByTheFileNameExtension) {
    Song song;
    BuildSong(song);
    ASSERT_EQ(::mkdir(Path("dir.mid").c_str(), 0755), 0);
    for (const char* name : {"my.song.MID", "other.midi", "noext", "dir.mid/plain"})
        ASSERT_EQ(SaveSongFile(Path(name), song, SaveType::Type1, kPorts), kResultOk) << name;
    ASSERT_EQ(SaveSongFile(Path("dump.SyX"), song, SaveType::Sysex, kPorts), kResultOk);

    Song loaded;
    EXPECT_EQ(LoadSongFile(Path("my.song.MID"), loaded, Options()), kResultOk);
    EXPECT_EQ(loaded.TrackCount(), 4u);
    EXPECT_EQ(LoadSongFile(Path("dump.SyX"), loaded, Options()), kResultOk);
    EXPECT_EQ(loaded.TrackCount(), 5u);

    for (const char* name : {"other.midi", "noext", "dir.mid/plain"})
        EXPECT_EQ(LoadSongFile(Path(name), loaded, Options()), kErrCantLoad) << name;
    for (const char* name : {"gone.mid", "gone.txt", "gone"})
        EXPECT_EQ(LoadSongFile(Path(name), loaded, Options()), SystemError(ENOENT)) << name;
    EXPECT_EQ(loaded.TrackCount(), 5u);
}

}  // namespace
}  // namespace kvs
