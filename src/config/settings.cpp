#include "config/settings.h"

#include <span>

#include "files/byte_writer.h"

namespace kvs {
namespace {

std::uint32_t Clamp(std::uint32_t v, std::uint32_t lo, std::uint32_t hi) {
    return v < lo ? lo : v > hi ? hi : v;
}

}  // namespace

std::uint32_t Settings::TakeTipOfDay() {
    const std::uint32_t tip = general.tipOfDayNum % 100;
    general.tipOfDayNum = (tip + 1) % 100;
    return tip;
}

std::uint32_t OutputPortKeys::PortFromKey(std::string_view text) const {
    for (std::size_t i = 0; i < names_.size(); ++i)
        if (PortKey(static_cast<std::uint32_t>(i)) == text) return static_cast<std::uint32_t>(i);
    return 0;
}

std::string OutputPortKeys::PortKey(std::uint32_t port) const {
    return port < names_.size() ? names_[port] + "_out" : std::string();
}

SettingsFile::SettingsFile(std::string path, const PortKeys& ports)
    : store_(std::move(path)), ports_(ports) {}

void SettingsFile::Attach(SettingsStage stage, SettingsParticipant& participant) {
    participants_.emplace_back(stage, &participant);
}

void SettingsFile::Reset(Settings& settings) {
    settings = Settings{};
    for (auto& [stage, participant] : participants_)
        participant->ResetSettings();
}

void SettingsFile::ReadStage(SettingsStage stage) const {
    for (const auto& [s, participant] : participants_)
        if (s == stage) participant->ReadSettings(store_);
}

void SettingsFile::WriteStage(SettingsStage stage) {
    for (auto& [s, participant] : participants_)
        if (s == stage) participant->WriteSettings(store_);
}

SettingsLoadResult SettingsFile::Load(Settings& settings) {
    Reset(settings);
    SettingsLoadResult result;
    result.error = store_.Load();
    if (result.error != kResultOk) {
        // There is a file we cannot read: keep the defaults and leave it be.
        result.existed = true;
        return result;
    }
    if (!store_.Exists()) {
        const std::span text(reinterpret_cast<const std::uint8_t*>(kDefaultSettingsText.data()),
                             kDefaultSettingsText.size());
        result.error = WriteFileAtomically(store_.Path(), text);
        if (result.error == kResultOk) result.error = store_.Load();
        if (result.error != kResultOk) return result;
        result.created = true;
        result.error = Save(settings);
        return result;
    }
    result.existed = true;

    const ProfileStore& store = store_;
    ReadOptions(settings);
    for (std::uint32_t key = kKeyCommandFirstKey; key <= kKeyCommandLastKey; ++key) {
        const std::uint32_t action = store.GetInt(kKeyCommandSection, "K" + std::to_string(key), 0);
        settings.keyCommands[key] = action > kKeyCommandLastAction ? 0 : action;
    }
    ReadStage(SettingsStage::kPorts);
    ReadStage(SettingsStage::kInstrumentLists);
    if (auto m = ParseMidiAssign(store.GetString(kOptionsSection, "MidiAssign", "", 255)))
        settings.midiAssign = *m;
    ReadStage(SettingsStage::kMidiAssignments);
    if (auto osk = ParseOskKeys(store.GetString(kOptionsSection, "OskKeys", "", 255)))
        settings.oskLayout = *osk;
    ReadStage(SettingsStage::kOnScreenKeyboard);
    for (std::size_t i = 0; i < RecentFiles::kCount; ++i)
        settings.recentFiles[i] =
            store.GetString(kOptionsSection, "file" + std::to_string(i + 1), "", kSettingsPathMax);
    settings.songDir = store.GetString(kOptionsSection, "songdir", ".", kSettingsPathMax);
    settings.libDir = store.GetString(kOptionsSection, "libdir", ".", kSettingsPathMax);
    settings.audioExport.soundFont =
        store.GetString(kOptionsSection, "ExportSoundFont", "", kSettingsPathMax);
    settings.audioExport.rate =
        store.GetInt(kOptionsSection, "ExportRate", settings.audioExport.rate);
    return result;
}

void SettingsFile::ReadOptions(Settings& s) const {
    const Settings d;
    auto num = [this](std::string_view key, std::uint32_t def) {
        return store_.GetInt(kOptionsSection, key, def);
    };
    auto flag = [&num](std::string_view key, bool def) { return num(key, def ? 1 : 0) != 0; };
    auto port = [this](std::string_view key) {
        return ports_.PortFromKey(store_.GetString(kOptionsSection, key, "", 255));
    };
    auto click = [&](std::string_view prefix, const MetronomeClick& def) {
        const std::string p(prefix);
        // Out-of-range values would make the click an invalid message.
        return MetronomeClick{Clamp(num(p + "chan", def.channel), 1, 16), port(p + "port"),
                              Clamp(num(p + "key", def.key), 0, 127),
                              Clamp(num(p + "vel", def.velocity), 1, 127)};
    };

    EngineSettings& e = s.engine;
    GeneralSettings& g = s.general;
    e.initDelay = Clamp(num("initdelay", d.engine.initDelay), 0, kMaxInitDelayMs);
    g.defaultPort = port("defport");
    e.playCount = num("playcount", d.engine.playCount);
    e.recCount = num("reccount", d.engine.recCount);
    e.firstBeat = click("metfst", d.engine.firstBeat);
    e.otherBeats = click("metoth", d.engine.otherBeats);
    e.metronome = flag("metronome", d.engine.metronome);
    e.midiThru = flag("midithru", d.engine.midiThru);
    e.midiClock = flag("midiclock", d.engine.midiClock);
    e.synchroStart = flag("synchrostart", d.engine.synchroStart);
    g.followPlay = flag("followplay", d.general.followPlay);
    g.confirmRecord = flag("confrec", d.general.confirmRecord);
    g.midiInDialogs = flag("midiindlgs", d.general.midiInDialogs);
    g.keyCommands = flag("keycommands", d.general.keyCommands);
    g.autoLocal = flag("autolocal", d.general.autoLocal);
    g.autoLoadSend = num("autoloadsend", d.general.autoLoadSend);
    g.autoClean = flag("autoclean", d.general.autoClean);
    g.toolbar = flag("Toolbar", d.general.toolbar);
    g.statusBar = flag("Statusbar", d.general.statusBar);
    g.positionType = num("Postype", d.general.positionType);
    if (g.positionType > 2) g.positionType = 0;
    g.scanInit = num("ScanInit", d.general.scanInit);
    g.tipOfDayStartup = flag("TipOfDayStartup", d.general.tipOfDayStartup);
    g.tipOfDayNum = num("TipOfDayNum", d.general.tipOfDayNum);
    if (g.tipOfDayNum > 99) g.tipOfDayNum = 0;
}

void SettingsFile::WriteOptions(const Settings& s) {
    auto num = [this](std::string_view key, std::uint32_t value) {
        store_.WriteInt(kOptionsSection, key, value);
    };
    auto port = [this](std::string_view key, std::uint32_t value) {
        store_.WriteString(kOptionsSection, key, ports_.PortKey(value));
    };
    auto click = [&](std::string_view prefix, const MetronomeClick& c) {
        const std::string p(prefix);
        num(p + "chan", c.channel);
        port(p + "port", c.port);
        num(p + "key", c.key);
        num(p + "vel", c.velocity);
    };

    const EngineSettings& e = s.engine;
    const GeneralSettings& g = s.general;
    num("initdelay", e.initDelay);
    port("defport", g.defaultPort);
    num("playcount", e.playCount);
    num("reccount", e.recCount);
    click("metfst", e.firstBeat);
    click("metoth", e.otherBeats);
    num("metronome", e.metronome);
    num("midithru", e.midiThru);
    num("midiclock", e.midiClock);
    num("synchrostart", e.synchroStart);
    num("followplay", g.followPlay);
    num("confrec", g.confirmRecord);
    num("midiindlgs", g.midiInDialogs);
    num("keycommands", g.keyCommands);
    num("autolocal", g.autoLocal);
    num("autoloadsend", g.autoLoadSend);
    num("autoclean", g.autoClean);
    num("Toolbar", g.toolbar);
    num("Statusbar", g.statusBar);
    num("Postype", g.positionType);
    num("ScanInit", g.scanInit);
    num("TipOfDayStartup", g.tipOfDayStartup);
    num("TipOfDayNum", g.tipOfDayNum);
}

ResultCode SettingsFile::Save(const Settings& s) {
    WriteOptions(s);
    for (std::uint32_t key = kKeyCommandFirstKey; key <= kKeyCommandLastKey; ++key)
        store_.WriteInt(kKeyCommandSection, "K" + std::to_string(key), s.keyCommands[key]);
    WriteStage(SettingsStage::kPorts);
    WriteStage(SettingsStage::kInstrumentLists);
    store_.WriteString(kOptionsSection, "MidiAssign", FormatMidiAssign(s.midiAssign));
    WriteStage(SettingsStage::kMidiAssignments);
    store_.WriteString(kOptionsSection, "OskKeys", FormatOskKeys(s.oskLayout));
    WriteStage(SettingsStage::kOnScreenKeyboard);
    for (std::size_t i = 0; i < RecentFiles::kCount; ++i)
        store_.WriteString(kOptionsSection, "file" + std::to_string(i + 1), s.recentFiles[i]);
    store_.WriteString(kOptionsSection, "songdir", s.songDir);
    store_.WriteString(kOptionsSection, "libdir", s.libDir);
    store_.WriteString(kOptionsSection, "ExportSoundFont", s.audioExport.soundFont);
    store_.WriteInt(kOptionsSection, "ExportRate", s.audioExport.rate);
    return store_.Flush();
}

}  // namespace kvs
