#include "config/prompt_table.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace kvs {
namespace {

// The key list in its published form: runs of numbered keys written as
// "first to last", the number's width kept.
constexpr std::string_view kKeyList =
    "ok, cancel, close, help, yes, no, prompt_version, prompt_language, prompt_ok, "
    "prompt_update, main_untitled, menu_file, menu_file_new, menu_file_open, "
    "menu_file_append, menu_file_save, menu_file_saveas, menu_file_songprop, menu_file_exit, "
    "menu_edit, menu_edit_undo, menu_edit_cut, menu_edit_copy, menu_edit_paste, "
    "menu_edit_pastemulti, menu_edit_merge, menu_edit_mergemulti, menu_edit_selall, "
    "menu_edit_selmarked, menu_edit_delete, menu_edit_clear, menu_edit_ctrls, "
    "menu_edit_notes, menu_edit_events, menu_view, menu_view_toolbar, menu_view_statbar, "
    "menu_view_zoom, menu_view_dispunits, menu_view_dispunits_pos, menu_view_dispunits_bar, "
    "menu_view_dispunits_time, menu_goto, menu_goto_find, menu_goto_findnext, "
    "menu_goto_goto, menu_goto_gototrk, menu_goto_setmark, menu_goto_clrmark, "
    "menu_goto_clrallmark, menu_goto_gotomark, menu_goto_prevmark, menu_goto_nextmark, "
    "menu_goto_sortmark, menu_tools, menu_tools_chkey, menu_tools_chvel, menu_tools_tmgld, "
    "menu_tools_tmexp, menu_tools_quant, menu_tools_qtlen, menu_tools_human, "
    "menu_tools_stlen, menu_tools_legto, menu_tools_prgrs, menu_tools_insff, "
    "menu_tools_clean, menu_tools_more, menu_tools_more_stchn, menu_tools_more_spchn, "
    "menu_tools_more_spkey, menu_tools_more_spvel, menu_tools_more_splen, "
    "menu_tools_more_repln, menu_tools_more_cresc, menu_tools_more_evtno, "
    "menu_tools_more_chevt, menu_tools_more_revrs, menu_tools_more_delnt, "
    "menu_tools_more_delct, menu_tools_more_ntxfm, menu_tools_altrk, menu_play, "
    "menu_play_playstop, menu_play_record, menu_play_steprec, menu_play_loop, "
    "menu_play_punchrec, menu_play_synchrostart, menu_play_sendinit, menu_play_sendcurr, "
    "menu_play_inittimetemp, menu_track, menu_track_ins, menu_track_del, menu_track_move, "
    "menu_track_initprop, menu_track_chngprop, menu_track_sort, menu_track_setports, "
    "menu_track_mute, menu_track_solo, menu_track_unmuteall, menu_track_stats, menu_midi, "
    "menu_midi_notesoff, menu_midi_gmreset, menu_midi_gm2reset, menu_midi_gsreset, "
    "menu_midi_xgreset, menu_midi_localoff, menu_midi_localon, menu_midi_oskboard, "
    "menu_midi_usemetron, menu_midi_thru, menu_midi_clock, menu_options, "
    "menu_options_metron, menu_options_kcmd, menu_options_instlist, menu_options_midiassign, "
    "menu_options_ports, menu_options_oskboard, menu_options_options, menu_help, "
    "menu_help_contents, menu_help_tip_of_day, menu_help_on_web, menu_help_about, "
    "toolbar_new, toolbar_open, toolbar_save, toolbar_undo, toolbar_cut, toolbar_copy, "
    "toolbar_paste, toolbar_gotostart, toolbar_gotoend, toolbar_playstop, toolbar_record, "
    "toolbar_mute, toolbar_solo, toolbar_usemetron, toolbar_chkey, toolbar_chvel, "
    "toolbar_quant, toolbar_notesoff, statusbar_track, statusbar_pos, statusbar_bar, "
    "statusbar_time, statusbar_state_stop, statusbar_state_play, statusbar_state_record, "
    "statusbar_state_steprec, statusbar_state_playcount, statusbar_state_reccount, "
    "statusbar_state_playsynch, statusbar_state_recsynch, statusbar_metron, statusbar_loop, "
    "statusbar_punch, about_title, about_version, about_copyright, about_rightsres, "
    "cmdline_title, cmdline_descrip, cmdline_file, cmdline_filedoes, cmdline_oflagdoes, "
    "cmdline_pflagdoes, cmdline_qflagdoes, cmdline_rflagdoes, cmdline_questflagdoes, "
    "cmdline_paramsopt, opts_opts_title, opts_opts_language, opts_opts_mididev, "
    "opts_opts_delay, opts_opts_followplay, opts_opts_confkeeprec, opts_opts_mididlgs, "
    "opts_opts_kcmd, opts_opts_autolocal, opts_opts_loadgroup, opts_opts_initsettext, "
    "opts_opts_initsetzero, opts_opts_initsetnote, opts_opts_initsetfirst, "
    "opts_opts_loadsendtext, opts_opts_loadsend_none, opts_opts_loadsend_init, "
    "opts_opts_loadsend_gm, opts_opts_loadsend_gm2, opts_opts_loadsend_gs, "
    "opts_opts_loadsend_xg, opts_opts_autoclean, opts_metron_title, opts_metron_countgroup, "
    "opts_metron_playcount, opts_metron_reccount, opts_metron_fstgroup, opts_metron_fstchan, "
    "opts_metron_fstport, opts_metron_fstkey, opts_metron_fstvel, opts_metron_othgroup, "
    "opts_metron_othchan, opts_metron_othport, opts_metron_othkey, opts_metron_othvel, "
    "opts_kcmd_title, opts_kcmd_key, opts_kcmd_cmd, opts_instlist_title, opts_instlist_port, "
    "opts_instlist_inst, opts_instlist_none, opts_midiasgn_title, opts_midiasgn_kshift, "
    "opts_midiasgn_vprcnt, opts_midiasgn_vshift, opts_midiasgn_ctrlnum, "
    "opts_midiasgn_ctrlasn, opts_midiasgn_pbupgroup, opts_midiasgn_pbupasn, "
    "opts_midiasgn_pbupmax, opts_midiasgn_pbupmin, opts_midiasgn_pbdngroup, "
    "opts_midiasgn_pbdnasn, opts_midiasgn_pbdnmax, opts_midiasgn_pbdnmin, "
    "opts_midiasgn_minimum, opts_midiasgn_halfway, opts_midiasgn_maximum, opts_ports_title, "
    "opts_ports_mididev, opts_ports_frlyname, opts_ports_enabledev, opts_ports_midiindev, "
    "opts_ports_midioutdev, opts_oskboard_title, opts_oskboard_keynum, opts_oskboard_keyasn, "
    "opts_oskboard_base, opts_oskboard_reset, opts_oskboard_confreset, "
    "opts_oskboard_notenum, oskboard_title, oskboard_keys, oskboard_octave, "
    "oskboard_velocity, kcmd_none, kcmd_playstop, kcmd_record, kcmd_steprec, kcmd_loop, "
    "kcmd_punchrec, kcmd_sendinit, kcmd_mute, kcmd_solo, kcmd_unmuteall, kcmd_notesoff, "
    "kcmd_usemetron, kcmd_moveback, kcmd_moveforw, kcmd_gotostart, kcmd_gotoend, "
    "kcmd_prevtrk, kcmd_nexttrk, kcmd_firsttrk, kcmd_lasttrk, kcmd_prevmark, kcmd_nextmark, "
    "kcmd_gotomarkl, kcmd_gotomarkr, kcmd_gotomark0 to kcmd_gotomark9, kcmd_setmarkl, "
    "kcmd_setmarkr, kcmd_setmark0 to kcmd_setmark9, kcmd_clrmarkl, kcmd_clrmarkr, "
    "kcmd_clrmark0 to kcmd_clrmark9, kcmd_selall, kcmd_selmark, kcmd_undo, kcmd_cut, "
    "kcmd_copy, kcmd_paste, kcmd_merge, kcmd_insert, kcmd_delete, kcmd_clear, kcmd_trkins, "
    "kcmd_trkdel, kcmd_sendcurr, kcmd_synchrostart, kcmd_movenextdata, kcmd_moveprevdata, "
    "kcmd_movefirstdata, kcmd_movelastdata, kcmd_save, trk_move_title, trk_move_move, "
    "trk_setallports_title, trk_setallports_select, trk_initprop_title, "
    "trk_chngprop_title_2, trk_prop_name, trk_prop_chan, trk_prop_port, trk_prop_inst, "
    "trk_prop_prog, trk_prop_bank, trk_prop_vol, trk_prop_pan, trk_prop_rev, trk_prop_cho, "
    "trk_prop_tmp, song_prop_title, song_prop_name, song_prop_copyright, "
    "song_prop_infogroup, song_prop_songtrks, song_prop_songevts, song_prop_songbars, "
    "song_prop_songtime, trk_stats_title, trk_stats_beats, trk_stats_events, "
    "trk_stats_noteon, trk_stats_noteoff, trk_stats_notezero, trk_stats_noteminkey, "
    "trk_stats_notemaxkey, trk_stats_noteminvel, trk_stats_notemaxvel, trk_stats_chanaft, "
    "trk_stats_polyaft, trk_stats_prog, trk_stats_bend, trk_stats_tempo, trk_stats_sysex, "
    "trk_stats_ctrls, trk_stats_cc00, trk_stats_cc01, trk_stats_cc07, trk_stats_cc10, "
    "trk_stats_cc11, trk_stats_cc64, trk_stats_cc67, trk_stats_cc91, trk_stats_cc93, "
    "trk_stats_ccoth, step_rec_title, step_rec_notelen, step_rec_stepsize, time_tempo_title, "
    "time_tempo_tempo, time_tempo_timesig, tools_chkey_title, tools_chkey_chkey, "
    "tools_chvel_title, tools_chvel_prcnt, tools_chvel_offset, tools_tmgld_title, "
    "tools_tmgld_tmgld, tools_tmexp_title, tools_tmexp_tmexp, tools_quant_title, "
    "tools_quant_btdiv, tools_quant_strict, tools_quant_swing, tools_qtlen_title, "
    "tools_human_title, tools_human_human, tools_stlen_title, tools_stlen_prcnt, "
    "tools_stlen_offset, tools_legto_title, tools_legto_legto, tools_stchn_title, "
    "tools_stchn_stchn, tools_spkey_title, tools_spkey_lower, tools_spkey_upper, "
    "tools_spvel_title, tools_spvel_lower, tools_spvel_upper, tools_splen_title, "
    "tools_splen_lower, tools_splen_upper, tools_repln_title, tools_repln_find, "
    "tools_repln_replace, tools_cresc_title, tools_cresc_cresc, tools_evtno_title, "
    "tools_evtno_find, tools_evtno_replace, tools_chevt_title, tools_chevt_ctrlnum, "
    "tools_chevt_prcnt, tools_chevt_offset, tools_delnt_title, tools_delnt_lower, "
    "tools_delnt_upper, tools_delct_title, tools_delct_ctrlnum, tools_ntxfm_title, "
    "tools_ntxfm_text, tools_ntxfm_key, tools_ntxfm_0 to tools_ntxfm_9, "
    "tools_ntxfm_10 to tools_ntxfm_50, tools_prgrs_title, tools_prgrs_type, "
    "tools_prgrs_chan, tools_prgrs_begtic, tools_prgrs_endtic, tools_prgrs_begval, "
    "tools_prgrs_endval, tools_prgrs_begvel, tools_prgrs_endvel, tools_prgrs_snap, "
    "tools_prgrs_notelen, tools_prgrs_lfotoval, tools_prgrs_lfotovel, tools_prgrs_lfowave, "
    "tools_prgrs_lfoamp, tools_prgrs_lfoperiod, tools_prgrs_lfophase, "
    "tools_prgrs_filterevts, tools_insff_title, tools_insff_listtext, tools_insff_paste, "
    "tools_insff_merge, goto_find_title, goto_find_what, goto_find_num, goto_find_dirgroup, "
    "goto_find_dirback, goto_find_dirforw, goto_goto_title, goto_goto_type, goto_goto_num, "
    "goto_goto_typepos, goto_goto_typebar, goto_goto_typetime, goto_trk_title, goto_trk_trk, "
    "goto_setmark_title, goto_setmark_select, goto_clrmark_title, goto_clrmark_select, "
    "goto_clrallmarks_conf, goto_gotomark_title, goto_gotomark_select, goto_mark_left, "
    "goto_mark_right, goto_mark_unset, view_zoom_title, view_zoom_zoom, "
    "edit_pastemulti_title, edit_pastemulti_copies, edit_mergemulti_title, "
    "edit_mergemulti_copies, midievent_unknown, midievent_noteoff, midievent_note, "
    "midievent_polyaft, midievent_ctrlchng, midievent_progchng, midievent_chanaft, "
    "midievent_pitbend, midievent_tempo, midievent_timesig, midievent_sysex, midievent_aft, "
    "midievent_ctrlnum, midievent_cc00, midievent_cc01, midievent_cc02, "
    "midievent_cc04 to midievent_cc08, midievent_cc10 to midievent_cc13, "
    "midievent_cc16 to midievent_cc19, midievent_cc64 to midievent_cc84, "
    "midievent_cc91 to midievent_cc99, midievent_cc100, midievent_cc101, lfowave_sine, "
    "lfowave_triangle, lfowave_sawup, lfowave_sawdown, lfowave_square, lfowave_pulse25, "
    "lfowave_pulse10, lfowave_spike, lfowave_trapezium, lfowave_random, ctrledit_title, "
    "ctrledit_ins, ctrledit_del, ctrledit_edit, ctrledit_memo, ctrledit_snap, "
    "ctrledit_start, ctrledit_chan, ctrledit_num, ctrledit_val, ctrledit_stat_start, "
    "ctrledit_stat_chan, ctrledit_stat_num, ctrledit_stat_val, ctrledit_stat_mod, "
    "ctrledit_stat_ins, ctrledit_edit_start, ctrledit_edit_chan, ctrledit_edit_num, "
    "ctrledit_edit_val, ctrledit_snap_title, ctrledit_edit_snap, noteedit_title, "
    "noteedit_ins, noteedit_del, noteedit_edit, noteedit_memo, noteedit_snap, "
    "noteedit_start, noteedit_chan, noteedit_key, noteedit_vel, noteedit_len, "
    "noteedit_stat_start, noteedit_stat_chan, noteedit_stat_key, noteedit_stat_vel, "
    "noteedit_stat_len, noteedit_stat_mod, noteedit_stat_ins, noteedit_edit_start, "
    "noteedit_edit_chan, noteedit_edit_key, noteedit_edit_vel, noteedit_edit_len, "
    "noteedit_snap_title, noteedit_edit_snap, evtlist_title, evtlist_ins, evtlist_del, "
    "evtlist_next, evtlist_prev, evtlist_start, evtlist_chan, evtlist_val2, evtlist_val3, "
    "evtlist_len, evtlist_type_title, evtlist_edit_type, evtlist_chan_title, "
    "evtlist_edit_chan, evtlist_value_title, evtlist_edit_value, evtlist_start_title, "
    "evtlist_edit_start, evtlist_len_title, evtlist_edit_len, sysexedit_title, "
    "sysexedit_send, confirm_new_file, confirm_new_untitled, confirm_keeprec, "
    "file_open_title, file_open_typemid, file_open_typesyx, file_open_typeall, "
    "file_save_title, file_save_typekvs, file_save_typemid1, file_save_typemid0, "
    "file_save_typesyx, file_newport_title, file_newport_text, file_newport_keep, "
    "shell_type_mid, shell_type_syx, shell_action_open, shell_action_play, shell_type_inuse, "
    "help_tipofday_title, help_tipofday_intro, help_tipofday_startup, help_tipofday_next, "
    "help_tipofday_000 to help_tipofday_099, error_instlistload, error_openmidiin, "
    "error_openmidiout, error_cantload, error_invalidfile, error_openallmidi, error_cmdline, "
    "error_promptstoobig, error_promptsold, error_badvalue, error_enablemidi, "
    "error_notfound, error_badsysex, error_nosettings, error_cantcmd, error_notexfrmload, "
    "error_userxfrmload, error_updateprompt";

// Every prompt whose text the program's documentation fixes, byte for byte.
struct KnownText {
    std::string_view key;
    std::string_view text;
};
constexpr KnownText kKnownTexts[] = {
    {"ok", "OK"},
    {"prompt_version", "1.57"},
    {"prompt_language", "English"},
    {"prompt_ok", "All prompts are present in the language file"},
    {"prompt_update",
     "Some prompts are missing in the language file. Please check the file newkvs.lng"},
    {"main_untitled", "Untitled"},
    {"menu_file_open", "&Open ...\tctrl+O"},
    {"menu_edit_copy", "&Copy\tctrl+C"},
    {"menu_edit_paste", "&Paste\tctrl+V"},
    {"menu_view_toolbar", "&Toolbar"},
    {"menu_view_statbar", "&Status bar"},
    {"menu_view_dispunits", "Display &Units"},
    {"menu_tools_chkey", "&Transpose ...\tT"},
    {"menu_tools_chvel", "Change &velocity ...\tV"},
    {"menu_tools_tmgld", "Time &glide ..."},
    {"menu_tools_tmexp", "Time e&xpand ..."},
    {"menu_tools_quant", "&Quantise ...\tQ"},
    {"menu_tools_qtlen", "Quant&ise length ..."},
    {"menu_tools_human", "&Humanise ..."},
    {"menu_tools_stlen", "Set &length ..."},
    {"menu_tools_legto", "Legat&o ..."},
    {"menu_tools_prgrs", "&Progression ..."},
    {"menu_tools_insff", "Insert from &file ..."},
    {"menu_tools_clean", "Clean &up"},
    {"menu_tools_more_stchn", "Set &channel ..."},
    {"menu_tools_more_spchn", "Channel &split"},
    {"menu_tools_more_spkey", "&Key split ..."},
    {"menu_tools_more_spvel", "Velocit&y split ..."},
    {"menu_tools_more_splen", "&Length split ..."},
    {"menu_tools_more_repln", "&Note replace ..."},
    {"menu_tools_more_cresc", "Velocity crescend&o ..."},
    {"menu_tools_more_evtno", "Controller ren&umber ..."},
    {"menu_tools_more_chevt", "Change cont&rollers ..."},
    {"menu_tools_more_revrs", "Re&verse"},
    {"menu_tools_more_delnt", "&Delete notes ..."},
    {"menu_tools_more_delct", "D&elete controllers ..."},
    {"menu_tools_more_ntxfm", "Note trans&form ..."},
    {"menu_tools_altrk", "Apply to all tracks"},
    {"menu_play_playstop", "&Play/stop\tSPACE"},
    {"menu_play_record", "&Record\tctrl+R"},
    {"menu_play_steprec", "&Step record ...\tctrl+E"},
    {"menu_play_punchrec", "P&unch recording\tP"},
    {"menu_play_sendinit", "Send &init. settings\tctrl+Q"},
    {"menu_play_sendcurr", "Send &curr. settings\tctrl+W"},
    {"menu_play_inittimetemp", "Init. &time and tempo ...\tctrl+T"},
    {"menu_midi_notesoff", "&All notes off\tF9"},
    {"menu_midi_gmreset", "GM &reset"},
    {"menu_midi_gm2reset", "&GM2 reset"},
    {"menu_midi_gsreset", "G&S reset"},
    {"menu_midi_xgreset", "&XG reset"},
    {"menu_midi_localoff", "&Local off"},
    {"menu_midi_localon", "Local &on"},
    {"menu_midi_oskboard", "Onscreen &keyboard\tF11"},
    {"menu_midi_usemetron", "&Metronome\tF4"},
    {"menu_midi_thru", "MIDI t&hru\tctrl+H"},
    {"menu_midi_clock", "MIDI &clock"},
    {"menu_options_metron", "&Metronome ..."},
    {"menu_options_kcmd", "&Key commands ..."},
    {"menu_options_instlist", "&Instruments ..."},
    {"menu_options_midiassign", "MIDI &assignments ..."},
    {"menu_options_ports", "&Ports ..."},
    {"menu_options_oskboard", "Onscreen ke&yboard ..."},
    {"menu_options_options", "General &options ..."},
    {"statusbar_track", "Track"},
    {"statusbar_pos", "Pos"},
    {"statusbar_bar", "Bar"},
    {"statusbar_time", "Time"},
    {"statusbar_state_play", "Play"},
    {"statusbar_state_record", "Rec"},
    {"statusbar_state_steprec", "StepRec"},
    {"statusbar_state_playcount", "Count in"},
    {"statusbar_state_reccount", "Count in"},
    {"statusbar_state_playsynch", "Synchro"},
    {"statusbar_state_recsynch", "Synchro"},
    {"statusbar_metron", "Metro"},
    {"statusbar_loop", "Loop"},
    {"statusbar_punch", "Punch"},
    {"cmdline_title", "KVS Command Line"},
    {"cmdline_descrip", "The command line syntax for running KVS is:"},
    {"cmdline_file", "file"},
    {"cmdline_filedoes", "A file to load"},
    {"cmdline_oflagdoes", "Test prompt file"},
    {"cmdline_pflagdoes", "Automatically start playing"},
    {"cmdline_qflagdoes", "Quit after playback"},
    {"cmdline_rflagdoes", "Register file types"},
    {"cmdline_questflagdoes", "Display this screen"},
    {"cmdline_paramsopt", "All parameters are optional."},
    {"opts_opts_title", "General Options"},
    {"opts_opts_mididev", "Preferred &MIDI device"},
    {"opts_opts_delay", "&Playback delay:"},
    {"opts_opts_followplay", "&Follow playback"},
    {"opts_opts_confkeeprec", "Confirm keep &recordings"},
    {"opts_opts_mididlgs", "MIDI in &dialogs"},
    {"opts_opts_kcmd", "&Keyboard commands"},
    {"opts_opts_autolocal", "&Auto send local messages"},
    {"opts_opts_loadgroup", "Load preferences"},
    {"opts_opts_initsettext", "Scan method for &initial settings"},
    {"opts_opts_initsetzero", "Time 0"},
    {"opts_opts_initsetnote", "Before notes"},
    {"opts_opts_initsetfirst", "First available"},
    {"opts_opts_loadsendtext", "Auto send messa&ges"},
    {"opts_opts_loadsend_none", "None"},
    {"opts_opts_loadsend_init", "Initial track settings"},
    {"opts_opts_loadsend_gm", "GM reset"},
    {"opts_opts_loadsend_gm2", "GM2 reset"},
    {"opts_opts_loadsend_gs", "GS reset"},
    {"opts_opts_loadsend_xg", "XG reset"},
    {"opts_opts_autoclean", "Auto clean&up"},
    {"opts_kcmd_title", "MIDI Key Commands"},
    {"opts_kcmd_key", "&Key:"},
    {"opts_kcmd_cmd", "Assigned &command:"},
    {"opts_instlist_title", "Instrument lists"},
    {"opts_instlist_port", "&Port"},
    {"opts_instlist_inst", "Assigned &instrument:"},
    {"opts_instlist_none", "** Unassigned **"},
    {"opts_midiasgn_title", "MIDI Assignments"},
    {"opts_midiasgn_kshift", "&Key transpose:"},
    {"opts_midiasgn_vprcnt", "% &Velocity:"},
    {"opts_midiasgn_vshift", "Velocity o&ffset:"},
    {"opts_midiasgn_ctrlnum", "&Control num:"},
    {"opts_midiasgn_ctrlasn", "&Assigned to:"},
    {"opts_midiasgn_pbupgroup", "Pitch bend up"},
    {"opts_midiasgn_pbupasn", "&Does:"},
    {"opts_midiasgn_pbupmax", "&Max:"},
    {"opts_midiasgn_pbupmin", "Mi&n:"},
    {"opts_midiasgn_pbdngroup", "Pitch bend down"},
    {"opts_midiasgn_pbdnasn", "&Does:"},
    {"opts_midiasgn_pbdnmax", "&Max:"},
    {"opts_midiasgn_pbdnmin", "Mi&n:"},
    {"opts_midiasgn_minimum", "Minimum"},
    {"opts_midiasgn_halfway", "Halfway"},
    {"opts_midiasgn_maximum", "Maximum"},
    {"opts_ports_title", "Ports"},
    {"opts_ports_mididev", "MIDI &devices"},
    {"opts_ports_frlyname", "&Friendly name:"},
    {"opts_ports_enabledev", "&Use this port"},
    {"opts_ports_midiindev", "MIDI IN devices"},
    {"opts_ports_midioutdev", "MIDI OUT devices"},
    {"opts_oskboard_title", "Onscreen Keyboard"},
    {"opts_oskboard_keynum", "Select a &key:"},
    {"opts_oskboard_keyasn", "&Assigned to:"},
    {"opts_oskboard_base", "&Base key:"},
    {"opts_oskboard_reset", "&Reset to defaults"},
    {"opts_oskboard_confreset", "Are you sure you want to reset the onscreen keyboard keys?"},
    {"opts_oskboard_notenum", "Note %d"},
    {"oskboard_title", "Onscreen Keyboard"},
    {"oskboard_keys", "&Keyboard:"},
    {"oskboard_octave", "&Octave:"},
    {"oskboard_velocity", "&Velocity:"},
    {"kcmd_none", "** No Action **"},
    {"kcmd_playstop", "Play/stop"},
    {"kcmd_record", "Record"},
    {"kcmd_steprec", "Step Record"},
    {"kcmd_loop", "Loop"},
    {"kcmd_punchrec", "Punch Recording"},
    {"kcmd_sendinit", "Send Initial Settings"},
    {"kcmd_mute", "Mute"},
    {"kcmd_solo", "Solo"},
    {"kcmd_unmuteall", "Unmute All"},
    {"kcmd_notesoff", "All Notes Off"},
    {"kcmd_usemetron", "Metronome"},
    {"kcmd_moveback", "Move Backwards"},
    {"kcmd_moveforw", "Move Forwards"},
    {"kcmd_gotostart", "Go To Start"},
    {"kcmd_gotoend", "Go To End"},
    {"kcmd_prevtrk", "Previous Track"},
    {"kcmd_nexttrk", "Next Track"},
    {"kcmd_firsttrk", "First Track"},
    {"kcmd_lasttrk", "Last Track"},
    {"kcmd_prevmark", "Previous Marker"},
    {"kcmd_nextmark", "Next Marker"},
    {"kcmd_gotomarkl", "Goto Left Marker"},
    {"kcmd_gotomarkr", "Goto Right Marker"},
    {"kcmd_gotomark0", "Goto Mark 0"},
    {"kcmd_gotomark1", "Goto Mark 1"},
    {"kcmd_gotomark2", "Goto Mark 2"},
    {"kcmd_gotomark3", "Goto Mark 3"},
    {"kcmd_gotomark4", "Goto Mark 4"},
    {"kcmd_gotomark5", "Goto Mark 5"},
    {"kcmd_gotomark6", "Goto Mark 6"},
    {"kcmd_gotomark7", "Goto Mark 7"},
    {"kcmd_gotomark8", "Goto Mark 8"},
    {"kcmd_gotomark9", "Goto Mark 9"},
    {"kcmd_setmarkl", "Set Left Marker"},
    {"kcmd_setmarkr", "Set Right Marker"},
    {"kcmd_setmark0", "Set Mark 0"},
    {"kcmd_setmark1", "Set Mark 1"},
    {"kcmd_setmark2", "Set Mark 2"},
    {"kcmd_setmark3", "Set Mark 3"},
    {"kcmd_setmark4", "Set Mark 4"},
    {"kcmd_setmark5", "Set Mark 5"},
    {"kcmd_setmark6", "Set Mark 6"},
    {"kcmd_setmark7", "Set Mark 7"},
    {"kcmd_setmark8", "Set Mark 8"},
    {"kcmd_setmark9", "Set Mark 9"},
    {"kcmd_clrmarkl", "Clear Left Marker"},
    {"kcmd_clrmarkr", "Clear Right Marker"},
    {"kcmd_clrmark0", "Clear Mark 0"},
    {"kcmd_clrmark1", "Clear Mark 1"},
    {"kcmd_clrmark2", "Clear Mark 2"},
    {"kcmd_clrmark3", "Clear Mark 3"},
    {"kcmd_clrmark4", "Clear Mark 4"},
    {"kcmd_clrmark5", "Clear Mark 5"},
    {"kcmd_clrmark6", "Clear Mark 6"},
    {"kcmd_clrmark7", "Clear Mark 7"},
    {"kcmd_clrmark8", "Clear Mark 8"},
    {"kcmd_clrmark9", "Clear Mark 9"},
    {"kcmd_selall", "Select All"},
    {"kcmd_selmark", "Select Marked"},
    {"kcmd_undo", "Undo"},
    {"kcmd_cut", "Cut"},
    {"kcmd_copy", "Copy"},
    {"kcmd_paste", "Paste"},
    {"kcmd_merge", "Merge"},
    {"kcmd_insert", "Insert"},
    {"kcmd_delete", "Delete"},
    {"kcmd_clear", "Clear"},
    {"kcmd_trkins", "Insert Track"},
    {"kcmd_trkdel", "Delete Track"},
    {"kcmd_sendcurr", "Send Current Settings"},
    {"kcmd_synchrostart", "Synchro Start"},
    {"kcmd_movenextdata", "Move To Next Data"},
    {"kcmd_moveprevdata", "Move To Previous Data"},
    {"kcmd_movefirstdata", "Move To First Data"},
    {"kcmd_movelastdata", "Move To Last Data"},
    {"kcmd_save", "Save"},
    {"trk_move_title", "Move Track"},
    {"trk_move_move", "&Move track to:"},
    {"trk_setallports_title", "Set All Ports"},
    {"trk_setallports_select", "&Select port:"},
    {"trk_initprop_title", "Track Properties"},
    {"trk_chngprop_title_2", "Change Properties at %s"},
    {"trk_prop_tmp", "&Tempo:"},
    {"song_prop_title", "Song Properties"},
    {"trk_stats_title", "Track Statistics"},
    {"step_rec_title", "Step Record"},
    {"step_rec_notelen", "&Note length:"},
    {"step_rec_stepsize", "&Step size:"},
    {"tools_chkey_title", "Transpose"},
    {"tools_chkey_chkey", "&Transpose:"},
    {"tools_chvel_title", "Change Velocity"},
    {"tools_chvel_prcnt", "% of &original:"},
    {"tools_chvel_offset", "&Fixed offset:"},
    {"tools_tmgld_title", "Time Glide"},
    {"tools_tmgld_tmgld", "&Glide by:"},
    {"tools_tmexp_title", "Time Expand"},
    {"tools_tmexp_tmexp", "% &expand:"},
    {"tools_quant_title", "Quantise"},
    {"tools_quant_btdiv", "Beat &division:"},
    {"tools_quant_strict", "% &strictness:"},
    {"tools_quant_swing", "% s&wing:"},
    {"tools_qtlen_title", "Quantise Length"},
    {"tools_human_title", "Humanise"},
    {"tools_human_human", "Max. &adjust:"},
    {"tools_stlen_title", "Set Note Length"},
    {"tools_stlen_prcnt", "% of &original:"},
    {"tools_stlen_offset", "&Fixed offset:"},
    {"tools_legto_title", "Legato"},
    {"tools_legto_legto", "Set &gap:"},
    {"tools_stchn_title", "Set Channel"},
    {"tools_stchn_stchn", "&Channel:"},
    {"tools_spkey_title", "Split Key"},
    {"tools_spkey_lower", "&Lower note:"},
    {"tools_spkey_upper", "&Upper note:"},
    {"tools_spvel_title", "Split Velocity"},
    {"tools_spvel_lower", "&Lower velocity:"},
    {"tools_spvel_upper", "&Upper velocity:"},
    {"tools_splen_title", "Split Length"},
    {"tools_splen_lower", "&Lower length:"},
    {"tools_splen_upper", "&Upper length:"},
    {"tools_repln_title", "Replace Note"},
    {"tools_repln_find", "&Find note:"},
    {"tools_repln_replace", "&Replace with:"},
    {"tools_cresc_title", "Velocity Crescendo"},
    {"tools_cresc_cresc", "&Final velocity %:"},
    {"tools_evtno_title", "Event Renumber"},
    {"tools_evtno_find", "&Find control:"},
    {"tools_evtno_replace", "&Replace with:"},
    {"tools_chevt_title", "Change Event Values"},
    {"tools_chevt_ctrlnum", "&Control num:"},
    {"tools_chevt_prcnt", "% of &original:"},
    {"tools_chevt_offset", "&Fixed offset:"},
    {"tools_delnt_title", "Delete Notes"},
    {"tools_delnt_lower", "&Lower note:"},
    {"tools_delnt_upper", "&Upper note:"},
    {"tools_delct_title", "Delete Controllers"},
    {"tools_delct_ctrlnum", "Control &num:"},
    {"tools_ntxfm_title", "Note transform"},
    {"tools_ntxfm_text", "Select &transformation:"},
    {"tools_ntxfm_key", "Base &key:"},
    {"tools_ntxfm_0", "No transformation"},
    {"tools_ntxfm_1", "Invert pitch"},
    {"tools_ntxfm_2", "Invert octaves"},
    {"tools_ntxfm_3", "All notes same"},
    {"tools_ntxfm_4", "Up 2nd"},
    {"tools_ntxfm_5", "Up 3rd"},
    {"tools_ntxfm_6", "Up 4th"},
    {"tools_ntxfm_7", "Up 5th"},
    {"tools_ntxfm_8", "Down 2nd"},
    {"tools_ntxfm_9", "Down 3rd"},
    {"tools_ntxfm_10", "Down 4th"},
    {"tools_ntxfm_11", "Down 5th"},
    {"tools_ntxfm_12", "Major to minor"},
    {"tools_ntxfm_13", "Minor to major"},
    {"tools_ntxfm_14", "Major chord"},
    {"tools_ntxfm_15", "Minor chord"},
    {"tools_ntxfm_16", "Suspended chord"},
    {"tools_ntxfm_17", "Seventh chord"},
    {"tools_ntxfm_18", "Minor seventh chord"},
    {"tools_ntxfm_19", "Major seventh chord"},
    {"tools_ntxfm_20", "Diminish chord"},
    {"tools_ntxfm_21", "Augmented chord"},
    {"tools_ntxfm_22", "Open fifths"},
    {"tools_ntxfm_23", "Pentatonic"},
    {"tools_ntxfm_24", "Whole tones"},
    {"tools_ntxfm_25", "All fourths"},
    {"tools_ntxfm_26", "All fifths"},
    {"tools_ntxfm_27", "Rhythm: GS to XG"},
    {"tools_ntxfm_28", "Rhythm: XG to GS"},
    {"tools_ntxfm_29", "Transform 29"},
    {"tools_ntxfm_30", "Transform 30"},
    {"tools_ntxfm_31", "Transform 31"},
    {"tools_ntxfm_32", "Transform 32"},
    {"tools_ntxfm_33", "Transform 33"},
    {"tools_ntxfm_34", "Transform 34"},
    {"tools_ntxfm_35", "Transform 35"},
    {"tools_ntxfm_36", "Transform 36"},
    {"tools_ntxfm_37", "Transform 37"},
    {"tools_ntxfm_38", "Transform 38"},
    {"tools_ntxfm_39", "Transform 39"},
    {"tools_ntxfm_40", "Transform 40"},
    {"tools_ntxfm_41", "Transform 41"},
    {"tools_ntxfm_42", "Transform 42"},
    {"tools_ntxfm_43", "Transform 43"},
    {"tools_ntxfm_44", "Transform 44"},
    {"tools_ntxfm_45", "Transform 45"},
    {"tools_ntxfm_46", "Transform 46"},
    {"tools_ntxfm_47", "Transform 47"},
    {"tools_ntxfm_48", "Transform 48"},
    {"tools_ntxfm_49", "Transform 49"},
    {"tools_ntxfm_50", "Transform 50"},
    {"tools_prgrs_title", "Progression"},
    {"tools_insff_title", "Insert track from file"},
    {"tools_insff_listtext", "Select &track to insert:"},
    {"tools_insff_paste", "&Insert"},
    {"tools_insff_merge", "&Merge"},
    {"goto_find_title", "Find"},
    {"goto_find_what", "&Find what:"},
    {"goto_find_num", "&Number:"},
    {"goto_find_dirgroup", "Direction"},
    {"goto_find_dirback", "&Back"},
    {"goto_find_dirforw", "For&ward"},
    {"goto_goto_title", "Goto"},
    {"goto_goto_type", "&Goto what:"},
    {"goto_goto_num", "&Number:"},
    {"goto_goto_typepos", "Position"},
    {"goto_goto_typebar", "Bar"},
    {"goto_goto_typetime", "Time"},
    {"goto_trk_title", "Goto Track"},
    {"goto_trk_trk", "&Jump to track:"},
    {"goto_setmark_title", "Set Marker"},
    {"goto_setmark_select", "&Select which marker to set:"},
    {"goto_clrmark_title", "Clear Marker"},
    {"goto_clrmark_select", "&Select which marker to clear:"},
    {"goto_clrallmarks_conf", "Are you sure you want to clear all markers?"},
    {"goto_gotomark_title", "Jump To Marker"},
    {"goto_gotomark_select", "&Jump to marker:"},
    {"goto_mark_left", "Left"},
    {"goto_mark_right", "Right"},
    {"goto_mark_unset", "Unset"},
    {"view_zoom_title", "Zoom"},
    {"view_zoom_zoom", "&No. of beats:"},
    {"edit_pastemulti_title", "Paste Multiple"},
    {"edit_pastemulti_copies", "&No. of copies:"},
    {"edit_mergemulti_title", "Merge Multiple"},
    {"edit_mergemulti_copies", "&No. of copies:"},
    {"midievent_unknown", "Unknown"},
    {"midievent_note", "Note"},
    {"midievent_polyaft", "Poly aft"},
    {"midievent_ctrlchng", "Ctrl chng"},
    {"midievent_progchng", "Program"},
    {"midievent_chanaft", "Chan aft"},
    {"midievent_pitbend", "Pitchbend"},
    {"midievent_tempo", "Tempo"},
    {"midievent_timesig", "Time sig"},
    {"midievent_sysex", "Sysex"},
    {"midievent_aft", "Aftertouch"},
    {"midievent_ctrlnum", "Ctrl %d"},
    {"midievent_cc00", "Bank sel"},
    {"midievent_cc01", "Modulation"},
    {"midievent_cc02", "Breath"},
    {"midievent_cc04", "Foot"},
    {"midievent_cc05", "Port time"},
    {"midievent_cc06", "Data entry"},
    {"midievent_cc07", "Volume"},
    {"midievent_cc08", "Balance"},
    {"midievent_cc10", "Pan"},
    {"midievent_cc11", "Expression"},
    {"midievent_cc12", "FX ctrl#1"},
    {"midievent_cc13", "FX ctrl#2"},
    {"midievent_cc16", "Gen #1"},
    {"midievent_cc17", "Gen #2"},
    {"midievent_cc18", "Gen #3"},
    {"midievent_cc19", "Gen #4"},
    {"midievent_cc64", "Hold 1"},
    {"midievent_cc65", "Portamento"},
    {"midievent_cc66", "Sostenuto"},
    {"midievent_cc67", "Soft"},
    {"midievent_cc68", "Legato"},
    {"midievent_cc69", "Hold 2"},
    {"midievent_cc70", "Snd ctrl#1"},
    {"midievent_cc71", "Snd ctrl#2"},
    {"midievent_cc72", "Snd ctrl#3"},
    {"midievent_cc73", "Snd ctrl#4"},
    {"midievent_cc74", "Snd ctrl#5"},
    {"midievent_cc75", "Snd ctrl#6"},
    {"midievent_cc76", "Snd ctrl#7"},
    {"midievent_cc77", "Snd ctrl#8"},
    {"midievent_cc78", "Snd ctrl#9"},
    {"midievent_cc79", "Snd ctrl#10"},
    {"midievent_cc80", "Gen #5"},
    {"midievent_cc81", "Gen #6"},
    {"midievent_cc82", "Gen #7"},
    {"midievent_cc83", "Gen #8"},
    {"midievent_cc84", "Port ctrl"},
    {"midievent_cc91", "Reverb"},
    {"midievent_cc92", "Tremolo"},
    {"midievent_cc93", "Chorus"},
    {"midievent_cc94", "Detune"},
    {"midievent_cc95", "Phaser"},
    {"midievent_cc96", "Data inc"},
    {"midievent_cc97", "Data dec"},
    {"midievent_cc98", "NRPN LSB"},
    {"midievent_cc99", "NRPN MSB"},
    {"midievent_cc100", "RPN LSB"},
    {"midievent_cc101", "RPN MSB"},
    {"lfowave_sine", "Sine"},
    {"lfowave_triangle", "Triangle"},
    {"lfowave_sawup", "Saw up"},
    {"lfowave_sawdown", "Saw down"},
    {"lfowave_square", "Square"},
    {"lfowave_pulse25", "Pulse 25%"},
    {"lfowave_pulse10", "Pulse 10%"},
    {"lfowave_spike", "Spike"},
    {"lfowave_trapezium", "Trapezium"},
    {"lfowave_random", "Random"},
    {"ctrledit_title", "Control Editor"},
    {"ctrledit_stat_mod", "Mod"},
    {"ctrledit_stat_ins", "Ins"},
    {"noteedit_title", "Note Editor"},
    {"noteedit_stat_mod", "Mod"},
    {"noteedit_stat_ins", "Ins"},
    {"evtlist_title", "Event List"},
    {"evtlist_ins", "&Insert"},
    {"evtlist_del", "&Delete"},
    {"evtlist_next", "&Next"},
    {"evtlist_prev", "&Back"},
    {"evtlist_start", "&Start"},
    {"evtlist_chan", "&Chan"},
    {"evtlist_val2", "Val2 (&Num)"},
    {"evtlist_val3", "Val3 (&Val)"},
    {"evtlist_len", "&Length"},
    {"evtlist_type_title", "Event Type"},
    {"evtlist_edit_type", "&Select event type:"},
    {"evtlist_chan_title", "Channel"},
    {"evtlist_edit_chan", "&Channel:"},
    {"evtlist_value_title", "Value"},
    {"evtlist_edit_value", "&Value:"},
    {"evtlist_start_title", "Start"},
    {"evtlist_edit_start", "&Start:"},
    {"evtlist_len_title", "Length"},
    {"evtlist_edit_len", "&Length:"},
    {"sysexedit_title", "System Exclusive Editor"},
    {"sysexedit_send", "&Send"},
    {"confirm_new_file", "The file %s has not been saved. Do you want to save it?"},
    {"confirm_new_untitled", "The file has not been saved. Do you want to save it?"},
    {"confirm_keeprec", "Do you want to keep the recording?"},
    {"file_open_title", "Open File"},
    {"file_open_typemid", "MIDI files (*.MID)"},
    {"file_open_typesyx", "Sysex files (*.SYX)"},
    {"file_open_typeall", "All files (*.*)"},
    {"file_save_title", "Save File"},
    {"file_save_typekvs", "MIDI file full KVS (*.MID)"},
    {"file_save_typemid1", "MIDI file type 1 (*.MID)"},
    {"file_save_typemid0", "MIDI file type 0 (*.MID)"},
    {"file_save_typesyx", "Sysex file (*.SYX)"},
    {"file_newport_title", "Choose Port"},
    {"file_newport_text",
     "The file you are loading uses the port %s.  Please choose an alternative port."},
    {"file_newport_keep", "&Remember this setting"},
    {"shell_type_mid", "MIDI File"},
    {"shell_type_syx", "System Exclusive File"},
    {"shell_action_open", "Open"},
    {"shell_action_play", "Play"},
    {"shell_type_inuse",
     "The file type %s is registered with another program.  Do you want to use KVS instead to open "
     "these files?"},
    {"help_tipofday_title", "Tip of the Day"},
    {"help_tipofday_intro", "Did you know ..."},
    {"help_tipofday_startup", "&Show tips at startup"},
    {"help_tipofday_next", "&Next Tip"},
    {"error_instlistload", "<Error loading>"},
    {"error_openmidiin", "Could not open MIDI IN device: %s"},
    {"error_openmidiout", "Could not open MIDI OUT device: %s"},
    {"error_cantload", "Cannot load this file"},
    {"error_invalidfile", "Invalid file"},
    {"error_openallmidi", "Not all MIDI devices could be opened"},
    {"error_cmdline", "Error on command line, use KVS /? for help"},
    {"error_promptstoobig", "The language prompt file is too large to load."},
    {"error_promptsold",
     "The language prompt file was originally made for KVS version %s. Not all prompts may be "
     "translated."},
    {"error_badvalue", "Invalid value"},
    {"error_enablemidi", "You must enable at least one port"},
    {"error_notfound", "Not found"},
    {"error_badsysex", "Invalid system exclusive"},
    {"error_nosettings", "No settings file found.  Using defaults."},
    {"error_cantcmd", "Cannot accept command line"},
    {"error_notexfrmload", "Error loading preset note transform: %s"},
    {"error_userxfrmload", "Error loading user note transform: %s"},
    {"error_updateprompt", "An error occurred updating the language prompt file"},
};

std::vector<std::string> ExpandKeyList(std::string_view list) {
    std::vector<std::string> keys;
    while (!list.empty()) {
        std::size_t comma = list.find(", ");
        std::string_view item = list.substr(0, comma);
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 2);
        std::size_t to = item.find(" to ");
        if (to == std::string_view::npos) {
            keys.emplace_back(item);
            continue;
        }
        std::string_view first = item.substr(0, to);
        std::string_view last = item.substr(to + 4);
        std::size_t digits = first.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(first[digits - 1])))
            --digits;
        std::string_view stem = first.substr(0, digits);
        const std::size_t width = first.size() - digits;
        const bool padded = width == last.size() - digits;
        const int from = std::stoi(std::string(first.substr(digits)));
        const int upto = std::stoi(std::string(last.substr(digits)));
        for (int n = from; n <= upto; ++n) {
            std::string number = std::to_string(n);
            if (padded && number.size() < width) number.insert(0, width - number.size(), '0');
            keys.push_back(std::string(stem) + number);
        }
    }
    return keys;
}

