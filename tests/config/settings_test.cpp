#include "config/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "config_test_support.h"

namespace kvs {
namespace {

namespace fs = std::filesystem;

class SettingsTest : public ::testing::Test, protected test::TempFolder {
  protected:
    std::string Ini() const { return Path("kvs.ini"); }
    void WriteIni(const std::string& text) const { Write("kvs.ini", text); }
    std::string ReadIni() const { return Read("kvs.ini"); }

    const OutputPortKeys ports_{{"Synth A", "Synth B", "Synth C"}};
};

// Logs what the settings file asks of it, in order, into a shared journal.
class Journal : public SettingsParticipant {
  public:
    Journal(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}
    void ResetSettings() override { log_.push_back(name_ + " reset"); }
    void ReadSettings(const ProfileStore& store) override {
        log_.push_back(name_ + " read " + store.GetString("ports", name_, "-", 31));
    }
    void WriteSettings(ProfileStore& store) override {
        log_.push_back(name_ + " write");
        store.WriteString("ports", name_, "stored");
    }

  private:
    std::string name_;
    std::vector<std::string>& log_;
};

Settings Changed() {
    Settings s;
    s.engine.initDelay = 1500;
    s.engine.playCount = 4;
    s.engine.recCount = 8;
    s.engine.firstBeat = {16, 2, 76, 127};
    s.engine.otherBeats = {1, 1, 77, 1};
    s.engine.metronome = false;
    s.engine.midiThru = false;
    s.engine.midiClock = false;
    s.engine.synchroStart = true;
    s.general.defaultPort = 2;
    s.general.followPlay = false;
    s.general.confirmRecord = false;
    s.general.midiInDialogs = false;
    s.general.keyCommands = false;
    s.general.autoLocal = true;
    s.general.autoLoadSend = 5;
    s.general.autoClean = true;
    s.general.toolbar = false;
    s.general.statusBar = false;
    s.general.positionType = 2;
    s.general.scanInit = 3;
    s.general.tipOfDayStartup = false;
    s.general.tipOfDayNum = 99;
    s.keyCommands[21] = 1;
    s.keyCommands[60] = 76;
    s.keyCommands[108] = 42;
    s.midiAssign = {-36, 400, -127, 7, 11, 129, 1, 1, 64, 0, 2};
    s.oskLayout.baseKey = 11;
    s.oskLayout.keys = {'Z', 'X', 0xBA};
    for (std::size_t i = 0; i < RecentFiles::kCount; ++i)
        s.recentFiles[i] = "/songs/My Song " + std::to_string(i) + " & 100%.mid";
    s.songDir = "/home/u/Songs & Stuff";
    s.libDir = "/home/u/lib\twith tab";
    return s;
}

TEST_F(SettingsTest, FirstStartWritesTheDefaultFileAndASecondStartReadsTheSameValues) {
    Settings settings = Changed();
    SettingsFile first(Ini(), ports_);
    const SettingsLoadResult created = first.Load(settings);
    EXPECT_FALSE(created.existed);
    EXPECT_TRUE(created.created);
    EXPECT_EQ(created.error, kResultOk);
    EXPECT_EQ(settings, Settings{});

    const std::string text = ReadIni();
    // Without the key lines the file is the default text, byte for byte.
    std::string skeleton;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t end = std::min(text.find('\n', pos), text.size() - 1) + 1;
        const std::string line = text.substr(pos, end - pos);
        if (line.find('=') == std::string::npos) skeleton += line;
        pos = end;
    }
    EXPECT_EQ(skeleton, kDefaultSettingsText);
    EXPECT_NE(text.find("\r\ninitdelay=0\r\ndefport=Synth A_out\r\nplaycount=0\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\r\nfile8=\r\nsongdir=.\r\nlibdir=.\r\nExportSoundFont=\r\n"
                        "ExportRate=44100\r\n\r\n[keycommand]\r\nK21=0\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\r\nK108=0\r\n\r\n[ports]\r\n\r\n"), std::string::npos);
    EXPECT_EQ(text.find('\n', text.size() - 1), text.size() - 1);

