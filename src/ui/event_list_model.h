#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/prompt_table.h"
#include "model/edit_session.h"
#include "model/value_dialog_form.h"

namespace kvs {

class EngineLink;

// The event list's commands; buttons, menu items and keys share the ids.
enum class EventListCommand : std::uint32_t {
    Close = 2,
    Insert = 2301,
    Delete = 2303,
    Next = 2304,
    Back = 2305,
    Start = 2307,
    Chan = 2308,
    Val2 = 2309,
    Val3 = 2310,
    Length = 2311,
};

enum class EventListKey : std::uint8_t { PageUp, PageDown, Insert, Delete };

// What the dialog's window does for the model.
class EventListFace {
  public:
    virtual ~EventListFace() = default;
    // The value dialog; true on OK with the entered values in the dialog.
    virtual bool RunValueDialog(ValueDialog& dialog) = 0;
    // The drop-down list dialog; the chosen item, or nothing on Cancel.
    virtual std::optional<std::uint32_t> ChooseFromList(PromptText title, PromptText label,
                                                        const std::vector<std::string>& items,
                                                        std::uint32_t initial) = 0;
    // The SysEx editor on the event at (beat, index); true when it changed it.
    virtual bool EditSysex(Track& track, std::uint32_t beat, std::uint32_t index) = 0;
    virtual void RowsChanged() = 0;
    virtual void Close() = 0;
};

// The window's part and the sounding of the selected note.
class EventListHost : public EventListFace {
  public:
    virtual void Audition(std::uint32_t noteOn, std::uint32_t noteOff, std::uint32_t port,
                          std::uint32_t ticks) = 0;
    virtual void EndAudition() = 0;
};

// The name of an event's kind as the list shows it (a controller by its name
// where it has one).
std::string EventTypeName(const PromptTable& prompts, std::uint32_t message);
// The six tab-separated fields of the event at (beat, index).
std::string EventRowText(const PromptTable& prompts, const Track& track, std::uint32_t beat,
                         std::uint32_t index);

// The event list without its widgets: the rows of one beat of the session's
// current track, note offs folded into their notes, and the edits on them.
// One undo copy is taken when it opens.
class EventListModel {
  public:
    struct Row {
        std::uint32_t index;  // in the beat's bucket
        std::string text;
    };
    // The kinds Insert offers, in the order of the type list.
    enum class NewEvent : std::uint32_t {
        Note,
        PolyAft,
        CtrlChng,
        Program,
        ChanAft,
        Pitchbend,
        Tempo,
        TimeSig,
        Sysex
    };

    EventListModel(EditSession& session, EngineLink& engine, const PromptTable& prompts,
                   EventListHost& host);

    // NoTrack without a current track.
    EditResult Open(std::uint32_t beat);
    const std::vector<std::pair<char, EventListCommand>>& Mnemonics() const { return mnemonics_; }

    std::uint32_t Beat() const { return beat_; }
    const std::vector<Row>& Rows() const { return rows_; }
    std::int32_t SelectedRow() const { return selected_; }
    // Selecting a note row auditions it; -1 selects nothing.
    void SelectRow(std::int32_t row);

    void Command(EventListCommand command);
    // True when the key was the list's command key.
    bool KeyDown(EventListKey key);
    bool LetterKey(char letter);

  private:
    Track* CurrentTrack() { return session_.Current(); }
    void Fill();
    void FillAndSelect(std::int32_t row);
    void Changed(std::int32_t row);
    std::optional<std::int32_t> Ask(prompt::Id title, prompt::Id label, std::int32_t value,
                                    std::int32_t min, std::int32_t max, FieldKind kind);
    void Insert();
    void Delete();
    void EditStart();
    void EditChan();
    void EditVal2();
    void EditVal3();
    void EditLength();
    PromptText Prompt(prompt::Id id) const { return {prompts_.Key(id), prompts_.Text(id)}; }

    EditSession& session_;
    EngineLink& engine_;
    const PromptTable& prompts_;
    EventListHost& host_;
    std::uint32_t beat_ = 0;
    std::vector<Row> rows_;
    std::int32_t selected_ = -1;
    std::vector<std::pair<char, EventListCommand>> mnemonics_;
};

}  // namespace kvs