TEST(PromptTable, HoldsEveryPublishedKeyInOrderOnce) {
    const std::vector<std::string> expected = ExpandKeyList(kKeyList);
    ASSERT_EQ(expected.size(), kPromptCount);
    std::set<std::string_view> seen;
    for (std::size_t i = 0; i < kPromptCount; ++i) {
        EXPECT_EQ(kBuiltinPrompts[i].key, expected[i]) << "index " << i;
        EXPECT_TRUE(seen.insert(kBuiltinPrompts[i].key).second) << kBuiltinPrompts[i].key;
    }
    // The constants other code uses are the table's indexes.
    EXPECT_EQ(prompt::ok, 0);
    EXPECT_EQ(prompt::menu_file_open, 13);
    EXPECT_EQ(prompt::help_tipofday_000, 707);
    EXPECT_EQ(prompt::error_updateprompt, 824);
}

TEST(PromptTable, PublishedTextsAreUsedExactly) {
    for (const KnownText& known : kKnownTexts) {
        auto index = PromptTable::IndexOf(known.key);
        ASSERT_TRUE(index.has_value()) << known.key;
        EXPECT_EQ(kBuiltinPrompts[*index].text, known.text) << known.key;
    }
}

TEST(PromptTable, TextsSurviveALanguageFileLine) {
    std::set<std::string_view> tips;
    for (const PromptEntry& entry : kBuiltinPrompts) {
        EXPECT_FALSE(entry.key.empty());
        for (char c : entry.key) {
            EXPECT_TRUE(std::islower(static_cast<unsigned char>(c)) ||
                        std::isdigit(static_cast<unsigned char>(c)) || c == '_')
                << entry.key;
        }
        EXPECT_EQ(entry.text.find_first_of("\r\n"), std::string_view::npos) << entry.key;
        EXPECT_LE(entry.text.size(), kPromptMaxText) << entry.key;
        // Outer blanks would not come back from an INI value.
        if (!entry.text.empty()) {
            EXPECT_NE(entry.text.front(), ' ') << entry.key;
            EXPECT_NE(entry.text.back(), ' ') << entry.key;
        }
        if (entry.key.starts_with("help_tipofday_0")) {
            EXPECT_GT(entry.text.size(), 20u) << entry.key;
            EXPECT_TRUE(tips.insert(entry.text).second) << "repeated tip " << entry.key;
        }
    }
    EXPECT_EQ(tips.size(), 100u);
}

