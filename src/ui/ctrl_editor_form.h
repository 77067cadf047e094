#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "config/prompt_table.h"
#include "model/edit_session.h"
#include "model/value_dialog_form.h"
#include "ui/ctrl_view.h"

namespace kvs {

class EngineLink;

struct CtrlValues {
    Tick start = 0;
    std::uint32_t channel = 0;  // 0-15
    std::uint32_t num = 0;      // control type
    std::int32_t value = 0;
};

// Kept for the whole program run, between openings of the editor.
struct CtrlEditorState {
    CtrlValues memo;     // what Insert adds
    CtrlValues current;  // the selected event
    bool haveSelection = false;
    std::uint32_t parameter = 0;  // CtrlEditorForm::Parameter
    std::uint32_t snap = 48;
    std::uint32_t openBeat = 0;
};

// What the dialog's window does for the form.
class CtrlEditorFace {
  public:
    virtual ~CtrlEditorFace() = default;
    virtual void Beep() = 0;
    virtual void StatusChanged() = 0;
    // The value dialog; true on OK with the fields' values in the dialog.
    virtual bool RunValueDialog(ValueDialog& dialog) = 0;
    virtual void ContextMenu(std::int32_t x, std::int32_t y) = 0;
    virtual void Close() = 0;
};

// The window's part and the sounding of the selected event.
class CtrlEditorHost : public CtrlEditorFace {
  public:
    virtual void Audition(std::uint32_t message, std::uint32_t port) = 0;
    virtual void EndAudition() = 0;
};

// The control editor dialog without its widgets. It edits the session's
// current track in place; one undo copy is taken when it opens.
class CtrlEditorForm final : public CtrlViewListener {
  public:
    enum Parameter : std::uint32_t { Start = 0, Chan = 1, Num = 2, Val = 3 };
    static constexpr std::uint32_t kParameterCount = 4;
    static constexpr std::size_t kMaxMnemonics = 20;

    CtrlEditorForm(CtrlEditorState& state, EditSession& session, EngineLink& engine,
                   const PromptTable& prompts, CtrlView& view, CtrlEditorHost& host);
    CtrlEditorForm(const CtrlEditorForm&) = delete;
    CtrlEditorForm& operator=(const CtrlEditorForm&) = delete;
    ~CtrlEditorForm() override;

    // Builds the key map, takes the undo copy and shows the current track at
    // openBeat. NoTrack (nothing done) without a current track.
    EditResult Open();
    const std::vector<std::pair<char, CtrlCommand>>& Mnemonics() const { return mnemonics_; }

    // Status bar: the four parameters, then "Mod" or "Ins".
    std::array<std::string, kParameterCount + 1> StatusTexts() const;
    std::uint32_t CurrentParameter() const { return state_.parameter; }
    void ClickStatusPart(std::uint32_t part);

    // Buttons and menu items.
    void Command(CtrlCommand command);
    // Validates a new value of a parameter and applies it; false (with a
    // beep) when it is refused.
    bool Apply(std::uint32_t parameter, std::int64_t value);
    // F5-F8 on the current parameter.
    void Step(CtrlViewNotify step);

    // CtrlViewListener
    void OnCtrlViewNotify(CtrlViewNotify code) override;
    void OnCtrlViewCommand(CtrlCommand command) override { Command(command); }
    void OnCtrlViewContextMenu(std::int32_t x, std::int32_t y) override { host_.ContextMenu(x, y); }
    void Audition(std::uint32_t message, std::uint32_t port) override {
        host_.Audition(message, port);
    }
    void EndAudition() override { host_.EndAudition(); }

  private:
    const CtrlValues& Shown() const { return state_.haveSelection ? state_.current : state_.memo; }
    std::int64_t ValueOf(std::uint32_t parameter) const;
    bool Accepts(std::uint32_t parameter, std::int64_t v) const;
    bool Occupied(Tick tick, std::uint32_t message, EventPos except) const;
    void ReadSelection();
    void Insert();
    void Delete();
    void Edit();
    void EditSnap();
    void Refuse() { host_.Beep(); }
    PromptText Prompt(prompt::Id id) const { return {prompts_.Key(id), prompts_.Text(id)}; }

    CtrlEditorState& state_;
    EditSession& session_;
    EngineLink& engine_;
    const PromptTable& prompts_;
    CtrlView& view_;
    CtrlEditorHost& host_;
    std::vector<std::pair<char, CtrlCommand>> mnemonics_;
};

}  // namespace kvs
