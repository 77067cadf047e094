#pragma once

#include <cstdint>

#include "ui/ctrl_editor_form.h"
#include "ui/ctrl_view.h"

namespace kvs {

class Engine;

// One opening of the control editor: its view and form on the program's
// state, the events sounded through the engine's preview, and the window's
// part left to whichever face shows it.
class CtrlEditorSession final : private CtrlEditorHost {
  public:
    CtrlEditorSession(CtrlEditorState& state, EditSession& session, EngineLink& link,
                      Engine& engine, const PromptTable& prompts);
    CtrlEditorSession(const CtrlEditorSession&) = delete;
    CtrlEditorSession& operator=(const CtrlEditorSession&) = delete;
    ~CtrlEditorSession() override;

    CtrlView& View() { return view_; }
    CtrlEditorForm& Form() { return form_; }
    const PromptTable& Prompts() const { return prompts_; }
    // Null while no window shows the editor: its requests are then refused.
    void SetFace(CtrlEditorFace* face) { face_ = face; }
    void StopAudition() { EndAudition(); }

  private:
    void Beep() override;
    void StatusChanged() override;
    bool RunValueDialog(ValueDialog& dialog) override;
    void ContextMenu(std::int32_t x, std::int32_t y) override;
    void Close() override;
    void Audition(std::uint32_t message, std::uint32_t port) override;
    void EndAudition() override;

    Engine& engine_;
    const PromptTable& prompts_;
    CtrlEditorFace* face_ = nullptr;
    CtrlView view_;
    CtrlEditorForm form_;
};

}  // namespace kvs