// The editors turn the letter after "&" into their shortcut keys.
TEST(PromptTable, EditorMnemonicsGiveTheDocumentedLetters) {
    auto letters = [](std::initializer_list<prompt::Id> ids) {
        PromptTable table;
        std::string out;
        for (prompt::Id id : ids) {
            std::string_view text = table.Text(id);
            std::size_t amp = text.find('&');
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(
                amp == std::string_view::npos ? text[0] : text[amp + 1])));
        }
        return out;
    };
    using namespace prompt;
    EXPECT_EQ(letters({noteedit_start, noteedit_chan, noteedit_key, noteedit_vel, noteedit_len,
                       noteedit_ins, noteedit_del, noteedit_edit, noteedit_memo, noteedit_snap}),
              "SCKVLIDEMP");
    EXPECT_EQ(letters({ctrledit_start, ctrledit_chan, ctrledit_num, ctrledit_val, ctrledit_ins,
                       ctrledit_del, ctrledit_edit, ctrledit_memo, ctrledit_snap}),
              "SCNVIDEMP");
    EXPECT_EQ(letters({evtlist_start, evtlist_chan, evtlist_val2, evtlist_val3, evtlist_len,
                       evtlist_ins, evtlist_del}),
              "SCNVLID");
}

TEST(PromptTable, MenuMnemonicsDoNotClashWithinAMenu) {
    const std::string_view menus[] = {
        "menu_file_",  "menu_edit_", "menu_view_",    "menu_goto_", "menu_play_",
        "menu_track_", "menu_midi_", "menu_options_", "menu_help_", "menu_tools_more_"};
    for (std::string_view menu : menus) {
        std::set<char> used;
        for (const PromptEntry& entry : kBuiltinPrompts) {
            std::string_view rest = entry.key.substr(std::min(entry.key.size(), menu.size()));
            // Items of the menu itself, not of a nested one.
            if (!entry.key.starts_with(menu) || rest.find('_') != std::string_view::npos) continue;
            std::size_t amp = entry.text.find('&');
            if (amp == std::string_view::npos) continue;
            char c =
                static_cast<char>(std::tolower(static_cast<unsigned char>(entry.text[amp + 1])));
            EXPECT_TRUE(used.insert(c).second) << entry.key << " repeats '" << c << "'";
        }
    }
}