    Settings again = Changed();
    SettingsFile second(Ini(), ports_);
    const SettingsLoadResult read = second.Load(again);
    EXPECT_TRUE(read.existed);
    EXPECT_FALSE(read.created);
    EXPECT_EQ(read.error, kResultOk);
    EXPECT_EQ(again, Settings{});
}

TEST_F(SettingsTest, EverySettingRoundTripsThroughTheFile) {
    Settings settings;
    SettingsFile file(Ini(), ports_);
    file.Load(settings);
    const Settings changed = Changed();
    ASSERT_EQ(file.Save(changed), kResultOk);
    EXPECT_NE(ReadIni().find("\r\nmetfstport=Synth C_out\r\n"), std::string::npos);

    Settings read;
    SettingsFile again(Ini(), ports_);
    EXPECT_TRUE(again.Load(read).existed);
    EXPECT_EQ(read, changed);
}

TEST_F(SettingsTest, ReadingTakesStoredValuesAsTheyStandSaveWhereTheyCannotWork) {
    WriteIni(
        "[OPTIONS]\r\n"
        "defport=Unplugged_out\r\n"
        "metfstport=synth b_out\r\n"  // case counts
        "metothport=Synth B_out\r\n"
        "metfstchan=0\r\nmetothchan=17\r\nmetfstkey=200\r\nmetfstvel=0\r\n"
        "ScanInit=5\r\nautoloadsend=9\r\nPostype=3\r\nTipOfDayNum=150\r\n"
        "initdelay=4294967295\r\nmetronome=2\r\nplaycount=3 beats\r\n"
        "MidiAssign=1,2,3,4,5,6,7,8,9,10\r\n"
        "OskKeys=3,0,65\r\n"
        "file1=/a.mid\r\nfile3=/c.mid\r\n"
        "[keycommand]\r\nK20=5\r\nK21=76\r\nK60=77\r\nK108=3\r\nK109=4\r\n");
    Settings s = Changed();
    SettingsFile file(Ini(), ports_);
    EXPECT_TRUE(file.Load(s).existed);
    // The unknown port reads as port 0; malformed packed values as the defaults.
    Settings want;
    want.engine.firstBeat = {.channel = 1, .port = 0, .key = 127, .velocity = 1};
    want.engine.otherBeats = {.channel = 16, .port = 1, .key = 37, .velocity = 80};
    want.general.scanInit = 5;  // still means "scan nothing"
    want.general.autoLoadSend = 9;
    want.engine.initDelay = kMaxInitDelayMs;
    want.engine.playCount = 3;
    want.recentFiles[0] = "/a.mid";
    want.recentFiles[2] = "/c.mid";
    want.keyCommands[21] = 76;
    want.keyCommands[108] = 3;
    EXPECT_EQ(s, want);
}

TEST_F(SettingsTest, SavingKeepsForeignKeysAndCallsParticipantsInTheirOrder) {
    WriteIni(
        "; hand-written notes\r\n[OPTIONS]\r\nfuture=keep\r\n"
        "[ports]\r\nmapping=keep too\r\nInstruments=keep\r\n[elsewhere]\r\nx=1\r\n");
    std::vector<std::string> log;
    Journal osk("osk", log), assign("assign", log), inst("inst", log), devices("devices", log),
        aliases("aliases", log);
    SettingsFile file(Ini(), ports_);
    // Attached out of order on purpose; stages decide.
    file.Attach(SettingsStage::kOnScreenKeyboard, osk);
    file.Attach(SettingsStage::kMidiAssignments, assign);
    file.Attach(SettingsStage::kInstrumentLists, inst);
    file.Attach(SettingsStage::kPorts, aliases);
    file.Attach(SettingsStage::kPorts, devices);
    Settings s;
    file.Load(s);
    EXPECT_EQ(log,
              (std::vector<std::string>{"osk reset", "assign reset", "inst reset", "aliases reset",
                                        "devices reset", "aliases read -", "devices read -",
                                        "inst read -", "assign read -", "osk read -"}));
    log.clear();
    ASSERT_EQ(file.Save(s), kResultOk);
    EXPECT_EQ(log, (std::vector<std::string>{"aliases write", "devices write", "inst write",
                                             "assign write", "osk write"}));

    const std::string text = ReadIni();
    EXPECT_EQ(text.rfind("; hand-written notes\r\n[OPTIONS]\r\nfuture=keep\r\ninitdelay=0\r\n", 0),
              0u);
    EXPECT_NE(text.find("[ports]\r\nmapping=keep too\r\nInstruments=keep\r\naliases=stored\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("[elsewhere]\r\nx=1\r\n"), std::string::npos);
    // The new keycommand section comes last, the others stay where they were.
    EXPECT_LT(text.find("[elsewhere]"), text.find("[keycommand]"));

    log.clear();
    SettingsFile later(Ini(), ports_);
    later.Attach(SettingsStage::kPorts, aliases);
    later.Load(s);
    EXPECT_EQ(log, (std::vector<std::string>{"aliases reset", "aliases read stored"}));
}

TEST_F(SettingsTest, AnUnreadableOrUncreatableFileLeavesDefaultsAndWritesNothing) {
    fs::create_directories(Ini());  // a folder where the file should be
    Settings s = Changed();
    SettingsFile blocked(Ini(), ports_);
    SettingsLoadResult result = blocked.Load(s);
    EXPECT_TRUE(result.existed);
    EXPECT_NE(result.error, kResultOk);
    EXPECT_EQ(s, Settings{});
    EXPECT_NE(blocked.Save(Changed()), kResultOk);
    EXPECT_TRUE(fs::is_directory(Ini()));

    s = Changed();
    SettingsFile nowhere(Path("missing-folder/kvs.ini"), ports_);
    result = nowhere.Load(s);
    EXPECT_FALSE(result.existed);
    EXPECT_FALSE(result.created);
    EXPECT_NE(result.error, kResultOk);
    EXPECT_EQ(s, Settings{});
}

TEST(SettingsValuesTest, PortKeysNameOutputsByTheirSystemNameCaseCounting) {
    const OutputPortKeys keys({"A", "B", "B"});
    EXPECT_EQ(keys.PortKey(1), "B_out");
    EXPECT_EQ(keys.PortKey(3), "");
    EXPECT_EQ(keys.PortFromKey("B_out"), 1u);  // the first of equal names
    EXPECT_EQ(keys.PortFromKey("b_out"), 0u);
    EXPECT_EQ(keys.PortFromKey("B"), 0u);
    EXPECT_EQ(OutputPortKeys().PortFromKey("A_out"), 0u);
}

}  // namespace
}  // namespace kvs
