// The song, track and change property dialogs, the statistics and the
// initial time and tempo.

#include "config/property_form_sources.h"
#include "midi/engine.h"
#include "midi/output_commands.h"
#include "midi/property_output.h"
#include "midi/time_tempo_form.h"
#include "model/change_properties_form.h"
#include "model/song_properties_form.h"
#include "model/track_properties_form.h"
#include "model/track_statistics.h"
#include "ui/application.h"
#include "ui/commands.h"

namespace kvs {
std::vector<OutputPort> Application::EnabledOutputs() const {
    std::vector<OutputPort> ports;
    const auto& outputs = table_->Outputs();
    for (std::uint32_t i = 0; i < outputs.size(); ++i)
        if (outputs[i].enabled) ports.push_back({outputs[i].friendlyName, i});
    return ports;
}

EditResult Application::EditTrackProperties() {
    const Track* track = session_->Current();
    if (track == nullptr) return EditResult::NoTrack;
    const InstrumentListSource instruments(instruments_);
    LivePropertyOutput output(*sink_, engine_.get());
    TrackPropertiesForm form(track->properties, EnabledOutputs(), &instruments, &output,
                             settings_.general.midiInDialogs);
    {
        if (!host_.RunTrackProperties(form)) return EditResult::Cancelled;
    }
    return session_->SetTrackProperties(form.Ok());
}

EditResult Application::EditChangeProperties() {
    const Track* track = session_->Current();
    if (track == nullptr) return EditResult::NoTrack;
    const std::uint32_t beat = view_.Caret();
    if (ChangeOpensInitialProperties(beat)) return EditTrackProperties();
    const InstrumentListSource instruments(instruments_);
    LivePropertyOutput output(*sink_, engine_.get());
    ChangePropertiesForm form(ReadChangeRecord(*track, beat), &instruments, &output,
                              settings_.general.midiInDialogs);
    const std::string title = ChangePropertiesForm::Title(session_->GetSong(), beat,
                                                          static_cast<DisplayUnit>(DisplayUnits()),
                                                          PromptTableSource(prompts_));
    {
        if (!host_.RunChangeProperties(form, title)) return EditResult::Cancelled;
    }
    return session_->ApplyChange(form.Ok());
}

void Application::ShowTrackStatistics() {
    const Track* track = session_->Current();
    if (track == nullptr) return;
    host_.ShowTrackStatistics(
        TrackStatisticsRows(CountTrackStatistics(*track), PromptTableSource(prompts_)));
}

bool Application::EditSongProperties() {
    SongPropertiesForm form(session_->GetSong());
    if (!host_.RunSongProperties(form)) return false;
    form.Ok();
    return true;
}

bool Application::EditTimeTempo() {
    TimeTempoForm form(session_->GetSong(), engine_.get(), settings_.general.midiInDialogs);
    if (!host_.RunTimeTempo(form)) return false;
    {
        // A playing engine reads the tempo and the signature.
        const auto lock = engine_->LockSong();
        form.Ok();
    }
    return true;
}

}  // namespace kvs