TEST(PromptTable, LooksUpKeysAsStoredAndGivesNothingOutOfRange) {
    PromptTable table;
    EXPECT_EQ(table.TextOf("error_badvalue"), "Invalid value");
    EXPECT_EQ(PromptTable::IndexOf("help_tipofday_099"), std::optional<std::size_t>(806));
    EXPECT_FALSE(PromptTable::IndexOf("MENU_FILE_OPEN").has_value());
    EXPECT_FALSE(PromptTable::IndexOf("").has_value());
    EXPECT_EQ(table.Text(kPromptCount), "");
    EXPECT_EQ(table.Key(kPromptCount), "");
    EXPECT_EQ(table.TextOf("no_such_prompt"), "");
}

TEST(PromptTable, ErrorNumbersMapToTheirPrompts) {
    EXPECT_EQ(ErrorPrompt(1), prompt::error_cantload);
    EXPECT_EQ(ErrorPrompt(4), prompt::error_cmdline);
    EXPECT_EQ(ErrorPrompt(9), prompt::error_nosettings);
    EXPECT_EQ(ErrorPrompt(10), prompt::error_cantcmd);
    EXPECT_FALSE(ErrorPrompt(0).has_value());
    EXPECT_FALSE(ErrorPrompt(11).has_value());
    EXPECT_FALSE(ErrorPrompt(0xFF000001u).has_value());
}

