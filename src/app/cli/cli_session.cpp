#include "app/cli/cli_session.h"

#include <algorithm>

#include "config/error_text.h"
#include "config/language_file.h"
#include "midi/port_association.h"

namespace kvs {

CliSession::CliSession(std::ostream& err) : err_(err) {
    const DataFolder folder = ResolveDataFolder(DataFolderInputs::FromEnvironment());
    if (folder.path.empty()) {
        err_ << "kvs-cli: no data folder (" << ResultMessage(folder.error)
             << "); using default settings\n";
    } else {
        paths_ = ProgramPaths::In(folder.path);
        CopyShippedData();
    }

    // Devices come first: port-valued settings name them.
    backend_ = CreateDeviceLayer(std::string());
    if (!backend_.note.empty()) err_ << "kvs-cli: " << backend_.note << "\n";
    table_ = std::make_unique<MidiDeviceTable>(*backend_.layer);
    table_->SetPrompts(&prompts_);
    table_->EnumerateMidiDevices();
    portKeys_ = std::make_unique<TablePortKeys>(*table_);
    portSettings_ = std::make_unique<PortSettings>(*table_);

    if (!paths_.folder.empty()) {
        file_ = std::make_unique<SettingsFile>(paths_.settings, *portKeys_);
        file_->Attach(SettingsStage::kPorts, *portSettings_);
        const SettingsLoadResult loaded = file_->Load(settings_);
        if (loaded.error != kResultOk) ReportFileError(paths_.settings, loaded.error);

        const LoadPromptsResult prompts = LoadPrompts(prompts_, paths_.language);
        if (prompts.error != kResultOk) ReportFileError(paths_.language, prompts.error);
        if (prompts.message) err_ << prompts.message->text << "\n";
        // Told after the language file is read, so that it is translated.
        if (!loaded.existed) err_ << prompts_.Text(prompt::error_nosettings) << "\n";
    }
    loaded_ = settings_;
}

CliSession::~CliSession() = default;

void CliSession::CopyShippedData() {
    // A build-tree program has no installed share folder; the sources' data
    // folder stands in for it.
    const std::string shipped = ShippedDataFolder(ExecutableFolder(), KVS_SOURCE_DATA_DIR);
    ResultCode error = kResultOk;
    CopyShippedFiles(shipped, paths_.folder, &error);
    if (error != kResultOk) ReportFileError(paths_.folder, error);
}

LoadOptions CliSession::LoadOptionsFor(const CliOptions& options) {
    LoadOptions load;
    // Any other stored value scans nothing, like a silent load.
    load.scanInit = static_cast<int>(std::min<std::uint32_t>(settings_.general.scanInit, 3));
    load.defaultPort =
        static_cast<std::uint16_t>(std::min<std::uint32_t>(settings_.general.defaultPort, 0xFFFF));
    load.autoclean = settings_.general.autoClean;
    if (options.scanInit) load.scanInit = *options.scanInit;
    if (options.defaultPort) load.defaultPort = *options.defaultPort;
    if (options.autoclean) load.autoclean = *options.autoclean;

    if (!options.outPorts.empty()) {
        load.resolvePort = MakeLoadOptions(options).resolvePort;
    } else {
        // Nobody is there to answer the port question: never ask it.
        load.resolvePort =
            MakePortResolver(load, *table_, file_ ? file_->Store() : noFile_, nullptr);
    }
    return load;
}

std::vector<std::string> CliSession::OutPortNames(const CliOptions& options) const {
    if (!options.outPorts.empty()) return options.outPorts;
    std::vector<std::string> names;
    for (const MidiDeviceInfo& device : table_->Outputs())
        names.push_back(device.systemName);
    return names;
}

ProfileStore CliSession::EffectiveSettings() {
    // Saving puts every value into the store. The copy is aimed below a
    // device, where its flush can only fail, so kvs.ini stays untouched.
    SettingsFile scratch("/dev/null/kvs.ini", *portKeys_);
    if (!file_) return scratch.Store();
    scratch.Attach(SettingsStage::kPorts, *portSettings_);
    scratch.Store().Parse(file_->Store().Text());
    (void)scratch.Save(settings_);
    return scratch.Store();
}

void CliSession::ReportFileError(const std::string& path, ResultCode code) {
    err_ << "kvs-cli: " << path << ": " << Text(code) << "\n";
}

std::string CliSession::Text(ResultCode code) const {
    return ErrorText(prompts_, code);
}

ResultCode CliSession::Finish() {
    if (!file_ || settings_ == loaded_) return kResultOk;
    const ResultCode saved = file_->Save(settings_);
    if (saved == kResultOk) loaded_ = settings_;
    return saved;
}

}  // namespace kvs
