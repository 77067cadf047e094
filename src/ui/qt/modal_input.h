#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "ui/application.h"

namespace kvs {

// Around each modal dialog and message box of the window: recording and key
// commands are suspended, and MIDI input is handed to the open dialog. Each
// end puts back what was in force at its beginning, so nested boxes work.
class ModalInput {
  public:
    explicit ModalInput(Application& app) : app_(app) {}

    void Begin();
    void End();

  private:
    struct Saved {
        std::unique_ptr<Application::ModalGuard> guard;
        std::uint32_t dialog = 0;
    };

    Application& app_;
    std::vector<Saved> saved_;
};

}  // namespace kvs