TEST(PromptTable, PoolRefusesTheTextThatWouldReachItsSize) {
    PromptTable table;
    const std::string big(999, 'x');  // 1000 bytes with its terminator
    for (std::size_t i = 0; i < 79; ++i)
        ASSERT_TRUE(table.SetText(i, big)) << i;
    EXPECT_EQ(table.PoolUsed(), 79000u);
    // 79000 + 998 + 1 = 79999 still fits; one more byte would reach 80000.
    EXPECT_FALSE(table.SetText(79, std::string(999, 'y')));
    EXPECT_EQ(table.Text(std::size_t{79}), kBuiltinPrompts[79].text);
    ASSERT_TRUE(table.SetText(79, std::string(998, 'y')));
    EXPECT_EQ(table.PoolUsed(), 79999u);
    EXPECT_FALSE(table.SetText(80, ""));
    // Earlier texts stay where they were, terminated.
    EXPECT_EQ(table.Text(std::size_t{0}), big);
    EXPECT_EQ(table.Text(std::size_t{0}).data()[999], '\0');
    EXPECT_FALSE(table.SetText(kPromptCount, "x"));

    table.Reset();
    EXPECT_EQ(table.PoolUsed(), 0u);
    EXPECT_EQ(table.Text(prompt::ok), "OK");
    EXPECT_TRUE(table.SetText(prompt::ok, ""));
    EXPECT_EQ(table.Text(prompt::ok), "");
}

}  // namespace
}  // namespace kvs
