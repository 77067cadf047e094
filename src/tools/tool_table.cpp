#include "tools/tool_table.h"

#include <initializer_list>

namespace kvs {
namespace {

constexpr FieldKind kInt = FieldKind::Integer;
constexpr FieldKind kNote = FieldKind::NoteName;
constexpr FieldKind kDur = FieldKind::Duration;

constexpr std::uint32_t kFirstHelpId = 10040;
constexpr std::uint32_t kChannelHelpId = 10000;

struct Flags {
    bool allTracks;
    bool undo;
};
constexpr Flags kBoth{true, true};
constexpr Flags kNeither{false, false};

Tool ValueTool(std::string_view name, PromptText menu, PromptText title, Flags flags,
               std::initializer_list<ToolField> fields) {
    Tool t;
    t.name = name;
    t.menu = menu;
    t.title = title;
    t.dialog = ToolDialog::Value;
    t.fieldCount = static_cast<std::uint32_t>(fields.size());
    t.dialogTemplate = t.fieldCount == 1   ? "Val1EditBox"
                       : t.fieldCount == 2 ? "Val2EditBox"
                                           : "Val3EditBox";
    std::size_t i = 0;
    for (const ToolField& f : fields)
        t.fields[i++] = f;
    t.allTracks = flags.allTracks;
    t.undo = flags.undo;
    return t;
}

Tool PlainTool(std::string_view name, PromptText menu, Flags flags) {
    Tool t;
    t.name = name;
    t.menu = menu;
    t.allTracks = flags.allTracks;
    t.undo = flags.undo;
    return t;
}

Tool OwnTool(std::string_view name, PromptText menu, PromptText title, std::string_view box,
             std::string_view values) {
    Tool t;
    t.name = name;
    t.menu = menu;
    t.title = title;
    t.dialog = ToolDialog::Own;
    t.dialogTemplate = box;
    t.allTracks = true;
    t.undo = true;
    t.ownValues = values;
    return t;
}

// Labels shared by two dialogs.
constexpr PromptText kDivision{"tools_quant_btdiv", "Beat &division:"};
constexpr PromptText kStrictness{"tools_quant_strict", "% &strictness:"};

std::vector<Tool> Entries() {
    std::vector<Tool> t;
    t.push_back(ValueTool("transpose", {"menu_tools_chkey", "&Transpose ...\tT"},
                          {"tools_chkey_title", "Transpose"}, kBoth,
                          {{{"tools_chkey_chkey", "&Transpose:"}, kInt, -12, -127, 127}}));
    t.push_back(ValueTool("change-velocity", {"menu_tools_chvel", "Change &velocity ...\tV"},
                          {"tools_chvel_title", "Change Velocity"}, kBoth,
                          {{{"tools_chvel_prcnt", "% of &original:"}, kInt, 100, 0, 1000},
                           {{"tools_chvel_offset", "&Fixed offset:"}, kInt, 0, -127, 127}}));
    t.push_back(ValueTool("time-glide", {"menu_tools_tmgld", "Time &glide ..."},
                          {"tools_tmgld_title", "Time Glide"}, kBoth,
                          {{{"tools_tmgld_tmgld", "&Glide by:"}, kDur, 0, -24384, 24384}}));
    t.push_back(ValueTool("time-expand", {"menu_tools_tmexp", "Time e&xpand ..."},
                          {"tools_tmexp_title", "Time Expand"}, kBoth,
                          {{{"tools_tmexp_tmexp", "% &expand:"}, kInt, 100, 1, 5000}}));
    t.push_back(ValueTool("quantise", {"menu_tools_quant", "&Quantise ...\tQ"},
                          {"tools_quant_title", "Quantise"}, kBoth,
                          {{kDivision, kInt, 4, 1, 96},
                           {kStrictness, kInt, 100, 0, 100},
                           {{"tools_quant_swing", "% s&wing:"}, kInt, 0, -100, 100}}));
    t.push_back(ValueTool("quantise-length", {"menu_tools_qtlen", "Quant&ise length ..."},
                          {"tools_qtlen_title", "Quantise Length"}, kBoth,
                          {{kDivision, kInt, 4, 1, 96}, {kStrictness, kInt, 100, 0, 100}}));
    t.push_back(ValueTool("humanise", {"menu_tools_human", "&Humanise ..."},
                          {"tools_human_title", "Humanise"}, kBoth,
                          {{{"tools_human_human", "Max. &adjust:"}, kInt, 0, 0, 96}}));
    t.push_back(ValueTool("set-length", {"menu_tools_stlen", "Set &length ..."},
                          {"tools_stlen_title", "Set Note Length"}, kBoth,
                          {{{"tools_stlen_prcnt", "% of &original:"}, kInt, 100, 0, 1000},
                           {{"tools_stlen_offset", "&Fixed offset:"}, kDur, 0, -192000, 192000}}));
    t.push_back(ValueTool("legato", {"menu_tools_legto", "Legat&o ..."},
                          {"tools_legto_title", "Legato"}, kBoth,
                          {{{"tools_legto_legto", "Set &gap:"}, kDur, 0, 0, 768}}));
    t.push_back(OwnTool("progression", {"menu_tools_prgrs", "&Progression ..."},
                        {"tools_prgrs_title", "Progression"}, "ProgressionBox",
                        "type, channel, start, end, start value, end value, start velocity, "
                        "end velocity, snap, note length, flags, wave, amplitude, rate, phase"));
    t.push_back(OwnTool("insert-from-file", {"menu_tools_insff", "Insert from &file ..."},
                        {"tools_insff_title", "Insert track from file"}, "INSTRKFFBox",
                        "the file, the track number in it, insert or merge"));
    Tool clean = PlainTool("clean-up", {"menu_tools_clean", "Clean &up"}, kBoth);
    clean.wholeTracks = true;
    t.push_back(clean);
    t.push_back(ValueTool("set-channel", {"menu_tools_more_stchn", "Set &channel ..."},
                          {"tools_stchn_title", "Set Channel"}, kBoth,
                          {{{"tools_stchn_stchn", "&Channel:"}, kInt, 1, 1, 16}}));
    t.push_back(PlainTool("channel-split", {"menu_tools_more_spchn", "Channel &split"}, kNeither));
    t.push_back(ValueTool("key-split", {"menu_tools_more_spkey", "&Key split ..."},
                          {"tools_spkey_title", "Split Key"}, kNeither,
                          {{{"tools_spkey_lower", "&Lower note:"}, kNote, 0, 0, 127},
                           {{"tools_spkey_upper", "&Upper note:"}, kNote, 127, 0, 127}}));
    t.push_back(ValueTool("velocity-split", {"menu_tools_more_spvel", "Velocit&y split ..."},
                          {"tools_spvel_title", "Split Velocity"}, kNeither,
                          {{{"tools_spvel_lower", "&Lower velocity:"}, kInt, 1, 1, 127},
                           {{"tools_spvel_upper", "&Upper velocity:"}, kInt, 127, 1, 127}}));
    t.push_back(ValueTool("length-split", {"menu_tools_more_splen", "&Length split ..."},
                          {"tools_splen_title", "Split Length"}, kNeither,
                          {{{"tools_splen_lower", "&Lower length:"}, kDur, 1, 1, 192000},
                           {{"tools_splen_upper", "&Upper length:"}, kDur, 768, 1, 192000}}));
    t.push_back(ValueTool("note-replace", {"menu_tools_more_repln", "&Note replace ..."},
                          {"tools_repln_title", "Replace Note"}, kBoth,
                          {{{"tools_repln_find", "&Find note:"}, kNote, 60, 0, 127},
                           {{"tools_repln_replace", "&Replace with:"}, kNote, 60, 0, 127}}));
    t.push_back(ValueTool("velocity-crescendo",
                          {"menu_tools_more_cresc", "Velocity crescend&o ..."},
                          {"tools_cresc_title", "Velocity Crescendo"}, kBoth,
                          {{{"tools_cresc_cresc", "&Final velocity %:"}, kInt, 100, 1, 1000}}));
    t.push_back(ValueTool("controller-renumber",
                          {"menu_tools_more_evtno", "Controller ren&umber ..."},
                          {"tools_evtno_title", "Event Renumber"}, kBoth,
                          {{{"tools_evtno_find", "&Find control:"}, kInt, 0, 0, 127},
                           {{"tools_evtno_replace", "&Replace with:"}, kInt, 0, 0, 127}}));
    t.push_back(ValueTool("change-controllers",
                          {"menu_tools_more_chevt", "Change cont&rollers ..."},
                          {"tools_chevt_title", "Change Event Values"}, kBoth,
                          {{{"tools_chevt_ctrlnum", "&Control num:"}, kInt, 0, 0, 131},
                           {{"tools_chevt_prcnt", "% of &original:"}, kInt, 100, 0, 1000},
                           {{"tools_chevt_offset", "&Fixed offset:"}, kInt, 0, -16000, 16000}}));
    t.push_back(PlainTool("reverse", {"menu_tools_more_revrs", "Re&verse"}, kBoth));
    t.push_back(ValueTool("delete-notes", {"menu_tools_more_delnt", "&Delete notes ..."},
                          {"tools_delnt_title", "Delete Notes"}, kBoth,
                          {{{"tools_delnt_lower", "&Lower note:"}, kNote, 0, 0, 127},
                           {{"tools_delnt_upper", "&Upper note:"}, kNote, 127, 0, 127}}));
    t.push_back(ValueTool("delete-controllers",
                          {"menu_tools_more_delct", "D&elete controllers ..."},
                          {"tools_delct_title", "Delete Controllers"}, kBoth,
                          {{{"tools_delct_ctrlnum", "Control &num:"}, kInt, 0, 0, 131}}));
    t.push_back(OwnTool("note-transform", {"menu_tools_more_ntxfm", "Note trans&form ..."},
                        {"tools_ntxfm_title", "Note transform"}, "NoteXfmBox",
                        "the transform's name, the base key"));

    // Context help ids run through the fields in table order; the channel
    // field has an id of its own.
    std::uint32_t help = kFirstHelpId;
    for (Tool& tool : t)
        for (std::uint32_t f = 0; f < tool.fieldCount; ++f)
            tool.fields[f].helpId =
                tool.fields[f].label.key == "tools_stchn_stchn" ? kChannelHelpId : help++;
    return t;
}

}  // namespace

ValueDialog Tool::NewDialog() const {
    ValueDialog d;
    d.SetUp(title, fieldCount);
    d.count = fieldCount;  // a tool without fields has none
    for (std::uint32_t i = 0; i < fieldCount; ++i) {
        const ToolField& f = fields[i];
        d.SetField(i, f.initial, f.min, f.max, f.kind, f.helpId, f.label);
    }
    return d;
}

ToolTable ToolTable::Blank() {
    ToolTable table;
    table.tools_ = Entries();
    return table;
}

const Tool* ToolTable::Find(std::string_view name) const {
    for (const Tool& t : tools_)
        if (t.name == name) return &t;
    return nullptr;
}

const Tool* ToolTable::FindMenu(std::string_view menuKey) const {
    for (const Tool& t : tools_)
        if (t.menu.key == menuKey) return &t;
    return nullptr;
}

Tool* ToolTable::Edit(std::string_view name) {
    for (Tool& t : tools_)
        if (t.name == name) return &t;
    return nullptr;
}

const ToolTable& Tools() {
    static const ToolTable table = [] {
        ToolTable t = ToolTable::Blank();
        RegisterNoteTools(t);
        RegisterNoteTransformTool(t);
        RegisterSplitAndControllerTools(t);
        RegisterProgressionTool(t);
        return t;
    }();
    return table;
}

}  // namespace kvs
