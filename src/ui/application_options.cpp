#include <string>
#include <vector>

#include "config/general_options_form.h"
#include "config/instrument_lists_form.h"
#include "midi/onscreen_keyboard_form.h"
#include "ui/application.h"

namespace kvs {
namespace {

// The keyboard's notes enter as if from MIDI IN, so thru, key commands,
// assignments and recording treat them alike.
class RecorderNoteInput final : public KeyboardNoteInput {
  public:
    explicit RecorderNoteInput(Recorder& recorder) : recorder_(recorder) {}
    void KeyboardMessage(std::uint32_t message) override { recorder_.HandleShort(message); }

  private:
    Recorder& recorder_;
};

}  // namespace

void Application::OnScreenKeyboard() {
    RecorderNoteInput input(*recorder_);
    OnScreenKeyboardForm form(settings_.oskLayout, input);
    host_.RunOnScreenKeyboard(form);
}

bool Application::OskLayoutOptions() {
    OskLayoutForm form(settings_.oskLayout);
    if (!host_.RunOskLayout(form)) return false;
    form.Ok(settings_.oskLayout);
    return true;
}

bool Application::InstrumentListOptions() {
    std::vector<InstrumentPortItem> ports;
    const auto& outputs = table_->Outputs();
    for (std::size_t p = 0; p < outputs.size(); ++p)
        if (outputs[p].enabled) ports.push_back({p, outputs[p].friendlyName});
    InstrumentListsForm form(instruments_, std::move(ports),
                             PromptText(prompt::opts_instlist_none));
    if (!host_.RunInstrumentLists(form)) return false;
    form.Accept(instruments_);
    return true;
}

bool Application::GeneralOptions() {
    std::vector<PortChoice> ports;
    const auto& outputs = table_->Outputs();
    for (std::uint32_t p = 0; p < outputs.size(); ++p)
        if (outputs[p].enabled) ports.push_back({outputs[p].friendlyName, p});
    GeneralOptionsForm form(settings_, std::move(ports));
    if (!host_.RunGeneralOptions(form)) return false;
    form.Ok(settings_);
    return true;
}

}  // namespace kvs
