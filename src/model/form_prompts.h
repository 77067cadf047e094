#pragma once

#include <span>
#include <string>
#include <string_view>

namespace kvs {

// A user-visible text of a form: the prompt key the language file can
// override and the built-in English text.
struct PromptText {
    std::string_view key;
    std::string_view text;
};

// Where forms take their texts from at the moment of use. The model cannot
// see the prompt table, so the program passes an adapter over it.
class PromptSource {
  public:
    virtual ~PromptSource() = default;
    virtual std::string_view Text(const PromptText& prompt) const = 0;
};

// The built-in texts: for tests and for a program without a language file.
class BuiltinPrompts final : public PromptSource {
  public:
    std::string_view Text(const PromptText& prompt) const override { return prompt.text; }
};

// text with its first "%s" replaced by arg.
std::string FormatPrompt(std::string_view text, std::string_view arg);

namespace prompts {

inline constexpr PromptText kInvalidValue{"error_badvalue", "Invalid value"};
inline constexpr PromptText kNotFound{"error_notfound", "Not found"};

inline constexpr PromptText kStatusPos{"statusbar_pos", "Pos"};
inline constexpr PromptText kStatusBar{"statusbar_bar", "Bar"};
inline constexpr PromptText kStatusTime{"statusbar_time", "Time"};

inline constexpr PromptText kGotoTitle{"goto_goto_title", "Goto"};
inline constexpr PromptText kGotoType{"goto_goto_type", "&Goto what:"};
inline constexpr PromptText kGotoNumber{"goto_goto_num", "&Number:"};
inline constexpr PromptText kGotoPosition{"goto_goto_typepos", "Position"};
inline constexpr PromptText kGotoBar{"goto_goto_typebar", "Bar"};
inline constexpr PromptText kGotoTime{"goto_goto_typetime", "Time"};

inline constexpr PromptText kFindTitle{"goto_find_title", "Find"};
inline constexpr PromptText kFindWhat{"goto_find_what", "&Find what:"};
inline constexpr PromptText kFindNumber{"goto_find_num", "&Number:"};
inline constexpr PromptText kFindDirection{"goto_find_dirgroup", "Direction"};
inline constexpr PromptText kFindBack{"goto_find_dirback", "&Back"};
inline constexpr PromptText kFindForward{"goto_find_dirforw", "For&ward"};
inline constexpr PromptText kEventNote{"midievent_note", "Note"};
inline constexpr PromptText kEventPolyAft{"midievent_polyaft", "Poly aft"};
inline constexpr PromptText kEventCtrl{"midievent_ctrlchng", "Ctrl chng"};
inline constexpr PromptText kEventProgram{"midievent_progchng", "Program"};
inline constexpr PromptText kEventChanAft{"midievent_chanaft", "Chan aft"};
inline constexpr PromptText kEventBend{"midievent_pitbend", "Pitchbend"};
inline constexpr PromptText kEventTempo{"midievent_tempo", "Tempo"};
inline constexpr PromptText kEventTimeSig{"midievent_timesig", "Time sig"};
inline constexpr PromptText kEventSysex{"midievent_sysex", "Sysex"};

inline constexpr PromptText kSetMarkTitle{"goto_setmark_title", "Set Marker"};
inline constexpr PromptText kSetMarkSelect{"goto_setmark_select", "&Select which marker to set:"};
inline constexpr PromptText kClearMarkTitle{"goto_clrmark_title", "Clear Marker"};
inline constexpr PromptText kClearMarkSelect{"goto_clrmark_select",
                                             "&Select which marker to clear:"};
inline constexpr PromptText kGotoMarkTitle{"goto_gotomark_title", "Jump To Marker"};
inline constexpr PromptText kGotoMarkSelect{"goto_gotomark_select", "&Jump to marker:"};
inline constexpr PromptText kMarkLeft{"goto_mark_left", "Left"};
inline constexpr PromptText kMarkRight{"goto_mark_right", "Right"};
inline constexpr PromptText kMarkUnset{"goto_mark_unset", "Unset"};

inline constexpr PromptText kTrackPropTitle{"trk_initprop_title", "Track Properties"};
inline constexpr PromptText kChangePropTitle{"trk_chngprop_title_2", "Change Properties at %s"};
inline constexpr PromptText kPropName{"trk_prop_name", "&Name:"};
inline constexpr PromptText kPropChannel{"trk_prop_chan", "&Channel:"};
inline constexpr PromptText kPropPort{"trk_prop_port", "&Port:"};
inline constexpr PromptText kPropInstrument{"trk_prop_inst", "&Instrument:"};
inline constexpr PromptText kPropProgram{"trk_prop_prog", "Pro&gram:"};
inline constexpr PromptText kPropBank{"trk_prop_bank", "&Bank:"};
inline constexpr PromptText kPropVolume{"trk_prop_vol", "&Volume:"};
inline constexpr PromptText kPropPan{"trk_prop_pan", "P&an:"};
inline constexpr PromptText kPropReverb{"trk_prop_rev", "&Reverb:"};
inline constexpr PromptText kPropChorus{"trk_prop_cho", "C&horus:"};
inline constexpr PromptText kPropTempo{"trk_prop_tmp", "&Tempo:"};

inline constexpr PromptText kSongPropTitle{"song_prop_title", "Song Properties"};
inline constexpr PromptText kSongPropName{"song_prop_name", "&Name:"};
inline constexpr PromptText kSongPropCopyright{"song_prop_copyright", "&Copyright:"};
inline constexpr PromptText kSongPropInfo{"song_prop_infogroup", "Information"};
inline constexpr PromptText kSongPropTracks{"song_prop_songtrks", "Tracks:"};
inline constexpr PromptText kSongPropEvents{"song_prop_songevts", "Events:"};
inline constexpr PromptText kSongPropBars{"song_prop_songbars", "Length (bars:beats):"};
inline constexpr PromptText kSongPropTime{"song_prop_songtime", "Length (time):"};

inline constexpr PromptText kStatsTitle{"trk_stats_title", "Track Statistics"};
// One label per statistics counter, in counter order.
inline constexpr PromptText kStatsLabels[] = {
    {"trk_stats_beats", "Beats"},
    {"trk_stats_events", "Events"},
    {"trk_stats_noteon", "Note on"},
    {"trk_stats_noteoff", "Note off"},
    {"trk_stats_notezero", "Note on, velocity 0"},
    {"trk_stats_noteminkey", "Lowest key"},
    {"trk_stats_notemaxkey", "Highest key"},
    {"trk_stats_noteminvel", "Lowest velocity"},
    {"trk_stats_notemaxvel", "Highest velocity"},
    {"trk_stats_chanaft", "Channel pressure"},
    {"trk_stats_polyaft", "Poly pressure"},
    {"trk_stats_prog", "Program changes"},
    {"trk_stats_bend", "Pitch bends"},
    {"trk_stats_tempo", "Tempo changes"},
    {"trk_stats_sysex", "System exclusive"},
    {"trk_stats_ctrls", "Controllers"},
    {"trk_stats_cc00", "Bank select (CC 0)"},
    {"trk_stats_cc01", "Modulation (CC 1)"},
    {"trk_stats_cc07", "Volume (CC 7)"},
    {"trk_stats_cc10", "Pan (CC 10)"},
    {"trk_stats_cc11", "Expression (CC 11)"},
    {"trk_stats_cc64", "Sustain (CC 64)"},
    {"trk_stats_cc67", "Soft pedal (CC 67)"},
    {"trk_stats_cc91", "Reverb (CC 91)"},
    {"trk_stats_cc93", "Chorus (CC 93)"},
    {"trk_stats_ccoth", "Other controllers"},
};

// Every text above and the statistics labels, so that a test can hold them
// against the prompt table.
std::span<const PromptText> All();

}  // namespace prompts
}  // namespace kvs
