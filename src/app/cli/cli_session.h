#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/cli/cli_options.h"
#include "config/data_folder.h"
#include "config/prompt_table.h"
#include "config/settings.h"
#include "files/load_options.h"
#include "midi/backends/backend_choice.h"
#include "midi/device_table_settings.h"
#include "midi/midi_device_table.h"

namespace kvs {

// What every kvs-cli command starts from, set up the way the program starts:
// the data folder, the MIDI devices of the chosen backend, kvs.ini with the
// port settings and aliases, and kvs.lng. Notes for the user go to err.
class CliSession {
  public:
    explicit CliSession(std::ostream& err);
    ~CliSession();
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    // The reader's options: the settings, overridden by the command line.
    LoadOptions LoadOptionsFor(const CliOptions& options);
    // The MIDI OUT names that name ports in saved files.
    std::vector<std::string> OutPortNames(const CliOptions& options) const;

    // The settings file as it would be written now: every value in effect,
    // with the file's other keys and lines. Empty without a data folder.
    ProfileStore EffectiveSettings();

    // "kvs-cli: PATH: reason" on the error stream, the reason from the prompts.
    void ReportFileError(const std::string& path, ResultCode code);
    // The text of a result code, from the prompts.
    std::string Text(ResultCode code) const;

    // Writes the settings back when a command changed them.
    ResultCode Finish();

    const std::string& Folder() const { return paths_.folder; }
    const ProgramPaths& Paths() const { return paths_; }
    Settings& CurrentSettings() { return settings_; }
    SettingsFile* File() { return file_.get(); }
    MidiDeviceTable& Devices() { return *table_; }
    BackendChoice& Backend() { return backend_; }
    const PromptTable& Prompts() const { return prompts_; }

  private:

    // Shipped files missing in the data folder, such as the instrument lists.
    void CopyShippedData();

    std::ostream& err_;
    PromptTable prompts_;  // before the device table, which shows its texts
    ProgramPaths paths_;
    BackendChoice backend_;
    std::unique_ptr<MidiDeviceTable> table_;
    std::unique_ptr<TablePortKeys> portKeys_;
    std::unique_ptr<PortSettings> portSettings_;
    std::unique_ptr<SettingsFile> file_;  // null without a data folder
    ProfileStore noFile_{std::string()};  // what the port resolver reads then
    Settings settings_;
    Settings loaded_;  // what the start left, to see whether a command changed it
};

}  // namespace kvs
